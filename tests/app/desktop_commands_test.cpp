#include "jpeg/globals.h"
#include "shell_fixture.h"

#include "app/command_line.h"
#include "app/folder_files.h"
#include "app/frame.h"
#include "app/open_file.h"
#include "app/startup.h"
#include "render/frame_platform.h"
#include "render/memory_platform.h"
#include "support/bmp_builder.h"
#include "support/camera_segments.h"

namespace {

// The commands a desktop user expects beyond the design's: the folder's
// next and previous file, the reset view, Alt, the reasons for a failed
// load, upright photos, the command line and the rest between messages.
class DesktopTest : public ShellTest {
protected:
    void open(const std::string& path)
    {
        shell.dialogAnswers.push_back(path);
        send(keyDown(VK_F1));
    }

    // A 32 x 16 JPEG whose main picture carries EXIF orientation.
    static std::vector<uint8_t> photoWithOrientation(uint16_t orientation)
    {
        const auto jpeg = encodeJpeg(makePhotoLike(32, 16, 3), {90, Subsampling::s444, 0, false});
        return camerafiles::withSegmentsAfterSoi(jpeg, camerafiles::exifOrientationSegment(orientation, true));
    }

    static void expectPoints(const std::array<ControlPoint, 4>& expected)
    {
        for (size_t k = 0; k < 4; ++k) {
            EXPECT_DOUBLE_EQ(controlPoints[k].x, expected[k].x) << "point " << k + 1;
            EXPECT_DOUBLE_EQ(controlPoints[k].y, expected[k].y) << "point " << k + 1;
        }
    }
};

TEST_F(DesktopTest, NextAndPreviousGoThroughTheFoldersPicturesByNameInAnyCase)
{
    for (const char* name : {"c.jpg", "B.bmp", "a.JPG", "d.jpeg"})
        files.add(std::string("pics/") + name, std::string(name) == "B.bmp" ? makeBmp({4, 4}) : jpegWithImages(0));
    shell.folders["pics/"] = {"c.jpg", "notes.txt", "B.bmp", "a.JPG", "d.jpeg", "jpg"};
    open("pics/a.JPG");
    filterIndex = 2;
    const struct {
        uint32_t key;
        const char* path;
    } moves[] = {{VK_RIGHT, "pics/B.bmp"}, {VK_NEXT, "pics/c.jpg"},  {VK_SPACE, "pics/d.jpeg"},
                 {VK_RIGHT, "pics/a.JPG"}, {VK_LEFT, "pics/d.jpeg"}, {VK_PRIOR, "pics/c.jpg"},
                 {VK_BACK, "pics/B.bmp"}};
    for (const auto& move : moves) {
        send(keyDown(move.key));
        EXPECT_EQ(imagePath, move.path);
        EXPECT_EQ(imageCount, 1) << move.path;
        EXPECT_EQ(subImageIndex, 0) << move.path;
    }
    EXPECT_EQ(fileKindLetter, 'b');
    EXPECT_EQ(filterIndex, 2);
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(DesktopTest, NextGoesOnFromAFileThatIsGoneAndStaysWithALoneOne)
{
    files.add("b.jpg", jpegWithImages(0));
    shell.folders["."] = {"a.jpg", "c.jpg"};
    open("b.jpg");  // then deleted: not listed any more
    files.add("c.jpg", jpegWithImages(1));
    send(keyDown(VK_RIGHT));
    EXPECT_EQ(imagePath, "c.jpg");
    EXPECT_EQ(imageCount, 2);

    shell.folders["."] = {"c.jpg"};
    send(keyDown(VK_LEFT));
    EXPECT_EQ(imagePath, "c.jpg");
    EXPECT_EQ(shell.dialogInitialNames.size(), 1u);
}

TEST_F(DesktopTest, MovingToAFileThatDoesNotLoadSaysWhy)
{
    files.add("a.jpg", jpegWithImages(0));
    files.add("b.jpg", {'n', 'o', 't', 'e', 's'});
    shell.folders["."] = {"a.jpg", "b.jpg"};
    open("a.jpg");
    send(keyDown(VK_RIGHT));
    EXPECT_EQ(imageCount, 0);
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Load error\n\nb.jpg: not a JPEG file: it does not begin with a "
                                                    "start-of-image marker|Load error."});
}

