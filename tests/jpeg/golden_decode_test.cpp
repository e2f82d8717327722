// The decoded planes of every family, bit for bit, on committed files: any
// change to the decoder's output, however small, fails here. The files come
// from scripts/make-golden-inputs.sh; their hashes are checked first, so a
// file rewritten by another encoder fails as such instead of as a decode.
#include <gtest/gtest.h>

#include <cstdio>

#include "jpeg/decode_workspace.h"
#include "jpeg/globals.h"
#include "jpeg/output/picture.h"
#include "support/decode_bytes.h"
#include "support/encode_options.h"
#include "support/fnv_hash.h"
#include "support/golden_inputs.h"

namespace {

// How each input was made (scripts/make-golden-inputs.sh: makePhotoLike of
// the size, seed 11, encoded with the options), the hash of its bytes and of
// the planes each family decodes it to.
struct GoldenCase {
    const char* name;  // of the input file, tests/data/golden/<name>.jpg
    int width, height;
    EncodeOptions options;
    uint64_t inputHash;
    uint64_t planeHash[3];                          // fw, aan, aan2
    DecodePath twoThreads = DecodePath::oneThread;  // the way a decode on two threads goes
};

// clang-format off
const GoldenCase goldenCases[] = {
    {"Photo420", 320, 240, {90, Subsampling::s420, 0, false}, 0xf85a3ffda272b9fb, {0xe8fb9033556d9a24, 0x17c07af442db157b, 0x23f14c786cf3f34f}},
    {"Photo422Restarts", 200, 136, {75, Subsampling::s422, 3, false}, 0x65ec554093ba853b, {0x44decbb595d84dc1, 0x5ac2cb52fb83c55a, 0x471642171eeabb06}},
    {"Photo444Optimised", 96, 80, {50, Subsampling::s444, 0, true}, 0xadf6dc2b5d6782c, {0x453df83c16519d2, 0x54bef9fadc1d4b6d, 0x7f8cce13bc45797f}},
    {"Odd420", 33, 65, {95, Subsampling::s420, 1, false}, 0x9fa501c0e05d866a, {0x42961b2b2889612d, 0x316739a078f7a68e, 0x308243b5f283635c}},
    // Large enough for the two-thread pipeline.
    {"Large420", 720, 480, {85, Subsampling::s420, 0, false}, 0x2353834d3dd97c81,
     {0x52c08953712c2f7b, 0x5f32d1afccb7fffc, 0xf7222b4113039cfa}, DecodePath::rowPipeline},
    {"LowQuality420", 257, 119, {10, Subsampling::s420, 0, false}, 0x24572ef124f1b0b5, {0xb679e52c58852d02, 0xfcf88a2d332e5d66, 0xc251c5560a0a7be5}},
};
// clang-format on

class GoldenDecodeTest : public testing::TestWithParam<GoldenCase> {
protected:
    void TearDown() override
    {
        resetDecoderGlobals();
        testDecodeOptions().threads = 2;
    }
};

TEST_P(GoldenDecodeTest, DecodedPlanesMatchTheRecordedOnes)
{
    const GoldenCase& c = GetParam();
    const auto jpeg = readGoldenInput(c.name);
    ASSERT_FALSE(jpeg.empty()) << "cannot read " << goldenInputPath(c.name);
    const uint64_t inputHash = fnv1a(jpeg.data(), jpeg.size());
    ASSERT_EQ(inputHash, c.inputHash) << goldenInputPath(c.name) << " is not the recorded file (input hash 0x"
                                      << std::hex << inputHash << ")";
    for (int32_t threads : {1, 2}) {
        testDecodeOptions().threads = threads;
        for (int family = 0; family < 3; ++family) {
            ASSERT_EQ(decodeBytes(jpeg, family), 1);
            ASSERT_EQ(picture.width[0], c.width);
            ASSERT_EQ(picture.height[0], c.height);
            EXPECT_EQ(lastDecodePath(), threads == 1 ? DecodePath::oneThread : c.twoThreads) << "family " << family;
            EXPECT_EQ(planesHash(), c.planeHash[family])
                << "family " << family << ", " << threads << " threads: 0x" << std::hex << planesHash();
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Files, GoldenDecodeTest, testing::ValuesIn(goldenCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
