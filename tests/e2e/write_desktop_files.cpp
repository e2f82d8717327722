// Writes the files of the desktop end-to-end test into the folder given:
//   album/a.jpg, album/B.bmp, album/c.JPG   three pictures to go through
//                                           (solid red, the BMP builder's
//                                           gradient, solid blue)
//   portrait.jpg   64 x 32 stored, red left and blue right, with EXIF
//                  orientation 6: upright it is 32 x 64, red above blue
//   notes.jpg      text, no JPEG at all
//   deep.bmp       a 32-bit BMP
#include <string>
#include <vector>

#include "support/bmp_builder.h"
#include "support/camera_segments.h"
#include "support/generated_files.h"
#include "support/reference_codec.h"

namespace {

struct Colour {
    uint8_t r, g, b;
};

// Columns left of split get left, the rest right.
RgbImage halves(int width, int height, int split, Colour left, Colour right)
{
    RgbImage image{width, height, {}};
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const Colour c = x < split ? left : right;
            image.rgb.insert(image.rgb.end(), {c.r, c.g, c.b});
        }
    return image;
}

std::vector<uint8_t> jpeg(const RgbImage& image) { return encodeJpeg(image, {95, Subsampling::s444, 0, false}); }

bool write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes)
{
    return writeGeneratedFile(path, "", bytes.data(), bytes.size());
}

}  // namespace

int main(int argc, char** argv)
{
    const auto folder = outputFolder(argc, argv);
    if (!folder)
        return 2;
    std::filesystem::create_directories(*folder / "album");
    constexpr Colour red{220, 0, 0};
    constexpr Colour blue{0, 0, 220};
    const auto portrait = camerafiles::withSegmentsAfterSoi(jpeg(halves(64, 32, 32, red, blue)),
                                                            camerafiles::exifOrientationSegment(6, false));
    const std::string notes = "shopping: bread, milk\n";
    const bool written = write(*folder / "album/a.jpg", jpeg(halves(64, 48, 64, red, red))) &&
                         write(*folder / "album/B.bmp", makeBmp({64, 48})) &&
                         write(*folder / "album/c.JPG", jpeg(halves(64, 48, 64, blue, blue))) &&
                         write(*folder / "portrait.jpg", portrait) &&
                         write(*folder / "notes.jpg", std::vector<uint8_t>(notes.begin(), notes.end())) &&
                         write(*folder / "deep.bmp", makeBmp({4, 4, 32}));
    return written ? 0 : 1;
}