TEST_F(DesktopTest, LoadErrorBoxesSayWhyInPlainWords)
{
    files.add("deep.bmp", makeBmp({2, 2, 32}));
    files.add("packed.bmp", makeBmp({2, 2, 24, 1}));
    files.add("text.bmp", {'h', 'i'});
    const struct {
        const char* path;
        const char* reason;
    } cases[] = {
        {"deep.bmp", "32-bit BMP files are not supported, only 24-bit uncompressed ones"},
        {"packed.bmp", "compressed BMP files are not supported, only 24-bit uncompressed ones"},
        {"text.bmp", "not a BMP file: it does not begin with \"BM\""},
        {"gone.bmp", "no such file"},
    };
    for (const auto& c : cases) {
        shell.boxes.clear();
        open(c.path);
        EXPECT_EQ(shell.boxes,
                  std::vector<std::string>{std::string("Load error\n\n") + c.path + ": " + c.reason + "|Load error."});
    }
}

TEST_F(DesktopTest, HomePlacesThePictureUprightUndistortedAndCentred)
{
    viewerState->clientWidth = 750;
    viewerState->clientHeight = 650;
    send(keyDown(VK_HOME));  // no picture: nothing to fit
    expectPoints(startupControlPoints);

    files.add("wide.jpg", jpegWithImages(0));  // 32 x 16: as wide as the room allows
    open("wide.jpg");
    send(wheel(120, 300, 300));
    send(keyDown(VK_HOME));
    expectPoints({{{50, 162.5}, {700, 162.5}, {700, 487.5}, {50, 487.5}}});

    files.add("tall.bmp", makeBmp({10, 50}));  // as tall as the room allows
    open("tall.bmp");
    send(keyDown(VK_HOME));
    expectPoints({{{320, 50}, {430, 50}, {430, 600}, {320, 600}}});
}

TEST_F(DesktopTest, KeysPressedWithAltAreNoCommands)
{
    for (const uint32_t key : {uint32_t{'1'}, uint32_t{'F'}, uint32_t{'B'}, uint32_t{VK_F1}, uint32_t{VK_ESCAPE}})
        send(Message{WM_SYSKEYDOWN, key, 0});
    EXPECT_EQ(showHelp, 1);
    EXPECT_EQ(viewerState->showFps, 0);
    EXPECT_EQ(filterIndex, 0);
    EXPECT_TRUE(shell.dialogInitialNames.empty());
    EXPECT_EQ(shell.quitPosts, 0);
}

TEST_F(DesktopTest, TheMainPictureStandsUprightItsThumbnailsAsStored)
{
    files.add("stored.jpg", photoWithOrientation(1));
    ASSERT_EQ(loadImageFile("stored.jpg", -1, Orientation::upright), 1);
    const std::vector<uint8_t> stored(picture.plane[1].get(), picture.plane[1].get() + 32 * 16);

    files.add("portrait.jpg", photoWithOrientation(6));
    open("portrait.jpg");
    ASSERT_EQ(picture.width[0], 16);
    ASSERT_EQ(picture.height[0], 32);
    for (const auto& [x, y] : {std::pair{0, 0}, {15, 0}, {3, 20}, {15, 31}})
        EXPECT_EQ(picture.plane[1][y * 16 + x], stored[(15 - x) * 32 + y]) << x << "," << y;

    EXPECT_EQ(loadImageFile("portrait.jpg", -1, Orientation::stored), 1);
    EXPECT_EQ(picture.width[0], 32);

    const auto thumbnail = encodeJpeg(makePhotoLike(8, 16, 1), {70, Subsampling::s444, 0, false});
    files.add("two.jpg", camerafiles::withSegmentsAfterSoi(photoWithOrientation(8), jpegbytes::app1(thumbnail)));
    open("two.jpg");
    EXPECT_EQ(picture.width[0], 16);
    send(keyDown('S'));
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(picture.width[0], 8);
    send(keyDown('S'));
    EXPECT_EQ(picture.width[0], 16);
}

TEST_F(DesktopTest, TheCommandLineNamesFilesInOrderOrAsksForHelpOrTheVersion)
{
    using Action = CommandLine::Action;
    using Files = std::vector<std::string>;
    const struct {
        std::vector<const char*> arguments;
        Action action;
        Files files;
    } cases[] = {
        {{}, Action::run, {}},
        {{"photo.jpg"}, Action::run, {"photo.jpg"}},
        {{"b.jpg", "a.jpg", "dir"}, Action::run, {"b.jpg", "a.jpg", "dir"}},
        {{"--", "-odd.jpg", "--help"}, Action::run, {"-odd.jpg", "--help"}},
        {{"-"}, Action::run, {"-"}},
        {{"--help"}, Action::help, {}},
        {{"a.jpg", "--version"}, Action::version, {}},
        {{"a.jpg", "-x"}, Action::badUsage, {}},
        {{"a.jpg", ""}, Action::badUsage, {}},
    };
    for (const auto& c : cases) {
        std::vector<const char*> argv{"viewer"};
        argv.insert(argv.end(), c.arguments.begin(), c.arguments.end());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(line.action, c.action) << argv.size();
        EXPECT_EQ(line.files, c.files) << argv.size();
    }
    for (const char* key : {"Right, Page Down, Space", "Left, Page Up, Backspace", "Home", "F1"})
        EXPECT_NE(std::string(usageText).find(key), std::string::npos) << key;
    EXPECT_EQ(versionText().rfind("viewer ", 0), 0u);
}

