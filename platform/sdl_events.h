#pragma once

#include <SDL2/SDL_events.h>

#include <optional>

#include "app/shell_platform.h"
#include "app/viewer_state.h"

// SDL events in the shell's window-message terms. Pure: no SDL state is
// read, so synthetic events can be translated without a display.

// The message an event stands for, or nothing for events the shell does not
// take. clientOrigin is the client area's screen position, which the wheel
// message reports the pointer against.
std::optional<Message> translateEvent(const SDL_Event& event, Point clientOrigin);

// The virtual-key code of an SDL key, or nothing for keys without one here:
// Escape, digits, letters, F1..F12, Backspace, Space, Page Up, Page Down,
// Home, Left, Right, = and + (one key), -, keypad + and keypad -.
std::optional<uint32_t> virtualKeyOf(SDL_Keycode key);
// The reverse, for the key-state query: the first SDL key of a virtual key.
std::optional<SDL_Keycode> sdlKeyOf(uint32_t virtualKey);

// Messages that still reach the window while a modal dialog is open: the
// ones that keep its geometry and its frames up to date, no input.
bool passesModalDialog(uint32_t message);
