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

// The pictures below draw their randomness from an integer hash rather than
// <random>, whose distributions differ between standard libraries.
uint32_t mixBits(uint32_t h)
{
    h ^= h >> 16;
    h *= 0x7feb352du;
    h ^= h >> 15;
    h *= 0x846ca68bu;
    h ^= h >> 16;
    return h;
}

uint32_t hashOf(uint32_t a, uint32_t b, uint32_t seed)
{
    return mixBits(a * 0x9e3779b1u ^ mixBits(b + seed * 0x85ebca6bu));
}

// In [0, 1).
double unitValue(uint32_t hash) { return (hash >> 8) * (1.0 / 16777216.0); }

double latticeValue(int32_t x, int32_t y, uint32_t seed)
{
    return unitValue(hashOf(static_cast<uint32_t>(x), static_cast<uint32_t>(y), seed));
}

double smoothStep(double t) { return t * t * (3 - 2 * t); }

// Value noise: a random value at each integer point, blended smoothly between.
double valueNoise(double x, double y, uint32_t seed)
{
    const double left = std::floor(x), top = std::floor(y);
    const auto ix = static_cast<int32_t>(left), iy = static_cast<int32_t>(top);
    const double tx = smoothStep(x - left), ty = smoothStep(y - top);
    const double upper = std::lerp(latticeValue(ix, iy, seed), latticeValue(ix + 1, iy, seed), tx);
    const double lower = std::lerp(latticeValue(ix, iy + 1, seed), latticeValue(ix + 1, iy + 1, seed), tx);
    return std::lerp(upper, lower, ty);
}

// Octaves of value noise, the first with cells of cellSize pixels, each next
// one with cells half as large and gain times the amplitude; in [0, 1).
double fractalNoise(double x, double y, double cellSize, int octaves, double gain, uint32_t seed)
{
    double sum = 0, amplitude = 1, total = 0;
    for (int octave = 0; octave < octaves; ++octave, cellSize /= 2, amplitude *= gain) {
        sum += amplitude * valueNoise(x / cellSize, y / cellSize, seed + static_cast<uint32_t>(octave));
        total += amplitude;
    }
    return sum / total;
}

// Close to normal with a standard deviation of sigma: four uniform bytes
// summed, whose own deviation is sqrt(4 * (256^2 - 1) / 12).
double sensorGrain(uint32_t sample, uint32_t seed, double sigma)
{
    const uint32_t h = hashOf(sample, 0, seed);
    const int sum = int(h & 255) + int(h >> 8 & 255) + int(h >> 16 & 255) + int(h >> 24);
    return (sum - 510) * (sigma / 147.8);
}

struct Colour {
    double r, g, b;
};

Colour mix(const Colour& a, const Colour& b, double t)
{
    return {std::lerp(a.r, b.r, t), std::lerp(a.g, b.g, t), std::lerp(a.b, b.b, t)};
}

Colour scaled(const Colour& c, double factor) { return {c.r * factor, c.g * factor, c.b * factor}; }

// Each channel its own grain; pixel is the index of the pixel in the picture.
Colour withGrain(const Colour& c, uint32_t pixel, uint32_t seed, double sigma)
{
    return {c.r + sensorGrain(pixel * 3, seed, sigma), c.g + sensorGrain(pixel * 3 + 1, seed, sigma),
            c.b + sensorGrain(pixel * 3 + 2, seed, sigma)};
}

void storePixel(RgbImage& image, int x, int y, const Colour& c)
{
    uint8_t* px = &image.rgb[(size_t(y) * image.width + x) * 3];
    const double channels[3] = {c.r, c.g, c.b};
    for (size_t k = 0; k < 3; ++k)
        px[k] = static_cast<uint8_t>(std::clamp(channels[k], 0.0, 255.0) + 0.5);
}

