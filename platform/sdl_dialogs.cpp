// The platform's modal parts and the console: message boxes, the open
// dialog and the terminal title.
#include "platform/sdl_platform.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <unistd.h>

#include "platform/file_dialog.h"
#include "platform/sdl_events.h"

namespace {

constexpr const char* noHelperText = "No file dialog found: install zenity or kdialog to open files.";

}  // namespace

// Standard output is the console here; a terminal gets the title through
// the xterm escape sequence that every common terminal understands.
void SdlPlatform::openConsole(const char* title)
{
    if (isatty(STDOUT_FILENO)) {
        std::printf("\033]0;%s\007", title);
        std::fflush(stdout);
    }
}

void SdlPlatform::closeConsole() { std::fflush(stdout); }

// Without a display the box cannot show; the text still reaches the user
// on standard error.
void SdlPlatform::messageBox(const char* text, const char* caption)
{
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
    const std::optional<std::vector<std::string>> command = dialogCommand(*helper, title, initialName);
    const std::optional<std::string> output = runHelper(*command, [this] { keepAliveDuringDialog(); });
    return output ? chosenPath(*output) : std::nullopt;
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
