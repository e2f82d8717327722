// Every way a decode can go splits its time over every stage: a path that
// forgot to mark where its stages change would give one of them nothing,
// and one that counted a thread twice would claim more than the decode took.
#include <gtest/gtest.h>

#include <chrono>

#include "jpeg/decode_stages.h"
#include "jpeg/rows/row_decoder.h"
#include "jpeg/rows/scan_bands.h"
#include "support/decode_helpers.h"

namespace {

struct StageCase {
    const char* name;
    int width, height;
    EncodeOptions options;
    int32_t threads, bands;
    DecodePath path;
};

const StageCase stageCases[] = {
    {"OneThread", 720, 480, {92, Subsampling::s420}, 1, 0, DecodePath::oneThread},
    {"RowPipeline", 720, 480, {92, Subsampling::s420}, 2, -1, DecodePath::rowPipeline},
    {"Bands", 523, 397, {95, Subsampling::s444}, 2, 0, DecodePath::bands},
    {"Grey", 720, 480, {.greyscale = true}, 1, 0, DecodePath::oneThread},
    {"ProgressiveOnOneThread", 720, 480, {.progressive = true}, 1, 0, DecodePath::frame},
    {"ProgressiveOnTwoThreads", 720, 480, {.progressive = true}, 2, 0, DecodePath::frameThreads},
};

class DecodeStagesTest : public testing::TestWithParam<StageCase> {
protected:
    void TearDown() override
    {
        testDecodeOptions().threads = 2;
        testDecodeOptions().bandCount = 0;
        resetDecoderGlobals();
    }
};

TEST_P(DecodeStagesTest, EveryStageTakesItsShareOfTheDecode)
{
    const StageCase& c = GetParam();
    const std::vector<uint8_t> bytes = encodeJpeg(makePhotoLike(c.width, c.height, 5), c.options);
    testDecodeOptions().threads = c.threads;
    testDecodeOptions().bandCount = c.bands;
    testing::internal::CaptureStdout();
    const auto before = std::chrono::steady_clock::now();
    ASSERT_EQ(decodeBytes(bytes), 1);
    const std::chrono::duration<double, std::milli> outside = std::chrono::steady_clock::now() - before;
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(lastDecodePath(), c.path);

    const StageSplit& split = lastStageSplit();
    for (int s = 0; s < decodeStageCount; ++s)
        EXPECT_GT(split.milliseconds[size_t(s)], 0.0) << "stage " << s;
    EXPECT_LE(split.total(), outside.count());
    EXPECT_NE(printed.find(std::string("\n JPG stages: ") + describeStages(split).text + " ms"), std::string::npos)
        << printed;
}

INSTANTIATE_TEST_SUITE_P(Paths, DecodeStagesTest, testing::ValuesIn(stageCases),
                         [](const testing::TestParamInfo<StageCase>& info) { return info.param.name; });

}  // namespace
