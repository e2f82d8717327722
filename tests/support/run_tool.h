#pragma once

#include <string>

// Runs one of the command-line tools of this build, as a user would.
struct ToolRun {
    int exitCode = -1;
    std::string out;
    std::string err;
};

// The tool's path in the build tree (CTest passes the build directory in
// VIEWER_BUILD_DIR).
std::string toolPath(const std::string& name);

// arguments are appended to the command line unquoted.
ToolRun runTool(const std::string& name, const std::string& arguments);

// A fresh empty directory for one test's files.
std::string makeTempDir();

void writeFile(const std::string& path, const std::string& bytes);
std::string readFile(const std::string& path);
