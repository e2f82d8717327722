#include "support/scan_damage.h"

#include <cstddef>

std::vector<uint8_t> damagedAt(std::vector<uint8_t> bytes, double at)
{
    const auto from = size_t(double(bytes.size()) * at) & ~size_t{1};
    for (size_t n = from; n < from + 64 && n + 1 < bytes.size() - 2; n += 2) {
        bytes[n] = 0xFF;
        bytes[n + 1] = 0x00;
    }
    return bytes;
}

std::vector<uint8_t> withRestartMarkerLost(std::vector<uint8_t> bytes, double at)
{
    for (auto n = size_t(double(bytes.size()) * at); n + 1 < bytes.size(); ++n)
        if (bytes[n] == 0xFF && bytes[n + 1] >= 0xD0 && bytes[n + 1] <= 0xD7) {
            bytes.erase(bytes.begin() + std::ptrdiff_t(n), bytes.begin() + std::ptrdiff_t(n) + 2);
            break;
        }
    return bytes;
}

std::vector<uint8_t> withTrailingJunk(std::vector<uint8_t> bytes)
{
    std::vector<uint8_t> junk(3000);
    for (size_t n = 0; n < junk.size(); ++n)
        junk[n] = static_cast<uint8_t>((n * 131 + 7) % 255);  // never 0xFF
    bytes.insert(bytes.end() - 2, junk.begin(), junk.end());
    return bytes;
}
