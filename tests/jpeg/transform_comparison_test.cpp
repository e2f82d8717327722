#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <limits>
#include <utility>
#include <vector>

#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "jpeg/transform_comparison.h"
#include "support/decode_bytes.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"

namespace {

using jpegbytes::Bytes;

struct ErrorCase {
    const char* name;
    std::vector<std::pair<int32_t, int32_t>> samples;  // family, exact
    double psnr;
    double mean;
    int32_t largest;
};

const ErrorCase kErrorCases[] = {
    {"every sample one above", {{1, 0}, {129, 128}, {255, 254}, {37, 36}}, 48.1308, 1.0, 1},
    {"two apart either way", {{10, 12}, {5, 5}, {7, 7}, {9, 7}}, 45.1205, 0.0, 2},
    {"a mix of small errors", {{0, 1}, {0, 1}, {0, 1}, {3, 0}}, 43.3596, 0.0, 3},
    {"identical", {{0, 0}, {255, 255}, {128, 128}}, std::numeric_limits<double>::infinity(), 0.0, 0},
    {"the largest error", {{0, 255}}, 0.0, -255.0, 255},
};

TEST(SampleError, PsnrMeanAndLargestOfKnownSamples)
{
    for (const ErrorCase& c : kErrorCases) {
        SampleError error;
        for (const auto& [family, exact] : c.samples)
            error.add(family, exact);
        EXPECT_EQ(error.samples, int64_t(c.samples.size())) << c.name;
        if (std::isinf(c.psnr))
            EXPECT_TRUE(std::isinf(error.psnr()) && error.psnr() > 0) << c.name;
        else
            EXPECT_NEAR(error.psnr(), c.psnr, 1e-4) << c.name;
        EXPECT_DOUBLE_EQ(error.mean(), c.mean) << c.name;
        EXPECT_EQ(error.largest, c.largest) << c.name;
    }
}

// Scan bits for the hand-made files: DC codes "0" for a difference of 0
// and "10" for size 3, each block ended by the one AC code "0", end of band.
class ScanBits {
public:
    void block(int32_t dcDifference)
    {
        if (dcDifference == 0) {
            put("00");
            return;
        }
        put("10");
        put(dcDifference > 0 ? "100" : "011");  // +4, -4
        put("0");
    }

