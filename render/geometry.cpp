#include "render/geometry.h"

#include <algorithm>
#include <cmath>

#include "jpeg/globals.h"
#include "jpeg/output/picture.h"

std::array<ControlPoint, 4> controlPoints{};
int32_t point3Dragged = 0;
std::array<SpanBreak, 15> spanBreaks{};

namespace {

constexpr double markerReach = 7.0;  // half the hit box, exclusive
constexpr int32_t drawingInset = 20;
constexpr double pi = 3.14159;  // the wheel's angle uses this value of pi

bool withinReach(double point, double pointer)
{
    return point - markerReach < pointer && pointer < point + markerReach;
}

// The client rectangle inset by 20 pixels, computed in integers first.
struct DrawingRect {
    double xMin;
    double xMax;
    double yMin;
    double yMax;

    bool contains(const ControlPoint& p) const { return yMin <= p.y && p.y <= yMax && xMin <= p.x && p.x <= xMax; }
};

DrawingRect drawingRect(const Rect& client)
{
    return {static_cast<double>(int64_t{client.left} + drawingInset),
            static_cast<double>(int64_t{client.right} - drawingInset),
            static_cast<double>(int64_t{client.top} + drawingInset),
            static_cast<double>(int64_t{client.bottom} - drawingInset)};
}

// Edges run 1 to 2, 2 to 3, 3 to 4, 4 to 1.
struct Edge {
    ControlPoint a;
    ControlPoint b;
};

Edge edge(size_t index) { return {controlPoints[index], controlPoints[(index + 1) % 4]}; }

bool straddles(double a, double b, double value) { return (a < value && value < b) || (b < value && value < a); }

// Heights where the visible outline may bend, written to spanBreaks[].y.
class BreakHeights {
public:
    explicit BreakHeights(const DrawingRect& rect) : rect_(rect) {}

    size_t collect()
    {
        for (size_t i = 0; i < 4; ++i)
            collectFromEdge(edge(i));
        return count_;
    }

private:
    void add(double y) { spanBreaks[count_++].y = y; }

    void collectFromEdge(const Edge& e)
    {
        if (!haveYMin_ && straddles(e.a.y, e.b.y, rect_.yMin)) {
            add(rect_.yMin);
            haveYMin_ = true;
        }
        if (!haveYMax_ && straddles(e.a.y, e.b.y, rect_.yMax)) {
            add(rect_.yMax);
            haveYMax_ = true;
        }
        if (rect_.contains(e.a))
            add(e.a.y);
        collectSideCrossing(e, rect_.xMin);
        collectSideCrossing(e, rect_.xMax);
    }

    void collectSideCrossing(const Edge& e, double side)
    {
        if (!straddles(e.a.x, e.b.x, side))
            return;
        const double y = (side - e.a.x) * (e.b.y - e.a.y) / (e.b.x - e.a.x) + e.a.y;
        if (rect_.yMin <= y && y <= rect_.yMax)  // false for NaN
            add(y);
    }

    DrawingRect rect_;
    size_t count_ = 0;
    bool haveYMin_ = false;
    bool haveYMax_ = false;
};

// Raises x to low, then lowers it to high; NaN (from points at infinity)
// becomes low.
double clampSpanX(double x, double low, double high)
{
    if (!(x >= low))
        x = low;
    return x > high ? high : x;
}

void fillSpan(SpanBreak& record, const DrawingRect& rect)
{
    bool found = false;
    double left = rect.xMin;
    double right = rect.xMin;
    for (size_t i = 0; i < 4; ++i) {
        const Edge e = edge(i);
        const bool qualifies =
            std::min(e.a.y, e.b.y) <= record.y && record.y <= std::max(e.a.y, e.b.y) && e.b.y != e.a.y;
        if (!qualifies)
            continue;
        const double x = (e.b.x - e.a.x) * (record.y - e.a.y) / (e.b.y - e.a.y) + e.a.x;
        left = found ? std::min(left, x) : x;
        right = found ? std::max(right, x) : x;
        found = true;
    }
    record.left = clampSpanX(left, rect.xMin, rect.xMax);
    record.right = clampSpanX(right, rect.xMin, rect.xMax);
}

}  // namespace

int32_t hitTestControlPoint(double mx, double my)
{
    int32_t hit = -1;
    for (int32_t k = 1; k <= 4; ++k) {
        const ControlPoint& p = controlPoints[k - 1];
        if (withinReach(p.x, mx) && withinReach(p.y, my))
            hit = k;
    }
    return hit;
}

void moveControlPoint(int32_t k, double mx, double my)
{
    if (k < 1 || k > 4)
        return;
    controlPoints[k - 1] = {mx, my};
    point3Dragged = k == 3 ? 1 : 0;
}

void panView(double dx, double dy)
{
    for (ControlPoint& p : controlPoints) {
        p.x += dx;
        p.y += dy;
    }
}

void rotateView(double px, double py, double degrees)
{
    const double angle = degrees * pi / 180.0;
    const double c = std::cos(angle);
    const double s = std::sin(angle);
    for (ControlPoint& p : controlPoints) {
        const double dx = p.x - px;
        const double dy = p.y - py;
        p = {px + dx * c - dy * s, py + dx * s + dy * c};
    }
}

void zoomView(double px, double py, double factor)
{
    for (ControlPoint& p : controlPoints)
        p = {px + (p.x - px) * factor, py + (p.y - py) * factor};
}

void completeParallelogram()
{
    ControlPoint& p1 = controlPoints[0];
    ControlPoint& p2 = controlPoints[1];
    ControlPoint& p3 = controlPoints[2];
    ControlPoint& p4 = controlPoints[3];
    if (point3Dragged) {
        p2.x = p3.x - p4.x + p1.x;
        p4.y = p3.y - p2.y + p1.y;
    } else {
        p3 = {p4.x - p1.x + p2.x, p4.y - p1.y + p2.y};
    }
}

void buildSpanBreaks(const Rect& client)
{
    spanBreaks.fill(SpanBreak{});
    const DrawingRect rect = drawingRect(client);
    const size_t count = BreakHeights(rect).collect();
    // At most 14 records: an insertion sort is all it takes.
    for (size_t i = 1; i < count; ++i)
        for (size_t j = i; j > 0 && spanBreaks[j].y < spanBreaks[j - 1].y; --j)
            std::swap(spanBreaks[j], spanBreaks[j - 1]);
    for (size_t i = 0; i < count; ++i)
        fillSpan(spanBreaks[i], rect);
}

InverseMap computeInverseMap(int32_t filter)
{
    const auto [x1, y1] = controlPoints[0];
    const auto [x2, y2] = controlPoints[1];
    const auto [x3, y3] = controlPoints[2];
    // Filters 1 and 2 also read the next column and row, so they spread one
    // sample less over the parallelogram.
    const int32_t inset = (filter == 1 || filter == 2) ? 1 : 0;
    const double cw = static_cast<double>(picture.width[0]) - inset;
    const double ch = static_cast<double>(picture.height[0]) - inset;
    const double d = (x2 - x1) * (y3 - y1) - (x3 - x1) * (y2 - y1);

    InverseMap map;
    map.uStepX = cw * (y3 - y2) / d;
    map.uStepY = cw * (x2 - x3) / d;
    map.uBase = -(map.uStepX * x1 + map.uStepY * y1);
    map.vStepX = ch * (y1 - y2) / d;
    map.vStepY = ch * (x2 - x1) / d;
    map.vBase = -(map.vStepX * x1 + map.vStepY * y1);
    return map;
}
