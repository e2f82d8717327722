#include "support/camera_files.h"

#include <algorithm>
#include <random>
#include <utility>

#include "support/reference_codec.h"

namespace camerafiles {

namespace {

using jpegbytes::join;

constexpr int32_t mainWidth = 48, mainHeight = 32;

CameraImage encoded(int32_t width, int32_t height, uint32_t seed, const EncodeOptions& options)
{
    return {width, height, encodeJpeg(makePhotoLike(width, height, seed), options)};
}

Bytes mainPicture(const EncodeOptions& options = {90, Subsampling::s420})
{
    return encoded(mainWidth, mainHeight, 11, options).stream;
}

// Thumbnails as cameras store them: 4:2:2, two MCUs at this size.
CameraImage thumbnail(uint32_t seed) { return encoded(16, 16, seed, {75, Subsampling::s422}); }

// A maker note in the manufacturer's own layout, which no reader should
// look into.
Bytes makerNote(const Bytes& body) { return join({{'C', 'a', 'm', 0, 0x01, 0x00}, body}); }

// The images before the main picture, the main picture (libjpeg-turbo
// reads it from the whole file), then the images after it.
CameraFile withImages(std::string name, Bytes bytes, std::vector<CameraImage> before,
                      const std::vector<CameraImage>& after = {})
{
    CameraFile file{std::move(name), std::move(bytes), static_cast<int32_t>(before.size()), std::move(before)};
    file.images.push_back({mainWidth, mainHeight, file.bytes});
    file.images.insert(file.images.end(), after.begin(), after.end());
    return file;
}

// Noise with the stray pairs planted every few KB, and no 0xFF 0xD8 pair,
// so that nothing in it may start a stream.
Bytes binaryTrailer(size_t size)
{
    std::mt19937 random(300);
    Bytes out(size);
    for (uint8_t& byte : out)
        byte = static_cast<uint8_t>(random() >> 24);
    const Bytes pairs = strayPairs();
    for (size_t at = 1000; at + pairs.size() <= size; at += 4096)
        std::copy(pairs.begin(), pairs.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    for (size_t i = 0; i + 1 < size; ++i)
        if (out[i] == 0xFF && out[i + 1] == 0xD8)
            out[i + 1] = 0x00;
    return out;
}

// A scan header for the three components of the main picture, left in a
// comment by an editor.
Bytes commentWithScanHeader()
{
    const Bytes scanHeader = {0xFF, 0xDA, 0x00, 0x0C, 0x03, 0x01, 0x00, 0x02, 0x11, 0x03, 0x11, 0x00, 0x3F, 0x00};
    return jpegbytes::segment(0xFE, join({scanHeader, {'e', 'd', 'i', 't', 'e', 'd'}}));
}

void addAppendedImages(std::vector<CameraFile>& files, const Bytes& main)
{
    const CameraImage thumb = thumbnail(23);
    const CameraImage large = encoded(32, 24, 41, {80, Subsampling::s420});
    const CameraImage small = encoded(24, 16, 43, {80, Subsampling::s444});
    const CameraImage grey = encoded(24, 16, 31, {85, Subsampling::s444, 0, false, true});
    files.push_back(withImages("GreyscaleAfterEnd", join({main, grey.stream}), {}, {grey}));
    files.push_back(withImages("MpfSecondaryImages", mpfFile(main, {large.stream, small.stream}), {}, {large, small}));
    files.push_back(withImages("ExifThumbnailAndMpfSecondaries",
                               mpfFile(main, {large.stream, small.stream}, exifSegment(makerNote({}), thumb.stream)),
                               {thumb}, {large, small}));
}

void addTruncations(std::vector<CameraFile>& files, const Bytes& main)
{
    for (const auto& [name, percent] : {std::pair{"ScanCutAtHalf", 50}, {"ScanCutNearEnd", 99}}) {
        files.push_back(withImages(name, truncatedScan(main, percent), {}));
        files.back().truncated = true;
    }
}

}  // namespace

std::vector<CameraFile> cameraFiles()
{
    const Bytes main = mainPicture();
    const CameraImage exifThumb = thumbnail(21), photoshopThumb = thumbnail(22), restartThumb = thumbnail(24);
    std::vector<CameraFile> files;
    files.push_back(withImages("MakerNoteHoldsStrayPairs",
                               withSegmentsAfterSoi(main, exifSegment(makerNote(strayPairs()), exifThumb.stream)),
                               {exifThumb}));
    files.push_back(
        withImages("IccProfileHoldsStrayPairs", withSegmentsAfterSoi(main, iccProfileSegment(strayPairs())), {}));
    const Bytes photoshop = photoshopSegment(strayPairs(), photoshopThumb.stream, 16, 16);
    files.push_back(
        withImages("PhotoshopThumbnailAfterStrayPairs", withSegmentsAfterSoi(main, photoshop), {photoshopThumb}));
    files.push_back(withImages("QuantValuesHoldScanPair", withQuantValues(main, 62, {255, 218}), {}));
    files.push_back(withImages("UnusedHuffmanTableHoldsScanPair",
                               withSegmentsBeforeScan(main, jpegbytes::dht(1, 3, {0, 3, 1}, {0x01, 0xFF, 0xDA, 0x02})),
                               {}));
    files.push_back(withImages("CommentHoldsScanHeader", withSegmentsBeforeScan(main, commentWithScanHeader()), {}));
    files.push_back(withImages("BinaryDataAfterEnd", join({main, binaryTrailer(300 * 1024)}), {}));
    addAppendedImages(files, main);
    EncodeOptions zeroBased{90, Subsampling::s420};
    zeroBased.firstComponentId = 0;
    files.push_back(withImages("ComponentsNumberedFromZero", mainPicture(zeroBased), {}));
    addTruncations(files, main);
    // A restart interval of one MCU, read into the thumbnail's tables, would
    // have its decode look for a restart marker after every MCU.
    const Bytes restartExif = exifSegment(makerNote(jpegbytes::dri(1)), restartThumb.stream);
    files.push_back(
        withImages("ExifThumbnailAfterRestartPair", withSegmentsAfterSoi(main, restartExif), {restartThumb}));
    return files;
}

}  // namespace camerafiles
