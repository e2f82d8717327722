// The platform's modal parts, the console and the folders: message boxes,
// the open dialog, the terminal and window titles, the listing of a folder
// and the program's own.
#include "platform/sdl_platform.h"

#include <SDL2/SDL.h>
#include <SDL2/SDL_syswm.h>

#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unistd.h>

#include "platform/file_dialog.h"
#include "platform/sdl_events.h"
#include "platform/x11_transient.h"

namespace {

// The viewer's window in X11 terms; false where the window system is another.
bool readX11Handles(SDL_Window* window, SDL_SysWMinfo& info)
{
    SDL_VERSION(&info.version);
    return window && SDL_GetWindowWMInfo(window, &info) && info.subsystem == SDL_SYSWM_X11;
}

constexpr const char* noHelperText =
    "No file dialog found: install zenity (sudo apt install zenity) or kdialog to open files.";

}  // namespace

// Standard output is the console here; a terminal gets the title through
// the xterm escape sequence that every common terminal understands, after
// its own title is pushed on the xterm title stack (terminals without one
// ignore that). Anything but a terminal is left alone.
void SdlPlatform::openConsole(const char* title)
{
    if (!isatty(STDOUT_FILENO))
        return;
    std::printf("\033[22;0t\033]0;%s\007", title);
    std::fflush(stdout);
    terminalTitled_ = true;
}

// The terminal gets its own title back.
void SdlPlatform::closeConsole()
{
    if (terminalTitled_)
        std::printf("\033[23;0t");
    terminalTitled_ = false;
    std::fflush(stdout);
}

// The box is the dialog helper's where there is one, so that frames keep
// coming while it is up; SDL's own box blocks every frame until it closes.
// Without a display no box can show; the text still reaches the user on
// standard error.
void SdlPlatform::messageBox(const char* text, const char* caption)
{
    const std::optional<std::string> helper = window_ ? findDialogHelper() : std::nullopt;
    if (helper && runModalHelper(*messageCommand(*helper, caption, text, x11Window())))
        return;
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_INFORMATION, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
}

std::optional<std::string> SdlPlatform::openFileDialog(const char* title, const std::string& initialName)
{
    const std::optional<std::string> helper = findDialogHelper();
    if (!helper) {
        std::fprintf(stderr, "%s\n", noHelperText);
        messageBox(noHelperText, title);
        return std::nullopt;
    }
    const std::optional<std::vector<std::string>> command = dialogCommand(*helper, title, initialName, x11Window());
    const std::optional<HelperResult> result = runModalHelper(*command);
    return result && result->succeeded ? chosenPath(result->output) : std::nullopt;
}

// Runs a dialog helper while the window keeps showing frames, and makes
// the helper's window its transient as soon as the window manager lists it.
std::optional<HelperResult> SdlPlatform::runModalHelper(const std::vector<std::string>& command)
{
    SDL_SysWMinfo info;
    bool attached = !readX11Handles(window_, info);
    return runHelper(command, [&](pid_t helper) {
        if (!attached)
            attached = makeTransientFor(info.info.x11.display, info.info.x11.window, helper);
        keepAliveDuringDialog();
    });
}

// The parent that the helpers' windows are attached to.
std::optional<uint64_t> SdlPlatform::x11Window()
{
    SDL_SysWMinfo info;
    if (!readX11Handles(window_, info))
        return std::nullopt;
    return static_cast<uint64_t>(info.info.x11.window);
}

std::string SdlPlatform::programFolder()
{
    char* base = SDL_GetBasePath();
    if (!base)
        return {};
    std::string folder = base;
    SDL_free(base);
    while (folder.size() > 1 && folder.back() == '/')
        folder.pop_back();
    return folder;
}

std::vector<std::string> SdlPlatform::filesInFolder(const std::string& folder)
{
    std::vector<std::string> names;
    std::error_code listing;
    for (std::filesystem::directory_iterator entry(folder, listing), end; !listing && entry != end;
         entry.increment(listing)) {
        std::error_code unreadable;  // a dangling link, say: left out
        if (entry->is_regular_file(unreadable))
            names.push_back(entry->path().filename().string());
    }
    return names;
}

// SDL names an X11 window through the locale's multibyte conversion, which
// in the C locale leaves the name that window managers show as it was for
// a title beyond ASCII (the em dash of every title).
void SdlPlatform::setWindowTitle(const std::string& title)
{
    if (!window_)
        return;
    SDL_SetWindowTitle(window_, title.c_str());
    SDL_SysWMinfo info;
    if (readX11Handles(window_, info))
        setUtf8WindowName(info.info.x11.display, info.info.x11.window, title);
}

bool SdlPlatform::isFolder(const std::string& path)
{
    std::error_code unreadable;
    return std::filesystem::is_directory(path, unreadable);
}

// What a modal dialog lets through while it waits: the window follows
// moves and resizes and keeps showing frames; its input is dropped. Other
// events, such as a quit request, wait for the main loop.
void SdlPlatform::keepAliveDuringDialog()
{
    SDL_PumpEvents();
    SDL_Event event;
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_WINDOWEVENT, SDL_WINDOWEVENT) > 0) {
        const std::optional<Message> message = takeEvent(event);
        if (message && passesModalDialog(message->message))
            dispatchMessage(*message);
    }
    while (SDL_PeepEvents(&event, 1, SDL_GETEVENT, SDL_KEYDOWN, SDL_DROPCOMPLETE) > 0)
        takeEvent(event);
    dispatchMessage({WM_ERASEBKGND, 0, 0});
}
