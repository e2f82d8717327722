#include "support/jpeg_builder.h"

#include <algorithm>
#include <cstddef>

namespace jpegbytes {

// Sized once and filled in place: GCC 12 takes an insert after a short
// initializer list for an overflow of that list (a false -Warray-bounds).
Bytes segment(uint8_t marker, const Bytes& payload)
{
    const size_t length = payload.size() + 2;
    Bytes out(payload.size() + 4);
    out[0] = 0xFF;
    out[1] = marker;
    out[2] = static_cast<uint8_t>(length >> 8);
    out[3] = static_cast<uint8_t>(length);
    std::copy(payload.begin(), payload.end(), out.begin() + 4);
    return out;
}

Bytes soi() { return {0xFF, 0xD8}; }
Bytes eoi() { return {0xFF, 0xD9}; }

Bytes sof0(uint16_t width, uint16_t height, std::initializer_list<FrameComponent> components, uint8_t precision)
{
    Bytes payload{precision,
                  static_cast<uint8_t>(height >> 8),
                  static_cast<uint8_t>(height),
                  static_cast<uint8_t>(width >> 8),
                  static_cast<uint8_t>(width),
                  static_cast<uint8_t>(components.size())};
    for (const auto& c : components)
        payload.insert(payload.end(), {c.id, c.sampling, c.quantTable});
    return segment(0xC0, payload);
}

Bytes sos(std::initializer_list<ScanComponent> components)
{
    Bytes payload{static_cast<uint8_t>(components.size())};
    for (const auto& c : components)
        payload.insert(payload.end(), {c.id, c.tables});
    payload.insert(payload.end(), {0, 63, 0});
    return segment(0xDA, payload);
}

Bytes dqt(uint8_t id, uint8_t value)
{
    Bytes payload(65, value);
    payload[0] = id;
    return segment(0xDB, payload);
}

Bytes dht(uint8_t tableClass, uint8_t id, const std::vector<uint8_t>& counts, const std::vector<uint8_t>& values)
{
    Bytes payload{static_cast<uint8_t>(tableClass << 4 | id)};
    payload.insert(payload.end(), counts.begin(), counts.end());
    payload.resize(1 + 16, 0);  // counts not given are zero
    payload.insert(payload.end(), values.begin(), values.end());
    return segment(0xC4, payload);
}

Bytes dri(uint16_t interval)
{
    return segment(0xDD, {static_cast<uint8_t>(interval >> 8), static_cast<uint8_t>(interval)});
}

Bytes app1(const Bytes& payload) { return segment(0xE1, payload); }

Bytes sof0Colour(uint16_t width, uint16_t height, uint8_t lumaSampling)
{
    return sof0(width, height, {{1, lumaSampling, 0}, {2, 0x11, 0}, {3, 0x11, 0}});
}

Bytes sosColour() { return sos({{1, 0x00}, {2, 0x00}, {3, 0x00}}); }

Bytes zeroTables()
{
    const std::vector<uint8_t> oneCode = {1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return join({dqt(0), dht(0, 0, oneCode, {0x00}), dht(1, 0, oneCode, {0x00})});
}

Bytes join(std::initializer_list<Bytes> parts)
{
    Bytes out;
    for (const auto& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

}  // namespace jpegbytes
