#pragma once

#include <array>
#include <cstdint>

#include "render/rect.h"

// The picture is texture-mapped into a parallelogram whose corners are four
// control points in client pixels (x right, y down):
//   1 top-left, 2 top-right, 3 bottom-right, 4 bottom-left of the picture.
// Point k is controlPoints[k - 1]. The points are unbounded.
struct ControlPoint {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const ControlPoint&, const ControlPoint&) = default;
};

extern std::array<ControlPoint, 4> controlPoints;
// Point 3 was the one moved last (1) or not (0): completeParallelogram then
// keeps it and moves 2 and 4 instead.
extern int32_t point3Dragged;

// Where the start-up load puts them.
inline constexpr std::array<ControlPoint, 4> startupControlPoints{
    {{100.0, 100.0}, {600.0, 100.0}, {600.0, 600.0}, {100.0, 600.0}}};

// Edits made by the mouse commands.

// The number (1..4) of the point whose 13-pixel box holds the pointer, the
// highest number when boxes overlap; -1 for none (a drag then pans).
int32_t hitTestControlPoint(double mx, double my);
// Point k jumps to (mx, my); remembers whether point 3 was the one moved.
void moveControlPoint(int32_t k, double mx, double my);
void panView(double dx, double dy);
// Positive degrees turn clockwise on screen (y grows downwards).
void rotateView(double px, double py, double degrees);
void zoomView(double px, double py, double factor);

// The zoom of one wheel step, in (the wheel turned towards the user) and
// out. Not reciprocal: a step in and one out leave 0.99 of the size.
inline constexpr double zoomInStep = 1.1;
inline constexpr double zoomOutStep = 0.9;

// Per-frame steps, in this order.

// Makes the points a parallelogram again: point 3 follows 1, 2 and 4, or,
// when point 3 was dragged last, points 2 and 4 give way to it.
void completeParallelogram();

// At height y the visible part of the parallelogram covers x from left to
// right; the outline is straight between consecutive breaks.
struct SpanBreak {
    double y = -1.0;
    double left = -1.0;
    double right = -1.0;
};

// Sorted by y; the first record with a negative y ends the list. At most
// 14 are filled, so the last record always ends it.
extern std::array<SpanBreak, 15> spanBreaks;

// Clips the parallelogram to the client rectangle inset by 20 pixels.
void buildSpanBreaks(const Rect& client);

// Maps frame pixel (x, y) to picture column u and row v:
//   u = uStepX*x + uStepY*y + uBase,  v = vStepX*x + vStepY*y + vBase.
struct InverseMap {
    double uStepX = 0.0;
    double uStepY = 0.0;
    double uBase = 0.0;
    double vStepX = 0.0;
    double vStepY = 0.0;
    double vBase = 0.0;
};

// Sends points 1, 2, 3 to the picture's corners (0, 0), (cw, 0), (cw, ch),
// where the extents are the picture's size, one less for the filters that
// read the next column and row (1 Bilinear, 2 SmoothBilinear). Points 1,
// 2, 3 on one line give non-finite coefficients, which draw nothing.
InverseMap computeInverseMap(int32_t filter);
