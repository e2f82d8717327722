#include <gtest/gtest.h>

#include "platform/video_drivers.h"

namespace {

TEST(VideoDrivers, OnlyThoseThatShowWindowsAreTriedInSdlsOrder)
{
    EXPECT_EQ(visibleVideoDrivers({"x11", "wayland", "KMSDRM", "offscreen", "dummy", "evdev"}), "x11,wayland,KMSDRM");
    EXPECT_EQ(visibleVideoDrivers({"wayland", "x11"}), "wayland,x11");
    EXPECT_EQ(visibleVideoDrivers({"offscreen", "dummy"}), "");
    EXPECT_EQ(visibleVideoDrivers({}), "");
}

TEST(VideoDrivers, DriversThatDrawIntoMemoryShowNothing)
{
    for (const char* driver : {"offscreen", "dummy", "evdev"})
        EXPECT_FALSE(showsWindows(driver)) << driver;
    for (const char* driver : {"x11", "wayland", "KMSDRM"})
        EXPECT_TRUE(showsWindows(driver)) << driver;
}

}  // namespace
