#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "base/file_reader.h"

namespace {

namespace fs = std::filesystem;

// The disk reader says why a file cannot be read, so that a user learns
// whether to look for it, for a file in a folder, or at its permissions.
class DiskReasons : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() /
                  ("viewer-reasons-" + std::to_string(testing::UnitTest::GetInstance()->random_seed()));
        fs::create_directories(folder_ / "pictures.jpg");
        std::ofstream(folder_ / "plain.jpg", std::ios::binary).put('x');
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::permissions(folder_ / "plain.jpg", fs::perms::owner_all, ignored);
        fs::remove_all(folder_, ignored);
    }

    FileReader::Result read(const fs::path& path)
    {
        std::vector<uint8_t> bytes{9};
        const FileReader::Result result = fileReader().read(path.string(), bytes);
        EXPECT_TRUE(result == FileReader::Result::ok || bytes.empty()) << path;
        return result;
    }

    fs::path folder_;
};

TEST_F(DiskReasons, MissingFilesAndFoldersAreToldApart)
{
    const struct {
        fs::path path;
        FileReader::Result result;
    } cases[] = {
        {folder_ / "gone.jpg", FileReader::Result::noSuchFile},
        {folder_ / "gone" / "a.jpg", FileReader::Result::noSuchFile},
        {folder_ / "pictures.jpg", FileReader::Result::isFolder},
        {folder_ / "plain.jpg", FileReader::Result::ok},
    };
    for (const auto& c : cases)
        EXPECT_EQ(read(c.path), c.result) << c.path;
}

// Where the system lets the owner read a file without its read permission
// (an administrator), there is nothing to check.
TEST_F(DiskReasons, AFileThatMayNotBeReadSaysSo)
{
    fs::permissions(folder_ / "plain.jpg", fs::perms::none);
    const FileReader::Result result = read(folder_ / "plain.jpg");
    if (result == FileReader::Result::ok)
        GTEST_SKIP() << "the file can be read without its read permission here";
    EXPECT_EQ(result, FileReader::Result::permissionDenied);
    EXPECT_STREQ(describeReadFailure(result), "permission denied");
}

}  // namespace
