#include "platform/win32/win32_messages.h"

#include <windows.h>

#include <shellapi.h>

#include <algorithm>
#include <string_view>

#include "app/file_kinds.h"
#include "base/utf16.h"

namespace {

bool isInput(uint32_t message)
{
    switch (message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_MOUSEWHEEL:
    case WM_DROPFILES: return true;
    default: return false;
    }
}

}  // namespace

// Erase requests and the destroy notification are the shell's alone: the
// background is never painted, and the quit message is posted once.
Routing routeMessage(uint32_t message, bool modalOpen)
{
    if (message == WM_ERASEBKGND || message == WM_DESTROY)
        return Routing::shellOnly;
    if (modalOpen && isInput(message))
        return Routing::defaultOnly;
    return Routing::shellThenDefault;
}

std::string shellPath(std::wstring_view windowsPath)
{
    std::string path = narrowUtf16(windowsPath);
    std::replace(path.begin(), path.end(), '\\', '/');
    return path;
}

std::wstring windowsPath(std::string_view shellPath)
{
    std::wstring path = widenUtf8(shellPath);
    std::replace(path.begin(), path.end(), L'/', L'\\');
    return path;
}

std::string firstDroppedPath(void* drop)
{
    const auto handle = static_cast<HDROP>(drop);
    const UINT length = DragQueryFileW(handle, 0, nullptr, 0);
    if (length == 0)
        return {};
    std::wstring path(length + 1, L'\0');
    path.resize(DragQueryFileW(handle, 0, path.data(), length + 1));
    return shellPath(path);
}

std::wstring dialogFilter()
{
    using namespace std::literals;
    std::wstring filter(L"Image\0*.jpg;*.jpeg;*.bmp"sv);
    for (const std::string_view extension : pictureExtensions()) {
        if (extension != "jpg" && extension != "jpeg" && extension != "bmp")
            filter += L";*." + widenUtf8(extension);
    }
    return filter + L"\0\0"s;
}

std::string displayedPath(std::string_view shellPath)
{
    std::string path(shellPath);
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The first call measures, terminator included; should the second not fit
// (the working directory changed in between), the path stays as it is.
std::wstring absolutePath(const std::wstring& path)
{
    if (path.empty())
        return path;
    const DWORD room = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (room == 0)
        return path;
    std::wstring full(room, L'\0');
    const DWORD length = GetFullPathNameW(path.c_str(), room, full.data(), nullptr);
    if (length == 0 || length >= room)
        return path;
    full.resize(length);
    return full;
}
