// The AVX2 build's row drawers, eight columns at a time. render/row_kernels.cpp
// includes this file inside its avx2 namespace, after row_kernel_body.h,
// whose four-column and per-pixel drawers take over wherever the eight
// cells do not all lie well inside the picture, and for a row's last
// columns. Hence no include guard.
//
// Eight columns make full use of the 256-bit integer lanes: the cells are
// checked and indexed in one go, and the blending filters keep each
// channel's samples and integer steps in 16-bit lanes, widening to four
// doubles at a time only for the very multiplications and additions of
// sample_filters.h, in the same order. The samples themselves are read one
// pair at a time: gathers are slower than plain loads here.

constexpr int32_t octetColumns = 8;

// One coordinate along a row. Each column's position is the previous one
// plus the step, rounded: as a chain of additions that would bound the
// row's speed. While the positions stay within one binade the rounded
// increment repeats, so the next eight are guessed at once from the last
// increment seen, and kept only if adding the step to each of them gives,
// bit for bit, the following one: the very additions of the chain, done
// side by side. A guess that fails, where the binade changes, gives way to
// the eight additions one after the other, which show the increment anew.
struct Track {
    Double4 next;  // the next column's position, in every lane
    Double4 step;
    // k times the increment for k = 0-3, 1-4, 4-7 and 5-8: the columns of
    // the guess and those that must follow them.
    Double4 guess[4];
};

[[gnu::always_inline]] inline void learnIncrement(Track& t, double increment)
{
    const Double4 r = Double4{} + increment;
    t.guess[0] = r * Double4{0.0, 1.0, 2.0, 3.0};
    t.guess[1] = r * Double4{1.0, 2.0, 3.0, 4.0};
    t.guess[2] = r * Double4{4.0, 5.0, 6.0, 7.0};
    t.guess[3] = r * Double4{5.0, 6.0, 7.0, 8.0};
}

[[gnu::always_inline]] inline Track startTrack(double position, double step)
{
    Track t;
    t.next = Double4{} + position;
    t.step = Double4{} + step;
    learnIncrement(t, step);
    return t;
}

// Columns 0-3 and 4-7 of an octet.
struct Halves {
    Double4 first;
    Double4 second;
};

[[gnu::always_inline]] inline Halves advanceOneByOne(Track& t)
{
    const double step = t.step[0];
    double position = t.next[0];
    Halves h;
    for (int32_t lane = 0; lane < lanes; ++lane, position += step)
        h.first[lane] = position;
    for (int32_t lane = 0; lane < lanes; ++lane, position += step)
        h.second[lane] = position;
    learnIncrement(t, position - h.second[lanes - 1]);
    t.next = Double4{} + position;
    return h;
}

[[gnu::always_inline]] inline __m256i sameBits(Double4 a, Double4 b)
{
    return _mm256_cmpeq_epi64(_mm256_castpd_si256(a), _mm256_castpd_si256(b));
}

// The positions of the next eight columns; t.next moves on to the ninth.
[[gnu::always_inline]] inline Halves advance(Track& t)
{
    // Lane 0 is the next position itself, even where adding zero would
    // turn -0.0 into 0.0.
    const Double4 first = _mm256_blend_pd(t.next + t.guess[0], t.next, 1);
    const Double4 firstFollowers = t.next + t.guess[1];
    const Double4 second = t.next + t.guess[2];
    const Double4 secondFollowers = t.next + t.guess[3];
    const __m256i chained = sameBits(first + t.step, firstFollowers) & sameBits(second + t.step, secondFollowers);
    if (!_mm256_testc_si256(chained, _mm256_set1_epi32(-1))) [[unlikely]]
        return advanceOneByOne(t);
    t.next = _mm256_permute4x64_pd(secondFollowers, 0xFF);
    return {first, second};
}

// Eight consecutive columns: as two quads, and the cells of all eight.
struct Octet {
    Quad quads[2];
    __m256i columns;
    __m256i rows;
};

