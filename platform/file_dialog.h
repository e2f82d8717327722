#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

// The desktop's own open dialog, run as a helper program (zenity, or
// kdialog where zenity is missing): no file-dialog library is packaged for
// every desktop, but one of these two usually is.

// The command line that asks the helper for one JPEG or BMP file, starting
// at initialName (empty: the working directory). Nothing for a helper this
// code does not know.
std::optional<std::vector<std::string>> dialogCommand(const std::string& helper, const std::string& title,
                                                      const std::string& initialName);

// The name of the first known helper found on PATH.
std::optional<std::string> findDialogHelper();

// The chosen path from what the helper printed: its first line. Nothing
// when that is empty.
std::optional<std::string> chosenPath(const std::string& helperOutput);

// Runs the command, looked up on PATH with its arguments passed as they
// are (no shell), and returns what it printed on standard output when it
// exits with status 0; nothing when it cannot start, fails or is cancelled. waitStep is called about
// every 16 ms until the program ends, so the caller's window stays alive.
std::optional<std::string> runHelper(const std::vector<std::string>& command, const std::function<void()>& waitStep);