// Where the sky meets the hills, as a fraction of the height, per column.
std::vector<double> skyline(int width, uint32_t seed)
{
    const double a = 6.28 * unitValue(hashOf(1, 0, seed)), b = 6.28 * unitValue(hashOf(2, 0, seed));
    std::vector<double> horizon(static_cast<size_t>(width));
    for (int x = 0; x < width; ++x) {
        const double fx = double(x) / width;
        horizon[size_t(x)] = 0.45 + 0.05 * std::sin(5.3 * fx + a) + 0.025 * std::sin(13.7 * fx + b) +
                             0.008 * std::sin(47.0 * fx + a + b);
    }
    return horizon;
}

struct Building {
    int left, right, top, base;  // pixels; right and base exclusive
    Colour wall;
};

// A handful of blocks on a common street line, rising into the sky.
std::vector<Building> buildings(int width, int height, uint32_t seed)
{
    std::vector<Building> made;
    const int base = int(0.72 * height);
    for (uint32_t n = 0; n < 6; ++n) {
        const double left = 0.05 + 0.85 * unitValue(hashOf(n, 1, seed));
        const double span = 0.04 + 0.08 * unitValue(hashOf(n, 2, seed));
        const double top = 0.22 + 0.3 * unitValue(hashOf(n, 3, seed));
        const double tone = unitValue(hashOf(n, 4, seed));
        made.push_back({int(left * width), int(std::min(left + span, 1.0) * width), int(top * height), base,
                        mix({150, 150, 155}, {200, 180, 150}, tone)});
    }
    return made;
}

const Building* buildingAt(const std::vector<Building>& all, int x, int y)
{
    for (const Building& b : all)
        if (x >= b.left && x < b.right && y >= b.top && y < b.base)
            return &b;
    return nullptr;
}

// A wall lit from the left, with a grid of windows, some lit.
Colour wallColour(const Building& b, int x, int y, int width, uint32_t seed)
{
    const int cellW = std::max(width / 90, 4), cellH = std::max(width / 60, 4);
    const int column = (x - b.left) / cellW, storey = (y - b.top) / cellH;
    const bool pane = (x - b.left) % cellW >= cellW / 4 && (y - b.top) % cellH >= cellH / 3;
    const double across = double(x - b.left) / std::max(b.right - b.left, 1);
    if (!pane)
        return scaled(b.wall, 1.0 - 0.15 * across);
    const bool lit = unitValue(hashOf(static_cast<uint32_t>(column), static_cast<uint32_t>(storey),
                                      seed + static_cast<uint32_t>(b.left))) < 0.2;
    return lit ? Colour{220, 200, 140} : Colour{40, 48, 60};
}

// Blue overhead, paler to the horizon, with soft clouds.
Colour skyColour(int x, int y, double horizonY, int width, uint32_t seed)
{
    const Colour sky = mix({70, 120, 200}, {185, 205, 230}, y / horizonY);
    const double clouds = fractalNoise(x, y, width / 5.0, 4, 0.5, seed + 100);
    return mix(sky, {235, 236, 240}, 0.85 * smoothStep(std::clamp((clouds - 0.52) * 4, 0.0, 1.0)));
}

// Grass and earth, hazy and smooth by the hills, sharp and busy in front.
Colour groundColour(int x, int y, double horizonY, int height, uint32_t seed)
{
    const double depth = std::clamp((y - horizonY) / (height - horizonY), 0.0, 1.0);
    // Many octaves average out towards 0.5, so their spread is widened.
    const double texture = fractalNoise(x, y, 48, 6, 0.85, seed + 200);
    // Leaves and blades: small patches with hard edges, lit or shaded.
    const double leaves = valueNoise(x / 5.0, y / 5.0, seed + 400) > 0.55 ? 1.3 : 0.8;
    const Colour tint = mix({60, 95, 40}, {115, 92, 60}, valueNoise(x / 700.0, y / 700.0, seed + 300));
    const Colour haze{150, 165, 175};
    return mix(haze, scaled(tint, leaves * (1.0 + 2.4 * (texture - 0.5))), 0.35 + 0.65 * depth);
}

}  // namespace

