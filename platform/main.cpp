// The viewer program: `viewer [FILE|FOLDER]...`, the SDL platform installed under
// the shell, which does the rest.
#include <cstdio>

#include "app/command_line.h"
#include "app/run.h"
#include "app/startup.h"
#include "platform/sdl_platform.h"

namespace {

int runWindow(const std::vector<std::string>& files)
{
    commandLineFiles = files;
    SdlPlatform platform;
    return runViewerOn(platform, platform);
}

}  // namespace

int main(int argc, char** argv)
{
    const CommandLine line = parseCommandLine(argc, argv);
    switch (line.action) {
    case CommandLine::Action::help: std::fputs(usageText, stdout); return 0;
    case CommandLine::Action::version: std::printf("%s\n", versionText().c_str()); return 0;
    case CommandLine::Action::badUsage: std::fputs(usageText, stderr); return 2;
    case CommandLine::Action::run: break;
    }
    return runWindow(line.files);
}
