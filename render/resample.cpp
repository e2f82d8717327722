#include "render/resample.h"

#include <algorithm>
#include <cmath>
#include <thread>

#include "app/interaction.h"
#include "jpeg/parallel.h"
#include "jpeg/picture.h"
#include "render/truncate.h"

int32_t renderThreads = std::thread::hardware_concurrency() > 1 ? 2 : 1;

namespace {

// The picture as the filters read it: planes 0, 1, 2 as red, green, blue.
struct PictureView {
    int32_t width = 0;
    int32_t height = 0;
    int64_t samples = 0;  // 0 when there is nothing to read
    const uint8_t* red = nullptr;
    const uint8_t* green = nullptr;
    const uint8_t* blue = nullptr;
};

PictureView viewOfPicture()
{
    PictureView view;
    if (!picture.plane[0] || !picture.plane[1] || !picture.plane[2] || picture.width[0] <= 0
        || picture.height[0] <= 0)
        return view;
    view.width = picture.width[0];
    view.height = picture.height[0];
    view.samples = int64_t{view.width} * view.height;
    view.red = picture.plane[0].get();
    view.green = picture.plane[1].get();
    view.blue = picture.plane[2].get();
    return view;
}

uint32_t packPixel(uint32_t red, uint32_t green, uint32_t blue) { return (red << 16) | (green << 8) | blue; }

struct Nearest {
    static uint32_t sample(const PictureView& p, int64_t s, double, double, int32_t, int32_t)
    {
        return packPixel(p.red[s], p.green[s], p.blue[s]);
    }
};

// The helpers of the blending filters below are forced inline: as calls
// per pixel and channel they halve those filters' speed.

// The four samples around (u, v); the right and lower ones repeat the edge
// at the picture's last column and row.
struct Neighbours {
    int64_t s00;
    int64_t s10;
    int64_t s01;
    int64_t s11;
};

[[gnu::always_inline]] inline Neighbours neighbours(const PictureView& p, int64_t s, int32_t pc, int32_t pr)
{
    const bool hasRight = pc < p.width - 1;
    const int64_t s10 = (hasRight && s + 1 < p.samples) ? s + 1 : s;
    const int64_t s01 = (pr < p.height - 1 && s10 + p.width < p.samples) ? s + p.width : s;
    const int64_t s11 = (hasRight && s01 + 1 < p.samples) ? s01 + 1 : s01;
    return {s, s10, s01, s11};
}

// Both horizontal blends are truncated before the vertical one uses them.
// Near the top and left borders a weight can be slightly negative and the
// blend can leave 0..255; it is clamped rather than wrapped, so a dark edge
// stays dark. Weights in 0..1 never leave the range.
[[gnu::always_inline]] inline uint32_t blendChannel(const uint8_t* plane, const Neighbours& n, double wx, double wy)
{
    const int32_t p00 = plane[n.s00];
    const int32_t p01 = plane[n.s01];
    const int32_t top = p00 + static_cast<int32_t>(wx * (plane[n.s10] - p00));
    const int32_t bottom = p01 + static_cast<int32_t>(wx * (plane[n.s11] - p01));
    const int32_t value = static_cast<int32_t>(top + wy * (bottom - top));
    return static_cast<uint32_t>(value < 0 ? 0 : (value > 255 ? 255 : value));
}

[[gnu::always_inline]] inline uint32_t blendPixel(const PictureView& p, const Neighbours& n, double wx, double wy)
{
    return packPixel(blendChannel(p.red, n, wx, wy), blendChannel(p.green, n, wx, wy),
                     blendChannel(p.blue, n, wx, wy));
}

struct Bilinear {
    static uint32_t sample(const PictureView& p, int64_t s, double u, double v, int32_t pc, int32_t pr)
    {
        return blendPixel(p, neighbours(p, s, pc, pr), u - pc, v - pr);
    }
};

struct SmoothBilinear {
    // 3t^2 - 2t^3 of the fraction's magnitude: flat near the samples,
    // steepest half-way between them.
    static double weight(double fraction)
    {
        const double t = std::fabs(fraction);
        return 1.0 - ((2.0 * t * t * t - 3.0 * t * t) + 1.0);
    }

