#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "render/text_painter.h"

// Text that looks the same on every machine: each character is an 8 x 16
// white cell with a black pattern made from its code, and every call is
// recorded for layout checks.
class BlockTextPainter final : public TextPainter {
public:
    struct Call {
        int32_t x;
        int32_t y;
        std::string text;
    };

    static constexpr int32_t cellWidth = 8;
    static constexpr int32_t cellHeight = 16;

    void drawText(const FrameSurface& surface, int32_t x, int32_t y, std::string_view text) override;

    // The recorded call whose text starts with prefix, or null.
    const Call* find(std::string_view prefix) const;

    std::vector<Call> calls;
};
