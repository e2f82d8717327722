#pragma once

#ifdef _WIN32

#include <string>
#include <string_view>

// Windows names files in UTF-16; the viewer carries every path and text as
// UTF-8 and converts at the system's door. Ill-formed input becomes U+FFFD.
std::wstring widenUtf8(std::string_view utf8);
std::string narrowUtf16(std::wstring_view utf16);

#endif
