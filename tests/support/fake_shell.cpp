#include "support/fake_shell.h"

#include <algorithm>

bool FakeShell::registerWindowClass(WindowProcedure windowProcedure)
{
    events.push_back("register");
    procedure = windowProcedure;
    return registerSucceeds;
}

bool FakeShell::createWindow(const char* title, int32_t x, int32_t y, int32_t width, int32_t height)
{
    events.push_back("create " + std::string(title) + " " + std::to_string(x) + "," + std::to_string(y) + " " +
                     std::to_string(width) + "x" + std::to_string(height));
    return createSucceeds;
}

void FakeShell::destroyWindow()
{
    events.push_back("destroy");
    if (procedure)
        procedure(WM_DESTROY, 0, 0);
}

void FakeShell::setFullscreen(bool on)
{
    events.push_back(on ? "fullscreen" : "windowed");
    isFullscreen = on;
}

bool FakeShell::peekMessage(Message& message)
{
    if (queue.empty())
        return false;
    message = queue.front();
    queue.pop_front();
    return true;
}

void FakeShell::getMessage(Message& message)
{
    if (!peekMessage(message))
        message = Message{WM_QUIT, 0, 0};  // a test that runs dry ends the loop
}

void FakeShell::dispatchMessage(const Message& message)
{
    if (procedure)
        procedure(message.message, message.wParam, message.lParam);
}

void FakeShell::postQuitMessage(int32_t)
{
    ++quitPosts;
    queue.push_back(Message{WM_QUIT, 0, 0});
}

void FakeShell::messageBox(const char* text, const char* caption)
{
    events.push_back(std::string("box ") + caption);
    boxes.push_back(std::string(text) + "|" + caption);
}

std::optional<std::string> FakeShell::openFileDialog(const char*, const std::string& initialName)
{
    events.push_back("dialog");
    dialogInitialNames.push_back(initialName);
    if (dialogAnswers.empty())
        return std::nullopt;
    auto answer = dialogAnswers.front();
    dialogAnswers.pop_front();
    return answer;
}

std::vector<std::string> FakeShell::filesInFolder(const std::string& folder)
{
    const auto found = folders.find(folder);
    return found == folders.end() ? std::vector<std::string>{} : found->second;
}

std::string FakeShell::displayPath(const std::string& path)
{
    std::string shown = path;
    if (showsBackslashes)
        std::replace(shown.begin(), shown.end(), '/', '\\');
    return shown;
}

Message keyDown(uint32_t key) { return Message{WM_KEYDOWN, key, 0}; }

Message mouse(uint32_t message, int32_t x, int32_t y, bool buttonDown)
{
    return Message{message, buttonDown ? MK_LBUTTON : 0, packPoint(x, y)};
}

Message wheel(int32_t delta, int32_t screenX, int32_t screenY)
{
    return Message{WM_MOUSEWHEEL, static_cast<uint64_t>(static_cast<uint16_t>(delta)) << 16,
                   packPoint(screenX, screenY)};
}
