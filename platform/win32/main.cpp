// The viewer program on Windows: `viewer [FILE|FOLDER]...` read as on every system,
// the Win32 platform installed under the shell, which does the rest.
#include <string>
#include <string_view>
#include <vector>

#include "app/command_line.h"
#include "app/run.h"
#include "app/startup.h"
#include "app/viewer_state.h"
#include "base/utf16.h"
#include "platform/win32/win32_messages.h"
#include "platform/win32/win32_platform.h"

namespace {

bool writeIfRedirected(DWORD standardHandle, std::string_view text)
{
    if (!standardHandleRedirected(standardHandle))
        return false;
    const HANDLE handle = GetStdHandle(standardHandle);
    DWORD written = 0;
    return WriteFile(handle, text.data(), static_cast<DWORD>(text.size()), &written, nullptr) != 0;
}

// Where the text cannot be written, a message box shows it instead.
void tell(DWORD standardHandle, std::string_view text, UINT icon)
{
    if (!writeIfRedirected(standardHandle, text))
        MessageBoxW(nullptr, widenUtf8(text).c_str(), L"Viewer", MB_OK | icon);
}

// The files are kept absolute, as the dialog's choices are, so that the
// folder keys and the dialog's initial name never depend on the working
// directory. The shell splits folders off at forward slashes, whichever
// slash the user typed.
int runWindow(HINSTANCE instance, const std::vector<std::string>& files)
{
    commandLineFiles.clear();
    for (const std::string& file : files)
        commandLineFiles.push_back(shellPath(absolutePath(windowsPath(file))));
    viewerState->instance = instance;
    viewerState->window = nullptr;
    Win32Platform platform(instance);
    return runViewerOn(platform, platform);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int)
{
    const std::vector<std::string> arguments = ownArguments();
    std::vector<const char*> argv;
    for (const std::string& argument : arguments)
        argv.push_back(argument.c_str());
    argv.push_back(nullptr);
    const CommandLine line = parseCommandLine(static_cast<int>(arguments.size()), argv.data());
    switch (line.action) {
    case CommandLine::Action::help: tell(STD_OUTPUT_HANDLE, usageText, MB_ICONINFORMATION); return 0;
    case CommandLine::Action::version: tell(STD_OUTPUT_HANDLE, versionText() + "\n", MB_ICONINFORMATION); return 0;
    case CommandLine::Action::badUsage: tell(STD_ERROR_HANDLE, usageText, MB_ICONWARNING); return 2;
    case CommandLine::Action::run: break;
    }
    return runWindow(instance, line.files);
}
