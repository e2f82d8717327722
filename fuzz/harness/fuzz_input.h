#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <type_traits>

// Reads typed values off the front of a fuzz input. Once the bytes run out
// every value reads as if made of zero bytes, so any input is a complete
// run.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    size_t remaining() const { return size_ - used_; }

    template <typename T>
    T integral()
    {
        std::make_unsigned_t<T> value = 0;
        for (size_t k = 0; k < sizeof(T); ++k)
            value = static_cast<std::make_unsigned_t<T>>(value | uint64_t{nextByte()} << (8 * k));
        return static_cast<T>(value);
    }

    bool flag() { return (nextByte() & 1) != 0; }

    // low..high inclusive, from as few bytes as the span needs.
    int32_t inRange(int32_t low, int32_t high)
    {
        const uint64_t span = uint64_t(int64_t{high} - low) + 1;
        const uint64_t raw = span <= 256 ? nextByte() : span <= 65536 ? integral<uint16_t>() : integral<uint32_t>();
        return static_cast<int32_t>(low + static_cast<int64_t>(raw % span));
    }

    double realInRange(double low, double high) { return low + (high - low) * (integral<uint32_t>() / 4294967296.0); }

    // Any finite double; the bit patterns of NaN and the infinities read as
    // the largest finite value of their sign.
    double finiteReal()
    {
        const auto bits = integral<uint64_t>();
        double value = 0.0;
        std::memcpy(&value, &bits, sizeof value);
        if (std::isfinite(value))
            return value;
        return std::signbit(value) ? -std::numeric_limits<double>::max() : std::numeric_limits<double>::max();
    }

    template <typename T, size_t N>
    T pick(const std::array<T, N>& values)
    {
        return values[static_cast<size_t>(inRange(0, static_cast<int32_t>(N) - 1))];
    }

    std::string text(size_t maxLength)
    {
        const size_t length = std::min<size_t>(static_cast<size_t>(inRange(0, 65535)) % (maxLength + 1), remaining());
        std::string out(reinterpret_cast<const char*>(data_ + used_), length);
        used_ += length;
        return out;
    }

private:
    uint8_t nextByte() { return used_ < size_ ? data_[used_++] : 0; }

    const uint8_t* data_;
    size_t size_;
    size_t used_ = 0;
};
