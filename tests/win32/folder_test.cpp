#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/folder_files.h"
#include "app/shell_platform.h"
#include "base/utf16.h"
#include "platform/win32/win32_platform.h"

namespace {

namespace fs = std::filesystem;

// A folder of pictures named in mixed case and beyond ASCII, a file of
// another kind and a folder named like a picture, listed by the platform.
class PictureFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / L"Ordner \u00C5\u00DF \u5199\u771F";
        fs::create_directories(folder_ / L"sub.jpg");
        for (const wchar_t* name : {L"B.JPG", L"a.jpeg", L"\u00E9t\u00E9.Jfif", L"notes.txt"})
            std::ofstream(folder_ / name, std::ios::binary).put('x');
        shellFolder_ = narrowUtf16(folder_.wstring());
        std::replace(shellFolder_.begin(), shellFolder_.end(), '\\', '/');
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    fs::path folder_;
    std::string shellFolder_;  // as the shell keeps it: UTF-8, forward slashes
    Win32Platform platform_{GetModuleHandleW(nullptr)};
};

std::vector<std::string> sorted(std::vector<std::string> names)
{
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace

TEST_F(PictureFolder, ListsItsFilesByNameAsSpeltAndNotItsFolders)
{
    const std::vector<std::string> expected{"B.JPG", "a.jpeg", "notes.txt", "\xC3\xA9t\xC3\xA9.Jfif"};
    EXPECT_EQ(sorted(platform_.filesInFolder(shellFolder_ + "/")), expected);
    EXPECT_EQ(sorted(platform_.filesInFolder(shellFolder_)), expected);
}

TEST_F(PictureFolder, MissingFolderListsNothing)
{
    EXPECT_TRUE(platform_.filesInFolder(shellFolder_ + "/missing/").empty());
}

TEST_F(PictureFolder, NextAndPreviousFileComeFromTheWindowsListing)
{
    setShellPlatform(&platform_);
    const std::string folder = shellFolder_ + "/";
    EXPECT_EQ(neighbourFile(folder + "a.jpeg", 1), folder + "B.JPG");
    EXPECT_EQ(neighbourFile(folder + "a.jpeg", -1), folder + "\xC3\xA9t\xC3\xA9.Jfif");
    setShellPlatform(nullptr);
}
