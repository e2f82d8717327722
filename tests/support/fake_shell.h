#pragma once

#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "app/shell_platform.h"

// A window system in memory: messages come from a queue the test fills,
// dialogs answer from a queue, boxes and quit requests are recorded.
// Installed for the whole program while the object lives.
class FakeShell final : public ShellPlatform {
public:
    FakeShell() { setShellPlatform(this); }
    ~FakeShell() override { setShellPlatform(nullptr); }
    FakeShell(const FakeShell&) = delete;
    FakeShell& operator=(const FakeShell&) = delete;

    bool registerWindowClass(WindowProcedure procedure) override;
    bool createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void showWindow() override { events.push_back("show"); }
    void destroyWindow() override;
    bool windowShown() override { return shown; }
    bool fullscreen() override { return isFullscreen; }
    void setFullscreen(bool on) override;
    void setWindowTitle(const std::string& title) override { titles.push_back(title); }
    void openConsole(const char* title) override { events.push_back(std::string("console ") + title); }
    void closeConsole() override { events.push_back("close console"); }
    bool peekMessage(Message& message) override;
    void getMessage(Message& message) override;
    void dispatchMessage(const Message& message) override;
    void postQuitMessage(int32_t exitCode) override;
    int16_t keyState(uint32_t virtualKey) override { return virtualKey == VK_CONTROL ? ctrlState : 0; }
    void messageBox(const char* text, const char* caption) override;
    std::optional<std::string> openFileDialog(const char* title, const std::string& initialName) override;
    std::string droppedFile() override { return dropped; }
    std::vector<std::string> filesInFolder(const std::string& folder) override;
    // A folder with or without its trailing slash.
    bool isFolder(const std::string& path) override { return folders.count(path) || folders.count(path + "/"); }
    std::string displayPath(const std::string& path) override;
    std::string programFolder() override { return programFolderPath; }

    bool registerSucceeds = true;
    bool createSucceeds = true;
    int16_t ctrlState = 0;
    bool shown = true;
    bool isFullscreen = false;
    std::map<std::string, std::vector<std::string>> folders;  // folder -> file names
    std::string dropped;
    bool showsBackslashes = false;  // displayPath as on Windows
    std::string programFolderPath;  // empty: unknown
    std::deque<Message> queue;
    std::deque<std::optional<std::string>> dialogAnswers;  // empty: cancel
    std::vector<std::string> dialogInitialNames;
    std::vector<std::string> boxes;   // "text|caption"
    std::vector<std::string> titles;  // every title the window was given
    std::vector<std::string> events;
    int quitPosts = 0;
    WindowProcedure procedure = nullptr;
};

// Message builders.
Message keyDown(uint32_t key);
Message mouse(uint32_t message, int32_t x, int32_t y, bool buttonDown = true);
Message wheel(int32_t delta, int32_t screenX, int32_t screenY);
