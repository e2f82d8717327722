#include "app/difference_view.h"

#include "app/load_record.h"
#include "app/open_file.h"
#include "jpeg/decode_choice.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"

namespace {

bool viewOn = false;
pctr decoded;  // the decoded picture while its difference is shown
std::optional<SampleError> shownError;

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
    picture.swap(decoded);
    decoded.clear();
    shownError.reset();
}

void showDifferenceOfLoad()
{
    const LoadRecord& load = lastLoad();
    if (!viewOn || shownError || !load.loaded || !load.transformCoded)
        return;
    pctr difference;
    shownError = compareWithExact(jpgFile, subImageIndex, load.family, &difference);
    if (!shownError)
        return;
    turnUprightAsLoaded(difference, load.orientation);
    decoded.swap(picture);
    picture.swap(difference);
}

const std::optional<SampleError>& shownDifference() { return shownError; }
