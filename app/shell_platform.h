#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// The window-message contract between the platform layer and the shell:
// message numbers, virtual-key codes and parameter packing of the Win32
// desktop the viewer was designed for. Whatever window system sits below
// translates its events into these.
enum WindowMessage : uint32_t {
    WM_DESTROY = 0x0002,
    WM_MOVE = 0x0003,
    WM_SIZE = 0x0005,
    WM_CLOSE = 0x0010,
    WM_QUIT = 0x0012,
    WM_ERASEBKGND = 0x0014,
    WM_KEYDOWN = 0x0100,
    WM_SYSKEYDOWN = 0x0104,  // a key pressed with Alt: never a command
    WM_MOUSEMOVE = 0x0200,
    WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202,
    WM_MOUSEWHEEL = 0x020A,
    WM_SIZING = 0x0214,
    WM_DROPFILES = 0x0233,  // the path is ShellPlatform::droppedFile()
};

enum VirtualKey : uint32_t {
    VK_BACK = 0x08,
    VK_CONTROL = 0x11,
    VK_ESCAPE = 0x1B,
    VK_SPACE = 0x20,
    VK_PRIOR = 0x21,  // Page Up
    VK_NEXT = 0x22,   // Page Down
    VK_HOME = 0x24,
    VK_LEFT = 0x25,
    VK_RIGHT = 0x27,
    VK_ADD = 0x6B,       // keypad +
    VK_SUBTRACT = 0x6D,  // keypad -
    VK_F1 = 0x70,
    VK_F5 = 0x74,
    VK_F11 = 0x7A,
    VK_OEM_PLUS = 0xBB,   // the key of + and =, whatever the layout puts on it
    VK_OEM_MINUS = 0xBD,  // the key of -
    // Digits and letters are their ASCII codes: '0'..'9', 'A'..'Z'.
};

// Flag in a mouse message's first parameter: the left button is down.
constexpr uint64_t MK_LBUTTON = 0x0001;

struct Message {
    uint32_t message = 0;
    uint64_t wParam = 0;
    int64_t lParam = 0;
};

// Positions travel as x in the low 16 bits and y in the high 16 bits of
// lParam, each signed; the wheel delta as the signed high 16 bits of wParam.
constexpr int64_t packPoint(int32_t x, int32_t y)
{
    return static_cast<int64_t>((static_cast<uint32_t>(y & 0xFFFF) << 16) | static_cast<uint32_t>(x & 0xFFFF));
}
constexpr int32_t pointX(int64_t lParam) { return static_cast<int16_t>(lParam & 0xFFFF); }
constexpr int32_t pointY(int64_t lParam) { return static_cast<int16_t>((lParam >> 16) & 0xFFFF); }
constexpr int32_t wheelDelta(uint64_t wParam) { return static_cast<int16_t>((wParam >> 16) & 0xFFFF); }

using WindowProcedure = int64_t (*)(uint32_t message, uint64_t wParam, int64_t lParam);

// What the shell takes from the window system besides frames (those go
// through FramePlatform).
class ShellPlatform {
public:
    virtual ~ShellPlatform() = default;

    // Remembers the procedure that dispatched messages go to. False when
    // the window system cannot be used at all.
    virtual bool registerWindowClass(WindowProcedure procedure) = 0;
    // Creates the one window at (x, y) with outer size width x height.
    virtual bool createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    virtual void showWindow() = 0;
    // Destroys the window; the procedure receives WM_DESTROY before this returns.
    virtual void destroyWindow() = 0;
    // False while the window is minimised or hidden: nothing drawn shows.
    virtual bool windowShown() = 0;
    // Fullscreen: the window covers its monitor without decorations; back
    // out of it, where and as large as it was. Either change of size comes
    // back as WM_SIZE. A window system without it keeps the window as it is.
    virtual bool fullscreen() { return false; }
    virtual void setFullscreen(bool /*on*/) {}
    // The title, UTF-8, in the window's frame and the task bar.
    virtual void setWindowTitle(const std::string& title) = 0;

    // The console for timing lines: titles it where there is one.
    virtual void openConsole(const char* title) = 0;
    virtual void closeConsole() = 0;

    // Takes the next message without waiting; false when there is none.
    virtual bool peekMessage(Message& message) = 0;
    // Waits for the next message.
    virtual void getMessage(Message& message) = 0;
    // Hands a message taken by peek or get to the window procedure.
    virtual void dispatchMessage(const Message& message) = 0;
    virtual void postQuitMessage(int32_t exitCode) = 0;

    // Key state as GetKeyState reports it: bit 15 set while held, bit 0 the toggle.
    virtual int16_t keyState(uint32_t virtualKey) = 0;
    // Modal message box with an OK button.
    virtual void messageBox(const char* text, const char* caption) = 0;
    // Modal open dialog; nullopt when the user cancels. While it is open the
    // window goes on rendering through WM_ERASEBKGND and ignores input.
    virtual std::optional<std::string> openFileDialog(const char* title, const std::string& initialName) = 0;
    // The path of the file that the last WM_DROPFILES delivered.
    virtual std::string droppedFile() = 0;
    // The names of the files in a folder, in no particular order; empty
    // when it cannot be read.
    virtual std::vector<std::string> filesInFolder(const std::string& folder) = 0;
    // True when path names a folder that exists.
    virtual bool isFolder(const std::string& path) = 0;
    // A path as the user reads it in a message: the shell keeps forward
    // slashes on every system, which is not how every system spells paths.
    virtual std::string displayPath(const std::string& path) { return path; }
    // The folder that holds the running program, as the shell spells paths,
    // without a trailing slash; empty where the system does not say.
    virtual std::string programFolder() { return {}; }
};

ShellPlatform& shellPlatform();
// Installs a platform for the whole program; nullptr restores the default,
// which cannot make a window.
void setShellPlatform(ShellPlatform* platform);
