#include "platform/file_dialog.h"

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include "app/file_kinds.h"

extern char** environ;

namespace {

constexpr int waitStepMilliseconds = 16;
constexpr const char* knownHelpers[] = {"zenity", "kdialog"};

bool isOnPath(const std::string& name)
{
    const char* path = std::getenv("PATH");
    const std::string folders = path ? path : "/usr/bin:/bin";
    size_t start = 0;
    while (start <= folders.size()) {
        size_t end = folders.find(':', start);
        if (end == std::string::npos)
            end = folders.size();
        const std::string folder = end > start ? folders.substr(start, end - start) : ".";
        if (access((folder + "/" + name).c_str(), X_OK) == 0)
            return true;
        start = end + 1;
    }
    return false;
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd = -1) : fd_(fd) {}
    ~Descriptor() { reset(); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int get() const { return fd_; }
    void reset(int fd = -1)
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = fd;
    }

private:
    int fd_;
};

std::optional<pid_t> spawnWithOutputPipe(const std::vector<std::string>& command, int outputFd)
{
    std::vector<char*> argv;
    for (const std::string& argument : command)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outputFd, STDOUT_FILENO);
    pid_t pid = 0;
    const int failed = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed != 0)
        return std::nullopt;
    return pid;
}

// Reads what is there without blocking; false once the writer has gone.
bool readAvailable(int fd, std::string& output)
{
    char buffer[4096];
    for (;;) {
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<size_t>(n));
            continue;
        }
        if (n == 0)
            return false;
        return errno == EAGAIN || errno == EINTR;
    }
}

bool exitedCleanly(pid_t pid)
{
    int status = 0;
    while (waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return false;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::vector<std::string> withZenityParent(std::vector<std::string> command, ParentWindow parent)
{
    command.insert(command.begin() + 2, "--modal");
    if (parent)
        command.insert(command.begin() + 3, "--attach=" + std::to_string(*parent));
    return command;
}

// kdialog's dialogs are modal to the window they are attached to.
std::vector<std::string> withKdialogParent(std::vector<std::string> command, ParentWindow parent)
{
    if (parent) {
        command.push_back("--attach");
        command.push_back(std::to_string(*parent));
    }
    return command;
}

}  // namespace

std::optional<std::vector<std::string>> dialogCommand(const std::string& helper, const std::string& title,
                                                      const std::string& initialName, ParentWindow parent)
{
    if (helper == "zenity") {
        std::vector<std::string> command{"zenity", "--file-selection", "--title=" + title,
                                         "--file-filter=Image | " + pictureFilterPatterns()};
        if (!initialName.empty())
            command.push_back("--filename=" + initialName);
        return withZenityParent(command, parent);
    }
    if (helper == "kdialog")
        return withKdialogParent({"kdialog", "--getopenfilename", initialName.empty() ? "." : initialName,
                                  pictureFilterPatterns() + "|Image", "--title", title},
                                 parent);
    return std::nullopt;
}

std::optional<std::vector<std::string>> messageCommand(const std::string& helper, const std::string& caption,
                                                       const std::string& text, ParentWindow parent)
{
    if (helper == "zenity")
        return withZenityParent({"zenity", "--error", "--no-markup", "--title=" + caption, "--text=" + text}, parent);
    if (helper == "kdialog")
        return withKdialogParent({"kdialog", "--title", caption, "--error", text}, parent);
    return std::nullopt;
}

std::string pictureFilterPatterns()
{
    std::string patterns;
    for (const std::string_view extension : pictureExtensions()) {
        patterns += patterns.empty() ? "*." : " *.";
        for (const char c : extension)
            patterns += std::string("[") + c + static_cast<char>(std::toupper(static_cast<unsigned char>(c))) + "]";
    }
    return patterns;
}

std::optional<std::string> findDialogHelper()
{
    for (const char* name : knownHelpers) {
        if (isOnPath(name))
            return name;
    }
    return std::nullopt;
}

std::optional<std::string> chosenPath(const std::string& helperOutput)
{
    const std::string path = helperOutput.substr(0, helperOutput.find('\n'));
    if (path.empty())
        return std::nullopt;
    return path;
}

std::optional<HelperResult> runHelper(const std::vector<std::string>& command,
                                      const std::function<void(pid_t)>& waitStep)
{
    if (command.empty())
        return std::nullopt;
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0)
        return std::nullopt;
    Descriptor readEnd(ends[0]);
    Descriptor writeEnd(ends[1]);
    const std::optional<pid_t> pid = spawnWithOutputPipe(command, writeEnd.get());
    writeEnd.reset();
    if (!pid)
        return std::nullopt;
    fcntl(readEnd.get(), F_SETFL, O_NONBLOCK);
    std::string output;
    bool open = true;
    while (open) {
        pollfd waiting{readEnd.get(), POLLIN, 0};
        poll(&waiting, 1, waitStepMilliseconds);
        open = readAvailable(readEnd.get(), output);
        waitStep(*pid);
    }
    return HelperResult{exitedCleanly(*pid), output};
}
