#include "app/command_line.h"

#include <string_view>

#include "base/utf16.h"

const char* const usageText =
    "usage: viewer [FILE|FOLDER]...\n"
    "Shows FILE, a JPEG or a 24-bit BMP file (told apart by its extension), or the first\n"
    "picture of FOLDER, or small.jpg from the working directory; when none loads, the open\n"
    "dialog asks for a file. The window's title names the file and its place in the list\n"
    "that Right and Left walk: the files given when there are several (a folder stands for\n"
    "its pictures), the file's folder otherwise, in natural order (img2 before img10).\n"
    "\n"
    "Keys:\n"
    "  F1, 2                       open a file\n"
    "  Right, Page Down, Space     next file: of those given, or of the folder\n"
    "  Left, Page Up, Backspace    previous one\n"
    "  Home                        the picture upright, undistorted and centred; so it stays when the\n"
    "                              window changes size, until the picture is moved, turned or zoomed\n"
    "  +, =, keypad +              zoom in about the window's centre\n"
    "  -, keypad -                 zoom out about the window's centre\n"
    "  0                           actual size: one picture pixel per screen pixel, centred\n"
    "  F11                         fullscreen on and off\n"
    "  S                           next image embedded in the file (thumbnails, previews)\n"
    "  B, 5                        next filter: nearest, bilinear, smooth bilinear\n"
    "  D, 7                        next inverse DCT, used from the next decode\n"
    "  F5                          decode the picture again, with the inverse DCT D chose\n"
    "  I                           information lines on and off: the picture, the inverse DCT it was\n"
    "                              decoded with, the load's time split into stages, the zoom\n"
    "  C                           difference view on and off: in place of the picture, how far the\n"
    "                              inverse DCT's samples lie from the exact transform's, amplified\n"
    "  1, 3                        help text on and off\n"
    "  R, 6                        colour under the pointer on and off\n"
    "  F                           frame counter on and off (off: frames only when something changes)\n"
    "  Escape                      leave fullscreen, else quit\n"
    "  Q                           quit\n"
    "Mouse:\n"
    "  drag a corner marker to move that corner, anywhere else to move the picture;\n"
    "  the wheel rotates the picture about the pointer, Ctrl+wheel zooms.\n"
    "\n"
    "Options:\n"
    "  --help       this text\n"
    "  --version    the version\n";

std::string versionText() { return std::string("viewer ") + VIEWER_VERSION; }

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (!optionsEnded && argument == "--help")
            return {CommandLine::Action::help, {}};
        if (!optionsEnded && argument == "--version")
            return {CommandLine::Action::version, {}};
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
            continue;
        }
        const bool option = !optionsEnded && argument.size() > 1 && argument[0] == '-';
        if (option || argument.empty())
            return {CommandLine::Action::badUsage, {}};
        line.files.emplace_back(argument);
    }
    return line;
}

std::vector<std::string> programArguments([[maybe_unused]] int argc, [[maybe_unused]] const char* const* argv)
{
#ifdef _WIN32
    return ownArguments();
#else
    return {argv, argv + argc};
#endif
}
