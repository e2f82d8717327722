// Prints what the console of a running program shows, for the end-to-end
// test: attaches to the console of the first process with the given
// executable name and reads its screen buffer, one trimmed line per row.
//   console-text NAME.exe
// Exit status: 0 printed, 1 no such process or no console to read.
#include <windows.h>

#include <tlhelp32.h>

#include <cstdio>
#include <optional>
#include <string>

#include "base/utf16.h"

namespace {

std::optional<DWORD> processNamed(const std::wstring& name)
{
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE)
        return std::nullopt;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    std::optional<DWORD> found;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        if (lstrcmpiW(entry.szExeFile, name.c_str()) == 0)
            found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

std::wstring screenRow(HANDLE console, SHORT width, SHORT row)
{
    std::wstring text(static_cast<size_t>(width), L' ');
    DWORD read = 0;
    ReadConsoleOutputCharacterW(console, text.data(), static_cast<DWORD>(width), COORD{0, row}, &read);
    text.resize(read);
    text.erase(text.find_last_not_of(L' ') + 1);
    return text;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: console-text NAME.exe\n", stderr);
        return 1;
    }
    const std::optional<DWORD> process = processNamed(argv[1]);
    FreeConsole();
    if (!process || !AttachConsole(*process))
        return 1;
    const HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                       nullptr, OPEN_EXISTING, 0, nullptr);
    CONSOLE_SCREEN_BUFFER_INFO info{};
    if (console == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(console, &info))
        return 1;
    std::string lines;
    for (SHORT row = 0; row < info.dwSize.Y; ++row)
        lines += narrowUtf16(screenRow(console, info.dwSize.X, row)) + "\n";
    CloseHandle(console);
    FreeConsole();
    std::fputs(lines.c_str(), stdout);
    return 0;
}
