// Time per 8x8 block of each inverse DCT, beside a plain double-precision
// separable transform, on many different natural-looking blocks so that
// branch prediction and the caches see realistic traffic.

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <vector>

#include "idct/idct_families.h"
#include "idct/lanes.h"
#include "idct/natural_blocks.h"
#include "idct/quant_tables.h"
#include "idct/reference_dct.h"

namespace {

constexpr int kBlockCount = 4096;  // 1 MiB of coefficients

struct Workload {
    QuantTable table = scaledTable(kLuminanceTable, 75);
    IdctFamilies families{table};
    std::vector<CoefficientBlock> blocks;

    Workload()
    {
        std::mt19937 rng(2024);
        for (int n = 0; n < kBlockCount; ++n)
            blocks.push_back(naturalBlock(rng, table));
    }
};

Workload& workload()
{
    static Workload w;
    return w;
}

// Runs one transform per iteration on a fresh copy of the next block; the
// copy is part of every variant, the reference included.
template <class Transform>
void runBlocks(benchmark::State& state, Transform transform)
{
    const auto& blocks = workload().blocks;
    size_t n = 0;
    for (auto _ : state) {
        CoefficientBlock block = blocks[n];
        transform(block.data());
        benchmark::DoNotOptimize(block);
        n = (n + 1) % blocks.size();
    }
    state.SetItemsProcessed(state.iterations());
}

// Calls through the base class, as the decoder does, on the lanes this
// processor picks or, with `fourLanes`, on the portable 4-lane code.
void transformBlocks(benchmark::State& state, int family, bool fourLanes)
{
    tidct* transform = workload().families.all()[family].transform;
    benchmark::DoNotOptimize(transform);  // keep the call virtual
    const bool wide = lanes::wide;
    lanes::wide = wide && !fourLanes;
    runBlocks(state, [&](int32_t* b) { transform->transform(b); });
    lanes::wide = wide;
}

// Dequantisation, a row pass and a column pass of 8-term dot products in
// double, rounding and clamping.
void doubleReference(benchmark::State& state)
{
    const QuantTable& table = workload().table;
    runBlocks(state, [&](int32_t* b) { reference::roundedSamples(b, table, b); });
}

BENCHMARK_CAPTURE(transformBlocks, ifwi, 0, false);
BENCHMARK_CAPTURE(transformBlocks, taanidct, 1, false);
BENCHMARK_CAPTURE(transformBlocks, taanidct2, 2, false);
BENCHMARK_CAPTURE(transformBlocks, ifwi_4_lanes, 0, true);
BENCHMARK_CAPTURE(transformBlocks, taanidct_4_lanes, 1, true);
BENCHMARK_CAPTURE(transformBlocks, taanidct2_4_lanes, 2, true);
BENCHMARK(doubleReference)->Name("double_reference");

}  // namespace

BENCHMARK_MAIN();
