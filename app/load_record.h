#pragma once

#include <cstdint>
#include <string>

#include "app/file_kinds.h"
#include "jpeg/decode_stages.h"

// What the last load of the shown picture was, for the information line
// and the difference view.
struct LoadRecord {
    bool loaded = false;
    bool transformCoded = false;  // decoded through the family below
    int32_t family = 0;           // idctIndex as the load found it
    Orientation orientation = Orientation::stored;
    double milliseconds = 0;  // the whole load, as the user waited for it
    StageSplit stages;        // of a transform-coded picture
    std::string name;         // the file's name, without its folder
    std::string kind;         // "baseline, 4:2:0, YCbCr", "BMP"
};

const LoadRecord& lastLoad();
// As before the first load.
void forgetLoad();
void recordLoad(const std::string& path, const FileKind& kind, int32_t count, Orientation orientation,
                double milliseconds);
