#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "app/interaction.h"
#include "app/viewer_state.h"
#include "jpeg/globals.h"
#include "render/geometry.h"
#include "render/ppm_writer.h"
#include "support/fnv_hash.h"
#include "support/memory_files.h"
#include "support/render_scene.h"

namespace {

// The frame's bytes as they lie in memory hash the same on every
// little-endian machine, as the golden values were recorded.
uint64_t frameHash(const std::vector<uint32_t>& pixels)
{
    return fnv1a(reinterpret_cast<const uint8_t*>(pixels.data()), pixels.size() * sizeof(uint32_t));
}

// A 24 x 16 picture with smooth ramps and a hard diagonal edge, so every
// filter leaves its own trace.
uint32_t testPattern(int32_t column, int32_t row)
{
    const auto redValue = static_cast<uint32_t>(column * 255 / 23);
    const auto greenValue = static_cast<uint32_t>(row * 255 / 15);
    const uint32_t blueValue = column > row ? 200u : 30u;
    return redValue << 16 | greenValue << 8 | blueValue;
}

struct GoldenCase {
    int32_t filter;
    uint64_t hash;
};

class GoldenFrameTest : public ::testing::TestWithParam<GoldenCase> {};

// Composes a whole frame with a slanted parallelogram, the counters and the
// probe over the picture (the help would hide most of this small frame).
// The text is the machine-independent double.
TEST_P(GoldenFrameTest, ComposedFrameMatchesTheRecordedOne)
{
    ManualClock clock;
    RenderScene scene(320, 240, 400, 300);
    makePicture(24, 16, testPattern);
    controlPoints = {{{60, 40}, {250, 70}, {230, 210}, {40, 180}}};
    viewerState->showFps = 1;
    showHelp = 0;
    filterIndex = GetParam().filter;
    subImageIndex = 0;
    imageCount = 2;
    mouseX = 150;
    mouseY = 120;
    scene.render();

    const uint64_t hash = frameHash(scene.platform.presented());
    if (hash != GetParam().hash) {
        const auto path = std::filesystem::temp_directory_path() /
                          ("golden-frame-filter" + std::to_string(GetParam().filter) + ".ppm");
        writePpm(path.string(), scene.platform.presented().data(), 320, 240);
        ADD_FAILURE() << "frame differs; written to " << path << " (hash 0x" << std::hex << hash << ")";
    }
}

INSTANTIATE_TEST_SUITE_P(Filters, GoldenFrameTest,
                         ::testing::Values(GoldenCase{0, 0x892d7be11a108355}, GoldenCase{1, 0xac8b51f896909378},
                                           GoldenCase{2, 0xa9b5e7390794c58e}),
                         [](const auto& info) { return "filter" + std::to_string(info.param.filter); });

}  // namespace

#include "render/resample.h"

namespace {

// A frame large enough for the second thread: rows split between two
// threads must come out as one thread draws them, for every filter.
TEST(RasterizeThreads, TwoThreadsDrawTheSameFrameAsOne)
{
    RenderScene scene(1280, 960, 1280, 960);
    makePicture(97, 61, testPattern);
    controlPoints = {{{-150, 300}, {900, -200}, {1500, 800}, {450, 1300}}};
    for (int32_t filter = 0; filter < 3; ++filter) {
        filterIndex = filter;
        uint64_t hashes[2];
        for (int32_t threads : {1, 2}) {
            viewerState->render.threads = threads;
            scene.render();
            hashes[threads - 1] = frameHash(scene.platform.presented());
        }
        EXPECT_EQ(hashes[0], hashes[1]) << "filter " << filter;
    }
}

}  // namespace
