#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/bmp_builder.h"
#include "support/reference_codec.h"
#include "support/run_tool.h"

namespace {

// A decoded binary PPM, enough to read pixels back.
struct Ppm {
    int width = 0;
    int height = 0;
    std::string pixels;  // interleaved R, G, B

    static Ppm read(const std::string& bytes)
    {
        Ppm ppm;
        int maxValue = 0;
        int consumed = 0;
        if (std::sscanf(bytes.c_str(), "P6 %d %d %d%n", &ppm.width, &ppm.height, &maxValue, &consumed) == 3 &&
            maxValue == 255)
            ppm.pixels = bytes.substr(static_cast<size_t>(consumed) + 1);
        return ppm;
    }

    uint32_t at(int x, int y) const
    {
        const size_t i = (static_cast<size_t>(y) * width + x) * 3;
        const auto byte = [&](size_t k) { return static_cast<uint32_t>(static_cast<uint8_t>(pixels.at(i + k))); };
        return byte(0) << 16 | byte(1) << 8 | byte(2);
    }
};

bool nearColour(uint32_t pixel, uint32_t expected, int tolerance)
{
    for (int shift = 0; shift < 24; shift += 8) {
        const int a = static_cast<int>((pixel >> shift) & 0xFF);
        const int b = static_cast<int>((expected >> shift) & 0xFF);
        if (std::abs(a - b) > tolerance)
            return false;
    }
    return true;
}

class ViewerFrameTool : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeTempDir();
        RgbImage flat{16, 16, std::vector<uint8_t>(16 * 16 * 3)};
        for (size_t i = 0; i < flat.rgb.size(); i += 3) {
            flat.rgb[i] = 200;
            flat.rgb[i + 1] = 40;
            flat.rgb[i + 2] = 90;
        }
        const auto jpeg = encodeJpeg(flat, {100, Subsampling::s444, 0, false});
        writeFile(path("flat.jpg"), std::string(jpeg.begin(), jpeg.end()));
    }

    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    Ppm frame() const { return Ppm::read(readFile(path("frame.ppm"))); }

    std::string dir_;
};

