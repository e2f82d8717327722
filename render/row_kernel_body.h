// The row drawers of render/row_kernels.cpp, once per instruction set:
// that file includes this one inside a namespace of its own for each,
// after defining there the two conversions that differ between them,
// toDouble and cellsOf, and the vector types. Hence no include guard.

[[gnu::always_inline]] inline bool allLanes(Int32x4 mask)
{
    Uint64x2 halves;
    std::memcpy(&halves, &mask, sizeof halves);
    return (halves[0] & halves[1]) == ~uint64_t{0};
}

// Four consecutive columns: their positions and cells.
struct Quad {
    Double4 u;
    Double4 v;
    Int32x4 pc;
    Int32x4 pr;
};

// Whether all four cells have their column in 0..width-1-margin and their
// row in 0..height-1-margin.
[[gnu::always_inline]] inline bool allInside(const PictureView& p, const Quad& q, int32_t margin)
{
    const auto columns = static_cast<uint32_t>(p.width - margin);
    const auto rows = static_cast<uint32_t>(p.height - margin);
    return allLanes((reinterpret_cast<Uint32x4>(q.pc) < columns) & (reinterpret_cast<Uint32x4>(q.pr) < rows));
}

// The sample indexes of four cells that allInside accepted. They are below
// maxSamples, so 32-bit lanes compute them.
struct Indexes {
    size_t s[lanes];
};

[[gnu::always_inline]] inline Indexes sampleIndexes(const PictureView& p, const Quad& q)
{
    const Uint32x4 s =
        reinterpret_cast<Uint32x4>(q.pr) * static_cast<uint32_t>(p.width) + reinterpret_cast<Uint32x4>(q.pc);
    return {{s[0], s[1], s[2], s[3]}};
}

[[gnu::always_inline]] inline Uint32x4 packPixels(Int32x4 red, Int32x4 green, Int32x4 blue)
{
    return reinterpret_cast<Uint32x4>((red << 16) | (green << 8) | blue);
}

[[gnu::always_inline]] inline void storePixels(uint32_t* out, Uint32x4 pixels)
{
    std::memcpy(out, &pixels, sizeof pixels);
}

// Nearest: the sample of each cell, read one by one.
[[gnu::always_inline]] inline void drawNearestQuad(const PictureView& p, const Quad& q, uint32_t* out)
{
    const Indexes i = sampleIndexes(p, q);
    for (int32_t lane = 0; lane < lanes; ++lane)
        out[lane] = Nearest::sample(p, static_cast<int64_t>(i.s[lane]), 0.0, 0.0, 0, 0);
}

// A sample and its right neighbour, the left one in the low byte: one
// two-byte load.
[[gnu::always_inline]] inline int32_t pairAt(const uint8_t* plane, size_t s)
{
    uint16_t pair;
    std::memcpy(&pair, plane + s, sizeof pair);
    if constexpr (std::endian::native == std::endian::big)
        pair = static_cast<uint16_t>(pair >> 8 | pair << 8);
    return pair;
}

// blendChannel for four cells at once, one cell per lane.
[[gnu::always_inline]] inline Int32x4 blendChannelQuad(const uint8_t* plane, int32_t width, const Indexes& i,
                                                       Double4 wx, Double4 wy)
{
    const uint8_t* below = plane + width;
    const Int32x4 upper = {pairAt(plane, i.s[0]), pairAt(plane, i.s[1]), pairAt(plane, i.s[2]), pairAt(plane, i.s[3])};
    const Int32x4 lower = {pairAt(below, i.s[0]), pairAt(below, i.s[1]), pairAt(below, i.s[2]), pairAt(below, i.s[3])};
    const Int32x4 p00 = upper & 0xFF;
    const Int32x4 p01 = lower & 0xFF;
    const Int32x4 top = p00 + convert<Int32x4>(wx * toDouble((upper >> 8) - p00));
    const Int32x4 bottom = p01 + convert<Int32x4>(wx * toDouble((lower >> 8) - p01));
    const Int32x4 value = convert<Int32x4>(toDouble(top) + wy * toDouble(bottom - top));
    const Int32x4 raised = value < 0 ? 0 : value;
    return raised > 255 ? 255 : raised;
}

template <class Filter>
[[gnu::always_inline]] inline void drawBlendQuad(const PictureView& p, const Quad& q, uint32_t* out)
{
    const Indexes s = sampleIndexes(p, q);
    const Double4 wx = Filter::weight(q.u - toDouble(q.pc));
    const Double4 wy = Filter::weight(q.v - toDouble(q.pr));
    storePixels(out,
                packPixels(blendChannelQuad(p.red, p.width, s, wx, wy), blendChannelQuad(p.green, p.width, s, wx, wy),
                           blendChannelQuad(p.blue, p.width, s, wx, wy)));
}

// One pixel by the per-pixel rules.
template <class Filter>
[[gnu::always_inline]] inline void drawPixel(const PictureView& p, double u, double v, uint32_t* out)
{
    const double uc = clampToInt32Range(u);
    const double vc = clampToInt32Range(v);
    const auto pc = static_cast<int32_t>(uc);
    const auto pr = static_cast<int32_t>(vc);
    // Only the linear index is checked: a column just outside the picture
    // reads the edge sample of the neighbouring row.
    const int64_t s = int64_t{pr} * p.width + pc;
    if (s >= 0 && s < p.samples)
        *out = Filter::sample(p, s, uc, vc, pc, pr);
}

template <class Filter>
[[gnu::always_inline]] inline void drawQuad(const PictureView& p, const Quad& q, uint32_t* out)
{
    if constexpr (std::is_same_v<Filter, Nearest>) {
        if (allInside(p, q, 0))
            return drawNearestQuad(p, q, out);
    } else {
        // Cells short of the last column and row have all four samples.
        if (allInside(p, q, 1))
            return drawBlendQuad<Filter>(p, q, out);
    }
    for (int32_t lane = 0; lane < lanes; ++lane)
        drawPixel<Filter>(p, q.u[lane], q.v[lane], out + lane);
}

// Four positions from start, each the previous one plus step; start moves
// on to the fifth.
[[gnu::always_inline]] inline Double4 advance(double& start, double step)
{
    const double second = start + step;
    const double third = second + step;
    const double fourth = third + step;
    const Double4 positions = {start, second, third, fourth};
    start = fourth + step;
    return positions;
}

template <class Filter>
[[gnu::always_inline]] inline void drawRowBody(const PictureView& p, const RowWalk& row)
{
    double u = row.u;
    double v = row.v;
    int64_t column = row.begin;
    for (; row.end - column >= lanes; column += lanes) {
        Quad q;
        q.u = advance(u, row.uStep);
        q.v = advance(v, row.vStep);
        q.pc = cellsOf(q.u);
        q.pr = cellsOf(q.v);
        drawQuad<Filter>(p, q, row.out + column);
    }
    for (; column < row.end; ++column, u += row.uStep, v += row.vStep)
        drawPixel<Filter>(p, u, v, row.out + column);
}