    static uint32_t sample(const PictureView& p, int64_t s, double u, double v, int32_t pc, int32_t pr)
    {
        return blendPixel(p, neighbours(p, s, pc, pr), weight(u - pc), weight(v - pr));
    }
};

bool isFinite(const InverseMap& m)
{
    return std::isfinite(m.uStepX) && std::isfinite(m.uStepY) && std::isfinite(m.uBase) && std::isfinite(m.vStepX)
           && std::isfinite(m.vStepY) && std::isfinite(m.vBase);
}

template <class Filter>
class SpanRasterizer {
public:
    // Draws only rows firstRow..lastRow-1 of the spans.
    SpanRasterizer(const InverseMap& map, const FrameSurface& frame, const PictureView& picture, int32_t firstRow,
                   int32_t lastRow)
        : map_(map), frame_(frame), picture_(picture), firstRow_(std::max(firstRow, 0)),
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
        uint32_t* out = frame_.pixels + int64_t{row} * frame_.stride;
        // Each row restarts u and v from the map, so error never builds up
        // from row to row; along the row they move by one addition each.
        const double x = static_cast<double>(begin);
        double u = map_.uStepX * x + map_.uStepY * row + map_.uBase;
        double v = map_.vStepX * x + map_.vStepY * row + map_.vBase;
        for (int64_t column = begin; column < end; ++column) {
            const double uc = clampToInt32Range(u);
            const double vc = clampToInt32Range(v);
            const int32_t pc = static_cast<int32_t>(uc);
            const int32_t pr = static_cast<int32_t>(vc);
            // Only the linear index is checked: a column just outside the
            // picture reads the edge sample of the neighbouring row.
            const int64_t s = int64_t{pr} * picture_.width + pc;
            if (s >= 0 && s < picture_.samples)
                out[column] = Filter::sample(picture_, s, uc, vc, pc, pr);
            u += map_.uStepX;
            v += map_.vStepX;
        }
    }

    const InverseMap& map_;
    const FrameSurface& frame_;
    const PictureView& picture_;
    const int32_t firstRow_;
    const int32_t lastRow_;
};

// Below this many frame pixels a second thread costs more than it saves.
constexpr int64_t parallelMinimumPixels = 1 << 17;

// Every row is drawn from the map and the borders alone, so the rows split
// between two threads come out exactly as on one. Both walk the borders
// from the top break, so they move them by the same additions.
template <class Filter>
void rasterizeWith(const InverseMap& map, const FrameSurface& frame, const PictureView& view)
{
    const int64_t pixels = int64_t{frame.width} * frame.height;
    if (renderThreads < 2 || pixels < parallelMinimumPixels) {
        SpanRasterizer<Filter>(map, frame, view, 0, frame.height).drawSpans();
        return;
    }
    int32_t lastBreak = 0;
    while (lastBreak + 1 < int32_t(spanBreaks.size()) && spanBreaks[size_t(lastBreak) + 1].y >= 0.0)
        ++lastBreak;
    const int32_t top = truncToInt(std::ceil(spanBreaks[0].y));
    const int32_t bottom = truncToInt(std::ceil(spanBreaks[size_t(lastBreak)].y));
    const int32_t middle = top + (bottom - top) / 2;
    runBothHalves([&] { SpanRasterizer<Filter>(map, frame, view, 0, middle).drawSpans(); },
                  [&] { SpanRasterizer<Filter>(map, frame, view, middle, frame.height).drawSpans(); });
}

} // namespace

void rasterizePicture(const InverseMap& map, const FrameSurface& frame)
{
    const PictureView view = viewOfPicture();
    if (!frame.pixels || view.samples == 0 || !isFinite(map))
        return;
    switch (filterIndex) {
    case 1:
        rasterizeWith<Bilinear>(map, frame, view);
        break;
    case 2:
        rasterizeWith<SmoothBilinear>(map, frame, view);
        break;
    default:
        rasterizeWith<Nearest>(map, frame, view);
        break;
    }
}

uint32_t samplePicture(int32_t filter, int64_t s, double u, double v, int32_t pc, int32_t pr)
{
    const PictureView view = viewOfPicture();
    if (s < 0 || s >= view.samples)
        return 0;
    switch (filter) {
    case 1:
        return Bilinear::sample(view, s, u, v, pc, pr);
    case 2:
        return SmoothBilinear::sample(view, s, u, v, pc, pr);
    default:
        return Nearest::sample(view, s, u, v, pc, pr);
    }
}
