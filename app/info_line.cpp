#include "app/info_line.h"

#include <cmath>
#include <cstdio>
#include <string>

#include "app/difference_view.h"
#include "app/load_record.h"
#include "jpeg/decode_choice.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/overlays.h"

namespace {

void formatPictureLine(InfoText& out)
{
    const LoadRecord& load = lastLoad();
    if (load.name.empty()) {
        std::snprintf(out.text, sizeof out.text, "no picture loaded");
        return;
    }
    if (!load.loaded) {
        std::snprintf(out.text, sizeof out.text, "%s  not loaded", load.name.c_str());
        return;
    }
    std::snprintf(out.text, sizeof out.text, "%s  %dx%d  %s  zoom %.0f%%", load.name.c_str(), picture.width[0],
                  picture.height[0], load.kind.c_str(), viewZoomPercent());
}

// The family's name, and the one D chose since, which F5 would decode with.
void formatDecodeLine(InfoText& out)
{
    const LoadRecord& load = lastLoad();
    if (!load.transformCoded) {
        std::snprintf(out.text, sizeof out.text, "load %.1f ms", load.milliseconds);
        return;
    }
    const std::string_view family = idctName(load.family);
    const int written = std::snprintf(out.text, sizeof out.text, "%.*s  %.1f ms: %s", int(family.size()), family.data(),
                                      load.stages.total(), describeStages(load.stages).text);
    if (idctName(idctIndex) != family && written > 0 && size_t(written) < sizeof out.text) {
        const std::string_view next = idctName(idctIndex);
        std::snprintf(out.text + written, sizeof out.text - size_t(written), "  (F5: %.*s)", int(next.size()),
                      next.data());
    }
}

// Why no difference shows, when none does.
const char* noDifferenceReason(const LoadRecord& load)
{
    if (!load.loaded)
        return "nothing decoded";
    return load.transformCoded ? "too large to compare" : "no transform in this kind of file";
}

void formatDifferenceLine(InfoText& out)
{
    const std::optional<SampleError>& error = shownDifference();
    const LoadRecord& load = lastLoad();
    if (!error) {
        std::snprintf(out.text, sizeof out.text, "C - no difference: %s", noDifferenceReason(load));
        return;
    }
    const std::string_view family = idctName(load.family);
    std::snprintf(out.text, sizeof out.text, "C - %.*s against the exact transform: %.1f dB, max %d, mean %.2f",
                  int(family.size()), family.data(), error->psnr(), error->largest, error->mean());
}

}  // namespace

InfoLines formatInfoLines()
{
    InfoLines lines;
    formatPictureLine(lines.line[lines.count++]);
    if (lastLoad().loaded)
        formatDecodeLine(lines.line[lines.count++]);
    if (differenceViewOn())
        formatDifferenceLine(lines.line[lines.count++]);
    return lines;
}

double viewZoomPercent()
{
    if (picture.width[0] <= 0 || picture.height[0] <= 0)
        return 0;
    double twiceArea = 0;
    for (size_t k = 0; k < controlPoints.size(); ++k) {
        const ControlPoint& a = controlPoints[k];
        const ControlPoint& b = controlPoints[(k + 1) % controlPoints.size()];
        twiceArea += a.x * b.y - b.x * a.y;
    }
    return 100 * std::sqrt(std::abs(twiceArea) / 2 / (double(picture.width[0]) * picture.height[0]));
}