RgbImage makeLandscape(int width, int height, uint32_t seed)
{
    RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    const std::vector<double> horizon = skyline(width, seed);
    const std::vector<Building> blocks = buildings(width, height, seed);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double horizonY = horizon[size_t(x)] * height;
            const auto pixel = static_cast<uint32_t>(size_t(y) * width + x);
            if (const Building* b = buildingAt(blocks, x, y))
                storePixel(image, x, y, withGrain(wallColour(*b, x, y, width, seed), pixel, seed, 1.5));
            else if (y < horizonY)
                storePixel(image, x, y, withGrain(skyColour(x, y, horizonY, width, seed), pixel, seed, 1.0));
            else
                storePixel(image, x, y, withGrain(groundColour(x, y, horizonY, height, seed), pixel, seed, 2.0));
        }
    }
    return image;
}

namespace {

// A soft round light: 1 at its centre, fading to nothing a few radii away.
double glow(double u, double v, double centreU, double centreV, double radius)
{
    const double du = u - centreU, dv = v - centreV;
    return std::exp(-(du * du + dv * dv) / (radius * radius));
}

}  // namespace

RgbImage makeNoisyPlasma(int width, int height, uint32_t seed)
{
    RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    const double cell = std::max(width, height) / 3.0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Colour plasma{255 * fractalNoise(x, y, cell, 5, 0.6, seed),
                                255 * fractalNoise(x, y, cell, 5, 0.6, seed + 1),
                                255 * fractalNoise(x, y, cell, 5, 0.6, seed + 2)};
            storePixel(image, x, y, withGrain(plasma, static_cast<uint32_t>(size_t(y) * width + x), seed, 24));
        }
    }
    return image;
}

