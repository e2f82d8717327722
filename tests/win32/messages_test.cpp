#include <gtest/gtest.h>

#include <windows.h>

#include <shlobj.h>

#include <cstring>
#include <string>

#include "app/command_line.h"
#include "base/utf16.h"
#include "platform/win32/win32_messages.h"

TEST(RouteMessage, EraseAndDestroyAreTheShellsAloneSoTheSystemNeverPaintsTheBackground)
{
    EXPECT_EQ(routeMessage(WM_ERASEBKGND, false), Routing::shellOnly);
    EXPECT_EQ(routeMessage(WM_DESTROY, false), Routing::shellOnly);
    EXPECT_EQ(routeMessage(WM_ERASEBKGND, true), Routing::shellOnly);
}

TEST(RouteMessage, EverythingElseReachesTheShellThenDefaultProcessing)
{
    for (UINT message : {WM_MOVE, WM_SIZE, WM_SIZING, WM_CLOSE, WM_KEYDOWN, WM_MOUSEWHEEL, WM_DROPFILES, WM_PAINT})
        EXPECT_EQ(routeMessage(message, false), Routing::shellThenDefault) << message;
}

TEST(RouteMessage, InputWaitsWhileADialogIsOpenButGeometryAndClosingDoNot)
{
    for (UINT message :
         {WM_KEYDOWN, WM_SYSKEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL, WM_DROPFILES})
        EXPECT_EQ(routeMessage(message, true), Routing::defaultOnly) << message;
    for (UINT message : {WM_MOVE, WM_SIZE, WM_SIZING, WM_CLOSE})
        EXPECT_EQ(routeMessage(message, true), Routing::shellThenDefault) << message;
}

TEST(ShellPath, IsUtf8WithForwardSlashes)
{
    EXPECT_EQ(shellPath(L"C:\\Bilder\\Gr\u00FC\u00DFe\\\u5199\u771F.jpg"), "C:/Bilder/Gr\xC3\xBC\xC3\x9F"
                                                                           "e/\xE5\x86\x99\xE7\x9C\x9F.jpg");
    EXPECT_EQ(shellPath(L"\\\\server\\share\\a.bmp"), "//server/share/a.bmp");
    EXPECT_EQ(shellPath(L""), "");
}

TEST(ShellPath, CharactersBeyondTheBasicPlaneSurviveBothWays)
{
    const std::wstring name = L"D:\\\U0001F600\\x.jpg";  // a surrogate pair in UTF-16
    EXPECT_EQ(shellPath(name), "D:/\xF0\x9F\x98\x80/x.jpg");
    EXPECT_EQ(windowsPath(shellPath(name)), name);
}

TEST(DialogFilter, OneImageEntryWhosePatternsListJpegFilesAndEveryOtherPictureExtension)
{
    using namespace std::string_literals;
    EXPECT_EQ(dialogFilter(), L"Image\0*.jpg;*.jpeg;*.bmp;*.jpe;*.jfif\0\0"s);
}

TEST(DisplayedPath, SpellsShellPathsWithBackslashesAndKeepsEverythingElse)
{
    EXPECT_EQ(displayedPath("Z:/tmp/\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg"),
              "Z:\\tmp\\\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg");
    EXPECT_EQ(displayedPath("//server/share/a.bmp"), "\\\\server\\share\\a.bmp");
    EXPECT_EQ(displayedPath("small.jpg"), "small.jpg");
}

TEST(AbsolutePath, ResolvesAgainstTheWorkingDirectoryWhicheverSlash)
{
    wchar_t folder[MAX_PATH];
    ASSERT_NE(GetCurrentDirectoryW(MAX_PATH, folder), 0u);
    std::wstring base = folder;
    if (base.back() != L'\\')
        base += L'\\';
    EXPECT_EQ(absolutePath(L"\u0444\u043E\u0442\u043E.jpg"), base + L"\u0444\u043E\u0442\u043E.jpg");
    EXPECT_EQ(absolutePath(L"sub/../\u5199\u771F.jpg"), base + L"\u5199\u771F.jpg");
}

TEST(AbsolutePath, LeavesAbsolutePathsAndTheEmptyNameAlone)
{
    EXPECT_EQ(absolutePath(L"C:\\Fotos\\a.jpg"), L"C:\\Fotos\\a.jpg");
    EXPECT_EQ(absolutePath(L"\\\\server\\share\\b.bmp"), L"\\\\server\\share\\b.bmp");
    EXPECT_EQ(absolutePath(L""), L"");
}

TEST(CommandLineArguments, SplitsAsWindowsDoesQuotesIncludedAndKeepsNonAsciiNames)
{
    const auto arguments = commandLineArguments(
        L"\"C:\\Program Files\\viewer.exe\" \"D:\\\u00C9t\u00E9 2024\\a b.jpg\" \u0444\u043E\u0442\u043E.jpg "
        L"\u5199\u771F.jpg");
    ASSERT_EQ(arguments.size(), 4u);
    EXPECT_EQ(arguments[0], "C:\\Program Files\\viewer.exe");
    EXPECT_EQ(arguments[1], "D:\\\xC3\x89t\xC3\xA9 2024\\a b.jpg");
    EXPECT_EQ(arguments[2], "\xD1\x84\xD0\xBE\xD1\x82\xD0\xBE.jpg");
    EXPECT_EQ(arguments[3], "\xE5\x86\x99\xE7\x9C\x9F.jpg");
}

// The argv of main, in the ANSI code page, is not what the tools read.
TEST(ProgramArguments, AreTheProcesssOwnFromItsWideCommandLine)
{
    const char* const ansi[] = {"elsewhere.exe", "x.jpg"};
    const auto arguments = programArguments(2, ansi);
    ASSERT_FALSE(arguments.empty());
    EXPECT_EQ(arguments, ownArguments());
    EXPECT_NE(arguments[0].find("win32_tests"), std::string::npos) << arguments[0];
}

namespace {

// A drop as the shell hands one over: a DROPFILES header, then the names,
// each ending in a zero, the list in two.
HGLOBAL makeDrop(const std::wstring& names)
{
    const size_t bytes = sizeof(DROPFILES) + (names.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GHND, bytes);
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(header + 1, names.c_str(), (names.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    return memory;
}

}  // namespace

TEST(FirstDroppedPath, TakesTheFirstOfSeveralFilesAsTheShellKeepsPaths)
{
    using namespace std::string_literals;
    HGLOBAL drop = makeDrop(L"C:\\Fotos\\\u00C5land.jpg\0C:\\Fotos\\b.bmp\0"s);
    EXPECT_EQ(firstDroppedPath(drop), "C:/Fotos/\xC3\x85land.jpg");
    GlobalFree(drop);
}

TEST(FirstDroppedPath, EmptyDropGivesNoPath)
{
    using namespace std::string_literals;
    HGLOBAL drop = makeDrop(L"\0"s);
    EXPECT_EQ(firstDroppedPath(drop), "");
    GlobalFree(drop);
}
