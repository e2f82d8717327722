#include "app/shell_platform.h"

namespace {

// Stands in until a real platform is installed: no window can be made.
class NoShellPlatform final : public ShellPlatform {
public:
    bool registerWindowClass(WindowProcedure) override { return false; }
    bool createWindow(const char*, int32_t, int32_t, int32_t, int32_t) override { return false; }
    void showWindow() override {}
    void destroyWindow() override {}
    bool windowShown() override { return false; }
    void setWindowTitle(const std::string&) override {}
    void openConsole(const char*) override {}
    void closeConsole() override {}
    bool peekMessage(Message&) override { return false; }
    void getMessage(Message& message) override { message = Message{WM_QUIT, 0, 0}; }
    void dispatchMessage(const Message&) override {}
    void postQuitMessage(int32_t) override {}
    int16_t keyState(uint32_t) override { return 0; }
    void messageBox(const char*, const char*) override {}
    std::optional<std::string> openFileDialog(const char*, const std::string&) override { return std::nullopt; }
    std::string droppedFile() override { return {}; }
    std::vector<std::string> filesInFolder(const std::string&) override { return {}; }
    bool isFolder(const std::string&) override { return false; }
};

NoShellPlatform noShell;
ShellPlatform* installedShell = &noShell;

}  // namespace

ShellPlatform& shellPlatform() { return *installedShell; }

void setShellPlatform(ShellPlatform* platform) { installedShell = platform ? platform : &noShell; }
