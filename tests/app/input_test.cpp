#include "jpeg/globals.h"
#include "shell_fixture.h"

#include <cmath>

namespace {

using InputTest = ShellTest;

TEST_F(InputTest, KeysToggleAndCycleSettings)
{
    struct {
        uint32_t key;
        int32_t* variable;
        std::vector<int32_t> afterEachPress;
    } const cases[] = {
        {'1', &showHelp, {0, 1}},     {'3', &showHelp, {0, 1}},       {'R', &showRgb, {0, 1}},
        {'6', &showRgb, {0, 1}},      {'B', &filterIndex, {1, 2, 0}}, {'5', &filterIndex, {1, 2, 0}},
        {'D', &idctIndex, {1, 2, 0}}, {'7', &idctIndex, {1, 2, 0}},
    };
    for (const auto& c : cases) {
        for (int32_t expected : c.afterEachPress) {
            send(keyDown(c.key));
            EXPECT_EQ(*c.variable, expected) << "key " << char(c.key);
        }
    }
}

TEST_F(InputTest, CyclesRecoverFromValuesOutsideTheirRange)
{
    filterIndex = -5;
    idctIndex = 9;
    send(keyDown('B'));
    send(keyDown('D'));
    EXPECT_EQ(filterIndex, 0);
    EXPECT_EQ(idctIndex, 0);
}

TEST_F(InputTest, FTogglesFpsInTheWindowProcedureOnly)
{
    send(keyDown('F'));
    EXPECT_EQ(viewerState->showFps, 1);
    send(keyDown('F'));
    EXPECT_EQ(viewerState->showFps, 0);
    send(keyDown('Z'));  // not a command
    EXPECT_EQ(showHelp, 1);
}

TEST_F(InputTest, EscapePostsQuit)
{
    send(keyDown(VK_ESCAPE));
    EXPECT_EQ(shell.quitPosts, 1);
}

TEST_F(InputTest, SStepsThroughEmbeddedImagesAndWraps)
{
    files.add("three.jpg", jpegWithImages(2));
    shell.dialogAnswers.push_back("three.jpg");
    send(keyDown(VK_F1));
    ASSERT_EQ(imageCount, 3);
    EXPECT_EQ(subImageIndex, 2);
    EXPECT_EQ(picture.width[0], 32);
    for (int32_t expected : {0, 1, 2, 0}) {
        send(keyDown('S'));
        EXPECT_EQ(subImageIndex, expected);
        EXPECT_EQ(picture.width[0], expected == 2 ? 32 : 8);
    }
    EXPECT_EQ(imageCount, 3);
}

// A phone photo: a thumbnail, the main picture, and a preview stored after
// the main picture's end. The main picture opens; S goes on from it.
TEST_F(InputTest, OpensTheMainPictureAndStepsOnThroughAppendedImages)
{
    auto file = jpegWithImages(1);
    const auto preview = encodeJpeg(makePhotoLike(16, 8, 4), {70, Subsampling::s422, 0, false});
    file.insert(file.end(), preview.begin(), preview.end());
    files.add("phone.jpg", file);
    shell.dialogAnswers.push_back("phone.jpg");
    send(keyDown(VK_F1));
    ASSERT_EQ(imageCount, 3);
    EXPECT_EQ(subImageIndex, 1);
    EXPECT_EQ(picture.width[0], 32);
    for (const auto& [index, width] : {std::pair{2, 16}, {0, 8}, {1, 32}}) {
        send(keyDown('S'));
        EXPECT_EQ(subImageIndex, index);
        EXPECT_EQ(picture.width[0], width);
    }
}

TEST_F(InputTest, SDecodesWithTheTransformChosenSince)
{
    files.add("two.jpg", jpegWithImages(1));
    shell.dialogAnswers.push_back("two.jpg");
    send(keyDown(VK_F1));
    const uint8_t withFw = picture.plane[0][0];
    send(keyDown('D'));  // AAN: flat areas come out darker
    send(keyDown('S'));
    send(keyDown('S'));
    EXPECT_EQ(subImageIndex, 1);
    EXPECT_NE(picture.plane[0][0], withFw);
}

TEST_F(InputTest, SOnSingleImageOrBmpOnlyResetsTheIndex)
{
    files.add("one.jpg", jpegWithImages(0));
    shell.dialogAnswers.push_back("one.jpg");
    send(keyDown(VK_F1));
    ASSERT_EQ(imageCount, 1);
    files.add("one.jpg", {});  // a re-read would now fail
    send(keyDown('S'));
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(picture.width[0], 32);
}

TEST_F(InputTest, FailedOpenShowsLoadErrorAndResetsCounter)
{
    shell.dialogAnswers.push_back("missing.jpg");
    send(keyDown(VK_F1));
    EXPECT_EQ(imageCount, 0);
    EXPECT_EQ(subImageIndex, -1);
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Load error\n\nmissing.jpg: no such file (101)|Load error."});
    send(keyDown('S'));
    EXPECT_EQ(subImageIndex, 0);
}

TEST_F(InputTest, LoadErrorNamesTheFileAsThePlatformSpellsPathsButKeepsItsOwnSlashes)
{
    shell.showsBackslashes = true;
    shell.dialogAnswers.push_back("Z:/photos/missing.jpg");
    send(keyDown(VK_F1));
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Load error\n\nZ:\\photos\\missing.jpg: no such file "
                                                    "(101)|Load error."});
    EXPECT_EQ(imagePath, "Z:/photos/missing.jpg");
}

