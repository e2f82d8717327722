#include "platform/sdl_platform.h"

#include <SDL2/SDL.h>

#include <algorithm>
#include <cstdio>
#include <new>

#include "platform/sdl_events.h"
#include "platform/text_freetype.h"
#include "platform/video_drivers.h"

namespace {

// A frame larger than this (1 GiB) is refused like a failed allocation.
constexpr int64_t maxFramePixels = int64_t{1} << 28;
constexpr uint32_t white = 0xFFFFFF;
constexpr int16_t keyHeld = INT16_MIN;  // bit 15
// How long after showing the window the window manager may take to say how
// wide its decorations are.
constexpr uint32_t bordersWaitMilliseconds = 3000;

}  // namespace

SdlPlatform::~SdlPlatform()
{
    if (window_)
        SDL_DestroyWindow(window_);
    if (videoReady_)
        SDL_Quit();
}

std::optional<std::string> SdlPlatform::openDisplay()
{
    if (videoReady_)
        return std::nullopt;
    // SDL would otherwise show the window surface through a software OpenGL
    // texture, which caps the frame rate at the display's refresh rate and
    // costs several times more per frame than plain shared-memory images.
    SDL_SetHint(SDL_HINT_FRAMEBUFFER_ACCELERATION, "0");
    // Keeps the mouse captured while a button is held, so a drag's button
    // release arrives even when it happens outside the window.
    SDL_SetHint(SDL_HINT_MOUSE_AUTO_CAPTURE, "1");
    // Left to itself SDL ends its list with drivers that draw into memory.
    // One named in SDL_VIDEODRIVER still comes first, and is refused below
    // when it is one of those.
    std::vector<std::string> compiledIn;
    for (int k = 0; k < SDL_GetNumVideoDrivers(); ++k) {
        if (const char* name = SDL_GetVideoDriver(k))
            compiledIn.emplace_back(name);
    }
    const std::string visible = visibleVideoDrivers(compiledIn);
    if (visible.empty())
        return "SDL has no video driver that shows windows";
    SDL_SetHint(SDL_HINT_VIDEODRIVER, visible.c_str());
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return SDL_GetError();
    const std::string driver = SDL_GetCurrentVideoDriver() ? SDL_GetCurrentVideoDriver() : "";
    if (!showsWindows(driver)) {
        SDL_Quit();
        return "SDL's " + driver + " video driver shows no window";
    }
    videoReady_ = true;
    return std::nullopt;
}

// The program opens the display before it runs the shell and says why
// when it cannot; here a failure is only a failure.
bool SdlPlatform::registerWindowClass(WindowProcedure procedure)
{
    procedure_ = procedure;
    return !openDisplay();
}

bool SdlPlatform::createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height)
{
    if (!videoReady_)
        return false;
    window_ = SDL_CreateWindow(title, x, y, width, height, SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE);
    if (!window_) {
        std::fprintf(stderr, "SDL could not make the window: %s\n", SDL_GetError());
        return false;
    }
    requestedOuter_ = {x, y, x + width, y + height};
    return true;
}

void SdlPlatform::showWindow()
{
    if (!window_)
        return;
    SDL_ShowWindow(window_);
    outerSizeDeadline_ = std::max<uint32_t>(1, SDL_GetTicks() + bordersWaitMilliseconds);
    fitOuterSizeOnceBordersKnown();
}

// SDL places and sizes the client area; the window was asked for with its
// decorations, whose sizes a window manager reports only some time after it
// has framed the window. Until then every window event tries again, so the
// outer size is set once, as soon as they are known. Without a window
// manager there are no decorations and nothing to set.
void SdlPlatform::fitOuterSizeOnceBordersKnown()
{
    if (outerSizeDeadline_ == 0)
        return;
    const Borders b = borders();
    if (b.top == 0 && b.left == 0 && b.bottom == 0 && b.right == 0) {
        if (static_cast<int32_t>(SDL_GetTicks() - outerSizeDeadline_) > 0)
            outerSizeDeadline_ = 0;
        return;
    }
    outerSizeDeadline_ = 0;
    const Rect& outer = requestedOuter_;
    SDL_SetWindowSize(window_, std::max(1, outer.right - outer.left - b.left - b.right),
                      std::max(1, outer.bottom - outer.top - b.top - b.bottom));
    SDL_SetWindowPosition(window_, outer.left + b.left, outer.top + b.top);
}

void SdlPlatform::destroyWindow()
{
    if (!window_)
        return;
    dispatchMessage({WM_DESTROY, 0, 0});
    SDL_DestroyWindow(window_);
    window_ = nullptr;
}

bool SdlPlatform::windowShown()
{
    const uint32_t unseen = SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED;
    return window_ && (SDL_GetWindowFlags(window_) & unseen) == 0;
}