TEST_F(ViewerFrameTool, WritesTheStartupFrameOfTheDefaultClient)
{
    const ToolRun run = runTool("viewer-frame", "--out " + path("frame.ppm") + " " + path("flat.jpg"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\n JPG load time = "), std::string::npos);
    const Ppm ppm = frame();
    ASSERT_EQ(ppm.width, 800);
    ASSERT_EQ(ppm.height, 600);
    ASSERT_EQ(ppm.pixels.size(), 800u * 600u * 3u);
    EXPECT_TRUE(nearColour(ppm.at(400, 400), 0xC8285A, 3)) << std::hex << ppm.at(400, 400);
    EXPECT_EQ(ppm.at(700, 300), 0xFFFFFFu);
    EXPECT_EQ(ppm.at(604, 96), 0x0000FAu);
    EXPECT_EQ(ppm.at(604, 597), 0xFA0000u);
}

TEST_F(ViewerFrameTool, HonoursClientPointsAndFilter)
{
    const ToolRun run = runTool("viewer-frame", "--client 320x200 --filter 2 --idct aan --help 0 --rgb 0 "
                                                "--points 40,40,280,40,0,0,40,160 --out " +
                                                    path("frame.ppm") + " " + path("flat.jpg"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const Ppm ppm = frame();
    ASSERT_EQ(ppm.width, 320);
    ASSERT_EQ(ppm.height, 200);
    EXPECT_TRUE(nearColour(ppm.at(200, 150), 0xC8285A, 8)) << std::hex << ppm.at(200, 150);
    EXPECT_EQ(ppm.at(200, 170), 0xFFFFFFu);
}

TEST_F(ViewerFrameTool, LoadsBmpFilesByTheirExtension)
{
    const auto bmp = makeBmp({1, 1, 24, 0});
    writeFile(path("dot.BMP"), std::string(bmp.begin(), bmp.end()));
    const ToolRun run =
        runTool("viewer-frame", "--client 320x240 --help 0 --out " + path("frame.ppm") + " " + path("dot.BMP"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("BMP load time"), std::string::npos);
    EXPECT_EQ(frame().at(200, 200), 0x640000u);
}

// With a system font the help text leaves dark ink on its white cells;
// without one the tool says so and draws no text.
TEST_F(ViewerFrameTool, DrawsTheOverlayTextWhenAFontIsThere)
{
    const ToolRun run = runTool("viewer-frame", "--out " + path("frame.ppm") + " " + path("flat.jpg"));
    ASSERT_EQ(run.exitCode, 0);
    if (run.err.find("warning") != std::string::npos)
        GTEST_SKIP() << run.err;
    const Ppm ppm = frame();
    int dark = 0;
    for (int y = 35; y < 55; ++y)
        for (int x = 10; x < 100; ++x)
            dark += ppm.at(x, y) < 0x404040;
    EXPECT_GT(dark, 20);
}

// The I and C views are off unless asked for, so every frame composed
// without them stays as it was; C puts the amplified difference from the
// exact transform in the picture's place, and I writes its lines along the
// bottom, clear of the picture here.
TEST_F(ViewerFrameTool, InformationAndDifferenceViewsShowOnlyWhenAsked)
{
    const std::string common = "--client 320x240 --help 0 --rgb 0 --idct aan --points 150,20,300,20,0,0,150,100 ";
    const auto compose = [&](const std::string& views, const std::string& name) {
        const ToolRun run = runTool("viewer-frame", common + views + " --out " + path(name) + " " + path("flat.jpg"));
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run;
    };
    compose("", "plain.ppm");
    compose("--info 0 --difference 0", "off.ppm");
    EXPECT_EQ(readFile(path("off.ppm")), readFile(path("plain.ppm")));

    compose("--difference 1", "difference.ppm");
    const uint32_t difference = Ppm::read(readFile(path("difference.ppm"))).at(220, 60);
    const uint32_t level = difference & 0xFF;
    EXPECT_EQ(difference, level * 0x010101u) << std::hex << difference;
    EXPECT_TRUE(level > 0 && level % 48 == 0) << level;

    const ToolRun info = compose("--info 1", "info.ppm");
    const Ppm plain = Ppm::read(readFile(path("plain.ppm")));
    const Ppm withInfo = Ppm::read(readFile(path("info.ppm")));
    int dark = 0;
    for (int y = 0; y < 240; ++y)
        for (int x = 0; x < 320; ++x) {
            const bool atTheBottom = y >= 240 - 80;
            dark += atTheBottom && withInfo.at(x, y) < 0x404040;
            EXPECT_TRUE(atTheBottom || withInfo.at(x, y) == plain.at(x, y)) << x << "," << y;
        }
    if (info.err.find("warning") == std::string::npos) {
        EXPECT_GT(dark, 50);
    }
}

TEST_F(ViewerFrameTool, WithoutAnyFontWarnsOnceAndDrawsNoText)
{
    writeFile(path("fonts.conf"), "<?xml version=\"1.0\"?>\n<fontconfig></fontconfig>\n");
    setenv("FONTCONFIG_FILE", path("fonts.conf").c_str(), 1);
    const ToolRun run = runTool("viewer-frame", "--out " + path("frame.ppm") + " " + path("flat.jpg"));
    unsetenv("FONTCONFIG_FILE");
    ASSERT_EQ(run.exitCode, 0);
    const size_t warning = run.err.find("warning: no usable font");
    ASSERT_NE(warning, std::string::npos) << run.err;
    EXPECT_EQ(run.err.find("warning", warning + 1), std::string::npos);
    const Ppm ppm = frame();
    for (int y = 35; y < 55; ++y)
        for (int x = 10; x < 90; ++x)
            ASSERT_EQ(ppm.at(x, y), 0xFFFFFFu) << x << "," << y;
}

TEST_F(ViewerFrameTool, FileThatDoesNotLoadStillGivesAFrame)
{
    writeFile(path("broken.jpg"), "not a jpeg at all");
    for (const char* name : {"missing.jpg", "broken.jpg"}) {
        const ToolRun run = runTool("viewer-frame", "--client 64x48 --out " + path("frame.ppm") + " " + path(name));
        EXPECT_EQ(run.exitCode, 1) << name;
        EXPECT_NE(run.err.find(name), std::string::npos) << run.err;
        const Ppm ppm = frame();
        EXPECT_EQ(ppm.width, 64);
        EXPECT_EQ(ppm.pixels.size(), 64u * 48u * 3u);
        EXPECT_EQ(ppm.at(40, 40), 0xFFFFFFu);
    }
}

TEST_F(ViewerFrameTool, UnwritableOutputFails)
{
    const ToolRun run = runTool("viewer-frame", "--out " + path("no/such/dir.ppm") + " " + path("flat.jpg"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("cannot write"), std::string::npos);
}

TEST_F(ViewerFrameTool, RejectsBadUsage)
{
    const std::string out = " --out " + path("frame.ppm") + " ";
    const std::string file = path("flat.jpg");
    for (const std::string& arguments : std::vector<std::string>{
             file, "--out", out + "--filter 3 " + file, out + "--client 0x10 " + file, out + "--client 10 " + file,
             out + "--points 1,2,3,4,5,6,7 " + file, out + "--points 1,2,3,4,5,6,7,8,9 " + file,
             out + "--mouse 1.5,2 " + file, out + "--idct slow " + file, out + "--help 2 " + file,
             out + "--image -1 " + file, out + "--unknown 1 " + file, out + file + " " + file, out}) {
        const ToolRun run = runTool("viewer-frame", arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments;
        EXPECT_NE(run.err.find("usage: viewer-frame"), std::string::npos) << arguments;
    }
}

}  // namespace