    Bytes bytes() const
    {
        Bytes out;
        for (size_t i = 0; i < bits_.size(); i += 8) {
            uint8_t byte = 0;
            for (size_t k = i; k < i + 8; ++k)
                byte = uint8_t(byte << 1 | (k < bits_.size() ? bits_[k] : 1));
            out.push_back(byte);
            if (byte == 0xFF)
                out.push_back(0x00);
        }
        return out;
    }

private:
    void put(const char* bits)
    {
        for (; *bits; ++bits)
            bits_.push_back(*bits == '1');
    }
    std::vector<bool> bits_;
};

// 32 x 16 pixels in 4:2:0, two MCUs, every block flat, quantisation 1:
// DC 4 (a level of 128.5) in luma block (0, 3) and in the first chroma Cb
// block, DC 0 (128) everywhere else.
Bytes flatFile()
{
    ScanBits scan;
    for (int32_t difference : {0, 0, 0, 0, 4, 0})  // Y0..Y3, Cb, Cr of the first MCU
        scan.block(difference);
    for (int32_t difference : {0, 4, -4, 0, -4, 0})
        scan.block(difference);
    const std::vector<uint8_t> dcCodes = {1, 1}, oneCode = {1};
    return jpegbytes::join({jpegbytes::soi(), jpegbytes::dqt(0), jpegbytes::dht(0, 0, dcCodes, {0x00, 0x03}),
                            jpegbytes::dht(1, 0, oneCode, {0x00}), jpegbytes::sof0Colour(32, 16, 0x22),
                            jpegbytes::sosColour(), scan.bytes(), jpegbytes::eoi()});
}

void parse(const Bytes& bytes)
{
    MemoryFiles files;
    files.add("compare.jpg", bytes);
    jpgFile.parseFile("compare.jpg");
    ASSERT_EQ(jpgFile.error, 0);
}

// Each family's flat sample against the exact 128 and 128.5 (129): fw and
// aan2 floor DC / 8; aan's DC factor, 45/128 twice where 45.25/128 is
// exact, takes two levels off.
struct FlatErrors {
    int32_t family;
    const char* name;
    int32_t atLevel128, atLevel128AndAHalf;
};

constexpr FlatErrors kFlatErrors[] = {{0, "fw", 0, -1}, {1, "aan", -2, -2}, {2, "aan2", 0, -1}};

TEST(CompareWithExact, FlatBlocksDifferByTheFamiliesFlatErrorAndChromaSpreadsOverItsPixels)
{
    parse(flatFile());
    for (const FlatErrors& f : kFlatErrors) {
        pctr difference;
        const std::optional<SampleError> error = compareWithExact(jpgFile, jpgFile.mainImage, f.family, &difference);
        ASSERT_TRUE(error) << f.name;
        // 32 x 16 luma and two 16 x 8 chroma planes; a luma block and a
        // chroma block, 128 samples, at 128.5.
        const int64_t half = 128, whole = 32 * 16 + 2 * 16 * 8 - half;
        EXPECT_EQ(error->samples, half + whole) << f.name;
        EXPECT_EQ(error->signedSum, half * f.atLevel128AndAHalf + whole * f.atLevel128) << f.name;
        EXPECT_EQ(error->squaredSum,
                  half * f.atLevel128AndAHalf * f.atLevel128AndAHalf + whole * f.atLevel128 * f.atLevel128)
            << f.name;
        EXPECT_EQ(error->largest, std::max(std::abs(f.atLevel128), std::abs(f.atLevel128AndAHalf))) << f.name;

        ASSERT_EQ(difference.width[0], 32);
        ASSERT_EQ(difference.height[0], 16);
        EXPECT_EQ(difference.colourState, 0);
        for (int32_t y = 0; y < 16; ++y)
            for (int32_t x = 0; x < 32; ++x) {
                // The Cb block covers the left 16 x 16 pixels; luma block
                // (0, 3) the top right 8 x 8.
                const bool halfLevel = x < 16 || (x >= 24 && y < 8);
                const int32_t shown = differenceGain * std::abs(halfLevel ? f.atLevel128AndAHalf : f.atLevel128);
                for (int k = 0; k < 3; ++k)
                    ASSERT_EQ(difference.plane[k][y * 32 + x], shown) << f.name << " at " << x << ", " << y;
            }
    }
}

TEST(CompareWithExact, LeavesThePictureAsItWas)
{
    ASSERT_GT(decodeBytes(flatFile(), 1), 0);
    const uint64_t before = planesHash();
    pctr difference;
    ASSERT_TRUE(compareWithExact(jpgFile, jpgFile.mainImage, 0, &difference));
    ASSERT_TRUE(compareWithExact(jpgFile, jpgFile.mainImage, 2, nullptr));
    EXPECT_EQ(planesHash(), before);
    resetDecoderGlobals();
}

TEST(CompareWithExact, ImagesAndFamiliesThatDoNotExistGiveNothingAndClearTheDifference)
{
    parse(flatFile());
    const std::pair<int32_t, int32_t> cases[] = {{jpgFile.count, 0},
                                                 {-1, 0},
                                                 {jpgFile.mainImage, 3},
                                                 {jpgFile.mainImage, -1}};
    for (const auto& [index, family] : cases) {
        pctr difference;
        ASSERT_TRUE(difference.allocate(4, 4));
        EXPECT_FALSE(compareWithExact(jpgFile, index, family, &difference))
            << "image " << index << ", family " << family;
        EXPECT_EQ(difference.colourState, -1);
        EXPECT_EQ(difference.plane[0], nullptr);
    }
}

}  // namespace
