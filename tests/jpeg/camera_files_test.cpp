// Files laid out as cameras and phones write them (support/camera_files.h):
// the index the walk makes of each, and every image in it that the decoder
// handles, compared with libjpeg-turbo's decode of the same bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/interaction.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "support/camera_files.h"
#include "support/decode_helpers.h"
#include "support/memory_files.h"

namespace camerafiles {

// Names the case in gtest's messages instead of dumping its bytes.
void PrintTo(const CameraFile& file, std::ostream* out) { *out << file.name; }

}  // namespace camerafiles

namespace {

using camerafiles::CameraFile;
using camerafiles::CameraImage;

const std::vector<CameraFile>& allFiles()
{
    static const std::vector<CameraFile> files = camerafiles::cameraFiles();
    return files;
}

std::vector<CameraFile> filesWithSeveralImages()
{
    std::vector<CameraFile> several;
    std::copy_if(allFiles().begin(), allFiles().end(), std::back_inserter(several),
                 [](const CameraFile& file) { return file.images.size() > 1; });
    return several;
}

int32_t imageCount(const CameraFile& file) { return static_cast<int32_t>(file.images.size()); }

std::string caseName(const testing::TestParamInfo<CameraFile>& info) { return info.param.name; }

class CameraFileTest : public testing::TestWithParam<CameraFile> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(CameraFileTest, IndexesEveryImageInFileOrder)
{
    const CameraFile& file = GetParam();
    MemoryFiles files;
    files.add("camera.jpg", file.bytes);
    jpgFile.parseFile("camera.jpg");
    ASSERT_EQ(jpgFile.error, 0);
    ASSERT_EQ(jpgFile.count, imageCount(file));
    EXPECT_EQ(jpgFile.mainImage, file.mainImage);
    for (int32_t n = 0; n < jpgFile.count; ++n) {
        EXPECT_EQ(jpgFile.images[n].width, file.images[size_t(n)].width) << "image " << n;
        EXPECT_EQ(jpgFile.images[n].height, file.images[size_t(n)].height) << "image " << n;
    }
}

TEST_P(CameraFileTest, DecodesTheMainPictureByDefaultLikeLibjpeg)
{
    const CameraFile& file = GetParam();
    const ReferenceDecode reference = decodeReferenceQuietly(file.bytes);
    // libjpeg-turbo warns about scan data that ends early, and about nothing
    // else in these files.
    EXPECT_EQ(reference.warnings > 0, file.truncated);
    for (int32_t family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(file.bytes, family), imageCount(file)) << "family " << family;
        EXPECT_EQ(subImageIndex, file.mainImage);
        EXPECT_EQ(jpgFile.scanTruncated, file.truncated);
        expectNearReference(pictureAsRgb(), reference.image, family, file.name);
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, CameraFileTest, testing::ValuesIn(allFiles()), caseName);

class CameraImagesTest : public CameraFileTest {};

// Thumbnails and secondary images are compared with libjpeg-turbo's decode
// of their own bytes, as embedded; an image the decoder cannot handle
// (greyscale) fails alone and leaves the main picture decodable.
TEST_P(CameraImagesTest, DecodesEveryOtherImageByIndex)
{
    const CameraFile& file = GetParam();
    for (int32_t n = 0; n < imageCount(file); ++n) {
        const CameraImage& image = file.images[size_t(n)];
        if (n == file.mainImage)
            continue;
        ASSERT_NE(std::search(file.bytes.begin(), file.bytes.end(), image.stream.begin(), image.stream.end()),
                  file.bytes.end());
        const RgbImage reference = decodeReference(image.stream);
        for (int32_t family = 0; family < 3; ++family) {
            ASSERT_EQ(decodeBytes(file.bytes, family, n), imageCount(file)) << "image " << n << ", family " << family;
            expectNearReference(pictureAsRgb(), reference, family, file.name + "-image" + std::to_string(n));
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Patterns, CameraImagesTest, testing::ValuesIn(filesWithSeveralImages()), caseName);

TEST(CameraTruncation, FileCutBeforeAnyScanDataFails)
{
    const camerafiles::Bytes cut = camerafiles::truncatedScan(encodeJpeg(makePhotoLike(48, 32, 11), {}), 0);
    EXPECT_EQ(decodeBytes(cut), 0);
    resetDecoderGlobals();
}

}  // namespace
