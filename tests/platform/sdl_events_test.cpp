#include <gtest/gtest.h>

#include "platform/sdl_events.h"

namespace {

constexpr Point origin{50, 70};

SDL_Event keyEvent(uint32_t type, SDL_Keycode key, uint8_t repeat = 0)
{
    SDL_Event event{};
    event.type = type;
    event.key.keysym.sym = key;
    event.key.repeat = repeat;
    return event;
}

SDL_Event motionEvent(int32_t x, int32_t y, uint32_t buttons)
{
    SDL_Event event{};
    event.type = SDL_MOUSEMOTION;
    event.motion.x = x;
    event.motion.y = y;
    event.motion.state = buttons;
    return event;
}

SDL_Event buttonEvent(uint32_t type, uint8_t button, int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = type;
    event.button.button = button;
    event.button.x = x;
    event.button.y = y;
    return event;
}

SDL_Event wheelEvent(int32_t notches, uint32_t direction, int32_t x, int32_t y)
{
    SDL_Event event{};
    event.type = SDL_MOUSEWHEEL;
    event.wheel.y = notches;
    event.wheel.direction = direction;
    event.wheel.mouseX = x;
    event.wheel.mouseY = y;
    return event;
}

SDL_Event windowEvent(uint8_t what, int32_t data1 = 0, int32_t data2 = 0)
{
    SDL_Event event{};
    event.type = SDL_WINDOWEVENT;
    event.window.event = what;
    event.window.data1 = data1;
    event.window.data2 = data2;
    return event;
}

SDL_Event plainEvent(uint32_t type)
{
    SDL_Event event{};
    event.type = type;
    return event;
}

TEST(SdlEvents, KeyDownCarriesTheVirtualKeyCodeAutoRepeatIncluded)
{
    const struct {
        SDL_Keycode key;
        uint32_t code;
    } keys[] = {{SDLK_ESCAPE, 0x1B}, {SDLK_0, 0x30},        {SDLK_1, 0x31},         {SDLK_9, 0x39},
                {SDLK_a, 0x41},      {SDLK_b, 0x42},        {SDLK_s, 0x53},         {SDLK_z, 0x5A},
                {SDLK_F1, 0x70},     {SDLK_F12, 0x7B},      {SDLK_BACKSPACE, 0x08}, {SDLK_SPACE, 0x20},
                {SDLK_PAGEUP, 0x21}, {SDLK_PAGEDOWN, 0x22}, {SDLK_HOME, 0x24},      {SDLK_LEFT, 0x25},
                {SDLK_RIGHT, 0x27}};
    for (const auto& k : keys) {
        for (uint8_t repeat : {0, 1}) {
            const std::optional<Message> m = translateEvent(keyEvent(SDL_KEYDOWN, k.key, repeat), origin);
            ASSERT_TRUE(m) << k.key;
            EXPECT_EQ(m->message, WM_KEYDOWN);
            EXPECT_EQ(m->wParam, k.code) << k.key;
        }
        EXPECT_EQ(sdlKeyOf(k.code), k.key);
    }
}

// = and + may share a key or not, depending on the layout: either is the
// + key. The key state of + is asked of the = key.
TEST(SdlEvents, ZoomKeysCarryTheirVirtualKeyCodes)
{
    const struct {
        SDL_Keycode key;
        uint32_t code;
    } keys[] = {{SDLK_EQUALS, 0xBB},  {SDLK_PLUS, 0xBB},     {SDLK_MINUS, 0xBD},
                {SDLK_KP_PLUS, 0x6B}, {SDLK_KP_MINUS, 0x6D}, {SDLK_F11, 0x7A}};
    for (const auto& k : keys) {
        const std::optional<Message> m = translateEvent(keyEvent(SDL_KEYDOWN, k.key), origin);
        ASSERT_TRUE(m) << k.key;
        EXPECT_EQ(m->message, WM_KEYDOWN);
        EXPECT_EQ(m->wParam, k.code) << k.key;
    }
    EXPECT_EQ(sdlKeyOf(0xBB), SDLK_EQUALS);
    EXPECT_EQ(sdlKeyOf(0x6D), SDLK_KP_MINUS);
}

TEST(SdlEvents, KeysPressedWithAltAreSystemKeys)
{
    for (const int alt : {int{KMOD_LALT}, int{KMOD_RALT}, KMOD_LALT | KMOD_CTRL}) {
        SDL_Event event = keyEvent(SDL_KEYDOWN, SDLK_1);
        event.key.keysym.mod = static_cast<uint16_t>(alt);
        const std::optional<Message> m = translateEvent(event, origin);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->message, WM_SYSKEYDOWN);
        EXPECT_EQ(m->wParam, uint64_t{'1'});
    }
    SDL_Event shifted = keyEvent(SDL_KEYDOWN, SDLK_1);
    shifted.key.keysym.mod = KMOD_LSHIFT | KMOD_NUM;
    EXPECT_EQ(translateEvent(shifted, origin)->message, WM_KEYDOWN);
}

TEST(SdlEvents, KeysWithoutACodeAndKeyUpsAreNotMessages)
{
    EXPECT_FALSE(translateEvent(keyEvent(SDL_KEYDOWN, SDLK_LSHIFT), origin));
    EXPECT_FALSE(translateEvent(keyEvent(SDL_KEYDOWN, SDLK_RETURN), origin));
    EXPECT_FALSE(translateEvent(keyEvent(SDL_KEYDOWN, SDLK_F13), origin));
    EXPECT_FALSE(translateEvent(keyEvent(SDL_KEYDOWN, SDLK_END), origin));
    EXPECT_FALSE(translateEvent(keyEvent(SDL_KEYUP, SDLK_b), origin));
    EXPECT_FALSE(sdlKeyOf(VK_CONTROL));
    EXPECT_FALSE(sdlKeyOf(0x7C));
}