bool SdlPlatform::fullscreen() { return window_ && (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0; }

// The desktop's own mode: nothing switches video modes, and SDL puts the
// window back where and as large as it was.
void SdlPlatform::setFullscreen(bool on)
{
    if (window_ && SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0)
        std::fprintf(stderr, "SDL could not change fullscreen: %s\n", SDL_GetError());
}

SdlPlatform::Borders SdlPlatform::borders()
{
    Borders b;
    if (!window_ || SDL_GetWindowBordersSize(window_, &b.top, &b.left, &b.bottom, &b.right) != 0)
        return {};
    return b;
}

Rect SdlPlatform::desktopRect()
{
    const int display = window_ ? std::max(0, SDL_GetWindowDisplayIndex(window_)) : 0;
    SDL_Rect bounds{};
    if (!videoReady_ || SDL_GetDisplayBounds(display, &bounds) != 0)
        return {};
    return {bounds.x, bounds.y, bounds.x + bounds.w, bounds.y + bounds.h};
}

Rect SdlPlatform::windowRect()
{
    const Rect client = clientRect();
    const Point origin = clientOrigin();
    const Borders b = borders();
    return {origin.x - b.left, origin.y - b.top, origin.x + client.right + b.right,
            origin.y + client.bottom + b.bottom};
}

Rect SdlPlatform::clientRect()
{
    Rect rect;
    if (window_)
        SDL_GetWindowSize(window_, &rect.right, &rect.bottom);
    return rect;
}

Point SdlPlatform::clientOrigin()
{
    Point origin;
    if (window_)
        SDL_GetWindowPosition(window_, &origin.x, &origin.y);
    return origin;
}

// White from the start, so the first frame is composed on the same
// background as every later one.
uint32_t* SdlPlatform::createFrameBitmap(int32_t width, int32_t height)
{
    frame_.clear();
    frame_.shrink_to_fit();
    const int64_t pixels = int64_t{width} * height;
    if (width <= 0 || height <= 0 || pixels > maxFramePixels)
        return nullptr;
    try {
        frame_.assign(static_cast<size_t>(pixels), white);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    return frame_.data();
}

void SdlPlatform::drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text)
{
    if (!textPainterTried_) {
        textPainter_ = createSystemTextPainter();
        textPainterTried_ = true;
    }
    if (textPainter_)
        textPainter_->drawText(surface, x, y, text);
}

// The window surface is asked for on every frame: SDL hands back the same
// one until a resize invalidates it, and then makes a new one.
void SdlPlatform::presentFrame(const FrameSurface& frame)
{
    SDL_Surface* surface = window_ ? SDL_GetWindowSurface(window_) : nullptr;
    if (!surface || !frame.pixels)
        return;
    const int width = std::min(frame.width, surface->w);
    const int height = std::min(frame.height, surface->h);
    if (width > 0 && height > 0 && SDL_LockSurface(surface) == 0) {
        SDL_ConvertPixels(width, height, SDL_PIXELFORMAT_RGB888, frame.pixels, frame.stride * 4,
                          surface->format->format, surface->pixels, surface->pitch);
        SDL_UnlockSurface(surface);
    }
    SDL_UpdateWindowSurface(window_);
}

bool SdlPlatform::takeQuit(Message& message)
{
    if (!quitCode_)
        return false;
    message = {WM_QUIT, static_cast<uint64_t>(static_cast<uint32_t>(*quitCode_)), 0};
    quitCode_.reset();
    return true;
}

// The message an event carries, after what the platform itself keeps from
// it: the path of a dropped file.
std::optional<Message> SdlPlatform::takeEvent(SDL_Event& event)
{
    if (event.type == SDL_WINDOWEVENT)
        fitOuterSizeOnceBordersKnown();
    if (event.type == SDL_DROPFILE && event.drop.file) {
        droppedFile_ = event.drop.file;
        SDL_free(event.drop.file);
        event.drop.file = nullptr;
    }
    return translateEvent(event, clientOrigin());
}

bool SdlPlatform::peekMessage(Message& message)
{
    if (takeQuit(message))
        return true;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (const std::optional<Message> taken = takeEvent(event)) {
            message = *taken;
            return true;
        }
    }
    return false;
}

// A failed wait (SDL shut down underneath) ends the program rather than
// spinning on it.
void SdlPlatform::getMessage(Message& message)
{
    if (takeQuit(message))
        return;
    SDL_Event event;
    while (SDL_WaitEvent(&event)) {
        if (const std::optional<Message> taken = takeEvent(event)) {
            message = *taken;
            return;
        }
    }
    message = {WM_QUIT, 0, 0};
}

void SdlPlatform::dispatchMessage(const Message& message)
{
    if (procedure_)
        procedure_(message.message, message.wParam, message.lParam);
}

void SdlPlatform::postQuitMessage(int32_t exitCode) { quitCode_ = exitCode; }

int16_t SdlPlatform::keyState(uint32_t virtualKey)
{
    if (virtualKey == VK_CONTROL)
        return (SDL_GetModState() & KMOD_CTRL) ? keyHeld : 0;
    const std::optional<SDL_Keycode> key = sdlKeyOf(virtualKey);
    if (!key)
        return 0;
    const SDL_Scancode scancode = SDL_GetScancodeFromKey(*key);
    int count = 0;
    const Uint8* pressed = SDL_GetKeyboardState(&count);
    return (scancode > 0 && scancode < count && pressed[scancode]) ? keyHeld : 0;
}
