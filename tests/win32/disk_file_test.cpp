#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "base/file_reader.h"
#include "base/utf16.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/bmp_builder.h"

namespace {

namespace fs = std::filesystem;

// A folder and a file named with letters outside any one code page, made
// through the wide file calls.
class NonAsciiFolder : public testing::Test {
protected:
    void SetUp() override
    {
        folder_ = fs::temp_directory_path() / L"Bilder \u00C5\u00DF \u5199\u771F \u0416";
        fs::create_directories(folder_);
    }
    void TearDown() override
    {
        std::error_code ignored;
        fs::remove_all(folder_, ignored);
    }

    std::string write(const std::wstring& name, const std::vector<uint8_t>& bytes)
    {
        const fs::path path = folder_ / name;
        std::ofstream(path, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        return narrowUtf16(path.wstring());
    }

    fs::path folder_;
};

}  // namespace

TEST_F(NonAsciiFolder, DiskReaderReadsEveryByteThroughTheUtf8Name)
{
    std::vector<uint8_t> bytes(100000);
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<uint8_t>(i * 7 + (i >> 8));
    const std::string path = write(L"\u00E9t\u00E9.jpg", bytes);
    std::vector<uint8_t> read;
    ASSERT_EQ(fileReader().read(path, read), FileReader::Result::ok);
    EXPECT_EQ(read, bytes);
}

TEST_F(NonAsciiFolder, DiskReaderTakesForwardSlashesAsTheShellPassesThem)
{
    std::string path = write(L"a.bmp", {1, 2, 3});
    std::replace(path.begin(), path.end(), '\\', '/');
    std::vector<uint8_t> read;
    ASSERT_EQ(fileReader().read(path, read), FileReader::Result::ok);
    EXPECT_EQ(read, (std::vector<uint8_t>{1, 2, 3}));
}

TEST_F(NonAsciiFolder, MissingFileAndFolderCannotBeOpenedSayWhyAndLeaveNoBytes)
{
    std::vector<uint8_t> read{9};
    EXPECT_EQ(fileReader().read(narrowUtf16((folder_ / L"\u00F8.jpg").wstring()), read),
              FileReader::Result::noSuchFile);
    EXPECT_TRUE(read.empty());
    EXPECT_EQ(fileReader().read(narrowUtf16((folder_ / L"gone" / L"a.jpg").wstring()), read),
              FileReader::Result::noSuchFile);
    EXPECT_EQ(fileReader().read(narrowUtf16(folder_.wstring()), read), FileReader::Result::isFolder);
    EXPECT_EQ(fileReader().read("", read), FileReader::Result::cannotOpen);
}

TEST_F(NonAsciiFolder, EmptyFileReadsAsNoBytes)
{
    std::vector<uint8_t> read{9};
    EXPECT_EQ(fileReader().read(write(L"\u7A7A.jpg", {}), read), FileReader::Result::ok);
    EXPECT_TRUE(read.empty());
}

TEST_F(NonAsciiFolder, PictureInTheFolderLoadsAsTheViewerLoadsAChosenFile)
{
    const std::string path = write(L"\u0444\u043E\u0442\u043E.bmp", makeBmp({3, 2}));
    ASSERT_EQ(loadChosenFile(path), 1);
    EXPECT_EQ(picture.width[0], 3);
    EXPECT_EQ(picture.height[0], 2);
}
