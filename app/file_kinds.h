#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "jpeg/decode_options.h"

// How a JPEG's main picture is handed over: as its file stores it, or
// turned upright as its EXIF Orientation tag asks. Other images of the file
// are always as stored.
enum class Orientation { stored, upright };

// One kind of file the viewer opens. Every command that loads, explains or
// steps through files asks this table, so a new kind is one more entry.
struct FileKind {
    const char* name;
    // First letters of the extensions that choose this kind; the table
    // names the one kind that takes every name no kind claims.
    std::string_view extensionLetters;
    // The extensions, in lower case, that the open dialog and the folder
    // keys offer.
    std::span<const std::string_view> extensions;
    // Loads embedded image `image` (-1 = the main picture) into picture.
    // Returns the image count, 0 on failure.
    int32_t (*load)(const std::string& path, int32_t image, Orientation orientation);
    // Why the last load of path failed, in words a user understands.
    std::string (*explainFailure)(const std::string& path);
    // What is wrong with what the last load gave although it loaded; empty
    // when nothing is.
    std::string (*warning)();
    // Whether S can step through images embedded in one file.
    bool holdsSeveralImages;
    // Whether its pictures come out of the inverse DCTs, which the
    // difference view and the tools compare.
    bool transformCoded;
};

// The first letter of the extension (after the name's last dot, never in a
// folder's name); 0 when there is none.
char extensionLetter(const std::string& path);

// The kind that files whose extension begins with letter are.
const FileKind& fileKindFor(char letter);
const FileKind& fileKindOf(const std::string& path);

// How the viewer's JPEG loads decode: the tools set the threads. The
// workspace is kept from one load to the next, since a re-decode of the
// same size then maps no fresh pages.
DecodeOptions& viewerDecodeOptions();

// Every extension of every kind, as the open dialog and the folder keys offer them.
std::vector<std::string_view> pictureExtensions();
