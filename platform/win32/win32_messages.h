#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The display-free rules of the Win32 layer: how the window procedure
// routes a message, and how names cross between Windows (UTF-16, either
// slash) and the shell (UTF-8, forward slashes).

// What the window procedure does with a message besides its own work.
enum class Routing {
    shellThenDefault,  // the shell's procedure, then default processing
    shellOnly,         // the shell's procedure alone: the system must not paint or act
    defaultOnly,       // input while a modal dialog or box is up: the shell does not see it
};
Routing routeMessage(uint32_t message, bool modalOpen);

// A Windows path as the shell keeps it: UTF-8 with forward slashes, which
// every Win32 file call takes as well, so the shell can split folders off
// the same way on every system.
std::string shellPath(std::wstring_view windowsPath);
// The reverse, for what the user sees in a dialog.
std::wstring windowsPath(std::string_view shellPath);

// The first file of a drop (an HDROP), as the shell keeps paths; empty
// when there is none.
std::string firstDroppedPath(void* drop);

// The open dialog's filter: one entry "Image" whose patterns are *.jpg,
// *.jpeg and *.bmp, then every other picture extension the viewer knows. The
// dialog matches them in any case. Entries end in a zero, the list in two.
std::wstring dialogFilter();

// A shell path as Windows spells it for the user, with backslashes.
std::string displayedPath(std::string_view shellPath);

// A Windows path made absolute against the working directory, so that it
// keeps naming the same file after the directory changes. Empty stays
// empty; a path that cannot be resolved stays as it is.
std::wstring absolutePath(const std::wstring& path);