class StartupTest : public DesktopTest {
protected:
    static constexpr const char* programFolder = "/opt/viewer/bin";

    void TearDown() override
    {
        commandLineFiles.clear();
        DesktopTest::TearDown();
    }
};

TEST_F(StartupTest, AFileOnTheCommandLineOpensInsteadOfSmallJpg)
{
    files.add("small.jpg", jpegWithImages(2));
    files.add("dir/p.bmp", makeBmp({3, 2}));
    commandLineFiles = {"dir/p.bmp"};
    startupLoad();
    EXPECT_EQ(imageCount, 1);
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(fileKindLetter, 'b');
    EXPECT_EQ(picture.width[0], 3);
    EXPECT_EQ(viewerState->showFps, 1);
    EXPECT_TRUE(shell.dialogInitialNames.empty());
}

TEST_F(StartupTest, ACommandLineFileThatDoesNotLoadSaysWhyInABoxThenOpensTheDialog)
{
    files.add("small.jpg", jpegWithImages(0));
    files.add("dir/notes.jpg", {'n', 'o', 't', 'e', 's'});
    commandLineFiles = {"dir/notes.jpg"};
    shell.showsBackslashes = true;
    testing::internal::CaptureStderr();
    startupLoad();
    const std::string reason = "dir\\notes.jpg: not a JPEG file: it does not begin with a start-of-image marker";
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "viewer: " + reason + "\n");
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Load error\n\n" + reason + "|Load error."});
    EXPECT_EQ(shell.events, (std::vector<std::string>{"box Load error.", "dialog"}));
    EXPECT_EQ(shell.dialogInitialNames, std::vector<std::string>{"dir/notes.jpg"});
    EXPECT_EQ(imageCount, 0);
}

TEST_F(StartupTest, TheDefaultFileFailingShowsNoBox)
{
    shell.programFolderPath = programFolder;
    startupLoad();
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(shell.dialogInitialNames.size(), 1u);
    EXPECT_EQ(imagePath, "small.jpg");
}

TEST_F(StartupTest, WithoutSmallJpgTheInstalledSampleOpensInTheStartupSquare)
{
    files.add(installedSample(programFolder), jpegWithImages(1));
    shell.programFolderPath = programFolder;
    startupLoad();
    EXPECT_EQ(imageCount, 2);
    EXPECT_EQ(subImageIndex, 1);
    EXPECT_EQ(imagePath, installedSample(programFolder));
    EXPECT_TRUE(shell.dialogInitialNames.empty());
    EXPECT_TRUE(shell.boxes.empty());
    expectPoints(startupControlPoints);
}

TEST_F(StartupTest, SmallJpgInTheWorkingDirectoryComesBeforeTheInstalledOne)
{
    files.add("small.jpg", jpegWithImages(0));
    files.add(installedSample(programFolder), jpegWithImages(2));
    shell.programFolderPath = programFolder;
    startupLoad();
    EXPECT_EQ(imageCount, 1);
    EXPECT_EQ(imagePath, "small.jpg");
}

class RestTest : public DesktopTest {
protected:
    void SetUp() override
    {
        DesktopTest::SetUp();
        setFramePlatform(&frames);
    }
    void TearDown() override
    {
        setFramePlatform(nullptr);
        DesktopTest::TearDown();
    }

    MemoryFramePlatform frames{1024, 768, 750, 650};
    ManualClock clock;
};

// The fake reports quit once its queue is empty to a loop that waits; one
// that polls would draw on forever.
TEST_F(RestTest, WithTheFpsCounterOffFramesComeOnlyAfterMessages)
{
    shell.queue = {keyDown('F'), keyDown('1'), mouse(WM_MOUSEMOVE, 5, 5, false)};
    testing::internal::CaptureStdout();
    runViewer();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(viewerState->showFps, 0);
    EXPECT_EQ(frames.presentCount(), 3);
}

TEST_F(RestTest, AWindowThatCannotBeSeenWaitsWithTheCounterOn)
{
    shell.shown = false;
    shell.queue = {keyDown('1'), keyDown('1')};
    testing::internal::CaptureStdout();
    runViewer();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(viewerState->showFps, 1);
    EXPECT_EQ(frames.presentCount(), 2);
}

}  // namespace
