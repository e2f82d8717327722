#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

// The stages a load's time is split into, so the inverse-DCT families can
// be compared on what they change: the transforms.
enum class DecodeStage {
    parse,      // reading the file, its segments and the scan data
    entropy,    // Huffman decoding, and whatever else a thread does meanwhile
    transform,  // the inverse DCTs, with each block's store into its plane
    colour,     // upsampling and colour conversion
};
inline constexpr int decodeStageCount = 4;

// Milliseconds of one load in each stage.
struct StageSplit {
    std::array<double, decodeStageCount> milliseconds{};

    double operator[](DecodeStage stage) const { return milliseconds[size_t(stage)]; }
    double total() const;
};

// "parse 0.3, entropy 7.9, transform 1.6, colour 2.3", in milliseconds;
// formatted without allocating, as a frame's overlays are.
struct StageText {
    char text[96] = {};
};
StageText describeStages(const StageSplit& split);

// Every thread that takes part in a decode keeps a stopwatch of its own; a
// lap gives the time since the thread's previous lap to a stage. Stages
// change at MCU-row boundaries, so a decode reads the clock a few times a
// row, never per block.

// The calling thread's stopwatch starts, and the decode's sums are cleared.
void startStageClock();
bool stageClockRunning();
// Nothing happens on a thread whose stopwatch is not running.
void lapStage(DecodeStage stage);

// A worker thread's part in the decode: its stopwatch runs from
// construction, and on destruction the time since its last lap (waiting
// for work, mostly) goes to entropy and its laps to the decode's sums.
class StageWorker {
public:
    StageWorker();
    ~StageWorker();
    StageWorker(const StageWorker&) = delete;
    StageWorker& operator=(const StageWorker&) = delete;
};

// Stops the calling thread's stopwatch, its last lap going to entropy, and
// returns the decode's split: each stage's time summed over the threads,
// scaled so that the stages add up to the calling thread's time since
// startStageClock. On two threads that is the share of the wall time the
// user waited for each stage.
StageSplit finishStageClock();
// What the last finishStageClock returned.
const StageSplit& lastStageSplit();
