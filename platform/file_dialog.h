#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <sys/types.h>
#include <vector>

// The desktop's own open dialog, run as a helper program (zenity, or
// kdialog where zenity is missing): no file-dialog library is packaged for
// every desktop, but one of these two usually is.

// The viewer's window as the helpers name a parent: its X11 window id.
// Nothing where the window system is not X11; the helper's window then
// stands alone.
using ParentWindow = std::optional<uint64_t>;

// The command line that asks the helper for one JPEG or BMP file, starting
// at initialName (empty: the working directory), modal and attached to
// parent, so that the window manager keeps it in front of the viewer.
// Nothing for a helper this code does not know.
std::optional<std::vector<std::string>> dialogCommand(const std::string& helper, const std::string& title,
                                                      const std::string& initialName, ParentWindow parent);

// The command line that shows text, as plain text, in a modal box with an
// OK button, attached to parent.
std::optional<std::vector<std::string>> messageCommand(const std::string& helper, const std::string& caption,
                                                       const std::string& text, ParentWindow parent);

// Glob patterns that match every picture extension in any case, such as
// "*.[jJ][pP][gG]", joined by spaces: both helpers' filters take them.
std::string pictureFilterPatterns();

// The name of the first known helper found on PATH.
std::optional<std::string> findDialogHelper();

// The chosen path from what the helper printed: its first line. Nothing
// when that is empty.
std::optional<std::string> chosenPath(const std::string& helperOutput);

// How a helper ended: with status 0 (the user chose or confirmed) or not
// (cancelled, failed), and what it printed on standard output.
struct HelperResult {
    bool succeeded = false;
    std::string output;
};

// Runs the command, looked up on PATH with its arguments passed as they
// are (no shell); nothing when it cannot start. waitStep is called with the
// helper's process id about every 16 ms until the program ends, so the
// caller's window stays alive.
std::optional<HelperResult> runHelper(const std::vector<std::string>& command,
                                      const std::function<void(pid_t)>& waitStep);
