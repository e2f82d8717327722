#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>
#include <vector>

// Windows names files in UTF-16; the viewer carries every path and text as
// UTF-8 and converts at the system's door. Ill-formed input becomes U+FFFD.
std::wstring widenUtf8(std::string_view utf8);
std::string narrowUtf16(std::wstring_view utf16);

// The arguments of a command line split as Windows splits them, UTF-8, the
// program's name first.
std::vector<std::string> commandLineArguments(const wchar_t* commandLine);
// This program's own: the argv that main receives holds them in the ANSI
// code page, which cannot spell every file name.
std::vector<std::string> ownArguments();

#endif
