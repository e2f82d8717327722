#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "support/camera_segments.h"

// Files laid out the way cameras and phones write them: EXIF with a maker
// note and a thumbnail, ICC profiles, Photoshop resources, MPF secondary
// images after the main picture, and the odd corners real files show, each
// with the index a reader should make of it. Every picture in them is a
// small libjpeg-turbo encode.
namespace camerafiles {

struct CameraImage {
    int32_t width = 0;
    int32_t height = 0;
    Bytes stream;  // the image on its own, SOI to EOI, for libjpeg-turbo
};

struct CameraFile {
    std::string name;
    Bytes bytes;
    int32_t mainImage = 0;
    std::vector<CameraImage> images;  // in file order; the main picture's stream is the whole file
    bool truncated = false;           // the main picture's scan data ends before its EOI
};

// Every pattern, each a file of a few KB (the binary trailer case excepted).
std::vector<CameraFile> cameraFiles();

}  // namespace camerafiles