[[gnu::always_inline]] inline Octet octetAt(const Halves& u, const Halves& v)
{
    Octet o;
    o.quads[0] = {u.first, v.first, cellsOf(u.first), cellsOf(v.first)};
    o.quads[1] = {u.second, v.second, cellsOf(u.second), cellsOf(v.second)};
    o.columns = _mm256_set_m128i(reinterpret_cast<__m128i>(o.quads[1].pc), reinterpret_cast<__m128i>(o.quads[0].pc));
    o.rows = _mm256_set_m128i(reinterpret_cast<__m128i>(o.quads[1].pr), reinterpret_cast<__m128i>(o.quads[0].pr));
    return o;
}

// allInside for eight cells. Flipping the top bit lets the signed
// comparison order the cells as unsigned, so negative ones fail too.
[[gnu::always_inline]] inline bool allInside(const PictureView& p, const Octet& o, int32_t margin)
{
    const __m256i flip = _mm256_set1_epi32(INT32_MIN);
    const __m256i columns = _mm256_set1_epi32(p.width - margin) ^ flip;
    const __m256i rows = _mm256_set1_epi32(p.height - margin) ^ flip;
    const __m256i inside =
        _mm256_cmpgt_epi32(columns, o.columns ^ flip) & _mm256_cmpgt_epi32(rows, o.rows ^ flip);
    return _mm256_movemask_epi8(inside) == -1;
}

// The sample indexes of eight cells that allInside accepted.
struct OctetIndexes {
    alignas(32) uint32_t s[octetColumns];
};

[[gnu::always_inline]] inline OctetIndexes sampleIndexes(const PictureView& p, const Octet& o)
{
    OctetIndexes i;
    const __m256i s = _mm256_add_epi32(_mm256_mullo_epi32(o.rows, _mm256_set1_epi32(p.width)), o.columns);
    _mm256_store_si256(reinterpret_cast<__m256i*>(i.s), s);
    return i;
}

[[gnu::always_inline]] inline void drawNearestOctet(const PictureView& p, const Octet& o, uint32_t* out)
{
    const OctetIndexes i = sampleIndexes(p, o);
#pragma GCC unroll 8
    for (int32_t lane = 0; lane < octetColumns; ++lane)
        out[lane] = Nearest::sample(p, i.s[lane], 0.0, 0.0, 0, 0);
}

// Eight 16-bit lanes, widened to doubles four at a time.
[[gnu::always_inline]] inline Halves toDoubles(__m128i values)
{
    const __m256i wide = _mm256_cvtepi16_epi32(values);
    return {_mm256_cvtepi32_pd(_mm256_castsi256_si128(wide)), _mm256_cvtepi32_pd(_mm256_extracti128_si256(wide, 1))};
}

// The truncations of two halves, as eight 16-bit lanes. The values stay far
// inside that range, so the saturating pack changes none.
[[gnu::always_inline]] inline __m128i truncateToWords(const Halves& h)
{
    return _mm_packs_epi32(_mm256_cvttpd_epi32(h.first), _mm256_cvttpd_epi32(h.second));
}

// Four sample pairs, the first in the low 16 bits: put together in an
// integer register, as the integer units are idle while the vector ones
// blend, and inserting each pair into a vector costs more.
[[gnu::always_inline]] inline uint64_t fourPairsAt(const uint8_t* plane, const uint32_t* s)
{
    const auto pair = [&](int32_t lane) { return static_cast<uint64_t>(pairAt(plane, s[lane])); };
    return pair(0) | pair(1) << 16 | pair(2) << 32 | pair(3) << 48;
}

// The sample pair at each of the eight indexes, the left sample in the low
// byte of a 16-bit lane.
[[gnu::always_inline]] inline __m128i pairsAt(const uint8_t* plane, const OctetIndexes& i)
{
    const __m128i low = _mm_cvtsi64_si128(static_cast<int64_t>(fourPairsAt(plane, i.s)));
    return _mm_insert_epi64(low, static_cast<int64_t>(fourPairsAt(plane, i.s + lanes)), 1);
}

