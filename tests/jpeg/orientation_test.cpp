#include <gtest/gtest.h>

#include <numeric>

#include "jpeg/file/exif_orientation.h"
#include "jpeg/output/upright.h"
#include "support/camera_segments.h"
#include "support/jpeg_builder.h"

namespace {

using jpegbytes::Bytes;
using jpegbytes::join;

// SOI, the segments, then a frame header: where a camera puts its EXIF block.
Bytes fileWith(const Bytes& segments) { return join({jpegbytes::soi(), segments, jpegbytes::sof0Colour(16, 8)}); }

int32_t orientationOf(const Bytes& file) { return exifOrientation(file.data(), file.size()); }

// The TIFF structure of a one-tag EXIF block starts after marker, length
// and "Exif\0\0"; its IFD0 entry after the 8-byte header and the count.
constexpr size_t tiffStart = 2 + 2 + 2 + 6;
constexpr size_t entryStart = tiffStart + 8 + 2;

TEST(ExifOrientation, ReadsEveryOrientationInBothByteOrders)
{
    for (uint16_t value = 1; value <= 8; ++value) {
        for (const bool bigEndian : {false, true}) {
            const Bytes exif = camerafiles::exifOrientationSegment(value, bigEndian);
            EXPECT_EQ(orientationOf(fileWith(exif)), value) << value << (bigEndian ? " MM" : " II");
        }
    }
}

TEST(ExifOrientation, FindsTheBlockAfterOtherSegmentsAndFillBytes)
{
    const Bytes exif = camerafiles::exifOrientationSegment(6, false);
    const Bytes xmp = jpegbytes::app1({'h', 't', 't', 'p', ':', '/', '/'});
    EXPECT_EQ(orientationOf(fileWith(join({jpegbytes::segment(0xE0, Bytes(14, 0)), xmp, {0xFF}, exif}))), 6);
}

// Each of these must read as "as stored", and none may read outside the file.
TEST(ExifOrientation, DamagedOrMisplacedBlocksMeanAsStored)
{
    const Bytes good = fileWith(camerafiles::exifOrientationSegment(6, false));
    const auto changed = [&](size_t at, std::initializer_list<uint8_t> bytes) {
        Bytes file = good;
        std::copy(bytes.begin(), bytes.end(), file.begin() + static_cast<ptrdiff_t>(at));
        return file;
    };
    const struct {
        const char* what;
        Bytes file;
    } cases[] = {
        {"no SOI", Bytes(good.begin() + 2, good.end())},
        {"EXIF after the frame header",
         join({jpegbytes::soi(), jpegbytes::sof0Colour(16, 8), camerafiles::exifOrientationSegment(6, false)})},
        {"unknown byte order", changed(tiffStart, {'I', 'M'})},
        {"not TIFF", changed(tiffStart + 2, {43, 0})},
        {"IFD0 past the block", changed(tiffStart + 4, {0xF0, 0xFF, 0xFF, 0xFF})},
        {"entry count past the block", changed(tiffStart + 8, {0xFF, 0xFF})},
        {"value of type LONG", changed(entryStart + 2, {4, 0})},
        {"two values", changed(entryStart + 4, {2, 0})},
        {"value 0", changed(entryStart + 8, {0, 0})},
        {"value 9", changed(entryStart + 8, {9, 0})},
        {"segment length past the file", changed(4, {0xFF, 0xFF})},
        {"segment length below 2", changed(4, {0, 1})},
        {"no Exif identifier", changed(6, {'E', 'x', 'i', 'F'})},
    };
    for (const auto& c : cases)
        EXPECT_EQ(orientationOf(c.file), 1) << c.what;
    EXPECT_EQ(exifOrientation(nullptr, 0), 1);
}

TEST(ExifOrientation, EveryCutOfTheFileReadsWithinIt)
{
    const Bytes good = fileWith(camerafiles::exifOrientationSegment(3, true));
    for (size_t size = 0; size <= good.size(); ++size) {
        const Bytes cut(good.begin(), good.begin() + static_cast<ptrdiff_t>(size));
        const int32_t orientation = orientationOf(cut);
        EXPECT_TRUE(orientation == 1 || orientation == 3) << size;
    }
}

// A 3 x 2 picture whose samples are numbered 0..5 in plane 0, from 10 in
// plane 1 and from 20 in plane 2, row by row.
void fillNumbered(pctr& p)
{
    ASSERT_TRUE(p.allocate(3, 2));
    for (int k = 0; k < 3; ++k)
        std::iota(p.plane[k].get(), p.plane[k].get() + 6, uint8_t(10 * k));
}

TEST(TurnUpright, EachOrientationGivesItsTurnOrMirror)
{
    // Stored:  0 1 2
    //          3 4 5
    const struct {
        int32_t orientation;
        int32_t width, height;
        std::vector<uint8_t> upright;
    } cases[] = {
        {1, 3, 2, {0, 1, 2, 3, 4, 5}}, {2, 3, 2, {2, 1, 0, 5, 4, 3}}, {3, 3, 2, {5, 4, 3, 2, 1, 0}},
        {4, 3, 2, {3, 4, 5, 0, 1, 2}}, {5, 2, 3, {0, 3, 1, 4, 2, 5}}, {6, 2, 3, {3, 0, 4, 1, 5, 2}},
        {7, 2, 3, {5, 2, 4, 1, 3, 0}}, {8, 2, 3, {2, 5, 1, 4, 0, 3}},
    };
    for (const auto& c : cases) {
        pctr p;
        fillNumbered(p);
        ASSERT_TRUE(turnUpright(p, c.orientation));
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(p.width[k], c.width) << c.orientation;
            EXPECT_EQ(p.height[k], c.height) << c.orientation;
            EXPECT_EQ(p.size[k], 6);
            std::vector<uint8_t> expected = c.upright;
            for (uint8_t& v : expected)
                v = uint8_t(v + 10 * k);
            EXPECT_EQ(std::vector<uint8_t>(p.plane[k].get(), p.plane[k].get() + 6), expected) << c.orientation;
        }
    }
}

TEST(TurnUpright, OtherValuesAndEmptyPicturesChangeNothing)
{
    pctr p;
    fillNumbered(p);
    EXPECT_FALSE(turnUpright(p, 0));
    EXPECT_FALSE(turnUpright(p, 9));
    EXPECT_EQ(p.width[0], 3);
    EXPECT_EQ(p.plane[2][1], 21);
    pctr empty;
    EXPECT_TRUE(turnUpright(empty, 6));
    EXPECT_FALSE(empty.plane[0]);
}

}  // namespace
