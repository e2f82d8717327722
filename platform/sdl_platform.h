#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/shell_platform.h"
#include "platform/file_dialog.h"
#include "render/frame_platform.h"
#include "render/text_painter.h"

struct SDL_Window;
union SDL_Event;

// The viewer's window system on SDL2: one window whose client area shows
// the frame through SDL's window surface, SDL events turned into window
// messages, the console, message boxes and the open dialog.
class SdlPlatform final : public FramePlatform, public ShellPlatform {
public:
    SdlPlatform() = default;
    ~SdlPlatform() override;
    SdlPlatform(const SdlPlatform&) = delete;
    SdlPlatform& operator=(const SdlPlatform&) = delete;

    // Starts SDL's video on a driver whose windows a user can see; nullopt
    // when it did, else the reason none could. Never one that draws into
    // memory only: a viewer nobody sees would run on unnoticed.
    std::optional<std::string> openDisplay();

    Rect desktopRect() override;
    Rect windowRect() override;
    Rect clientRect() override;
    Point clientOrigin() override;
    uint32_t* createFrameBitmap(int32_t width, int32_t height) override;
    void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) override;
    void presentFrame(const FrameSurface& frame) override;

    bool registerWindowClass(WindowProcedure procedure) override;
    bool createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height) override;
    void showWindow() override;
    void destroyWindow() override;
    bool windowShown() override;
    bool fullscreen() override;
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
    std::string programFolder() override;
    bool isFolder(const std::string& path) override;

private:
    struct Borders {
        int top = 0;
        int left = 0;
        int bottom = 0;
        int right = 0;
    };

    Borders borders();
    void fitOuterSizeOnceBordersKnown();
    std::optional<uint64_t> x11Window();
    std::optional<Message> takeEvent(SDL_Event& event);
    bool takeQuit(Message& message);
    void keepAliveDuringDialog();
    std::optional<HelperResult> runModalHelper(const std::vector<std::string>& command);

    WindowProcedure procedure_ = nullptr;
    bool videoReady_ = false;
    SDL_Window* window_ = nullptr;
    Rect requestedOuter_;             // the outer rectangle asked for at creation
    uint32_t outerSizeDeadline_ = 0;  // SDL ticks; 0 once the outer size is set or given up
    std::optional<int32_t> quitCode_;
    std::string droppedFile_;
    std::vector<uint32_t> frame_;
    std::unique_ptr<TextPainter> textPainter_;
    bool textPainterTried_ = false;
    bool terminalTitled_ = false;  // the terminal's own title is on its stack
};
