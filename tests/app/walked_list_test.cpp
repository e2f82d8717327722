#include "jpeg/globals.h"
#include "shell_fixture.h"

#include <algorithm>

#include "app/file_kinds.h"
#include "app/folder_files.h"
#include "app/open_file.h"
#include "app/startup.h"
#include "app/window_title.h"
#include "support/bmp_builder.h"

namespace {

// The list Right and Left walk, the names of the files in the title, the
// reasons a file does not load and the table of file kinds.
class WalkTest : public ShellTest {
protected:
    void TearDown() override
    {
        commandLineFiles.clear();
        ShellTest::TearDown();
    }

    void addJpegs(std::initializer_list<const char*> paths)
    {
        for (const char* path : paths)
            files.add(path, jpegWithImages(0));
    }

    // Where Right (or Left) takes the viewer from the current file, in turn.
    std::vector<std::string> walk(uint32_t key, size_t steps)
    {
        std::vector<std::string> visited;
        for (size_t n = 0; n < steps; ++n) {
            send(keyDown(key));
            visited.push_back(imagePath);
        }
        return visited;
    }

    // The start-up load, with what it wrote to standard error.
    std::string startUp()
    {
        testing::internal::CaptureStderr();
        startupLoad();
        return testing::internal::GetCapturedStderr();
    }

    // The main picture of a JPEG cut short halfway through its scan.
    static std::vector<uint8_t> truncatedJpeg()
    {
        std::vector<uint8_t> file = jpegWithImages(0);
        const uint8_t sos[] = {0xFF, 0xDA};
        const auto scan = std::search(file.begin(), file.end(), std::begin(sos), std::end(sos)) + 14;
        file.erase(scan + (file.end() - scan) / 2, file.end());
        return file;
    }

