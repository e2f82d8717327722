#pragma once

#include <memory>

#include "render/text_painter.h"

// Text in the system's default sans-serif font (monospace if that fails),
// found through fontconfig and rendered with FreeType at the largest size
// up to 16 pixels whose cell fits the overlays' 20-pixel line pitch.
// Returns null, after one warning on standard error, when no font loads;
// the overlays are then simply not drawn.
std::unique_ptr<TextPainter> createSystemTextPainter();