TEST_F(InputTest, CancelledOpenChangesNothing)
{
    files.add("one.jpg", jpegWithImages(0));
    shell.dialogAnswers.push_back("one.jpg");
    send(keyDown('2'));
    shell.dialogAnswers.push_back(std::nullopt);
    send(keyDown(VK_F1));
    EXPECT_EQ(imageCount, 1);
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_TRUE(shell.boxes.empty());
    EXPECT_EQ(shell.dialogInitialNames, (std::vector<std::string>{"", "one.jpg"}));
}

TEST_F(InputTest, DroppedFileLoadsLikeOpen)
{
    files.add("dropped.jpg", jpegWithImages(1));
    shell.dropped = "dropped.jpg";
    send(Message{WM_DROPFILES, 0, 0});
    EXPECT_EQ(imageCount, 2);
    EXPECT_EQ(subImageIndex, 1);
    EXPECT_EQ(imagePath, "dropped.jpg");
}

TEST_F(InputTest, DraggingEmptySpacePansAllPoints)
{
    send(mouse(WM_LBUTTONDOWN, 300, 300));
    EXPECT_EQ(dragTarget, -1);
    send(mouse(WM_MOUSEMOVE, 310, 295));
    send(mouse(WM_MOUSEMOVE, 320, 290));
    send(mouse(WM_LBUTTONUP, 320, 290));
    EXPECT_EQ(dragTarget, 0);
    EXPECT_DOUBLE_EQ(controlPoints[0].x, 120);
    EXPECT_DOUBLE_EQ(controlPoints[0].y, 90);
    EXPECT_DOUBLE_EQ(controlPoints[2].x, 620);
}

TEST_F(InputTest, DraggingEachPointMovesIt)
{
    for (int32_t k = 1; k <= 4; ++k) {
        controlPoints = startupControlPoints;
        const ControlPoint start = controlPoints[k - 1];
        send(mouse(WM_LBUTTONDOWN, int32_t(start.x) + 6, int32_t(start.y) - 6));
        EXPECT_EQ(dragTarget, k);
        send(mouse(WM_MOUSEMOVE, 333, 222));
        send(mouse(WM_LBUTTONUP, 333, 222));
        EXPECT_DOUBLE_EQ(controlPoints[k - 1].x, 333) << k;
        EXPECT_DOUBLE_EQ(controlPoints[k - 1].y, 222) << k;
        EXPECT_EQ(point3Dragged, k == 3 ? 1 : 0);
    }
}

TEST_F(InputTest, SevenPixelsAwayMissesThePoint)
{
    send(mouse(WM_LBUTTONDOWN, 107, 100));
    EXPECT_EQ(dragTarget, -1);
}

TEST_F(InputTest, MoveWithButtonUpEndsTheDrag)
{
    send(mouse(WM_LBUTTONDOWN, 100, 100));
    ASSERT_EQ(dragTarget, 1);
    send(mouse(WM_MOUSEMOVE, 150, 150, false));  // released outside the window
    EXPECT_EQ(dragTarget, 0);
    EXPECT_DOUBLE_EQ(controlPoints[0].x, 100);
    EXPECT_EQ(mouseX, 150);
}

TEST_F(InputTest, WheelRotatesAboutThePointerOrZoomsWithCtrl)
{
    viewerState->clientOrigin = Point{50, 80};
    send(wheel(-120, 150, 180));  // towards the user: 10 degrees clockwise about (100, 100)
    EXPECT_NEAR(controlPoints[0].x, 100, 1e-9);
    EXPECT_NEAR(controlPoints[1].x, 100 + 500 * std::cos(10 * 3.14159 / 180), 1e-9);
    EXPECT_NEAR(controlPoints[1].y, 100 + 500 * std::sin(10 * 3.14159 / 180), 1e-9);
    controlPoints = startupControlPoints;
    shell.ctrlState = int16_t(0x8000);
    send(wheel(-120, 150, 180));
    EXPECT_NEAR(controlPoints[1].x, 100 + 500 * 1.1, 1e-9);
    send(wheel(240, 150, 180));
    EXPECT_NEAR(controlPoints[1].x, 100 + 500 * 1.1 * 0.9, 1e-9);
}

TEST_F(InputTest, CtrlToggleBitAloneIsNotHeld)
{
    shell.ctrlState = 1;
    send(wheel(120, 100, 100));
    EXPECT_NEAR(controlPoints[1].y, 100 - 500 * std::sin(10 * 3.14159 / 180), 1e-9);
}

}  // namespace
