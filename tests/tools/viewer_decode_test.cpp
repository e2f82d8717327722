#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "support/reference_codec.h"
#include "support/run_tool.h"

namespace {

class ViewerDecodeTool : public testing::Test {
protected:
    void SetUp() override
    {
        dir_ = makeTempDir();
        const auto jpeg = encodeJpeg(makePhotoLike(24, 16, 5), {80, Subsampling::s422, 2, false});
        writeFile(path("photo.jpg"), std::string(jpeg.begin(), jpeg.end()));
    }
    std::string path(const std::string& name) const { return dir_ + "/" + name; }

    std::string dir_;
};

TEST_F(ViewerDecodeTool, WritesThePictureAsPpm)
{
    const ToolRun run = runTool("viewer-decode", "--idct aan2 --out " + path("out.ppm") + " " + path("photo.jpg"));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_NE(run.out.find("\n JPG load time = "), std::string::npos);
    const std::string ppm = readFile(path("out.ppm"));
    const std::string header = "P6\n24 16\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 24 * 16 * 3);
    EXPECT_EQ(ppm.substr(0, header.size()), header);
}

TEST_F(ViewerDecodeTool, InfoDescribesEveryImage)
{
    const ToolRun run = runTool("viewer-decode", "--info " + path("photo.jpg"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(
        run.out.find("image 0: baseline, 24x16, components 1:2x1 2:1x1 3:1x1 (YCbCr), 1 scan, restart interval 2"),
        std::string::npos)
        << run.out;
}

TEST_F(ViewerDecodeTool, RepeatReportsMedianAndThroughput)
{
    const ToolRun run = runTool("viewer-decode", "--repeat 3 " + path("photo.jpg"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("over 3 decodes"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("megapixels/s"), std::string::npos);
}

struct CompareLine {
    std::string family;
    double psnr = 0;
    int largest = 0;
    double mean = 0;
};

// The lines of --compare, in the order printed.
std::vector<CompareLine> compareLines(const std::string& out)
{
    std::vector<CompareLine> lines;
    std::istringstream in(out);
    for (std::string text; std::getline(in, text);) {
        CompareLine line;
        char family[8] = {};
        if (std::sscanf(text.c_str(), "%7s %lf dB  max %d  mean %lf", family, &line.psnr, &line.largest, &line.mean) ==
            4) {
            line.family = family;
            lines.push_back(line);
        }
    }
    return lines;
}

// A picture of photograph-like detail, where the AAN family's 7-bit
// constants cost it what the two 9-bit families keep; every family's
// shifts floor, so all of them come out darker than the exact transform.
TEST_F(ViewerDecodeTool, CompareMeasuresEveryFamilyAgainstTheExactTransform)
{
    const auto jpeg = encodeJpeg(makePhotoLike(96, 64, 3), {90, Subsampling::s420});
    writeFile(path("detail.jpg"), std::string(jpeg.begin(), jpeg.end()));
    const ToolRun run = runTool("viewer-decode", "--compare --repeat 1 --idct aan --out-diff " + path("diff.ppm") +
                                                     " " + path("detail.jpg"));
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const std::vector<CompareLine> lines = compareLines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    EXPECT_EQ(lines[0].family, "fw");
    EXPECT_EQ(lines[1].family, "aan");
    EXPECT_EQ(lines[2].family, "aan2");
    EXPECT_LT(lines[1].psnr, std::min(lines[0].psnr, lines[2].psnr));
    for (const CompareLine& line : lines) {
        EXPECT_LT(line.mean, 0) << line.family;
        EXPECT_GE(line.largest, 1) << line.family;
    }
    EXPECT_NE(run.out.find(" ms (parse "), std::string::npos) << run.out;
    EXPECT_EQ(readFile(path("diff.ppm")).size(), std::string("P6\n96 64\n255\n").size() + 96 * 64 * 3);
}

struct FailureCase {
    const char* name;
    std::string arguments;
    int exitCode;
    const char* message;
};

TEST_F(ViewerDecodeTool, FailuresExplainThemselves)
{
    const std::string lossless = path("lossless.jpg");
    const std::string noScanData = path("no-scan-data.jpg");
    const std::string photo = readFile(path("photo.jpg"));
    writeFile(noScanData, photo.substr(0, photo.find("\xFF\xDA") + 14));
    // An SOF3 frame type where the baseline marker would be.
    std::string sof3 = photo;
    sof3[sof3.find("\xFF\xC0") + 1] = '\xC3';
    writeFile(lossless, sof3);
    const FailureCase cases[] = {
        {"Missing", path("missing.jpg"), 1, "no such file (101)"},
        {"Lossless", lossless, 1, "lossless JPEG (SOF3) is not supported"},
        {"NoScanData", noScanData, 1, "unexpected end of file before the end-of-image marker (601)"},
        {"NoSuchImage", "--image 3 " + path("photo.jpg"), 1, "there is no image 3; the file holds 1"},
        {"UnknownFamily", "--idct dct " + path("photo.jpg"), 2, "usage: viewer-decode"},
        {"NoFile", "--info", 2, "usage: viewer-decode"},
        {"TwoFiles", path("photo.jpg") + " " + path("photo.jpg"), 2, "usage: viewer-decode"},
        {"DifferenceWithoutCompare", "--out-diff d.ppm " + path("photo.jpg"), 2, "usage: viewer-decode"},
        {"PictureWithCompare", "--compare --out p.ppm " + path("photo.jpg"), 2, "usage: viewer-decode"},
    };
    for (const FailureCase& c : cases) {
        const ToolRun run = runTool("viewer-decode", c.arguments);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.name;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.name << ": " << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << c.name;
    }
}

// Frame markers inside a payload say nothing about the file's frames.
TEST_F(ViewerDecodeTool, ExplanationsComeFromTheFileStructureNotItsBytes)
{
    const std::string photo = readFile(path("photo.jpg"));
    const std::string comment("\xFF\xFE\x00\x06\xFF\xC9\xFF\xC5", 8);
    writeFile(path("comment.jpg"), photo.substr(0, 2) + comment + photo.substr(2));
    const std::string noScanData = photo.substr(0, photo.find("\xFF\xDA"));
    writeFile(path("headers.jpg"), noScanData.substr(0, 2) + comment + noScanData.substr(2));
    EXPECT_EQ(runTool("viewer-decode", path("comment.jpg")).exitCode, 0);
    const ToolRun headers = runTool("viewer-decode", path("headers.jpg"));
    EXPECT_EQ(headers.exitCode, 1);
    EXPECT_NE(headers.err.find("the file holds no JPEG image (no SOS marker)"), std::string::npos) << headers.err;
}

// A file cut short shows what it holds, and says what is missing.
TEST_F(ViewerDecodeTool, TruncatedFileDecodesWithAWarning)
{
    const std::string photo = readFile(path("photo.jpg"));
    const size_t scan = photo.find("\xFF\xDA") + 14;
    writeFile(path("truncated.jpg"), photo.substr(0, scan + (photo.size() - scan) / 2));
    const ToolRun run = runTool("viewer-decode", "--out " + path("cut.ppm") + " " + path("truncated.jpg"));
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.err.find("warning: the file ends before the end-of-image marker: the picture is incomplete (601)"),
              std::string::npos)
        << run.err;
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1);
    EXPECT_EQ(readFile(path("cut.ppm")).size(), std::string("P6\n24 16\n255\n").size() + 24 * 16 * 3);
}

}  // namespace

#include "support/bmp_builder.h"

namespace {

TEST(ViewerDecodeBmp, FilesWithBExtensionGoThroughTheBmpLoader)
{
    const std::string dir = makeTempDir();
    const auto bmp = makeBmp({3, 2});
    writeFile(dir + "/p.bmp", std::string(bmp.begin(), bmp.end()));
    writeFile(dir + "/jpeg-named.bmp", "\xFF\xD8\xFF\xD9");
    const ToolRun good = runTool("viewer-decode", "--out " + dir + "/p.ppm " + dir + "/p.bmp");
    EXPECT_EQ(good.exitCode, 0);
    EXPECT_NE(good.out.find("\n BMP load time = "), std::string::npos);
    EXPECT_EQ(readFile(dir + "/p.ppm").size(), std::string("P6\n3 2\n255\n").size() + 18);
    const ToolRun compared = runTool("viewer-decode", "--compare " + dir + "/p.bmp");
    EXPECT_EQ(compared.exitCode, 2);
    EXPECT_NE(compared.err.find("--compare takes a JPEG file"), std::string::npos) << compared.err;
    const ToolRun bad = runTool("viewer-decode", dir + "/jpeg-named.bmp");
    EXPECT_EQ(bad.exitCode, 1);
    EXPECT_NE(bad.err.find("BMP"), std::string::npos);
}

}  // namespace
