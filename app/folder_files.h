#pragma once

#include <array>
#include <optional>
#include <string>
#include <string_view>

// The files the viewer offers: those whose extension, in any case, is one
// of these. The open dialog filters on them and the next and previous file
// commands go through them.
inline constexpr std::array<std::string_view, 5> pictureExtensions{"jpg", "jpeg", "jpe", "jfif", "bmp"};

bool isPictureName(std::string_view name);

// The picture file `offset` places after current (-1: just before it) in current's
// folder, the names sorted without regard to case, wrapping around at the
// ends. current need not be there any more: its place is kept by name.
// Nothing when the folder holds no picture file but current itself.
std::optional<std::string> neighbourFile(const std::string& current, int offset);
