#pragma once

#include <array>
#include <cstddef>
#include <string_view>

// The I key's lines: the picture shown and what it is, the family it was
// decoded with and how long each stage of its load took, the view's zoom;
// with the difference view, how far that family lies from the exact
// transform. Formatted without allocating, as every frame draws them.

struct InfoText {
    char text[160] = {};
    std::string_view view() const { return text; }
};

struct InfoLines {
    std::array<InfoText, 3> line;
    size_t count = 0;
};

InfoLines formatInfoLines();

// The view's scale: the picture's area on screen over its own, as the side
// of a square, in percent; 0 without a picture.
double viewZoomPercent();
