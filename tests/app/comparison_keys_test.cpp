// The keys that compare the inverse DCTs: F5 decodes the shown image again
// with the family D chose, I shows what the load measured, C shows the
// family's difference from the exact transform in place of the picture.
#include "jpeg/globals.h"
#include "shell_fixture.h"

#include <algorithm>

#include "app/difference_view.h"
#include "app/info_line.h"
#include "app/load_record.h"
#include "support/bmp_builder.h"
#include "support/decode_bytes.h"

namespace {

class ComparisonKeysTest : public ShellTest {
protected:
    void open(const std::string& name, const std::vector<uint8_t>& bytes)
    {
        files.add(name, bytes);
        shell.dialogAnswers.push_back(name);
        send(keyDown(VK_F1));
        ASSERT_GT(imageCount, 0);
    }

    // Every sample of every plane.
    static std::vector<uint8_t> distinctSamples()
    {
        std::vector<uint8_t> seen;
        for (int k = 0; k < 3; ++k)
            seen.insert(seen.end(), picture.plane[k].get(), picture.plane[k].get() + picture.size[k]);
        std::sort(seen.begin(), seen.end());
        seen.erase(std::unique(seen.begin(), seen.end()), seen.end());
        return seen;
    }

    // Grey 137 at quality 100: every block flat. The exact transform and
    // Feig-Winograd give 137 and 128 for chroma, AAN two levels less.
    static std::vector<uint8_t> flatGrey()
    {
        const RgbImage grey{16, 16, std::vector<uint8_t>(16 * 16 * 3, 137)};
        return encodeJpeg(grey, {100, Subsampling::s444});
    }
};

TEST_F(ComparisonKeysTest, DThenF5DecodesTheSameImageAgainWithTheNewFamily)
{
    open("two.jpg", jpegWithImages(1));
    send(keyDown('S'));  // the thumbnail
    ASSERT_EQ(subImageIndex, 0);
    const uint64_t withFw = planesHash();
    const auto view = controlPoints;
    send(keyDown('D'));
    testing::internal::CaptureStdout();
    send(keyDown(VK_F5));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("\n JPG load time = "), std::string::npos);
    EXPECT_EQ(lastLoad().family, 1);
    EXPECT_EQ(subImageIndex, 0);
    EXPECT_EQ(imageCount, 2);
    EXPECT_NE(planesHash(), withFw);
    EXPECT_EQ(controlPoints, view);
    EXPECT_TRUE(shell.boxes.empty());
}

TEST_F(ComparisonKeysTest, F5SaysWhyAFileGoneSinceNoLongerLoads)
{
    send(keyDown(VK_F5));  // nothing shown yet: nothing to reload
    EXPECT_TRUE(shell.boxes.empty());
    open("gone.jpg", jpegWithImages(0));
    files.failWith("gone.jpg", FileReader::Result::noSuchFile);
    send(keyDown(VK_F5));
    EXPECT_EQ(imageCount, 0);
    EXPECT_EQ(shell.boxes, std::vector<std::string>{"Load error\n\ngone.jpg: no such file (101)|Load error."});
}

TEST_F(ComparisonKeysTest, CShowsTheDifferenceFromTheExactTransformAndGivesThePictureBack)
{
    send(keyDown('D'));
    open("grey.jpg", flatGrey());
    const uint64_t decoded = planesHash();
    send(keyDown('C'));
    ASSERT_TRUE(shownDifference());
    EXPECT_EQ(distinctSamples(), std::vector<uint8_t>{2 * differenceGain});
    EXPECT_EQ(shownDifference()->largest, 2);
    EXPECT_EQ(shownDifference()->mean(), -2);
    send(keyDown('C'));
    EXPECT_FALSE(shownDifference());
    EXPECT_EQ(planesHash(), decoded);
}

TEST_F(ComparisonKeysTest, TheDifferenceFollowsEveryDecodeWhileItIsOn)
{
    open("grey.jpg", flatGrey());
    send(keyDown('C'));
    EXPECT_EQ(distinctSamples(), std::vector<uint8_t>{0});
    send(keyDown('D'));
    send(keyDown(VK_F5));
    EXPECT_EQ(distinctSamples(), std::vector<uint8_t>{2 * differenceGain});
    files.add("small.bmp", makeBmp({}));
    shell.dialogAnswers.push_back("small.bmp");
    send(keyDown(VK_F1));  // a BMP has no transform: its own picture shows
    EXPECT_FALSE(shownDifference());
    EXPECT_EQ(picture.plane[0][0], 100);
}

TEST_F(ComparisonKeysTest, ITogglesTheLinesThatSayWhatTheLoadWas)
{
    send(keyDown('I'));
    EXPECT_TRUE(showInfo);
    EXPECT_EQ(formatInfoLines().line[0].view(), "no picture loaded");
    send(keyDown('D'));
    open("grey.jpg", flatGrey());
    send(keyDown('D'));
    send(keyDown('C'));
    const InfoLines info = formatInfoLines();
    ASSERT_EQ(info.count, 3u);
    EXPECT_EQ(info.line[0].view().substr(0, 37), "grey.jpg  16x16  baseline, 4:4:4, YCb");
    EXPECT_EQ(info.line[1].view().substr(0, 18), "AraiAguiNakajima  ");
    EXPECT_NE(info.line[1].view().find(" ms: parse "), std::string_view::npos);
    EXPECT_NE(info.line[1].view().find("(F5: AraiAguiNakajima2)"), std::string_view::npos);
    EXPECT_EQ(info.line[2].view(), "C - AraiAguiNakajima against the exact transform: 42.1 dB, max 2, mean -2.00");
    send(keyDown('I'));
    EXPECT_FALSE(showInfo);
}

}  // namespace