    using Names = std::vector<std::string>;
};

TEST(NaturalOrder, ComparesDigitRunsAsNumbersAndLettersInAnyCase)
{
    const struct {
        const char* first;
        const char* second;
    } ordered[] = {
        {"img1.jpg", "img2.jpg"},
        {"img2.jpg", "img10.jpg"},
        {"img9.jpg", "IMG10.JPG"},
        {"a.jpg", "B.jpg"},
        {"B.jpg", "c.jpg"},
        {"IMG.jpg", "img.jpg"},
        {"img01.jpg", "img1.jpg"},
        {"img1.jpg", "img001a.jpg"},
        {"x2y3.jpg", "x2y12.jpg"},
        {"img.jpg", "img0.jpg"},
        {"9.jpg", "a.jpg"},
        {"z.jpg", "\xC3\xA9t\xC3\xA9.jpg"},
        {"photo 99.jpg", "photo 100.jpg"},
        {"n18446744073709551616.jpg", "n18446744073709551617.jpg"},
    };
    for (const auto& o : ordered) {
        EXPECT_TRUE(sortsNaturallyBefore(o.first, o.second)) << o.first << " before " << o.second;
        EXPECT_FALSE(sortsNaturallyBefore(o.second, o.first)) << o.second << " not before " << o.first;
    }
    EXPECT_FALSE(sortsNaturallyBefore("img1.jpg", "img1.jpg"));
}

TEST_F(WalkTest, TheFolderIsWalkedInNaturalOrder)
{
    addJpegs({"pics/img1.jpg", "pics/img2.jpg", "pics/IMG10.jpg", "pics/img9b.jpg"});
    shell.folders["pics/"] = {"IMG10.jpg", "img2.jpg", "notes.txt", "img1.jpg", "img9b.jpg"};
    commandLineFiles = {"pics/img1.jpg"};
    EXPECT_EQ(startUp(), "");
    EXPECT_EQ(walk(VK_RIGHT, 4), (Names{"pics/img2.jpg", "pics/img9b.jpg", "pics/IMG10.jpg", "pics/img1.jpg"}));
    EXPECT_EQ(walk(VK_LEFT, 2), (Names{"pics/IMG10.jpg", "pics/img9b.jpg"}));
}

TEST_F(WalkTest, SeveralFilesAreWalkedInArgumentOrderWrappingAround)
{
    addJpegs({"b.jpg", "a/c.jpg", "a.jpg"});
    files.add("d.bmp", makeBmp({4, 4}));
    shell.folders["."] = {"a.jpg", "b.jpg", "d.bmp"};
    commandLineFiles = {"b.jpg", "a/c.jpg", "d.bmp", "a.jpg"};
    EXPECT_EQ(startUp(), "");
    EXPECT_EQ(imagePath, "b.jpg");
    EXPECT_EQ(walk(VK_RIGHT, 4), (Names{"a/c.jpg", "d.bmp", "a.jpg", "b.jpg"}));
    EXPECT_EQ(walk(VK_LEFT, 2), (Names{"a.jpg", "d.bmp"}));
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(shell.titles.back(), "d.bmp (3/4) \u2014 Viewer");
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(WalkTest, AFolderStandsForItsPicturesFirstOneShown)
{
    addJpegs({"pics/img1.jpg", "pics/img2.jpg", "pics/img10.jpg", "x.jpg"});
    shell.folders["pics/"] = {"img10.jpg", "img2.jpg", "img1.jpg"};
    commandLineFiles = {"pics"};
    EXPECT_EQ(startUp(), "");
    EXPECT_EQ(imagePath, "pics/img1.jpg");
    EXPECT_EQ(walk(VK_RIGHT, 3), (Names{"pics/img2.jpg", "pics/img10.jpg", "pics/img1.jpg"}));

    commandLineFiles = {"x.jpg", "pics/"};
    EXPECT_EQ(startUp(), "");
    EXPECT_EQ(walk(VK_LEFT, 3), (Names{"pics/img10.jpg", "pics/img2.jpg", "pics/img1.jpg"}));
    EXPECT_EQ(shell.titles.back(), "img1.jpg (2/4) \u2014 Viewer");
}

TEST_F(WalkTest, ArgumentsThatDoNotLoadAreReportedAndTheRestStillOpen)
{
    addJpegs({"b.jpg", "c.jpg"});
    files.add("notes.jpg", {'h', 'i'});
    shell.folders["empty/"] = {"readme.txt"};
    commandLineFiles = {"empty", "gone.jpg", "notes.jpg", "b.jpg", "c.jpg"};
    EXPECT_EQ(startUp(), "viewer: empty: is a folder without pictures\n"
                         "viewer: gone.jpg: no such file (101)\n"
                         "viewer: notes.jpg: not a JPEG file: it does not begin with a start-of-image marker\n");
    EXPECT_EQ(imagePath, "b.jpg");
    EXPECT_EQ(imageCount, 1);
    EXPECT_EQ(walk(VK_RIGHT, 2), (Names{"c.jpg", "b.jpg"}));
    EXPECT_EQ(shell.titles.back(), "b.jpg (1/2) \u2014 Viewer");
    EXPECT_TRUE(shell.dialogInitialNames.empty());
}

TEST_F(WalkTest, TheTitleNamesTheFileItsPlaceAndWhatIsWrong)
{
    EXPECT_EQ(windowTitle(), "Viewer");
    addJpegs({"dir/a.jpg", "dir/b.jpg"});
    files.add("dir/cut.jpg", truncatedJpeg());
    shell.folders["dir/"] = {"a.jpg", "b.jpg", "cut.jpg", "gone.jpg"};
    const struct {
        const char* file;
        const char* title;
    } cases[] = {
        {"dir/b.jpg", "b.jpg (2/4) \u2014 Viewer"},
        {"dir/cut.jpg", "cut.jpg (3/4) \u2014 Viewer \u2014 incomplete"},
        {"dir/gone.jpg", "gone.jpg (4/4) \u2014 Viewer \u2014 not loaded"},
        {"dir/a.jpg", "a.jpg (1/4) \u2014 Viewer"},
    };
    for (const auto& c : cases) {
        shell.dialogAnswers.push_back(c.file);
        send(keyDown(VK_F1));
        EXPECT_EQ(shell.titles.back(), c.title) << c.file;
    }
    EXPECT_EQ(viewerState->title, std::string("Viewer"));
}

TEST_F(WalkTest, SmallJpgAtStartUpIsNamedToo)
{
    files.add("small.jpg", jpegWithImages(1));
    shell.folders["."] = {"small.jpg"};
    startupLoad();
    EXPECT_EQ(shell.titles, Names{"small.jpg (1/1) \u2014 Viewer"});
    send(keyDown('S'));
    EXPECT_EQ(shell.titles.back(), "small.jpg (1/1) \u2014 Viewer");
}

TEST_F(WalkTest, ReasonsSayWhatHappenedWithThePath)
{
    files.failWith("dir/folder.jpg", FileReader::Result::isFolder);
    files.failWith("dir/locked.jpg", FileReader::Result::permissionDenied);
    files.failWith("dir/locked.bmp", FileReader::Result::permissionDenied);
    files.failWith("dir/short.jpg", FileReader::Result::shortRead);
    const struct {
        const char* file;
        const char* reason;
    } cases[] = {
        {"gone.jpg", "no such file (101)"},
        {"folder.jpg", "is a folder (101)"},
        {"locked.jpg", "permission denied (101)"},
        {"short.jpg", "the file cannot be opened or read (101)"},
        {"gone.bmp", "no such file"},
        {"locked.bmp", "permission denied"},
    };
    for (const auto& c : cases) {
        shell.boxes.clear();
        shell.dialogAnswers.push_back(std::string("dir/") + c.file);
        send(keyDown(VK_F1));
        EXPECT_EQ(shell.boxes, Names{std::string("Load error\n\ndir/") + c.file + ": " + c.reason + "|Load error."});
    }
}

TEST(FileKinds, OneTableRecognisesLoadsAndOffersEveryKind)
{
    EXPECT_EQ(pictureExtensions(), (std::vector<std::string_view>{"jpg", "jpeg", "jpe", "jfif", "bmp"}));
    const struct {
        const char* path;
        const char* kind;
        bool severalImages;
        bool offered;
    } cases[] = {
        {"a.JPG", "JPEG", true, true},    {"a.jfif", "JPEG", true, true}, {"a.BMP", "BMP", false, true},
        {"a.bin", "BMP", false, false},   {"a.png", "JPEG", true, false}, {"noext", "JPEG", true, false},
        {"dir.b/x", "JPEG", true, false},
    };
    for (const auto& c : cases) {
        const FileKind& kind = fileKindOf(c.path);
        EXPECT_EQ(std::string(kind.name), c.kind) << c.path;
        EXPECT_EQ(kind.holdsSeveralImages, c.severalImages) << c.path;
        EXPECT_EQ(isPictureName(c.path), c.offered) << c.path;
    }
}

}  // namespace
