#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

// What the next decode takes. The shell sets them at the user's commands;
// decodeImage reads them, and writes back the image it resolved.
extern int32_t idctIndex;      // 0 Feig-Winograd, 1 AAN, 2 AAN second form
extern int32_t subImageIndex;  // embedded image to decode; -1 = the main picture

// The family a command line names: "fw", "aan" or "aan2".
inline std::optional<int32_t> idctFamilyNamed(std::string_view name)
{
    if (name == "fw")
        return 0;
    if (name == "aan")
        return 1;
    if (name == "aan2")
        return 2;
    return std::nullopt;
}
