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
