#include "harness/harness.h"

#include "harness/fuzz_input.h"

#include <array>
#include <string>

#include "app/frame.h"
#include "app/interaction.h"
#include "app/run.h"
#include "app/viewer_state.h"
#include "jpeg/file/container.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "render/geometry.h"
#include "render/memory_platform.h"
#include "support/bmp_builder.h"
#include "support/fake_shell.h"
#include "support/jpeg_builder.h"
#include "support/memory_files.h"
#include "support/render_text_double.h"

namespace {

using namespace jpegbytes;

constexpr std::array<const char*, 6> knownNames{"small.jpg", "two.jpg", "p.bmp", "fuzz.jpg", "fuzz.bmp", "none.jpg"};
constexpr std::array<uint32_t, 13> messages{WM_DESTROY, WM_MOVE,      WM_SIZE,        WM_CLOSE,     WM_ERASEBKGND,
                                            WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_MOUSEWHEEL,
                                            WM_SIZING,  WM_DROPFILES, WM_QUIT};
constexpr std::array<uint32_t, 22> keys{VK_ESCAPE, '1',         '3',    VK_F1,        '2',         'B',        '5', 'R',
                                        '6',       'D',         '7',    'S',          'F',         VK_CONTROL, 'Q', '0',
                                        VK_HOME,   VK_OEM_PLUS, VK_ADD, VK_OEM_MINUS, VK_SUBTRACT, VK_F11};

Bytes picture16(uint16_t width, uint16_t height, uint8_t lumaSampling)
{
    return join({soi(), sof0Colour(width, height, lumaSampling), zeroTables(), sosColour(), Bytes(8, 0), eoi()});
}

// The files the dialog can name: valid ones, one with an embedded
// thumbnail, and two made of the input's own bytes.
void addFiles(MemoryFiles& files, FuzzInput& input)
{
    files.add("small.jpg", picture16(16, 16, 0x22));
    const Bytes thumbnail = picture16(8, 8, 0x11);
    files.add("two.jpg", join({soi(), app1(thumbnail), picture16(24, 8, 0x21)}));
    files.add("p.bmp", makeBmp(BmpSpec{3, -2}));
    const std::string raw = input.text(512);
    files.add("fuzz.jpg", Bytes(raw.begin(), raw.end()));
    files.add("fuzz.bmp", Bytes(raw.begin(), raw.end()));
}

std::string pickName(FuzzInput& input) { return input.flag() ? input.pick(knownNames) : input.text(16); }

Message nextMessage(FuzzInput& input, FakeShell& shell)
{
    Message message;
    message.message = input.flag() ? input.pick(messages) : input.integral<uint32_t>();
    message.wParam = input.flag() ? input.pick(keys) : input.integral<uint64_t>();
    message.lParam = input.integral<int64_t>();
    if (message.message == WM_KEYDOWN && (message.wParam == VK_F1 || message.wParam == '2')) {
        if (input.flag())
            shell.dialogAnswers.push_back(pickName(input));
        else
            shell.dialogAnswers.push_back(std::nullopt);
    }
    if (message.message == WM_DROPFILES)
        shell.dropped = pickName(input);
    return message;
}

}  // namespace

void runInputMessages(const uint8_t* data, size_t size)
{
    FuzzInput input(data, size);
    MemoryFiles files;
    ManualClock clock;
    FakeShell shell;
    BlockTextPainter text;
    MemoryFramePlatform platform(320, 240, 300, 200, &text);
    addFiles(files, input);
    resetViewerState();
    resetInteraction();
    picture.clear();
    controlPoints = startupControlPoints;
    setFramePlatform(&platform);
    shell.registerWindowClass(windowProcedure);
    updateWindowGeometry();
    createFrameBuffer();
    viewerState->running = input.flag();
    for (int n = 0; n < 48 && input.remaining() > 0; ++n) {
        shell.ctrlState = input.flag() ? int16_t(0x8000) : int16_t(0);
        clock.now += input.integral<uint16_t>();
        const Message message = nextMessage(input, shell);
        windowProcedure(message.message, message.wParam, message.lParam);
        if (input.flag())
            renderFrame();
    }
    setFramePlatform(nullptr);
    picture.clear();
    jpgFile.parseFile("");
    resetViewerState();
    resetInteraction();
}
