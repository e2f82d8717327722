#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/shell_platform.h"
#include "render/frame_platform.h"

// After the shell's contract: windows.h defines the same message and key
// names as macros of the same values.
#include <windows.h>

// The viewer's window system on Win32 and GDI: the window of class
// "MyClass", its messages, the console, message boxes, the open dialog,
// dropped files, and the frame as a 32-bit top-down DIB section that the
// renderer writes directly, with text drawn into it by TextOutW and shown
// by StretchBlt. One instance per program: the window procedure finds it.
class Win32Platform final : public FramePlatform, public ShellPlatform {
public:
    explicit Win32Platform(HINSTANCE instance);
    ~Win32Platform() override;
    Win32Platform(const Win32Platform&) = delete;
    Win32Platform& operator=(const Win32Platform&) = delete;

    Rect desktopRect() override;
    Rect windowRect() override;
    Rect clientRect() override;
    Point clientOrigin() override;
    uint32_t* createFrameBitmap(int32_t width, int32_t height) override;
    void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) override;
    void presentFrame(const FrameSurface& frame) override;
    void clearFrame(const FrameSurface& surface) override;

    bool registerWindowClass(WindowProcedure procedure) override;
    bool createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void showWindow() override;
    void destroyWindow() override;
    bool windowShown() override;
    bool fullscreen() override { return savedPlacement_.has_value(); }
    void setFullscreen(bool on) override;
    void setWindowTitle(const std::string& title) override;
    void openConsole(const char* title) override;
    void closeConsole() override;
    bool peekMessage(Message& message) override;
    void getMessage(Message& message) override;
    void dispatchMessage(const Message& message) override;
    void postQuitMessage(int32_t exitCode) override;
    int16_t keyState(uint32_t virtualKey) override;
    void messageBox(const char* text, const char* caption) override;
    std::optional<std::string> openFileDialog(const char* title, const std::string& initialName) override;
    std::string droppedFile() override { return droppedFile_; }
    std::vector<std::string> filesInFolder(const std::string& folder) override;
    bool isFolder(const std::string& path) override;
    std::string displayPath(const std::string& path) override;
    std::string programFolder() override;

private:
    static LRESULT CALLBACK windowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT route(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void forgetWindow();
    void deleteFrame();
    bool isFrame(const FrameSurface& surface) const;
    Message take(const MSG& msg);

    static Win32Platform* active_;

    HINSTANCE instance_;
    WindowProcedure procedure_ = nullptr;
    bool classRegistered_ = false;
    HWND window_ = nullptr;
    HDC windowDc_ = nullptr;
    HDC frameDc_ = nullptr;
    HBITMAP frameBitmap_ = nullptr;
    HGDIOBJ initialBitmap_ = nullptr;  // what frameDc_ held before the frame
    uint32_t* framePixels_ = nullptr;
    std::optional<MSG> taken_;  // the message last handed to the shell, for dispatch
    int modalDepth_ = 0;        // dialogs and boxes open: input waits
    bool consoleOpen_ = false;
    bool errorsInConsole_ = false;                   // standard error reopened on the console too
    std::optional<WINDOWPLACEMENT> savedPlacement_;  // where the window was before fullscreen
    std::string droppedFile_;
};

// True when a standard handle leads to a file or a pipe, which only whoever
// started the program can have set up: a program of the GUI subsystem has
// no console of its own for them to lead to.
bool standardHandleRedirected(DWORD standardHandle);
