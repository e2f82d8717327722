#include "app/difference_view.h"

#include <utility>

#include "app/load_record.h"
#include "app/open_file.h"
#include "jpeg/decode_choice.h"
#include "jpeg/output/picture.h"

namespace {

bool viewOn = false;
pctr decoded;  // the decoded picture while its difference is shown
std::optional<SampleError> shownError;

void swapPictures(pctr& a, pctr& b)
{
    for (int k = 0; k < 3; ++k) {
        std::swap(a.width[k], b.width[k]);
        std::swap(a.height[k], b.height[k]);
        std::swap(a.size[k], b.size[k]);
        std::swap(a.plane[k], b.plane[k]);
    }
    std::swap(a.colourState, b.colourState);
}

}  // namespace

bool differenceViewOn() { return viewOn; }

void toggleDifferenceView()
{
    viewOn = !viewOn;
    if (viewOn)
        showDifferenceOfLoad();
    else
        giveBackDecodedPicture();
}

void resetDifferenceView()
{
    giveBackDecodedPicture();
    viewOn = false;
}

void giveBackDecodedPicture()
{
    if (!shownError)
        return;
    swapPictures(picture, decoded);
    decoded.clear();
    shownError.reset();
}

void showDifferenceOfLoad()
{
    const LoadRecord& load = lastLoad();
    if (!viewOn || shownError || !load.loaded || !load.transformCoded)
        return;
    pctr difference;
    shownError = compareWithExact(subImageIndex, load.family, &difference);
    if (!shownError)
        return;
    turnUprightAsLoaded(difference, load.orientation);
    swapPictures(decoded, picture);
    swapPictures(picture, difference);
}

const std::optional<SampleError>& shownDifference() { return shownError; }
