#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <ostream>
#include <vector>

#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/transform_comparison.h"
#include "support/memory_files.h"
#include "support/reference_codec.h"
#include "support/scan_damage.h"

// The families against the exact transform on photograph-like pictures.

namespace {

struct PhotoCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    int64_t samples;  // over every component's own size
};

void PrintTo(const PhotoCase& c, std::ostream* out) { *out << c.name; }

EncodeOptions greyOptions()
{
    EncodeOptions options;
    options.greyscale = true;
    return options;
}

EncodeOptions progressive444()
{
    EncodeOptions options;
    options.quality = 75;
    options.subsampling = Subsampling::s444;
    options.progressive = true;
    return options;
}

EncodeOptions cmyk()
{
    EncodeOptions options;
    options.subsampling = Subsampling::s444;
    options.colourSpace = ColourSpace::cmykAdobe;
    return options;
}

// Odd sizes, so that the last blocks reach past each component's samples.
const PhotoCase kPhotoCases[] = {
    {"baseline420", 257, 181, {}, 257 * 181 + 2 * 129 * 91},
    {"progressive444", 203, 97, progressive444(), 3 * 203 * 97},
    {"grey", 150, 90, greyOptions(), 150 * 90},
    {"cmyk", 99, 65, cmyk(), 4 * 99 * 65},
};

void parse(const std::vector<uint8_t>& bytes)
{
    MemoryFiles files;
    files.add("photo.jpg", bytes);
    jpgFile.parseFile("photo.jpg");
    ASSERT_EQ(jpgFile.error, 0);
}

class ComparisonPhotoTest : public testing::TestWithParam<PhotoCase> {};

// The difference picture's planes are one plane, and its brightest pixel
// shows the largest error.
void expectDifferenceShows(const pctr& difference, const SampleError& error, const char* family)
{
    ASSERT_EQ(difference.colourState, 0);
    const int32_t size = difference.size[0];
    EXPECT_TRUE(std::equal(difference.plane[0].get(), difference.plane[0].get() + size, difference.plane[1].get()));
    EXPECT_TRUE(std::equal(difference.plane[0].get(), difference.plane[0].get() + size, difference.plane[2].get()));
    const uint8_t brightest = *std::max_element(difference.plane[0].get(), difference.plane[0].get() + size);
    EXPECT_EQ(brightest, std::min(255, error.largest * differenceGain)) << family;
}

TEST_P(ComparisonPhotoTest, AanIsFurthestFromExactAndTheOthersFloorDownwards)
{
    const PhotoCase& c = GetParam();
    parse(encodeJpeg(makePhotoLike(c.width, c.height, 29), c.options));
    SampleError errors[3];
    constexpr const char* names[] = {"fw", "aan", "aan2"};
    for (int32_t family = 0; family < 3; ++family) {
        pctr difference;
        const std::optional<SampleError> error = compareWithExact(jpgFile, jpgFile.mainImage, family, &difference);
        ASSERT_TRUE(error) << names[family];
        errors[family] = *error;
        EXPECT_EQ(error->samples, c.samples) << names[family];
        ASSERT_EQ(difference.width[0], c.width);
        ASSERT_EQ(difference.height[0], c.height);
        expectDifferenceShows(difference, *error, names[family]);
        std::printf("%s %s: PSNR %.2f dB, largest %d, mean %+.3f\n", c.name, names[family], error->psnr(),
                    error->largest, error->mean());
    }
    EXPECT_LT(errors[1].psnr(), errors[0].psnr());
    EXPECT_LT(errors[1].psnr(), errors[2].psnr());
    EXPECT_LT(errors[0].mean(), 0);
    EXPECT_LT(errors[2].mean(), 0);
}

INSTANTIATE_TEST_SUITE_P(Layouts, ComparisonPhotoTest, testing::ValuesIn(kPhotoCases),
                         [](const auto& info) { return std::string(info.param.name); });

// A grey picture's pixels are its samples: the squared differences the
// picture shows add up to the error's, while no error is above 255 / gain.
TEST(ComparisonPhoto, GreyDifferencePictureAddsUpToTheSquaredError)
{
    parse(encodeJpeg(makePhotoLike(120, 88, 31), greyOptions()));
    for (int32_t family = 0; family < 3; ++family) {
        pctr difference;
        const std::optional<SampleError> error = compareWithExact(jpgFile, jpgFile.mainImage, family, &difference);
        ASSERT_TRUE(error);
        ASSERT_LE(error->largest * differenceGain, 255);
        int64_t squares = 0;
        for (int32_t p = 0; p < difference.size[0]; ++p) {
            ASSERT_EQ(difference.plane[0][p] % differenceGain, 0);
            const int64_t d = difference.plane[0][p] / differenceGain;
            squares += d * d;
        }
        EXPECT_EQ(squares, error->squaredSum) << "family " << family;
    }
}

// A file cut inside its scan compares what its data held, over the whole
// picture.
TEST(ComparisonPhoto, AFileCutShortStillComparesEverySample)
{
    std::vector<uint8_t> bytes = encodeJpeg(makePhotoLike(160, 120, 37), {});
    bytes.resize(bytes.size() / 2);
    parse(bytes);
    pctr difference;
    const std::optional<SampleError> error = compareWithExact(jpgFile, jpgFile.mainImage, 1, &difference);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->samples, 160 * 120 + 2 * 80 * 60);
    expectDifferenceShows(difference, *error, "aan");
}

// Scan data that no code matches fails the frame decode, and the comparison
// with it.
TEST(ComparisonPhoto, ADamagedScanComparesNothing)
{
    parse(damagedAt(encodeJpeg(makePhotoLike(160, 120, 41), {}), 0.5));
    pctr difference;
    EXPECT_FALSE(compareWithExact(jpgFile, jpgFile.mainImage, 0, &difference));
    EXPECT_EQ(difference.plane[0], nullptr);
}

}  // namespace
