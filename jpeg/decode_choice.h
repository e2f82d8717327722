#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

// The names command lines give the families, in idctIndex order.
inline constexpr std::array<std::string_view, 3> idctFamilyNames{"fw", "aan", "aan2"};

inline std::optional<int32_t> idctFamilyNamed(std::string_view name)
{
    for (size_t family = 0; family < idctFamilyNames.size(); ++family)
        if (name == idctFamilyNames[family])
            return int32_t(family);
    return std::nullopt;
}

// The name of the family idctIndex selects: anything but 0 and 1 is aan2.
inline std::string_view idctFamilyName(int32_t index) { return idctFamilyNames[index == 0 || index == 1 ? index : 2]; }
