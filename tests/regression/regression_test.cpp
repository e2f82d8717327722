#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "harness/harness.h"
#include "jpeg/file/container.h"
#include "support/decode_helpers.h"

namespace {

namespace fs = std::filesystem;

// tests/data/regression/<target>/ holds the minimised inputs of every fuzz
// finding, one folder per fuzz target; README.md there tells what each was.
const fs::path findings = VIEWER_REGRESSION_DIR;

std::vector<uint8_t> readFinding(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct Target {
    const char* folder;
    void (*run)(const uint8_t* data, size_t size);
};

const Target targets[] = {
    {"decode", runDecodeInput},
    {"bmp", runBmpInput},
    {"view", runViewInput},
    {"input", runInputMessages},
};

// Each input goes through its target's harness just as the fuzzer ran it;
// under the sanitizer preset this is the check that the fault is gone.
TEST(FuzzFindings, EveryFindingReplaysCleanly)
{
    int replayed = 0;
    for (const Target& target : targets) {
        const fs::path folder = findings / target.folder;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        for (const auto& entry : fs::directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename().string().starts_with("."))
                continue;
            SCOPED_TRACE(entry.path().string());
            const std::vector<uint8_t> input = readFinding(entry.path());
            target.run(input.data(), input.size());
            ++replayed;
        }
    }
    EXPECT_GT(replayed, 0);
}

// Decode findings start with the byte that picks the inverse-DCT family.
int32_t decodeFinding(const char* name)
{
    const std::vector<uint8_t> input = readFinding(findings / "decode" / name);
    EXPECT_FALSE(input.empty()) << name;
    if (input.empty())
        return -1;
    const int32_t result = decodeBytes({input.begin() + 1, input.end()}, input[0] % 3);
    resetDecoderGlobals();
    return result;
}

TEST(FuzzFindings, BlockOfUnusedRunSymbolsFailsInsteadOfLooping)
{
    EXPECT_EQ(decodeFinding("unused-run-symbols-loop"), 0);
}

// Its first byte gives the decode two threads, where the frame decoder
// copies each scan's tables ahead of decoding them.
TEST(FuzzFindings, HuffmanTableRedefinedBetweenScansFailsWithoutReadingPastItsValues)
{
    EXPECT_EQ(decodeFinding("huffman-table-redefined-between-scans"), 0);
}

}  // namespace
