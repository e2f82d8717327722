#include "support/render_text_double.h"

namespace {

bool inkAt(char c, int32_t column, int32_t row)
{
    if (c == ' ' || row < 2 || row >= 14 || column >= 6)
        return false;
    const auto code = static_cast<uint32_t>(static_cast<unsigned char>(c));
    return ((code >> ((row + column) % 7)) & 1u) != 0;
}

}  // namespace

void BlockTextPainter::drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text)
{
    calls.push_back({x, y, std::string(text)});
    for (size_t i = 0; i < text.size(); ++i) {
        for (int32_t row = 0; row < cellHeight; ++row) {
            for (int32_t column = 0; column < cellWidth; ++column) {
                const int64_t px = int64_t{x} + static_cast<int64_t>(i) * cellWidth + column;
                const int64_t py = int64_t{y} + row;
                if (px < 0 || py < 0 || px >= surface.width || py >= surface.height)
                    continue;
                surface.pixels[py * surface.stride + px] = inkAt(text[i], column, row) ? 0x000000u : 0xFFFFFFu;
            }
        }
    }
}

const BlockTextPainter::Call* BlockTextPainter::find(std::string_view prefix) const
{
    for (const Call& call : calls)
        if (std::string_view(call.text).starts_with(prefix))
            return &call;
    return nullptr;
}