struct OctetWeights {
    Halves x;
    Halves y;
};

template <class Filter>
[[gnu::always_inline]] inline OctetWeights weightsOf(const Octet& o)
{
    const Quad& a = o.quads[0];
    const Quad& b = o.quads[1];
    return {{Filter::weight(a.u - toDouble(a.pc)), Filter::weight(b.u - toDouble(b.pc))},
            {Filter::weight(a.v - toDouble(a.pr)), Filter::weight(b.v - toDouble(b.pr))}};
}

// p0 + trunc(w * (p1 - p0)) of blendChannel for eight pairs. With weights
// inside -1..1 the results lie in -255..510.
[[gnu::always_inline]] inline __m128i blendPairs(__m128i pairs, const Halves& w)
{
    const __m128i left = _mm_and_si128(pairs, _mm_set1_epi16(0xFF));
    const __m128i right = _mm_srli_epi16(pairs, 8);
    const Halves d = toDoubles(_mm_sub_epi16(right, left));
    return _mm_add_epi16(left, truncateToWords({w.first * d.first, w.second * d.second}));
}

// blendChannel for eight cells, as bytes in the low half. The unsigned
// saturation of the last pack is the clamp to 0..255.
[[gnu::always_inline]] inline __m128i blendChannelOctet(const uint8_t* plane, int32_t width, const OctetIndexes& i,
                                                        const OctetWeights& w)
{
    const __m128i top = blendPairs(pairsAt(plane, i), w.x);
    const __m128i bottom = blendPairs(pairsAt(plane + width, i), w.x);
    const Halves t = toDoubles(top);
    const Halves d = toDoubles(_mm_sub_epi16(bottom, top));
    const __m128i value = truncateToWords({t.first + w.y.first * d.first, t.second + w.y.second * d.second});
    return _mm_packus_epi16(value, value);
}

// Eight 0x00RRGGBB pixels from the bytes of the three channels.
[[gnu::always_inline]] inline void storeOctet(uint32_t* out, __m128i red, __m128i green, __m128i blue)
{
    const __m128i greenBlue = _mm_unpacklo_epi8(blue, green);
    const __m128i red16 = _mm_unpacklo_epi8(red, _mm_setzero_si128());
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi16(greenBlue, red16));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + lanes), _mm_unpackhi_epi16(greenBlue, red16));
}

template <class Filter>
[[gnu::always_inline]] inline void drawBlendOctet(const PictureView& p, const Octet& o, uint32_t* out)
{
    const OctetIndexes i = sampleIndexes(p, o);
    const OctetWeights w = weightsOf<Filter>(o);
    storeOctet(out, blendChannelOctet(p.red, p.width, i, w), blendChannelOctet(p.green, p.width, i, w),
               blendChannelOctet(p.blue, p.width, i, w));
}

template <class Filter>
[[gnu::always_inline]] inline void drawOctet(const PictureView& p, const Octet& o, uint32_t* out)
{
    if constexpr (std::is_same_v<Filter, Nearest>) {
        if (allInside(p, o, 0))
            return drawNearestOctet(p, o, out);
    } else {
        if (allInside(p, o, 1))
            return drawBlendOctet<Filter>(p, o, out);
    }
    drawQuad<Filter>(p, o.quads[0], out);
    drawQuad<Filter>(p, o.quads[1], out + lanes);
}

template <class Filter>
void drawRow(const PictureView& view, const RowWalk& row)
{
    // Frame pixels may alias the view's int32_t sizes, so every store would
    // make the compiler read them again; a local copy it can keep.
    const PictureView p = view;
    RowWalk rest = row;
    Track u = startTrack(row.u, row.uStep);
    Track v = startTrack(row.v, row.vStep);
    for (; rest.end - rest.begin >= octetColumns; rest.begin += octetColumns)
        drawOctet<Filter>(p, octetAt(advance(u), advance(v)), row.out + rest.begin);
    rest.u = u.next[0];
    rest.v = v.next[0];
    drawRowBody<Filter>(p, rest);
}
