#include "platform/win32/win32_platform.h"

#include <shellapi.h>

#include <algorithm>
#include <climits>

#include "app/viewer_state.h"
#include "base/utf16.h"
#include "platform/win32/win32_messages.h"

namespace {

constexpr const wchar_t* className = L"MyClass";
// A frame larger than this (1 GiB) is refused like a failed allocation.
constexpr int64_t maxFramePixels = int64_t{1} << 28;
constexpr int maxTextUnits = 65535;

Rect toRect(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

}  // namespace

Win32Platform* Win32Platform::active_ = nullptr;

Win32Platform::Win32Platform(HINSTANCE instance) : instance_(instance) { active_ = this; }

Win32Platform::~Win32Platform()
{
    if (window_)
        DestroyWindow(window_);
    deleteFrame();
    if (classRegistered_)
        UnregisterClassW(className, instance_);
    active_ = nullptr;
}

bool Win32Platform::registerWindowClass(WindowProcedure procedure)
{
    procedure_ = procedure;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = viewerState->classStyle;
    windowClass.lpfnWndProc = windowMessage;
    windowClass.hInstance = instance_;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // Brush value 15, the system colour 14 (highlight text) plus one, as the
    // classic class declaration has it; never painted, since erase requests
    // do not reach default processing.
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(INT_PTR{15});
    windowClass.lpszClassName = className;
    classRegistered_ = RegisterClassExW(&windowClass) != 0;
    return classRegistered_;
}

bool Win32Platform::createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height)
{
    const ViewerState& vs = *viewerState;
    const HWND window = CreateWindowExW(vs.exStyle, className, widenUtf8(title).c_str(), vs.style, x, y, width, height,
                                        nullptr, nullptr, instance_, nullptr);
    if (!window)
        return false;
    window_ = window;
    windowDc_ = GetDC(window_);
    viewerState->window = window_;
    viewerState->windowDc = windowDc_;
    viewerState->desktopWindow = GetDesktopWindow();
    DragAcceptFiles(window_, TRUE);
    return true;
}

void Win32Platform::showWindow()
{
    if (window_)
        ShowWindow(window_, SW_SHOW);
}

void Win32Platform::destroyWindow()
{
    if (window_)
        DestroyWindow(window_);
}

// A minimised window stays visible to the system but shows nothing.
bool Win32Platform::windowShown() { return window_ && IsWindowVisible(window_) && !IsIconic(window_); }

// Fullscreen is the window without its frame, covering its monitor; its
// placement is kept to put it back as it was, maximised or not.
void Win32Platform::setFullscreen(bool on)
{
    if (!window_ || on == fullscreen())
        return;
    const LONG style = GetWindowLongW(window_, GWL_STYLE);
    if (on) {
        WINDOWPLACEMENT placement{};
        placement.length = sizeof placement;
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        if (!GetWindowPlacement(window_, &placement) ||
            !GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTONEAREST), &monitor))
            return;
        savedPlacement_ = placement;
        const RECT& screen = monitor.rcMonitor;
        SetWindowLongW(window_, GWL_STYLE, style & ~WS_OVERLAPPEDWINDOW);
        SetWindowPos(window_, HWND_TOP, screen.left, screen.top, screen.right - screen.left, screen.bottom - screen.top,
                     SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
        return;
    }
    const WINDOWPLACEMENT placement = *savedPlacement_;
    savedPlacement_.reset();
    SetWindowLongW(window_, GWL_STYLE, style | WS_OVERLAPPEDWINDOW);
    SetWindowPlacement(window_, &placement);
    SetWindowPos(window_, nullptr, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOOWNERZORDER | SWP_FRAMECHANGED);
}

void Win32Platform::setWindowTitle(const std::string& title)
{
    if (window_)
        SetWindowTextW(window_, widenUtf8(title).c_str());
}

// The window's drawing context goes with it; frames after that show nowhere.
void Win32Platform::forgetWindow()
{
    if (windowDc_)
        ReleaseDC(window_, windowDc_);
    windowDc_ = nullptr;
    window_ = nullptr;
    viewerState->window = nullptr;
}

Rect Win32Platform::desktopRect()
{
    RECT r{};
    GetWindowRect(GetDesktopWindow(), &r);
    return toRect(r);
}

Rect Win32Platform::windowRect()
{
    RECT r{};
    if (window_)
        GetWindowRect(window_, &r);
    return toRect(r);
}

Rect Win32Platform::clientRect()
{
    RECT r{};
    if (window_)
        GetClientRect(window_, &r);
    return toRect(r);
}

Point Win32Platform::clientOrigin()
{
    POINT origin{};
    if (windowDc_)
        GetDCOrgEx(windowDc_, &origin);
    return {origin.x, origin.y};
}

void Win32Platform::deleteFrame()
{
    if (frameDc_ && initialBitmap_)
        SelectObject(frameDc_, initialBitmap_);
    if (frameBitmap_)
        DeleteObject(frameBitmap_);
    if (frameDc_)
        DeleteDC(frameDc_);
    frameDc_ = nullptr;
    frameBitmap_ = nullptr;
    initialBitmap_ = nullptr;
    framePixels_ = nullptr;
}

