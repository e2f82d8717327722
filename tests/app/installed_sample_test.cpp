#include <gtest/gtest.h>

#include "app/startup.h"

namespace {

TEST(InstalledSample, IsFoundRelativeToTheProgramsFolder)
{
    const struct {
        const char* folder;
        const char* sample;
    } cases[] = {
#ifdef _WIN32
        {"C:/Programs/Viewer", "C:/Programs/Viewer/small.jpg"},
        {"bin", "bin/small.jpg"},
#else
        {"/usr/local/bin", "/usr/local/share/viewer/small.jpg"},
        {"/bin", "/share/viewer/small.jpg"},
        {"bin", "./share/viewer/small.jpg"},
#endif
        {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(installedSample(c.folder), c.sample) << c.folder;
}

}  // namespace
