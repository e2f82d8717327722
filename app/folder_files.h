#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The files the viewer offers: those whose extension, in any case, is one
// of a file kind's. The next and previous file commands go through them.
bool isPictureName(std::string_view name);

// Natural order: runs of digits compare as numbers, letters without regard
// to case (img2 before img10, a.jpg before B.jpg); names equal so compared
// are ordered by their bytes.
bool sortsNaturallyBefore(std::string_view a, std::string_view b);

// The files given on the command line, when there were several: the next
// and previous file commands step through them while the current file is
// one of them, and through the current file's folder otherwise.
extern std::vector<std::string> givenFiles;

// The picture files of a folder in natural order, each path the folder's
// followed by the name.
std::vector<std::string> picturesInFolder(const std::string& folder);

// The file `offset` places after current (-1: just before it) in the list
// the viewer walks, wrapping around at the ends. current need not be in
// its folder any more: its place is kept by name. Nothing when the list
// holds no file but current itself.
std::optional<std::string> neighbourFile(const std::string& current, int offset);

// Where current stands in the list the viewer walks: number counts from 1.
struct WalkPlace {
    size_t number = 1;
    size_t count = 1;
};
WalkPlace walkPlace(const std::string& current);
