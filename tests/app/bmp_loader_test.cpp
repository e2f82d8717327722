#include <gtest/gtest.h>

#include "app/bmp_loader.h"
#include "app/file_kinds.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/bmp_builder.h"
#include "support/memory_files.h"

namespace {

class BmpLoaderTest : public testing::Test {
protected:
    void TearDown() override { picture.clear(); }

    void expectPixelPattern(int32_t width, int32_t height)
    {
        ASSERT_EQ(picture.width[0], width);
        ASSERT_EQ(picture.height[2], height);
        EXPECT_EQ(picture.colourState, 0);
        for (int32_t y = 0; y < height; ++y) {
            for (int32_t x = 0; x < width; ++x) {
                const int32_t s = y * width + x;
                EXPECT_EQ(picture.plane[0][s], 100 + x + y) << x << "," << y;  // red: third stored byte
                EXPECT_EQ(picture.plane[1][s], y);
                EXPECT_EQ(picture.plane[2][s], x);
            }
        }
    }

    MemoryFiles files_;
};

TEST_F(BmpLoaderTest, ReadsPaddedRowsInBothDirections)
{
    struct {
        int32_t width, height;
    } const sizes[] = {{1, 3}, {4, 2}, {5, 5}, {3, -4}, {1, -1}};
    for (const auto& size : sizes) {
        files_.add("p.bmp", makeBmp({size.width, size.height}));
        testing::internal::CaptureStdout();
        ASSERT_EQ(loadBmp("p.bmp"), 1) << size.width << "x" << size.height;
        EXPECT_NE(testing::internal::GetCapturedStdout().find("\n BMP load time = "), std::string::npos);
        expectPixelPattern(size.width, std::abs(size.height));
    }
}

TEST_F(BmpLoaderTest, RejectsWhatItCannotReadWithoutTouchingThePicture)
{
    std::vector<uint8_t> notBm = makeBmp({});
    notBm[0] = 0xFF;
    std::vector<uint8_t> cut = makeBmp({4, 4});
    cut.resize(cut.size() - 1);
    std::vector<uint8_t> offsetPastEnd = makeBmp({});
    offsetPastEnd[13] = 0x7F;
    const std::vector<uint8_t> bad[] = {
        notBm,
        cut,
        offsetPastEnd,
        makeBmp({2, 2, 32}),
        makeBmp({2, 2, 8}),
        makeBmp({2, 2, 24, 1}),
        makeBmp({0, 2}),
        makeBmp({-2, 2}),
        makeBmp({2, 0}),
        std::vector<uint8_t>(notBm.begin(), notBm.begin() + 20),
    };
    picture.allocate(1, 1);
    picture.plane[0][0] = 9;
    picture.colourState = 0;
    for (size_t n = 0; n < std::size(bad); ++n) {
        files_.add("bad.bmp", bad[n]);
        EXPECT_EQ(loadBmp("bad.bmp"), 0) << "case " << n;
        EXPECT_EQ(picture.plane[0][0], 9) << "case " << n;
    }
    EXPECT_EQ(loadBmp("missing.bmp"), 0);
}

TEST(FileKind, ExtensionLetterDecidesTheKind)
{
    struct {
        const char* path;
        char letter;
        bool bmp;
    } const cases[] = {{"a.bmp", 'b', true},      {"A.BMP", 'B', true},    {"x.bin", 'b', true},
                       {"photo.jpg", 'j', false}, {"noext", 0, false},     {"dir.b/noext", 0, false},
                       {"trailing.", 0, false},   {"a.tar.bz2", 'b', true}};
    for (const auto& c : cases) {
        EXPECT_EQ(extensionLetter(c.path), c.letter) << c.path;
        EXPECT_EQ(std::string(fileKindOf(c.path).name), c.bmp ? "BMP" : "JPEG") << c.path;
    }
}

}  // namespace
