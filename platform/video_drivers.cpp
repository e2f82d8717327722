#include "platform/video_drivers.h"

#include <array>

bool showsWindows(std::string_view driver)
{
    constexpr std::array<std::string_view, 3> unseen{"offscreen", "dummy", "evdev"};
    for (const std::string_view name : unseen) {
        if (driver == name)
            return false;
    }
    return true;
}

std::string visibleVideoDrivers(const std::vector<std::string>& compiledIn)
{
    std::string list;
    for (const std::string& driver : compiledIn) {
        if (!showsWindows(driver))
            continue;
        if (!list.empty())
            list += ',';
        list += driver;
    }
    return list;
}
