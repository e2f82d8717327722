#include "render/ppm_writer.h"

#include <fstream>
#include <vector>

bool writePpm(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height)
{
    std::ofstream out(path, std::ios::binary);
    if (!out || width < 0 || height < 0)
        return false;
    out << "P6\n" << width << ' ' << height << "\n255\n";
    std::vector<char> row(static_cast<size_t>(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* line = pixels + static_cast<int64_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<char>(line[x] >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(line[x] >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(line[x]);
        }
        out.write(row.data(), static_cast<std::streamsize>(row.size()));
    }
    return static_cast<bool>(out.flush());
}
