#ifdef _WIN32

#include "base/utf16.h"

#include <windows.h>

#include <shellapi.h>

#include <climits>

std::wstring widenUtf8(std::string_view utf8)
{
    if (utf8.empty() || utf8.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, nullptr, 0);
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0)
        MultiByteToWideChar(CP_UTF8, 0, utf8.data(), length, wide.data(), units);
    return wide;
}

std::string narrowUtf16(std::wstring_view utf16)
{
    if (utf16.empty() || utf16.size() > INT_MAX)
        return {};
    const int length = static_cast<int>(utf16.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<size_t>(bytes > 0 ? bytes : 0), '\0');
    if (bytes > 0)
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), length, narrow.data(), bytes, nullptr, nullptr);
    return narrow;
}

std::vector<std::string> commandLineArguments(const wchar_t* commandLine)
{
    int count = 0;
    wchar_t** arguments = CommandLineToArgvW(commandLine, &count);
    if (!arguments)
        return {};
    std::vector<std::string> utf8;
    for (int i = 0; i < count; ++i)
        utf8.push_back(narrowUtf16(arguments[i]));
    LocalFree(arguments);
    return utf8;
}

std::vector<std::string> ownArguments() { return commandLineArguments(GetCommandLineW()); }

#endif
