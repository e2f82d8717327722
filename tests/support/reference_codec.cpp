#include "support/reference_codec.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <jpeglib.h>
#include <random>
#include <stdexcept>
#include <utility>

RgbImage makePhotoLike(int width, int height, uint32_t seed)
{
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> phase(0.0, 6.28);
    std::normal_distribution<double> grain(0.0, 6.0);
    const double a = phase(random), b = phase(random), c = phase(random);
    RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double fx = double(x) / std::max(width, 1), fy = double(y) / std::max(height, 1);
            const double sky = 110 + 90 * std::sin(3.1 * fx + a) * std::cos(2.3 * fy + b);
            const bool stripe = std::fmod(fx * 7 + fy * 3 + c, 1.0) < 0.18;  // hard edges
            const double base = stripe ? sky * 0.55 + 60 : sky;
            uint8_t* px = &image.rgb[(size_t(y) * width + x) * 3];
            const double shade[3] = {base + 40 * fy, base * 0.9 + 30 * fx, base * 0.7 + 60 * (1 - fy)};
            for (int k = 0; k < 3; ++k)
                px[k] = static_cast<uint8_t>(std::clamp(shade[k] + grain(random), 0.0, 255.0));
        }
    }
    return image;
}

namespace {

[[noreturn]] void throwOnError(j_common_ptr info)
{
    char message[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, message);
    throw std::runtime_error(message);
}

void setSampling(jpeg_compress_struct& info, Subsampling subsampling)
{
    const bool colour = info.num_components == 3;  // a lone component is never subsampled
    const int h = colour && subsampling != Subsampling::s444 ? 2 : 1;
    const int v = colour && subsampling == Subsampling::s420 ? 2 : 1;
    info.comp_info[0].h_samp_factor = h;
    info.comp_info[0].v_samp_factor = v;
    for (int k = 1; k < info.num_components; ++k)
        info.comp_info[k].h_samp_factor = info.comp_info[k].v_samp_factor = 1;
}

// Counts a warning without printing it; trace messages are dropped.
void countWarning(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const RgbImage& image, const EncodeOptions& options)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwOnError;
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    if (options.greyscale)
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);  // libjpeg-turbo keeps the luma of the RGB input
    jpeg_set_quality(&info, options.quality, TRUE);
    setSampling(info, options.subsampling);
    for (int k = 0; k < info.num_components; ++k)
        info.comp_info[k].component_id = options.firstComponentId + k;
    info.optimize_coding = options.optimizeTables;
    info.restart_interval = static_cast<unsigned>(options.restartInterval);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        JSAMPROW row = const_cast<uint8_t*>(&image.rgb[size_t(info.next_scanline) * image.width * 3]);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    return out;
}

namespace {

ReferenceDecode decodeWith(const std::vector<uint8_t>& jpeg, bool quiet)
{
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwOnError;
    if (quiet)
        errors.emit_message = countWarning;
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = FALSE;
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    RgbImage image{int(info.output_width), int(info.output_height), {}};
    image.rgb.resize(size_t(image.width) * image.height * 3);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = &image.rgb[size_t(info.output_scanline) * image.width * 3];
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    const long warnings = errors.num_warnings;
    jpeg_destroy_decompress(&info);
    return {std::move(image), warnings};
}

}  // namespace

RgbImage decodeReference(const std::vector<uint8_t>& jpeg) { return decodeWith(jpeg, false).image; }

ReferenceDecode decodeReferenceQuietly(const std::vector<uint8_t>& jpeg) { return decodeWith(jpeg, true); }

double psnr(const RgbImage& a, const RgbImage& b)
{
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty())
        return 0.0;
    double sum = 0;
    for (size_t i = 0; i < a.rgb.size(); ++i) {
        const double d = double(a.rgb[i]) - double(b.rgb[i]);
        sum += d * d;
    }
    if (sum == 0)
        return 99.0;
    return 10.0 * std::log10(255.0 * 255.0 / (sum / double(a.rgb.size())));
}

void writePpm(const std::string& path, const RgbImage& image)
{
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return;
    std::fprintf(file, "P6\n%d %d\n255\n", image.width, image.height);
    std::fwrite(image.rgb.data(), 1, image.rgb.size(), file);
    std::fclose(file);
}
