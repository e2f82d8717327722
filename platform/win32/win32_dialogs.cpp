// The platform's modal parts, the console and the folder listing: message
// boxes, the open dialog, the console window the timing lines go to, the
// files the next and previous commands choose from, and the program's own
// folder.
#include "platform/win32/win32_platform.h"

#include <commdlg.h>

#include <cstdio>

#include "base/utf16.h"
#include "platform/win32/win32_messages.h"

namespace {

constexpr size_t fileNameUnits = 260;

std::wstring workingDirectory()
{
    const DWORD room = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(room, L'\0');
    const DWORD length = room == 0 ? 0 : GetCurrentDirectoryW(room, folder.data());
    folder.resize(length < room ? length : 0);
    return folder;
}

// The open dialog moves the working directory to the folder it was in, even
// when cancelled; names the shell keeps relative to it ("small.jpg") must
// go on naming the same files.
class WorkingDirectoryKept {
public:
    WorkingDirectoryKept() : folder_(workingDirectory()) {}
    ~WorkingDirectoryKept()
    {
        if (!folder_.empty())
            SetCurrentDirectoryW(folder_.c_str());
    }
    WorkingDirectoryKept(const WorkingDirectoryKept&) = delete;
    WorkingDirectoryKept& operator=(const WorkingDirectoryKept&) = delete;

private:
    std::wstring folder_;
};

BOOL showOpenDialog(OPENFILENAMEW& dialog)
{
    const WorkingDirectoryKept kept;
    return GetOpenFileNameW(&dialog);
}

}  // namespace

// Lines are written with bare line feeds, as they are formatted: the
// stream is binary. Standard error, which has nowhere to go in a windowed
// program unless its starter redirected it, goes to the console too, so
// that a reason for a failed load is seen there as well as in its box.
void Win32Platform::openConsole(const char* title)
{
    const bool errorsRedirected = standardHandleRedirected(STD_ERROR_HANDLE);
    if (!AllocConsole())
        return;
    SetConsoleTitleW(widenUtf8(title).c_str());
    consoleOpen_ = std::freopen("CONOUT$", "wb", stdout) != nullptr;
    errorsInConsole_ = !errorsRedirected && std::freopen("CONOUT$", "wb", stderr) != nullptr;
    if (errorsInConsole_)
        std::setvbuf(stderr, nullptr, _IONBF, 0);
}

// Standard output leaves the console for the null device rather than
// staying closed, so a late line has somewhere harmless to go; so does
// standard error where it was in the console.
void Win32Platform::closeConsole()
{
    if (!consoleOpen_)
        return;
    std::fflush(stdout);
    if (!std::freopen("NUL", "wb", stdout))
        std::fclose(stdout);
    if (errorsInConsole_ && !std::freopen("NUL", "wb", stderr))
        std::fclose(stderr);
    FreeConsole();
    consoleOpen_ = false;
    errorsInConsole_ = false;
}

// Every box the shell shows reports a failure. Owned by the viewer's
// window once there is one, it stays in front of it; the window goes on
// drawing from erase requests, its input held back until the box closes.
void Win32Platform::messageBox(const char* text, const char* caption)
{
    ++modalDepth_;
    MessageBoxW(window_, widenUtf8(text).c_str(), widenUtf8(caption).c_str(), MB_OK | MB_ICONERROR);
    --modalDepth_;
}

// The dialog opens on the previous choice, made absolute so that it opens
// in that file's folder rather than the one an earlier run used last; a
// name too long for its buffer starts it empty instead. Owned by the
// viewer's window, it cannot fall behind it.
std::optional<std::string> Win32Platform::openFileDialog(const char* title, const std::string& initialName)
{
    std::wstring buffer = absolutePath(windowsPath(initialName));
    if (buffer.size() >= fileNameUnits)
        buffer.clear();
    buffer.resize(fileNameUnits, L'\0');
    const std::wstring filter = dialogFilter();
    const std::wstring wideTitle = widenUtf8(title);
    OPENFILENAMEW dialog{};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = window_;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = buffer.data();
    dialog.nMaxFile = fileNameUnits;
    dialog.lpstrTitle = wideTitle.c_str();
    ++modalDepth_;
    const BOOL chosen = showOpenDialog(dialog);
    --modalDepth_;
    if (!chosen)
        return std::nullopt;
    return shellPath(buffer.c_str());
}

std::string Win32Platform::displayPath(const std::string& path) { return displayedPath(path); }

// The program's file name is read into a buffer that grows until the name
// fits, up to the longest path Windows has.
std::string Win32Platform::programFolder()
{
    constexpr size_t longestPath = 32768;
    std::wstring name(MAX_PATH, L'\0');
    DWORD length = 0;
    for (;;) {
        length = GetModuleFileNameW(nullptr, name.data(), static_cast<DWORD>(name.size()));
        if (length == 0 || length < name.size() || name.size() >= longestPath)
            break;
        name.resize(name.size() * 2);
    }
    if (length == 0 || length >= name.size())
        return {};
    const std::string path = shellPath(std::wstring_view(name.data(), length));
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string{} : path.substr(0, slash);
}

bool standardHandleRedirected(DWORD standardHandle)
{
    const HANDLE handle = GetStdHandle(standardHandle);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE)
        return false;
    const DWORD type = GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

// Plain files only, by name, as FindFirstFileW spells them: folders
// (with "." and "..") and devices hold no picture. The pattern goes after
// the folder's own slash where it has one, or its drive's colon.
std::vector<std::string> Win32Platform::filesInFolder(const std::string& folder)
{
    std::wstring pattern = windowsPath(folder);
    if (!pattern.empty() && pattern.back() != L'\\' && pattern.back() != L':')
        pattern += L'\\';
    pattern += L'*';
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW(pattern.c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return {};
    std::vector<std::string> names;
    do {
        if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE)) == 0)
            names.push_back(narrowUtf16(found.cFileName));
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
}

bool Win32Platform::isFolder(const std::string& path)
{
    const DWORD attributes = GetFileAttributesW(windowsPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}
