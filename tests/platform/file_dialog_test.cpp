#include <gtest/gtest.h>

#include "platform/file_dialog.h"

namespace {

using Command = std::vector<std::string>;

const std::string anyCase = "*.[jJ][pP][gG] *.[jJ][pP][eE][gG] *.[jJ][pP][eE] *.[jJ][fF][iI][fF] *.[bB][mM][pP]";

TEST(FileDialog, ZenityAsksForOneImageModallyOverTheViewerStartingAtThePreviousChoice)
{
    EXPECT_EQ(
        dialogCommand("zenity", "Load JPG or BMP Image ...", "/home/a b/x.jpg", 0x2a00005),
        (Command{"zenity", "--file-selection", "--modal", "--attach=44040197", "--title=Load JPG or BMP Image ...",
                 "--file-filter=Image | " + anyCase, "--filename=/home/a b/x.jpg"}));
    EXPECT_EQ(dialogCommand("zenity", "T", "", std::nullopt),
              (Command{"zenity", "--file-selection", "--modal", "--title=T", "--file-filter=Image | " + anyCase}));
}

TEST(FileDialog, KdialogStartsInTheWorkingDirectoryTheFirstTime)
{
    EXPECT_EQ(dialogCommand("kdialog", "T", "", 7),
              (Command{"kdialog", "--getopenfilename", ".", anyCase + "|Image", "--title", "T", "--attach", "7"}));
    EXPECT_EQ(dialogCommand("kdialog", "T", "/p/q.bmp", std::nullopt)->at(2), "/p/q.bmp");
    EXPECT_EQ(dialogCommand("kdialog", "T", "/p/q.bmp", std::nullopt)->size(), 6u);
    EXPECT_FALSE(dialogCommand("xdg-open", "T", "", std::nullopt));
}

TEST(FileDialog, MessageBoxesShowTheirTextAsPlainText)
{
    EXPECT_EQ(messageCommand("zenity", "Load error.", "Load error\n\n<b>.jpg: why", 9),
              (Command{"zenity", "--error", "--modal", "--attach=9", "--no-markup", "--title=Load error.",
                       "--text=Load error\n\n<b>.jpg: why"}));
    EXPECT_EQ(messageCommand("kdialog", "C", "T", std::nullopt), (Command{"kdialog", "--title", "C", "--error", "T"}));
    EXPECT_FALSE(messageCommand("xmessage", "C", "T", 9));
}

TEST(FileDialog, ThePathIsTheFirstLinePrinted)
{
    EXPECT_EQ(chosenPath("/tmp/a picture.jpg\n"), "/tmp/a picture.jpg");
    EXPECT_EQ(chosenPath("/tmp/b.bmp"), "/tmp/b.bmp");
    EXPECT_EQ(chosenPath("/x.jpg\n/y.jpg\n"), "/x.jpg");
    EXPECT_FALSE(chosenPath(""));
    EXPECT_FALSE(chosenPath("\n"));
}

TEST(FileDialog, HelperArgumentsReachItUntouchedByAnyShell)
{
    const std::string tricky = "it's \"$(rm -rf x)\"; `y` *.jpg\n";
    const std::optional<HelperResult> out = runHelper({"printf", "%s", tricky}, [](pid_t) {});
    ASSERT_TRUE(out);
    EXPECT_TRUE(out->succeeded);
    EXPECT_EQ(out->output, tricky);
}

TEST(FileDialog, AHelperThatFailsIsToldFromOneThatCannotStart)
{
    EXPECT_FALSE(runHelper({"false"}, [](pid_t) {})->succeeded);
    EXPECT_FALSE(runHelper({"sh", "-c", "echo /tmp/x.jpg; exit 1"}, [](pid_t) {})->succeeded);
    EXPECT_FALSE(runHelper({"/nonexistent/viewer-dialog"}, [](pid_t) {}));
    EXPECT_FALSE(runHelper({}, [](pid_t) {}));
}

TEST(FileDialog, TheWindowIsKeptAliveWhileTheHelperRuns)
{
    int steps = 0;
    const std::optional<HelperResult> out =
        runHelper({"sh", "-c", "sleep 0.2; echo done"}, [&steps](pid_t) { ++steps; });
    ASSERT_TRUE(out);
    EXPECT_EQ(out->output, "done\n");
    EXPECT_GE(steps, 2);
}

}  // namespace
