#pragma once

#include <cstdint>
#include <cstring>
#include <initializer_list>

// An 8x8 block of uint32 held in vector lanes, so that each 1-D network
// runs on several columns (or, after a transpose, rows) at once. The
// vector types are the compiler's generic ones: + - * wrap like uint32_t,
// and each target lowers them to what it has. Narrow (4 lanes) fits every
// 128-bit unit; Wide (8 lanes) is compiled for AVX2 and chosen at run time.
//
// Nothing here takes or returns a vector by value across a call that might
// stay out of line: without AVX enabled, 32-byte vectors change the ABI.

namespace lanes {

typedef uint32_t U32x4 __attribute__((vector_size(16)));
typedef int32_t I32x4 __attribute__((vector_size(16)));
typedef uint32_t U32x8 __attribute__((vector_size(32)));
typedef int32_t I32x8 __attribute__((vector_size(32)));

template <class V>
struct SignedOf;
template <>
struct SignedOf<U32x4> {
    using type = I32x4;
};
template <>
struct SignedOf<U32x8> {
    using type = I32x8;
};
template <class V>
using Signed = typename SignedOf<V>::type;

struct Narrow {
    using V = U32x4;
};
struct Wide {
    using V = U32x8;
};

// Eight values of one column chunk (or row chunk, once transposed):
// x[k] holds element k of each of the chunk's lanes.
template <class V>
struct Line {
    V x[8];
};

// The 8x8 block as 8 / lanes chunks of whole columns. Loads and stores go
// through memcpy: callers only guarantee 4-byte alignment.
template <class V>
struct Block {
    static constexpr int kLanes = sizeof(V) / sizeof(uint32_t);
    static constexpr int kChunks = 8 / kLanes;
    Line<V> chunk[kChunks];

    [[gnu::always_inline]] void load(const int32_t* p)
    {
#pragma GCC unroll 8
        for (int c = 0; c < kChunks; ++c)
#pragma GCC unroll 8
            for (int i = 0; i < 8; ++i)
                std::memcpy(&chunk[c].x[i], p + 8 * i + kLanes * c, sizeof(V));
    }
    [[gnu::always_inline]] void store(int32_t* p) const
    {
#pragma GCC unroll 8
        for (int c = 0; c < kChunks; ++c)
#pragma GCC unroll 8
            for (int i = 0; i < 8; ++i)
                std::memcpy(p + 8 * i + kLanes * c, &chunk[c].x[i], sizeof(V));
    }

    // f(Line<V>&) along the columns, or along the rows after transpose().
    template <class F>
    [[gnu::always_inline]] void eachLine(const F& f)
    {
#pragma GCC unroll 8
        for (auto& line : chunk)
            f(line);
    }
    // f(V&) on every vector: for element-wise steps.
    template <class F>
    [[gnu::always_inline]] void eachVector(const F& f)
    {
#pragma GCC unroll 8
        for (auto& line : chunk)
#pragma GCC unroll 8
            for (auto& v : line.x)
                f(v);
    }
    // Element-wise product with another block of the same layout.
    [[gnu::always_inline]] void multiply(const Block& m)
    {
#pragma GCC unroll 8
        for (int c = 0; c < kChunks; ++c)
#pragma GCC unroll 8
            for (int i = 0; i < 8; ++i)
                chunk[c].x[i] *= m.chunk[c].x[i];
    }

    [[gnu::always_inline]] void transpose();

    // Rows n..7, or columns n..7, set to zero where they are known to be
    // zero already: the compiler then drops every operation on them that
    // is exactly a no-op. Columns go by whole chunks; the rest stay.
    template <int n>
    [[gnu::always_inline]] void clearRowsFrom()
    {
#pragma GCC unroll 8
        for (auto& line : chunk)
#pragma GCC unroll 8
            for (int i = n; i < 8; ++i)
                line.x[i] = V{};
    }
    template <int n>
    [[gnu::always_inline]] void clearColumnsFrom()
    {
#pragma GCC unroll 8
        for (int c = (n + kLanes - 1) / kLanes; c < kChunks; ++c)
            chunk[c] = {};
    }

    // Lane `lane` (0..7 across the chunks) of vector k of each line.
    [[gnu::always_inline]] uint32_t get(int k, int lane) const { return chunk[lane / kLanes].x[k][lane % kLanes]; }
    [[gnu::always_inline]] void set(int k, int lane, uint32_t value)
    {
        chunk[lane / kLanes].x[k][lane % kLanes] = value;
    }
};

// Interleaving stages: pairs of rows by 1, 2, then 4 elements.
template <>
[[gnu::always_inline]] inline void Block<U32x8>::transpose()
{
    U32x8* r = chunk[0].x;
    U32x8 a[8], b[8];
#pragma GCC unroll 8
    for (int k = 0; k < 8; k += 2) {
        a[k] = __builtin_shufflevector(r[k], r[k + 1], 0, 8, 1, 9, 4, 12, 5, 13);
        a[k + 1] = __builtin_shufflevector(r[k], r[k + 1], 2, 10, 3, 11, 6, 14, 7, 15);
    }
#pragma GCC unroll 8
    for (int k : {0, 1, 4, 5}) {
        const int out = (k & 4) + 2 * (k & 1);
        b[out] = __builtin_shufflevector(a[k], a[k + 2], 0, 1, 8, 9, 4, 5, 12, 13);
        b[out + 1] = __builtin_shufflevector(a[k], a[k + 2], 2, 3, 10, 11, 6, 7, 14, 15);
    }
#pragma GCC unroll 8
    for (int k = 0; k < 4; ++k) {
        r[k] = __builtin_shufflevector(b[k], b[k + 4], 0, 1, 2, 3, 8, 9, 10, 11);
        r[k + 4] = __builtin_shufflevector(b[k], b[k + 4], 4, 5, 6, 7, 12, 13, 14, 15);
    }
}

// Four 4x4 transposes, then the two off-diagonal quarters trade places.
[[gnu::always_inline]] inline void transpose4x4(U32x4* r)
{
    const U32x4 t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
    const U32x4 t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
    const U32x4 t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
    const U32x4 t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
    r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
    r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
    r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
    r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
}

template <>
[[gnu::always_inline]] inline void Block<U32x4>::transpose()
{
#pragma GCC unroll 8
    for (auto& line : chunk) {
        transpose4x4(line.x);
        transpose4x4(line.x + 4);
    }
#pragma GCC unroll 8
    for (int k = 0; k < 4; ++k) {
        const U32x4 t = chunk[0].x[4 + k];
        chunk[0].x[4 + k] = chunk[1].x[k];
        chunk[1].x[k] = t;
    }
}

// Whether Wide lanes run here: set once from the processor; the tests
// clear it to cover Narrow on any machine.
extern bool wide;

#if defined(__x86_64__) || defined(__i386__)
// flatten pulls the whole body into this AVX2 function, so the Wide code is
// compiled with AVX2 and none of it runs elsewhere.
template <class Body>
[[gnu::target("avx2"), gnu::flatten]] void runWide(const Body& body)
{
    body(Wide{});
}
#endif

// Calls body(Wide{}) or body(Narrow{}), body being generic in the lane
// type; its code must be inline so that it takes the target of its caller.
template <class Body>
inline void run(const Body& body)
{
#if defined(__x86_64__) || defined(__i386__)
    if (wide)
        return runWide(body);
#endif
    body(Narrow{});
}

}  // namespace lanes