TEST(SdlEvents, MotionPacksTheClientPositionAndTheLeftButton)
{
    const std::optional<Message> dragging = translateEvent(motionEvent(120, 340, SDL_BUTTON_LMASK), origin);
    ASSERT_TRUE(dragging);
    EXPECT_EQ(dragging->message, WM_MOUSEMOVE);
    EXPECT_EQ(dragging->wParam, MK_LBUTTON);
    EXPECT_EQ(dragging->lParam, packPoint(120, 340));

    const std::optional<Message> hovering = translateEvent(motionEvent(-30, 900, SDL_BUTTON_RMASK), origin);
    ASSERT_TRUE(hovering);
    EXPECT_EQ(hovering->wParam, 0u);
    EXPECT_EQ(pointX(hovering->lParam), -30);  // captured, left of the window
    EXPECT_EQ(pointY(hovering->lParam), 900);
}

TEST(SdlEvents, OnlyTheLeftButtonMakesButtonMessages)
{
    const std::optional<Message> down = translateEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_LEFT, 7, 9), origin);
    ASSERT_TRUE(down);
    EXPECT_EQ(down->message, WM_LBUTTONDOWN);
    EXPECT_EQ(down->wParam, MK_LBUTTON);
    EXPECT_EQ(down->lParam, packPoint(7, 9));

    const std::optional<Message> up = translateEvent(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_LEFT, -4, 800), origin);
    ASSERT_TRUE(up);
    EXPECT_EQ(up->message, WM_LBUTTONUP);
    EXPECT_EQ(up->wParam, 0u);
    EXPECT_EQ(up->lParam, packPoint(-4, 800));

    EXPECT_FALSE(translateEvent(buttonEvent(SDL_MOUSEBUTTONDOWN, SDL_BUTTON_RIGHT, 1, 1), origin));
    EXPECT_FALSE(translateEvent(buttonEvent(SDL_MOUSEBUTTONUP, SDL_BUTTON_MIDDLE, 1, 1), origin));
}

TEST(SdlEvents, WheelGivesSignedNotchesAndThePointerOnTheScreen)
{
    const struct {
        int32_t notches;
        uint32_t direction;
        int32_t delta;
    } turns[] = {{1, SDL_MOUSEWHEEL_NORMAL, 120},      {-1, SDL_MOUSEWHEEL_NORMAL, -120},
                 {1, SDL_MOUSEWHEEL_FLIPPED, -120},    {-2, SDL_MOUSEWHEEL_FLIPPED, 240},
                 {1000, SDL_MOUSEWHEEL_NORMAL, 32767}, {-1000, SDL_MOUSEWHEEL_NORMAL, -32768}};
    for (const auto& turn : turns) {
        const std::optional<Message> m = translateEvent(wheelEvent(turn.notches, turn.direction, 300, 200), origin);
        ASSERT_TRUE(m) << turn.notches;
        EXPECT_EQ(m->message, WM_MOUSEWHEEL);
        EXPECT_EQ(wheelDelta(m->wParam), turn.delta) << turn.notches;
        EXPECT_EQ(m->lParam, packPoint(350, 270));
    }
    EXPECT_FALSE(translateEvent(wheelEvent(0, SDL_MOUSEWHEEL_NORMAL, 1, 1), origin));  // sideways only
}

TEST(SdlEvents, WindowEventsBecomeGeometryEraseAndCloseMessages)
{
    const struct {
        uint8_t what;
        uint32_t message;
    } events[] = {{SDL_WINDOWEVENT_MOVED, WM_MOVE},
                  {SDL_WINDOWEVENT_RESIZED, WM_SIZE},
                  {SDL_WINDOWEVENT_SIZE_CHANGED, WM_SIZE},
                  {SDL_WINDOWEVENT_EXPOSED, WM_ERASEBKGND},
                  {SDL_WINDOWEVENT_CLOSE, WM_CLOSE}};
    for (const auto& e : events) {
        const std::optional<Message> m = translateEvent(windowEvent(e.what, 640, 480), origin);
        ASSERT_TRUE(m) << int{e.what};
        EXPECT_EQ(m->message, e.message) << int{e.what};
    }
    EXPECT_EQ(translateEvent(windowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 640, 480), origin)->lParam, packPoint(640, 480));
    EXPECT_FALSE(translateEvent(windowEvent(SDL_WINDOWEVENT_FOCUS_GAINED), origin));
    EXPECT_FALSE(translateEvent(windowEvent(SDL_WINDOWEVENT_SHOWN), origin));
}

TEST(SdlEvents, DropsAndQuitRequestsBecomeMessages)
{
    EXPECT_EQ(translateEvent(plainEvent(SDL_DROPFILE), origin)->message, WM_DROPFILES);
    EXPECT_EQ(translateEvent(plainEvent(SDL_QUIT), origin)->message, WM_CLOSE);
    EXPECT_FALSE(translateEvent(plainEvent(SDL_TEXTINPUT), origin));
    EXPECT_FALSE(translateEvent(plainEvent(SDL_DROPBEGIN), origin));
}

TEST(SdlEvents, AModalDialogLetsOnlyGeometryAndEraseThrough)
{
    for (uint32_t message : {WM_MOVE, WM_SIZE, WM_ERASEBKGND})
        EXPECT_TRUE(passesModalDialog(message)) << message;
    for (uint32_t message :
         {WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL, WM_CLOSE, WM_DROPFILES})
        EXPECT_FALSE(passesModalDialog(message)) << message;
}

}  // namespace