RgbImage makeSmoothDark(int width, int height)
{
    RgbImage image{width, height, std::vector<uint8_t>(size_t(width) * height * 3)};
    const double aspect = double(height) / std::max(width, 1);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Both measured in widths, so that the glows are round.
            const double u = double(x) / width, v = double(y) / width;
            const Colour base = mix({8, 10, 22}, {26, 14, 34}, (u + v / aspect) / 2);
            const Colour cold = scaled({13, 18, 24}, glow(u, v, 0.3, 0.2, 0.22));
            const Colour warm = scaled({16, 9, 14}, glow(u, v, 0.78, 0.4, 0.16));
            const double edge = (u - 0.5) * (u - 0.5) + (v - aspect / 2) * (v - aspect / 2);
            const Colour lit{base.r + cold.r + warm.r, base.g + cold.g + warm.g, base.b + cold.b + warm.b};
            storePixel(image, x, y, scaled(lit, 1.0 - 0.8 * edge));
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

bool storesInks(ColourSpace space)
{
    return space == ColourSpace::cmykAdobe || space == ColourSpace::cmykPlain || space == ColourSpace::ycck;
}

// Components, their colour space and the markers that name it. libjpeg
// marks RGB, CMYK and YCCK with an Adobe marker; the two kinds that go
// without one drop it.
void setColourSpace(jpeg_compress_struct& info, const EncodeOptions& options)
{
    if (options.greyscale) {
        jpeg_set_colorspace(&info, JCS_GRAYSCALE);  // libjpeg-turbo keeps the luma of the RGB input
        return;
    }
    switch (options.colourSpace) {
    case ColourSpace::yCbCr: break;  // what jpeg_set_defaults chose for RGB input
    case ColourSpace::ycck: jpeg_set_colorspace(&info, JCS_YCCK); break;
    case ColourSpace::rgbAdobe:
    case ColourSpace::rgbByIds: jpeg_set_colorspace(&info, JCS_RGB); break;
    case ColourSpace::cmykAdobe:
    case ColourSpace::cmykPlain: jpeg_set_colorspace(&info, JCS_CMYK); break;
    }
    if (options.colourSpace == ColourSpace::rgbByIds || options.colourSpace == ColourSpace::cmykPlain)
        info.write_Adobe_marker = FALSE;
}

void setSampling(jpeg_compress_struct& info, const EncodeOptions& options)
{
    if (!options.sampling.empty()) {
        if (options.sampling.size() != size_t(info.num_components))
            throw std::invalid_argument("sampling factors for a different number of components");
        for (int k = 0; k < info.num_components; ++k) {
            info.comp_info[k].h_samp_factor = options.sampling[size_t(k)].h;
            info.comp_info[k].v_samp_factor = options.sampling[size_t(k)].v;
        }
        return;
    }
    const bool colour = info.num_components == 3;  // a lone component is never subsampled, nor are four
    const int h = colour && options.subsampling != Subsampling::s444 ? 2 : 1;
    const int v = colour && options.subsampling == Subsampling::s420 ? 2 : 1;
    info.comp_info[0].h_samp_factor = h;
    info.comp_info[0].v_samp_factor = v;
    for (int k = 1; k < info.num_components; ++k)
        info.comp_info[k].h_samp_factor = info.comp_info[k].v_samp_factor = 1;
}

// 'R', 'G', 'B' as libjpeg numbers RGB components are what marks rgbByIds.
void numberComponents(jpeg_compress_struct& info, const EncodeOptions& options)
{
    if (options.colourSpace == ColourSpace::rgbByIds && !options.greyscale)
        return;
    for (int k = 0; k < info.num_components; ++k)
        info.comp_info[k].component_id = options.firstComponentId + k;
}

std::vector<jpeg_scan_info> scanScript(const std::vector<ScanSpec>& scans)
{
    std::vector<jpeg_scan_info> script;
    for (const ScanSpec& scan : scans) {
        if (scan.components.empty() || scan.components.size() > MAX_COMPS_IN_SCAN)
            throw std::invalid_argument("a scan codes one to four components");
        jpeg_scan_info info{};
        info.comps_in_scan = static_cast<int>(scan.components.size());
        std::copy(scan.components.begin(), scan.components.end(), info.component_index);
        info.Ss = scan.spectralStart;
        info.Se = scan.spectralEnd;
        info.Ah = scan.approxHigh;
        info.Al = scan.approxLow;
        script.push_back(info);
    }
    return script;
}

// Inverted inks, as Adobe's programs store CMYK: K is the brightest channel,
// and each ink is its channel over K, so that C * K / 255 gives R back.
void rgbToInvertedCmyk(const uint8_t* rgb, uint8_t* cmyk)
{
    const int k = std::max({rgb[0], rgb[1], rgb[2]});
    for (int c = 0; c < 3; ++c)
        cmyk[c] = static_cast<uint8_t>(k == 0 ? 255 : (rgb[c] * 255 + k / 2) / k);
    cmyk[3] = static_cast<uint8_t>(k);
}

// A row of RGB as the inks libjpeg is given: inverted, or as they are.
void inkRow(const uint8_t* rgb, bool inverted, std::vector<uint8_t>& inks)
{
    for (size_t x = 0; x < inks.size() / 4; ++x)
        rgbToInvertedCmyk(rgb + x * 3, &inks[x * 4]);
    if (!inverted)
        for (uint8_t& ink : inks)
            ink = static_cast<uint8_t>(255 - ink);
}

void writeRows(jpeg_compress_struct& info, const RgbImage& image, ColourSpace space)
{
    const bool toInks = info.in_color_space == JCS_CMYK;
    std::vector<uint8_t> inks(toInks ? size_t(image.width) * 4 : 0);
    while (info.next_scanline < info.image_height) {
        const uint8_t* rgb = &image.rgb[size_t(info.next_scanline) * image.width * 3];
        JSAMPROW row = const_cast<uint8_t*>(rgb);
        if (toInks) {
            inkRow(rgb, space != ColourSpace::cmykPlain, inks);
            row = inks.data();
        }
        jpeg_write_scanlines(&info, &row, 1);
    }
}

// Counts a warning without printing it; trace messages are dropped.
void countWarning(j_common_ptr info, int level)
{
    if (level < 0)
        ++info->err->num_warnings;
}

void setArithmeticCoding(jpeg_compress_struct& info, const EncodeOptions& options)
{
    info.arith_code = options.arithmetic ? TRUE : FALSE;
    for (int t = 0; t < NUM_ARITH_TBLS; ++t) {
        info.arith_dc_L[t] = static_cast<UINT8>(options.dcLower);
        info.arith_dc_U[t] = static_cast<UINT8>(options.dcUpper);
        info.arith_ac_K[t] = static_cast<UINT8>(options.acLimit);
    }
}

}  // namespace

