// The row drawers of the AVX2 and AVX-512 builds, eight columns at a time.
// render/row_kernels.cpp includes this file inside the namespace of each
// build, after row_kernel_body.h, whose four-column and per-pixel drawers
// take over wherever the eight cells do not all lie well inside the
// picture and for a row's last columns, and after the build's own vector
// steps (row_kernel_avx2.h, row_kernel_avx512.h): Track, startTrack,
// advance, Octet, octetAt, quadOf, allInside, OctetWeights, weightsOf and
// blendOctetChannel. Hence no include guard.
//
// Each column's position is the previous one plus the step, rounded: as a
// chain of additions that would bound the row's speed. While the positions
// stay within one binade the rounded increment repeats, so a Track guesses
// the next eight at once from the last increment seen, and keeps them only
// if adding the step to each gives, bit for bit, the following one: the
// very additions of the chain, done side by side. A guess that fails, where
// the binade changes, gives way to the eight additions one after the
// other, which show the increment anew.
//
// The cells of eight columns are checked and indexed in one go; the
// samples themselves are read one pair at a time, as gathers are slower
// than plain loads here.

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

// Four sample pairs, the first in the low 16 bits: put together in an
// integer register, as the integer units are idle while the vector ones
// blend, and inserting each pair into a vector costs more.
[[gnu::always_inline]] inline uint64_t fourPairsAt(const uint8_t* plane, const uint32_t* s)
{
    const auto pair = [&](int32_t lane) { return static_cast<uint64_t>(pairAt(plane, s[lane])); };
    return pair(0) | pair(1) << 16 | pair(2) << 32 | pair(3) << 48;
}

// The sample pair at each of the eight indexes, the left sample in the low
// byte of a 16-bit lane. The halves go into the vector one at a time: as
// one two-lane construction GCC would vectorise the integer work above.
[[gnu::always_inline]] inline __m128i pairsAt(const uint8_t* plane, const OctetIndexes& i)
{
    const __m128i low = _mm_cvtsi64_si128(static_cast<int64_t>(fourPairsAt(plane, i.s)));
    return _mm_insert_epi64(low, static_cast<int64_t>(fourPairsAt(plane, i.s + lanes)), 1);
}

// blendChannel for the eight cells, as bytes in the low half.
[[gnu::always_inline]] inline __m128i blendOctetChannel(const uint8_t* plane, int32_t width, const OctetIndexes& i,
                                                        const OctetWeights& w)
{
    return blendOctetChannel(pairsAt(plane, i), pairsAt(plane + width, i), w);
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
    storeOctet(out, blendOctetChannel(p.red, p.width, i, w), blendOctetChannel(p.green, p.width, i, w),
               blendOctetChannel(p.blue, p.width, i, w));
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
    drawQuad<Filter>(p, quadOf(o, 0), out);
    drawQuad<Filter>(p, quadOf(o, 1), out + lanes);
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
