#include "jpeg/decode_stages.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <numeric>

namespace {

int64_t nanosecondsNow()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return std::chrono::duration_cast<std::chrono::nanoseconds>(since).count();
}

struct Stopwatch {
    bool running = false;
    int64_t started = 0;
    int64_t lastLap = 0;
    std::array<int64_t, decodeStageCount> spent{};

    void start()
    {
        running = true;
        started = lastLap = nanosecondsNow();
        spent = {};
    }
};

thread_local Stopwatch stopwatch;
// What the decode's worker threads spent, added as each one ends.
std::array<std::atomic<int64_t>, decodeStageCount> workerSpent;
StageSplit lastSplit;

}  // namespace

double StageSplit::total() const { return std::accumulate(milliseconds.begin(), milliseconds.end(), 0.0); }

StageText describeStages(const StageSplit& split)
{
    StageText out;
    std::snprintf(out.text, sizeof out.text, "parse %.1f, entropy %.1f, transform %.1f, colour %.1f",
                  split[DecodeStage::parse], split[DecodeStage::entropy], split[DecodeStage::transform],
                  split[DecodeStage::colour]);
    return out;
}

void startStageClock()
{
    stopwatch.start();
    for (std::atomic<int64_t>& spent : workerSpent)
        spent.store(0, std::memory_order_relaxed);
}

bool stageClockRunning() { return stopwatch.running; }

void lapStage(DecodeStage stage)
{
    if (!stopwatch.running)
        return;
    const int64_t now = nanosecondsNow();
    stopwatch.spent[size_t(stage)] += now - stopwatch.lastLap;
    stopwatch.lastLap = now;
}

StageWorker::StageWorker() { stopwatch.start(); }

// The decode joins its workers before it finishes the clock, which orders
// these additions before its reads.
StageWorker::~StageWorker()
{
    lapStage(DecodeStage::entropy);
    for (int s = 0; s < decodeStageCount; ++s)
        workerSpent[size_t(s)].fetch_add(stopwatch.spent[size_t(s)], std::memory_order_relaxed);
    stopwatch.running = false;
}

StageSplit finishStageClock()
{
    lapStage(DecodeStage::entropy);
    stopwatch.running = false;
    std::array<double, decodeStageCount> summed{};
    double all = 0;
    for (size_t s = 0; s < summed.size(); ++s) {
        summed[s] = double(stopwatch.spent[s] + workerSpent[s].load(std::memory_order_relaxed));
        all += summed[s];
    }
    const double wall = double(stopwatch.lastLap - stopwatch.started) / 1e6;
    lastSplit = {};
    for (size_t s = 0; s < summed.size() && all > 0; ++s)
        lastSplit.milliseconds[s] = wall * summed[s] / all;
    return lastSplit;
}

const StageSplit& lastStageSplit() { return lastSplit; }
