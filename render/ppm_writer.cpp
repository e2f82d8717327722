#include "render/ppm_writer.h"

#include <cstdio>
#include <vector>

#include "base/disk_file.h"

bool writePpm(const std::string& path, const uint32_t* pixels, int32_t width, int32_t height)
{
    if (width < 0 || height < 0)
        return false;
    std::FILE* out = createDiskFile(path);
    if (!out)
        return false;
    std::fprintf(out, "P6\n%d %d\n255\n", width, height);
    std::vector<char> row(static_cast<size_t>(width) * 3);
    for (int32_t y = 0; y < height; ++y) {
        const uint32_t* line = pixels + static_cast<int64_t>(y) * width;
        for (int32_t x = 0; x < width; ++x) {
            row[static_cast<size_t>(x) * 3] = static_cast<char>(line[x] >> 16);
            row[static_cast<size_t>(x) * 3 + 1] = static_cast<char>(line[x] >> 8);
            row[static_cast<size_t>(x) * 3 + 2] = static_cast<char>(line[x]);
        }
        std::fwrite(row.data(), 1, row.size(), out);
    }
    const bool written = !std::ferror(out);
    return std::fclose(out) == 0 && written;
}
