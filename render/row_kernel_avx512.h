// The AVX-512 build's vector steps for the eight-column drawers of
// row_kernel_octet.h: the eight positions, weights and blends of an octet
// each fill one eight-lane double vector, and the conversions between
// integers and doubles, which bound the blending filters, handle eight
// lanes for the price of four. The arithmetic is that of sample_filters.h,
// lane by lane and in the same order. render/row_kernels.cpp includes this
// file inside its avx512 namespace; hence no include guard.

using Double8 = double __attribute__((vector_size(64)));

// One coordinate along a row, its positions guessed eight at a time as
// row_kernel_octet.h tells.
struct Track {
    Double8 next;  // the next column's position, in every lane
    Double8 step;
    Double8 guess;      // 0-7 times the increment
    Double8 followers;  // 1-8 times it
    Double8 stride;     // 8 times it, in every lane
};

[[gnu::always_inline]] inline void learnIncrement(Track& t, double increment)
{
    const Double8 r = Double8{} + increment;
    t.guess = r * Double8{0.0, 1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0};
    t.followers = r * Double8{1.0, 2.0, 3.0, 4.0, 5.0, 6.0, 7.0, 8.0};
    t.stride = r * 8.0;
}

[[gnu::always_inline]] inline Track startTrack(double position, double step)
{
    Track t;
    t.next = Double8{} + position;
    t.step = Double8{} + step;
    learnIncrement(t, step);
    return t;
}

[[gnu::always_inline]] inline Double8 advanceOneByOne(Track& t)
{
    const double step = t.step[0];
    double position = t.next[0];
    Double8 positions;
    for (int32_t lane = 0; lane < octetColumns; ++lane, position += step)
        positions[lane] = position;
    learnIncrement(t, position - positions[octetColumns - 1]);
    t.next = Double8{} + position;
    return positions;
}

// The positions of the next eight columns; t.next moves on to the ninth.
[[gnu::always_inline]] inline Double8 advance(Track& t)
{
    // Lane 0 is the next position itself, even where adding zero would
    // turn -0.0 into 0.0.
    const Double8 guess = _mm512_mask_blend_pd(1, t.next + t.guess, t.next);
    const Double8 followers = t.next + t.followers;
    const __m512i chained = _mm512_castpd_si512(guess + t.step);
    if (_mm512_cmpneq_epi64_mask(chained, _mm512_castpd_si512(followers)) != 0) [[unlikely]]
        return advanceOneByOne(t);
    // The last follower, computed the same way.
    t.next += t.stride;
    return guess;
}

// Eight consecutive columns: their positions and cells.
struct Octet {
    Double8 u;
    Double8 v;
    __m256i columns;
    __m256i rows;
};

[[gnu::always_inline]] inline Octet octetAt(Double8 u, Double8 v)
{
    return {u, v, _mm512_cvttpd_epi32(u), _mm512_cvttpd_epi32(v)};
}

// Columns 0-3 (half 0) or 4-7 (half 1), for the four-column drawers.
[[gnu::always_inline]] inline Quad quadOf(const Octet& o, int32_t half)
{
    const auto cells = [half](__m256i all) {
        return reinterpret_cast<Int32x4>(half ? _mm256_extracti128_si256(all, 1) : _mm256_castsi256_si128(all));
    };
    const auto positions = [half](Double8 all) {
        return reinterpret_cast<Double4>(half ? _mm512_extractf64x4_pd(all, 1) : _mm512_castpd512_pd256(all));
    };
    return {positions(o.u), positions(o.v), cells(o.columns), cells(o.rows)};
}

// allInside for eight cells, compared as unsigned so that negative ones
// fail too.
[[gnu::always_inline]] inline bool allInside(const PictureView& p, const Octet& o, int32_t margin)
{
    const __mmask8 columns = _mm256_cmplt_epu32_mask(o.columns, _mm256_set1_epi32(p.width - margin));
    const __mmask8 rows = _mm256_cmplt_epu32_mask(o.rows, _mm256_set1_epi32(p.height - margin));
    return (columns & rows) == 0xFF;
}

struct OctetWeights {
    Double8 x;
    Double8 y;
};

template <class Filter>
[[gnu::always_inline]] inline OctetWeights weightsOf(const Octet& o)
{
    return {Filter::weight(o.u - _mm512_cvtepi32_pd(o.columns)), Filter::weight(o.v - _mm512_cvtepi32_pd(o.rows))};
}

// blendChannel for eight cells from the pairs of their upper and lower
// rows, as bytes in the low half. Both rows go through the integer steps
// together, the upper one in the low half of each vector: sixteen 16-bit
// lanes, then sixteen 32-bit ones.
[[gnu::always_inline]] inline __m128i blendOctetChannel(__m128i upper, __m128i lower, const OctetWeights& w)
{
    const __m256i pairs = _mm256_set_m128i(lower, upper);
    const __m256i left = _mm256_and_si256(pairs, _mm256_set1_epi16(0xFF));
    const __m512i differences = _mm512_cvtepi16_epi32(_mm256_sub_epi16(_mm256_srli_epi16(pairs, 8), left));
    const __m256i upperSteps = _mm512_cvttpd_epi32(w.x * _mm512_cvtepi32_pd(_mm512_castsi512_si256(differences)));
    const __m256i lowerSteps = _mm512_cvttpd_epi32(w.x * _mm512_cvtepi32_pd(_mm512_extracti64x4_epi64(differences, 1)));
    // p0 + trunc(w * (p1 - p0)): the top blends in the low half, the
    // bottom ones in the high half.
    const __m512i blends = _mm512_add_epi32(_mm512_cvtepu16_epi32(left),
                                            _mm512_inserti64x4(_mm512_castsi256_si512(upperSteps), lowerSteps, 1));
    const __m256i top = _mm512_castsi512_si256(blends);
    const __m256i bottom = _mm512_extracti64x4_epi64(blends, 1);
    const __m256i value =
        _mm512_cvttpd_epi32(_mm512_cvtepi32_pd(top) + w.y * _mm512_cvtepi32_pd(_mm256_sub_epi32(bottom, top)));
    // Raised to 0 here, lowered to 255 by the unsigned saturation.
    return _mm256_cvtusepi32_epi8(_mm256_max_epi32(value, _mm256_setzero_si256()));
}
