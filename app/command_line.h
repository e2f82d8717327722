#pragma once

#include <string>
#include <vector>

// What the viewer's arguments ask for: `viewer [FILE|FOLDER]...`, `--help`
// or `--version`. "--" ends the options, so a file may begin with "-".
struct CommandLine {
    enum class Action { run, help, version, badUsage };
    Action action = Action::run;
    std::vector<std::string> files;  // in argument order; none: "small.jpg" from the working directory
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The --help text: usage, the keys and the mouse.
extern const char* const usageText;
// The --version line.
std::string versionText();

// The program's arguments in UTF-8, its name first: argv as it is, except on
// Windows, where they are read again from the UTF-16 command line.
std::vector<std::string> programArguments(int argc, const char* const* argv);
