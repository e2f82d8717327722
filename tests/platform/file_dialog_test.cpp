#include <gtest/gtest.h>

#include "platform/file_dialog.h"

namespace {

using Command = std::vector<std::string>;

TEST(FileDialog, ZenityAsksForOneImageStartingAtThePreviousChoice)
{
    EXPECT_EQ(dialogCommand("zenity", "Load JPG or BMP Image ...", "/home/a b/x.jpg"),
              (Command{"zenity", "--file-selection", "--title=Load JPG or BMP Image ...",
                       "--file-filter=Image | *.jpg *.jpeg *.bmp", "--filename=/home/a b/x.jpg"}));
    EXPECT_EQ(dialogCommand("zenity", "T", ""),
              (Command{"zenity", "--file-selection", "--title=T", "--file-filter=Image | *.jpg *.jpeg *.bmp"}));
}

TEST(FileDialog, KdialogStartsInTheWorkingDirectoryTheFirstTime)
{
    EXPECT_EQ(dialogCommand("kdialog", "T", ""),
              (Command{"kdialog", "--getopenfilename", ".", "*.jpg *.jpeg *.bmp|Image", "--title", "T"}));
    EXPECT_EQ(dialogCommand("kdialog", "T", "/p/q.bmp")->at(2), "/p/q.bmp");
    EXPECT_FALSE(dialogCommand("xdg-open", "T", ""));
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
    const std::optional<std::string> out = runHelper({"printf", "%s", tricky}, [] {});
    EXPECT_EQ(out, tricky);
}

TEST(FileDialog, AFailedOrMissingHelperCountsAsCancelled)
{
    EXPECT_FALSE(runHelper({"false"}, [] {}));
    EXPECT_FALSE(runHelper({"sh", "-c", "echo /tmp/x.jpg; exit 1"}, [] {}));
    EXPECT_FALSE(runHelper({"/nonexistent/viewer-dialog"}, [] {}));
    EXPECT_FALSE(runHelper({}, [] {}));
}

TEST(FileDialog, TheWindowIsKeptAliveWhileTheHelperRuns)
{
    int steps = 0;
    const std::optional<std::string> out = runHelper({"sh", "-c", "sleep 0.2; echo done"}, [&steps] { ++steps; });
    EXPECT_EQ(out, "done\n");
    EXPECT_GE(steps, 2);
}

}  // namespace
