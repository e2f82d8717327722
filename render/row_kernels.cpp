// The four-lane double vectors would be passed differently with and
// without AVX; GCC warns about that, but they never cross a call: every
// function taking them is forced inline. The filters' weights in the
// header take them too, hence the place before the includes.
#pragma GCC diagnostic ignored "-Wpsabi"

#include "render/row_kernels.h"

#include <bit>
#include <cstddef>
#include <cstring>
#include <type_traits>

#if defined(__x86_64__) || defined(__SSE2__)
#include <immintrin.h>
#endif

#include "render/truncate.h"

// A row goes four columns at a time (row_kernel_body.h), eight in the
// AVX2 and AVX-512 builds (row_kernel_octet.h). Their positions come from
// the same additions, one column after the other, and then travel as
// vectors: truncated and weighted lane by lane. When all the cells lie
// well inside the picture, where no edge rule applies, the filter draws
// them together, each channel's arithmetic spread over the lanes;
// otherwise, and for the last columns, each pixel follows the per-pixel
// rules of sample_filters.h. Lane by lane the vector code does those
// rules' double operations in the same order, so all ways give the same
// bits.
//
// The vector types are GCC/Clang extensions: SSE2 code on plain x86-64,
// AVX2 and AVX-512 code in the namespaces below, whatever the target
// offers elsewhere. Nothing here may be contracted into fused
// multiply-adds, which round once instead of twice: the AVX-512 build has
// them, so CMakeLists.txt compiles this file with -ffp-contract=off.

namespace {

using Double4 = double __attribute__((vector_size(32)));
using Int32x4 = int32_t __attribute__((vector_size(16)));
using Uint32x4 = uint32_t __attribute__((vector_size(16)));
using Uint64x2 = uint64_t __attribute__((vector_size(16)));

constexpr int32_t lanes = 4;

template <class To, class From>
[[gnu::always_inline]] inline To convert(From value)
{
    return __builtin_convertvector(value, To);
}

// The truncations of four positions, for the cells of the fast paths. A
// position outside the int32 range, or NaN, may give any cell there, but
// only one the fast paths refuse: INT_MIN from the x86 instructions, the
// saturated value elsewhere. Those pixels go to the per-pixel rules, which
// saturate as they must.

// The portable drawers.
namespace portable {

[[gnu::always_inline]] inline Double4 toDouble(Int32x4 value) { return convert<Double4>(value); }

[[gnu::always_inline]] inline Int32x4 cellsOf(Double4 positions)
{
#if defined(__SSE2__)
    const auto low = reinterpret_cast<__m128d>(__builtin_shufflevector(positions, positions, 0, 1));
    const auto high = reinterpret_cast<__m128d>(__builtin_shufflevector(positions, positions, 2, 3));
    return reinterpret_cast<Int32x4>(_mm_unpacklo_epi64(_mm_cvttpd_epi32(low), _mm_cvttpd_epi32(high)));
#else
    const Double4 low = Double4{} - 2147483648.0;
    const Double4 high = Double4{} + 2147483647.0;
    const Double4 raised = low < positions ? positions : low;
    return convert<Int32x4>(high < raised ? high : raised);
#endif
}

#include "render/row_kernel_body.h"

template <class Filter>
void drawRow(const PictureView& p, const RowWalk& row)
{
    drawRowBody<Filter>(p, row);
}

}  // namespace portable

constexpr RowKernel portableKernels[] = {portable::drawRow<Nearest>, portable::drawRow<Bilinear>,
                                         portable::drawRow<SmoothBilinear>};

// Everything defined from here to the matching pop is compiled for AVX2,
// where one instruction converts four lanes; nothing with external linkage
// is, so no AVX2 code can stand in for portable code at link time. Clang
// refuses to hand four-lane vectors from AVX2 code to the filters' weights,
// which are compiled without it, so its builds (the fuzzers) keep to the
// portable drawers; the same holds for the AVX-512 build further down.
#if defined(__x86_64__) && !defined(__clang__)
#define ROW_KERNELS_WIDE 1
#else
#define ROW_KERNELS_WIDE 0
#endif
#if ROW_KERNELS_WIDE
constexpr int32_t octetColumns = 8;

#pragma GCC push_options
#pragma GCC target("avx2")

namespace avx2 {

[[gnu::always_inline]] inline Double4 toDouble(Int32x4 value)
{
    return reinterpret_cast<Double4>(_mm256_cvtepi32_pd(reinterpret_cast<__m128i>(value)));
}

[[gnu::always_inline]] inline Int32x4 cellsOf(Double4 positions)
{
    return reinterpret_cast<Int32x4>(_mm256_cvttpd_epi32(reinterpret_cast<__m256d>(positions)));
}

#include "render/row_kernel_body.h"
// The build's own vector steps, then the eight-column drawers made of them.
#include "render/row_kernel_avx2.h"
#include "render/row_kernel_octet.h"

}  // namespace avx2

#pragma GCC pop_options

constexpr RowKernel avx2Kernels[] = {avx2::drawRow<Nearest>, avx2::drawRow<Bilinear>, avx2::drawRow<SmoothBilinear>};

// The same for AVX-512, whose eight-lane conversions between integers and
// doubles are what the blending filters wait for most.
#pragma GCC push_options
#pragma GCC target("avx512f,avx512vl,avx512bw,avx512dq")
// GCC 12's AVX-512 intrinsics start from deliberately undefined vectors,
// which its uninitialised-use warning takes for mistakes.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

namespace avx512 {

using avx2::cellsOf;
using avx2::toDouble;

#include "render/row_kernel_body.h"
// The build's own vector steps, then the eight-column drawers made of them.
#include "render/row_kernel_avx512.h"
#include "render/row_kernel_octet.h"

}  // namespace avx512

#pragma GCC diagnostic pop
#pragma GCC pop_options

constexpr RowKernel avx512Kernels[] = {avx512::drawRow<Nearest>, avx512::drawRow<Bilinear>,
                                       avx512::drawRow<SmoothBilinear>};

bool processorHasAvx512()
{
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512vl") &&
           __builtin_cpu_supports("avx512bw") && __builtin_cpu_supports("avx512dq");
}
#endif

}  // namespace

RowKernel rowKernelFor(int32_t filter, [[maybe_unused]] VectorBuild widest)
{
    const size_t index = filter == 1 || filter == 2 ? static_cast<size_t>(filter) : 0;
#if ROW_KERNELS_WIDE
    if (widest >= VectorBuild::avx512 && processorHasAvx512())
        return avx512Kernels[index];
    if (widest >= VectorBuild::avx2 && __builtin_cpu_supports("avx2"))
        return avx2Kernels[index];
#endif
    return portableKernels[index];
}
