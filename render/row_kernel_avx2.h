// The AVX2 build's vector steps for the eight-column drawers of
// row_kernel_octet.h: positions as two four-lane halves, each channel's
// samples and integer steps in 16-bit lanes, widened to four doubles at a
// time only for the very multiplications and additions of
// sample_filters.h, in the same order. render/row_kernels.cpp includes
// this file inside its avx2 namespace; hence no include guard.

// One coordinate along a row, its positions guessed eight at a time as
// row_kernel_octet.h tells.
struct Track {
    Double4 next;  // the next column's position, in every lane
    Double4 step;
    // k times the increment for k = 0-3, 1-4, 4-7 and 5-8: the columns of
    // the guess and those that must follow them.
    Double4 guess[4];
    Double4 stride;  // 8 times it, in every lane
};

[[gnu::always_inline]] inline void learnIncrement(Track& t, double increment)
{
    const Double4 r = Double4{} + increment;
    t.guess[0] = r * Double4{0.0, 1.0, 2.0, 3.0};
    t.guess[1] = r * Double4{1.0, 2.0, 3.0, 4.0};
    t.guess[2] = r * Double4{4.0, 5.0, 6.0, 7.0};
    t.guess[3] = r * Double4{5.0, 6.0, 7.0, 8.0};
    t.stride = r * 8.0;
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
    // The last follower, computed the same way.
    t.next += t.stride;
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

[[gnu::always_inline]] inline const Quad& quadOf(const Octet& o, int32_t half) { return o.quads[half]; }

// allInside for eight cells. Flipping the top bit lets the signed
// comparison order the cells as unsigned, so negative ones fail too.
[[gnu::always_inline]] inline bool allInside(const PictureView& p, const Octet& o, int32_t margin)
{
    const __m256i flip = _mm256_set1_epi32(INT32_MIN);
    const __m256i columns = _mm256_set1_epi32(p.width - margin) ^ flip;
    const __m256i rows = _mm256_set1_epi32(p.height - margin) ^ flip;
    const __m256i inside = _mm256_cmpgt_epi32(columns, o.columns ^ flip) & _mm256_cmpgt_epi32(rows, o.rows ^ flip);
    return _mm256_movemask_epi8(inside) == -1;
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

// blendChannel for eight cells from the pairs of their upper and lower
// rows, as bytes in the low half. The unsigned saturation of the last pack
// is the clamp to 0..255.
[[gnu::always_inline]] inline __m128i blendOctetChannel(__m128i upper, __m128i lower, const OctetWeights& w)
{
    const __m128i top = blendPairs(upper, w.x);
    const __m128i bottom = blendPairs(lower, w.x);
    const Halves t = toDoubles(top);
    const Halves d = toDoubles(_mm_sub_epi16(bottom, top));
    const __m128i value = truncateToWords({t.first + w.y.first * d.first, t.second + w.y.second * d.second});
    return _mm_packus_epi16(value, value);
}
