// Decodes pictures encoded by libjpeg-turbo and compares them, by PSNR,
// with libjpeg-turbo's own decode (accurate integer IDCT, box upsampling).
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/decode_helpers.h"

namespace {

struct LayoutCase {
    const char* name;
    int width, height;
    EncodeOptions options;
};

std::string subsamplingName(Subsampling s)
{
    return s == Subsampling::s444 ? "444" : s == Subsampling::s422 ? "422" : "420";
}

std::vector<LayoutCase> layoutCases()
{
    std::vector<LayoutCase> cases;
    for (Subsampling s : {Subsampling::s444, Subsampling::s422, Subsampling::s420})
        for (int quality : {10, 50, 75, 90, 100})
            cases.push_back({"", 96, 64, {quality, s, 0, false}});
    cases.push_back({"", 96, 64, {85, Subsampling::s420, 0, true}});
    cases.push_back({"", 96, 64, {85, Subsampling::s420, 1, false}});
    cases.push_back({"", 96, 64, {85, Subsampling::s422, 3, true}});
    cases.push_back({"", 96, 64, {85, Subsampling::s444, 5, false}});
    for (auto [w, h] : {std::pair{1, 1}, {7, 3}, {17, 9}, {33, 65}})
        for (Subsampling s : {Subsampling::s444, Subsampling::s420})
            cases.push_back({"", w, h, {90, s, 0, false}});
    return cases;
}

std::string caseName(const LayoutCase& c)
{
    char name[96];
    std::snprintf(name, sizeof name, "%dx%d_%s_q%d_rst%d%s", c.width, c.height,
                  subsamplingName(c.options.subsampling).c_str(), c.options.quality, c.options.restartInterval,
                  c.options.optimizeTables ? "_opt" : "");
    return name;
}

class ReferenceMatchTest : public testing::TestWithParam<LayoutCase> {
protected:
    void TearDown() override { resetDecoderGlobals(); }
};

TEST_P(ReferenceMatchTest, EveryFamilyStaysCloseToLibjpeg)
{
    const LayoutCase& c = GetParam();
    const RgbImage source = makePhotoLike(c.width, c.height, 7);
    const std::vector<uint8_t> jpeg = encodeJpeg(source, c.options);
    const RgbImage expected = decodeReference(jpeg);
    for (int family = 0; family < 3; ++family) {
        ASSERT_EQ(decodeBytes(jpeg, family), 1) << "family " << family;
        EXPECT_EQ(picture.colourState, 0);
        expectNearReference(pictureAsRgb(), expected, family, caseName(c));
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, ReferenceMatchTest, testing::ValuesIn(layoutCases()),
                         [](const auto& info) { return caseName(info.param); });

}  // namespace
