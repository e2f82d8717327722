#include "render/resample.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "base/parallel.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/row_kernels.h"
#include "render/truncate.h"

int32_t RenderOptions::defaultRenderThreads() { return std::thread::hardware_concurrency() > 1 ? 2 : 1; }

PictureView viewOfPicture()
{
    PictureView view;
    if (!picture.plane[0] || !picture.plane[1] || !picture.plane[2] || picture.width[0] <= 0 || picture.height[0] <= 0)
        return view;
    view.width = picture.width[0];
    view.height = picture.height[0];
    view.samples = int64_t{view.width} * view.height;
    view.red = picture.plane[0].get();
    view.green = picture.plane[1].get();
    view.blue = picture.plane[2].get();
    return view;
}

namespace {

bool isFinite(const InverseMap& m)
{
    return std::isfinite(m.uStepX) && std::isfinite(m.uStepY) && std::isfinite(m.uBase) && std::isfinite(m.vStepX) &&
           std::isfinite(m.vStepY) && std::isfinite(m.vBase);
}

class SpanRasterizer {
public:
    // Draws only rows firstRow..lastRow-1 of the spans.
    SpanRasterizer(const InverseMap& map, const FrameSurface& frame, const PictureView& picture, RowKernel kernel,
                   int32_t firstRow, int32_t lastRow)
        : map_(map), frame_(frame), picture_(picture), kernel_(kernel), firstRow_(std::max(firstRow, 0)),
          lastRow_(std::min(lastRow, frame.height))
    {
    }

    void drawSpans()
    {
        if (spanBreaks[0].y < 0.0)
            return;
        for (size_t i = 0; i + 1 < spanBreaks.size() && spanBreaks[i + 1].y >= 0.0; ++i)
            drawBetween(spanBreaks[i], spanBreaks[i + 1]);
    }

private:
    // The borders start from the ceilings of the upper break's own x values
    // and move by their slopes, one row at a time.
    void drawBetween(const SpanBreak& cur, const SpanBreak& next)
    {
        const int32_t rowEnd = truncToInt(std::ceil(next.y));
        int32_t row = truncToInt(std::ceil(cur.y));
        if (row >= rowEnd)
            return;
        const double leftSlope = (next.left - cur.left) / (next.y - cur.y);
        const double rightSlope = (next.right - cur.right) / (next.y - cur.y);
        double xl = std::ceil(cur.left);
        double xr = std::ceil(cur.right);
        const int32_t lastRow = std::min(rowEnd, lastRow_);
        for (; row < lastRow; ++row) {
            if (row >= firstRow_)
                drawRow(row, xl, xr);
            xl += leftSlope;
            xr += rightSlope;
        }
    }

    // The first column is the truncation of xl, but the count comes from
    // its ceiling: xl 100, xr 600 covers columns 100 to 598.
    void drawRow(int32_t row, double xl, double xr)
    {
        const int64_t first = truncToInt(xl);
        const int64_t count = int64_t{truncToInt(std::ceil(xr) - 1.0)} - truncToInt(std::ceil(xl));
        const int64_t begin = std::max<int64_t>(first, 0);
        const int64_t end = std::min<int64_t>(first + count, frame_.width);
        if (begin >= end)
            return;
        // Each row restarts u and v from the map, so error never builds up
        // from row to row; along the row they move by one addition each.
        const double x = static_cast<double>(begin);
        RowWalk walk;
        walk.out = frame_.pixels + int64_t{row} * frame_.stride;
        walk.begin = begin;
        walk.end = end;
        walk.u = map_.uStepX * x + map_.uStepY * row + map_.uBase;
        walk.v = map_.vStepX * x + map_.vStepY * row + map_.vBase;
        walk.uStep = map_.uStepX;
        walk.vStep = map_.vStepX;
        kernel_(picture_, walk);
    }

    const InverseMap& map_;
    const FrameSurface& frame_;
    const PictureView& picture_;
    const RowKernel kernel_;
    const int32_t firstRow_;
    const int32_t lastRow_;
};

// Below this many frame pixels a second thread costs more than it saves.
constexpr int64_t parallelMinimumPixels = 1 << 17;

// Every row is drawn from the map and the borders alone, so the rows split
// between two threads come out exactly as on one. Both walk the borders
// from the top break, so they move them by the same additions.
void rasterizeWith(const InverseMap& map, const FrameSurface& frame, const PictureView& view, RowKernel kernel,
                   int32_t threads)
{
    const int64_t pixels = int64_t{frame.width} * frame.height;
    if (threads < 2 || pixels < parallelMinimumPixels) {
        SpanRasterizer(map, frame, view, kernel, 0, frame.height).drawSpans();
        return;
    }
    int32_t lastBreak = 0;
    while (lastBreak + 1 < int32_t(spanBreaks.size()) && spanBreaks[size_t(lastBreak) + 1].y >= 0.0)
        ++lastBreak;
    const int32_t top = truncToInt(std::ceil(spanBreaks[0].y));
    const int32_t bottom = truncToInt(std::ceil(spanBreaks[size_t(lastBreak)].y));
    const int32_t middle = top + (bottom - top) / 2;
    runBothHalves([&] { SpanRasterizer(map, frame, view, kernel, 0, middle).drawSpans(); },
                  [&] { SpanRasterizer(map, frame, view, kernel, middle, frame.height).drawSpans(); });
}

}  // namespace

void rasterizePicture(const InverseMap& map, const FrameSurface& frame, int32_t filter, const RenderOptions& options)
{
    const PictureView view = viewOfPicture();
    if (!frame.pixels || view.samples == 0 || !isFinite(map))
        return;
    rasterizeWith(map, frame, view,
                  rowKernelFor(filter, options.wideVectors ? VectorBuild::avx512 : VectorBuild::portable),
                  options.threads);
}

uint32_t samplePicture(int32_t filter, int64_t s, double u, double v, int32_t pc, int32_t pr)
{
    const PictureView view = viewOfPicture();
    if (s < 0 || s >= view.samples)
        return 0;
    switch (filter) {
    case 1: return Bilinear::sample(view, s, u, v, pc, pr);
    case 2: return SmoothBilinear::sample(view, s, u, v, pc, pr);
    default: return Nearest::sample(view, s, u, v, pc, pr);
    }
}
