// The viewer program: `viewer [FILE|FOLDER]...`, the SDL platform installed under
// the shell, which does the rest.
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "app/command_line.h"
#include "app/run.h"
#include "app/startup.h"
#include "platform/sdl_platform.h"

namespace {

// Without a display the viewer says so and fails at once, wherever it was
// started from.
int runWindow(const std::vector<std::string>& files)
{
    commandLineFiles = files;
    SdlPlatform platform;
    if (const std::optional<std::string> failure = platform.openDisplay()) {
        std::fprintf(stderr, "viewer: cannot open display: %s\n", failure->c_str());
        return 1;
    }
    return runViewerOn(platform, platform);
}

}  // namespace

int main(int argc, char** argv)
{
    // Output to a pipe whose reader is gone (`viewer x.jpg | head`) is then
    // a failed write, not the end of the program.
    std::signal(SIGPIPE, SIG_IGN);
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::help: std::fputs(usageText, stdout); return 0;
    case CommandLine::Action::version: std::printf("%s\n", versionText().c_str()); return 0;
    case CommandLine::Action::badUsage: std::fputs(usageText, stderr); return 2;
    case CommandLine::Action::run: break;
    }
    return runWindow(line.files);
}