std::vector<uint8_t> encodeJpeg(const RgbImage& image, const EncodeOptions& options)
{
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    errors.error_exit = throwOnError;
    // libjpeg-turbo notes 16-bit tables in a trace message, which would
    // print; a warning would mean the file is not the one asked for.
    errors.emit_message = countWarning;
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = static_cast<JDIMENSION>(image.width);
    info.image_height = static_cast<JDIMENSION>(image.height);
    const bool inks = !options.greyscale && storesInks(options.colourSpace);
    info.input_components = inks ? 4 : 3;
    info.in_color_space = inks ? JCS_CMYK : JCS_RGB;
    jpeg_set_defaults(&info);
    setColourSpace(info, options);
    jpeg_set_quality(&info, options.quality, options.forceBaseline ? TRUE : FALSE);
    setSampling(info, options);
    numberComponents(info, options);
    const std::vector<jpeg_scan_info> script = scanScript(options.scans);
    if (!script.empty()) {
        info.scan_info = script.data();
        info.num_scans = static_cast<int>(script.size());
    } else if (options.progressive) {
        jpeg_simple_progression(&info);
    }
    info.optimize_coding = options.optimizeTables;
    setArithmeticCoding(info, options);
    info.restart_interval = static_cast<unsigned>(options.restartInterval);
    jpeg_start_compress(&info, TRUE);
    writeRows(info, image, options.colourSpace);
    jpeg_finish_compress(&info);
    std::vector<uint8_t> out(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    free(buffer);
    if (errors.num_warnings > 0)
        throw std::runtime_error("libjpeg-turbo warned while encoding");
    return out;
}

namespace {

// One ink and K as RGB: Adobe's inverted storage multiplies them as they
// are; plain storage multiplies what the inks leave of white.
uint8_t inkToRgb(int ink, int black, bool inverted)
{
    if (!inverted) {
        ink = 255 - ink;
        black = 255 - black;
    }
    return static_cast<uint8_t>((ink * black + 127) / 255);
}

// Reads every row into image; four-component rows, read as CMYK, are made RGB.
void readRows(jpeg_decompress_struct& info, RgbImage& image)
{
    const bool inks = info.out_color_space == JCS_CMYK;
    std::vector<uint8_t> inkRow(inks ? size_t(image.width) * 4 : 0);
    while (info.output_scanline < info.output_height) {
        uint8_t* rgb = &image.rgb[size_t(info.output_scanline) * image.width * 3];
        JSAMPROW row = inks ? inkRow.data() : rgb;
        jpeg_read_scanlines(&info, &row, 1);
        for (size_t x = 0; inks && x < size_t(image.width); ++x)
            for (size_t c = 0; c < 3; ++c)
                rgb[x * 3 + c] = inkToRgb(inkRow[x * 4 + c], inkRow[x * 4 + 3], info.saw_Adobe_marker);
    }
}

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
    // Progressive pictures whose later scans are missing are shown as their
    // coefficients stand, not smoothed across blocks.
    info.do_block_smoothing = FALSE;
    const bool inks = info.jpeg_color_space == JCS_CMYK || info.jpeg_color_space == JCS_YCCK;
    info.out_color_space = inks ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&info);
    RgbImage image{int(info.output_width), int(info.output_height), {}};
    image.rgb.resize(size_t(image.width) * image.height * 3);
    readRows(info, image);
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
