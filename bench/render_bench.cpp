// The frame loop's cost: rasterizePicture per filter in megapixels per
// second (with the widest vector build the processor runs, and the portable
// one), and whole frames per second (markers, picture, overlay text
// formatting, the in-memory presentation copy and the clear), for the
// start-up square in an 800 x 600 client and for a rotated parallelogram
// that fills a 1920 x 1080 client.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <utility>

#include "app/frame.h"
#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/memory_platform.h"
#include "render/resample.h"

namespace {

enum class Scene { startupSquare800x600, rotated1920x1080 };

constexpr uint32_t untouched = 0xFF000000;  // no composed pixel has a top byte

// Smooth ramps with some fine detail, so the filters blend real differences.
void makeBenchPicture()
{
    constexpr int32_t width = 1024;
    constexpr int32_t height = 768;
    picture.allocate(width, height);
    for (int32_t y = 0; y < height; ++y) {
        for (int32_t x = 0; x < width; ++x) {
            const size_t s = static_cast<size_t>(y) * width + x;
            picture.plane[0][s] = static_cast<uint8_t>(x / 4 + ((x ^ y) & 15));
            picture.plane[1][s] = static_cast<uint8_t>(y / 3);
            picture.plane[2][s] = static_cast<uint8_t>((x + y) / 7 + ((x * y) & 7));
        }
    }
    picture.colourState = 0;
}

// Sets up the state as the viewer has it for the scene, on an in-memory
// window whose desktop is the client area.
class BenchWindow {
public:
    BenchWindow(Scene scene, int32_t filter) : platform_(width(scene), height(scene), width(scene), height(scene))
    {
        resetViewerState();
        resetInteraction();
        setFramePlatform(&platform_);
        updateWindowGeometry();
        createFrameBuffer();
        makeBenchPicture();
        filterIndex = filter;
        controlPoints = startupControlPoints;
        if (scene == Scene::rotated1920x1080) {
            // A 2400-pixel square about the centre, turned 30 degrees, covers
            // the whole drawing rectangle.
            controlPoints = {{{-240, -660}, {2160, -660}, {2160, 1740}, {-240, 1740}}};
            rotateView(960, 540, 30);
        }
        completeParallelogram();
        buildSpanBreaks(viewerState->clientRect);
        map_ = computeInverseMap(filterIndex);
    }

    ~BenchWindow()
    {
        setFramePlatform(nullptr);
        picture.clear();
        resetViewerState();
        resetInteraction();
    }

    FrameSurface client() const
    {
        const ViewerState& vs = *viewerState;
        return {vs.framePixels, vs.frameStride, vs.clientWidth, vs.clientHeight};
    }

    const InverseMap& map() const { return map_; }

    // Pixels one rasterisation writes, counted once by drawing over a
    // marked frame.
    int64_t pixelsDrawn() const
    {
        const FrameSurface frame = client();
        const int64_t size = int64_t{frame.stride} * frame.height;
        std::fill(frame.pixels, frame.pixels + size, untouched);
        rasterizePicture(map_, frame, filterIndex);
        return size - std::count(frame.pixels, frame.pixels + size, untouched);
    }

private:
    static int32_t width(Scene scene) { return scene == Scene::startupSquare800x600 ? 800 : 1920; }
    static int32_t height(Scene scene) { return scene == Scene::startupSquare800x600 ? 600 : 1080; }

    MemoryFramePlatform platform_;
    InverseMap map_;
};

void rasterize(benchmark::State& state)
{
    const BenchWindow window(static_cast<Scene>(state.range(0)), static_cast<int32_t>(state.range(1)));
    const RenderOptions options{static_cast<int32_t>(state.range(2)), state.range(3) != 0};
    const int64_t pixels = window.pixelsDrawn();
    const FrameSurface frame = window.client();
    for (auto _ : state) {
        rasterizePicture(window.map(), frame, filterIndex, options);
        benchmark::ClobberMemory();
    }
    state.counters["MP/s"] =
        benchmark::Counter(static_cast<double>(pixels) * 1e-6 * state.iterations(), benchmark::Counter::kIsRate);
}

void wholeFrame(benchmark::State& state)
{
    const BenchWindow window(static_cast<Scene>(state.range(0)), static_cast<int32_t>(state.range(1)));
    viewerState->render.threads = static_cast<int32_t>(state.range(2));
    viewerState->showFps = 1;
    for (auto _ : state) {
        renderFrame();
        benchmark::ClobberMemory();
    }
    state.counters["FPS"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// Wall-clock rates: with two threads the calling thread's CPU time alone
// would overstate them.
void scenesAndFilters(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"scene", "filter", "threads"});
    for (int scene : {0, 1})
        for (int filter : {0, 1, 2})
            for (int threads : {1, 2})
                b->Args({scene, filter, threads});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

// The same, and the portable build (wide 0) on one thread.
void scenesFiltersAndBuilds(benchmark::internal::Benchmark* b)
{
    b->ArgNames({"scene", "filter", "threads", "wide"});
    for (int scene : {0, 1})
        for (int filter : {0, 1, 2})
            for (auto [threads, wide] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 0}})
                b->Args({scene, filter, threads, wide});
    b->Unit(benchmark::kMillisecond)->UseRealTime();
}

}  // namespace

BENCHMARK(rasterize)->Apply(scenesFiltersAndBuilds);
BENCHMARK(wholeFrame)->Apply(scenesAndFilters);

BENCHMARK_MAIN();