// Starts white, as every later frame does after clearing. The GUI font is
// chosen once; the context's other defaults (black text on an opaque white
// cell) are what the overlays want.
uint32_t* Win32Platform::createFrameBitmap(int32_t width, int32_t height)
{
    deleteFrame();
    if (width <= 0 || height <= 0 || int64_t{width} * height > maxFramePixels)
        return nullptr;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    info.bmiHeader.biXPelsPerMeter = 5000;
    info.bmiHeader.biYPelsPerMeter = 5000;
    void* bits = nullptr;
    frameDc_ = CreateCompatibleDC(nullptr);
    frameBitmap_ = frameDc_ ? CreateDIBSection(windowDc_, &info, DIB_RGB_COLORS, &bits, nullptr, 0) : nullptr;
    if (!frameBitmap_ || !bits) {
        deleteFrame();
        return nullptr;
    }
    initialBitmap_ = SelectObject(frameDc_, frameBitmap_);
    SelectObject(frameDc_, GetStockObject(DEFAULT_GUI_FONT));
    framePixels_ = static_cast<uint32_t*>(bits);
    BitBlt(frameDc_, 0, 0, width, height, nullptr, 0, 0, WHITENESS);
    GdiFlush();
    return framePixels_;
}

// GDI can only draw into its own bitmap; the surface is a corner of it.
bool Win32Platform::isFrame(const FrameSurface& surface) const
{
    return frameDc_ && surface.pixels == framePixels_ && surface.width > 0 && surface.height > 0;
}

// GDI may batch drawing calls: each one that touches the frame is flushed
// before the renderer writes or reads the pixels again.
void Win32Platform::drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text)
{
    if (!isFrame(surface))
        return;
    const std::wstring wide = widenUtf8(text);
    const int saved = SaveDC(frameDc_);
    IntersectClipRect(frameDc_, 0, 0, surface.width, surface.height);
    TextOutW(frameDc_, x, y, wide.c_str(), static_cast<int>(std::min<size_t>(wide.size(), maxTextUnits)));
    RestoreDC(frameDc_, saved);
    GdiFlush();
}

void Win32Platform::presentFrame(const FrameSurface& frame)
{
    if (!windowDc_ || !isFrame(frame))
        return;
    StretchBlt(windowDc_, 0, 0, frame.width, frame.height, frameDc_, 0, 0, frame.width, frame.height, SRCCOPY);
    GdiFlush();
}

void Win32Platform::clearFrame(const FrameSurface& surface)
{
    if (!isFrame(surface)) {
        FramePlatform::clearFrame(surface);
        return;
    }
    BitBlt(frameDc_, 0, 0, surface.width, surface.height, nullptr, 0, 0, WHITENESS);
    GdiFlush();
}

Message Win32Platform::take(const MSG& msg)
{
    taken_ = msg;
    return {msg.message, static_cast<uint64_t>(msg.wParam), static_cast<int64_t>(msg.lParam)};
}

bool Win32Platform::peekMessage(Message& message)
{
    MSG msg{};
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
        return false;
    message = take(msg);
    return true;
}

// A failed wait (an invalid queue) ends the program rather than spinning.
void Win32Platform::getMessage(Message& message)
{
    MSG msg{};
    if (GetMessageW(&msg, nullptr, 0, 0) == -1) {
        taken_.reset();
        message = {WM_QUIT, 0, 0};
        return;
    }
    message = take(msg);
}

// A message the queue handed over goes through the system's dispatch, so
// it reaches the window it was meant for; any other straight to the shell.
void Win32Platform::dispatchMessage(const Message& message)
{
    if (taken_ && taken_->message == message.message && static_cast<uint64_t>(taken_->wParam) == message.wParam &&
        static_cast<int64_t>(taken_->lParam) == message.lParam) {
        const MSG msg = *taken_;
        taken_.reset();
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    } else if (procedure_) {
        procedure_(message.message, message.wParam, message.lParam);
    }
}

void Win32Platform::postQuitMessage(int32_t exitCode) { PostQuitMessage(exitCode); }

int16_t Win32Platform::keyState(uint32_t virtualKey) { return GetKeyState(static_cast<int>(virtualKey)); }

LRESULT CALLBACK Win32Platform::windowMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (!active_ || !active_->procedure_)
        return DefWindowProcW(window, message, wParam, lParam);
    return active_->route(window, message, wParam, lParam);
}

// The shell sees every message in the contract's terms; what it does not
// finish (a non-zero result) gets the system's default processing.
LRESULT Win32Platform::route(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE)
        window_ = window;
    if (message == WM_DROPFILES) {
        droppedFile_ = firstDroppedPath(reinterpret_cast<HDROP>(wParam));
        DragFinish(reinterpret_cast<HDROP>(wParam));
    }
    const Routing routing = routeMessage(message, modalDepth_ > 0);
    int64_t handled = 0;
    if (routing != Routing::defaultOnly)
        handled = procedure_(message, static_cast<uint64_t>(wParam), static_cast<int64_t>(lParam));
    if (message == WM_NCDESTROY && window == window_)
        forgetWindow();
    if (routing == Routing::shellOnly || handled != 0)
        return 0;
    return DefWindowProcW(window, message, wParam, lParam);
}
