#include "support/decode_helpers.h"
#include "jpeg/globals.h"

#include <gtest/gtest.h>

#include <cstdio>

#include "jpeg/output/picture.h"

RgbImage pictureAsRgb()
{
    RgbImage image{picture.width[0], picture.height[0], {}};
    image.rgb.resize(size_t(picture.size[0]) * 3);
    for (int32_t s = 0; s < picture.size[0]; ++s)
        for (int k = 0; k < 3; ++k)
            image.rgb[size_t(s) * 3 + k] = picture.plane[k][s];
    return image;
}

Planes picturePlanes()
{
    Planes planes;
    for (int k = 0; k < 3; ++k)
        planes.emplace_back(picture.plane[k].get(), picture.plane[k].get() + picture.size[k]);
    return planes;
}

void expectNearReference(const RgbImage& ours, const RgbImage& reference, int32_t family, const std::string& name,
                         std::span<const double, 3> floors)
{
    ASSERT_EQ(ours.width, reference.width) << name;
    ASSERT_EQ(ours.height, reference.height) << name;
    const double db = psnr(ours, reference);
    std::printf("[psnr] %-40s family %d: %.2f dB\n", name.c_str(), family, db);
    const double floor = floors[size_t(family)];
    EXPECT_GE(db, floor) << name << ", family " << family;
    if (db < floor) {
        writePpm("mismatch-" + name + "-ours.ppm", ours);
        writePpm("mismatch-" + name + "-libjpeg.ppm", reference);
    }
}
