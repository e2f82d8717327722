#include "platform/sdl_events.h"

#include <algorithm>

namespace {

constexpr int32_t wheelNotch = 120;

// A virtual-key range that follows an SDL keycode range one to one.
struct KeyRange {
    SDL_Keycode firstKey;
    SDL_Keycode lastKey;
    uint32_t firstVirtualKey;
};

constexpr KeyRange keyRanges[] = {
    {SDLK_ESCAPE, SDLK_ESCAPE, VK_ESCAPE},
    {SDLK_0, SDLK_9, '0'},
    {SDLK_a, SDLK_z, 'A'},
    {SDLK_F1, SDLK_F12, VK_F1},
    {SDLK_BACKSPACE, SDLK_BACKSPACE, VK_BACK},
    {SDLK_SPACE, SDLK_SPACE, VK_SPACE},
    {SDLK_PAGEUP, SDLK_PAGEUP, VK_PRIOR},
    {SDLK_PAGEDOWN, SDLK_PAGEDOWN, VK_NEXT},
    {SDLK_HOME, SDLK_HOME, VK_HOME},
    {SDLK_LEFT, SDLK_LEFT, VK_LEFT},
    {SDLK_RIGHT, SDLK_RIGHT, VK_RIGHT},
    // The key that carries + is reported by its unshifted sign, = on most
    // layouts, + where that is its own key.
    {SDLK_EQUALS, SDLK_EQUALS, VK_OEM_PLUS},
    {SDLK_PLUS, SDLK_PLUS, VK_OEM_PLUS},
    {SDLK_MINUS, SDLK_MINUS, VK_OEM_MINUS},
    {SDLK_KP_PLUS, SDLK_KP_PLUS, VK_ADD},
    {SDLK_KP_MINUS, SDLK_KP_MINUS, VK_SUBTRACT},
};

// As on the desktop the shell was written for, a key pressed with Alt is a
// system key, which no command answers.
Message keyMessage(const SDL_KeyboardEvent& key)
{
    const std::optional<uint32_t> code = virtualKeyOf(key.keysym.sym);
    if (!code)
        return {};
    return {(key.keysym.mod & KMOD_ALT) ? WM_SYSKEYDOWN : WM_KEYDOWN, *code, 0};
}

uint64_t buttonFlags(uint32_t sdlButtonState) { return (sdlButtonState & SDL_BUTTON_LMASK) ? MK_LBUTTON : 0; }

Message leftButtonMessage(const SDL_MouseButtonEvent& button)
{
    if (button.button != SDL_BUTTON_LEFT)
        return {};
    const bool down = button.type == SDL_MOUSEBUTTONDOWN;
    return {down ? WM_LBUTTONDOWN : WM_LBUTTONUP, down ? MK_LBUTTON : 0, packPoint(button.x, button.y)};
}

// One notch away from the user is +120, as on the desktop the shell was
// written for; a flipped (natural scrolling) device is turned back first.
Message wheelMessage(const SDL_MouseWheelEvent& wheel, Point clientOrigin)
{
    int64_t notches = wheel.y;
    if (wheel.direction == SDL_MOUSEWHEEL_FLIPPED)
        notches = -notches;
    if (notches == 0)
        return {};
    const int64_t delta = std::clamp<int64_t>(notches * wheelNotch, INT16_MIN, INT16_MAX);
    const uint64_t wParam = static_cast<uint64_t>(static_cast<uint16_t>(delta)) << 16;
    return {WM_MOUSEWHEEL, wParam, packPoint(clientOrigin.x + wheel.mouseX, clientOrigin.y + wheel.mouseY)};
}

Message windowMessage(const SDL_WindowEvent& window)
{
    switch (window.event) {
    case SDL_WINDOWEVENT_MOVED: return {WM_MOVE, 0, packPoint(window.data1, window.data2)};
    case SDL_WINDOWEVENT_RESIZED:
    case SDL_WINDOWEVENT_SIZE_CHANGED: return {WM_SIZE, 0, packPoint(window.data1, window.data2)};
    case SDL_WINDOWEVENT_EXPOSED: return {WM_ERASEBKGND, 0, 0};
    case SDL_WINDOWEVENT_CLOSE: return {WM_CLOSE, 0, 0};
    default: return {};
    }
}

Message eventMessage(const SDL_Event& event, Point clientOrigin)
{
    switch (event.type) {
    case SDL_KEYDOWN: return keyMessage(event.key);
    case SDL_MOUSEMOTION:
        return {WM_MOUSEMOVE, buttonFlags(event.motion.state), packPoint(event.motion.x, event.motion.y)};
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP: return leftButtonMessage(event.button);
    case SDL_MOUSEWHEEL: return wheelMessage(event.wheel, clientOrigin);
    case SDL_WINDOWEVENT: return windowMessage(event.window);
    case SDL_DROPFILE: return {WM_DROPFILES, 0, 0};
    // A quit request from outside (a signal, the session ending) closes the
    // window like its close button.
    case SDL_QUIT: return {WM_CLOSE, 0, 0};
    default: return {};
    }
}

}  // namespace

std::optional<Message> translateEvent(const SDL_Event& event, Point clientOrigin)
{
    const Message message = eventMessage(event, clientOrigin);
    if (message.message == 0)
        return std::nullopt;
    return message;
}

std::optional<uint32_t> virtualKeyOf(SDL_Keycode key)
{
    for (const KeyRange& range : keyRanges) {
        if (key >= range.firstKey && key <= range.lastKey)
            return range.firstVirtualKey + static_cast<uint32_t>(key - range.firstKey);
    }
    return std::nullopt;
}

std::optional<SDL_Keycode> sdlKeyOf(uint32_t virtualKey)
{
    for (const KeyRange& range : keyRanges) {
        const uint32_t count = static_cast<uint32_t>(range.lastKey - range.firstKey) + 1;
        if (virtualKey >= range.firstVirtualKey && virtualKey - range.firstVirtualKey < count)
            return range.firstKey + static_cast<SDL_Keycode>(virtualKey - range.firstVirtualKey);
    }
    return std::nullopt;
}

bool passesModalDialog(uint32_t message)
{
    return message == WM_MOVE || message == WM_SIZE || message == WM_ERASEBKGND;
}
