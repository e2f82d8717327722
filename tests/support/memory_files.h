#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "base/file_reader.h"
#include "base/tick_clock.h"

// In-memory files, installed for the whole program while the object lives.
class MemoryFiles final : public FileReader {
public:
    MemoryFiles() { setFileReader(this); }
    ~MemoryFiles() override { setFileReader(nullptr); }
    MemoryFiles(const MemoryFiles&) = delete;
    MemoryFiles& operator=(const MemoryFiles&) = delete;

    void add(const std::string& path, std::vector<uint8_t> bytes) { files_[path] = std::move(bytes); }
    // Reads of path fail with result (a short read, a folder, a file that may not be read).
    void failWith(const std::string& path, Result result) { failures_[path] = result; }

    Result read(const std::string& path, std::vector<uint8_t>& bytes) override;

private:
    std::map<std::string, std::vector<uint8_t>> files_;
    std::map<std::string, Result> failures_;
};

// A clock the test sets, installed while the object lives.
class ManualClock final : public TickClock {
public:
    ManualClock() { setTickClock(this); }
    ~ManualClock() override { setTickClock(nullptr); }
    ManualClock(const ManualClock&) = delete;
    ManualClock& operator=(const ManualClock&) = delete;

    uint32_t tickCount() override { return now; }
    uint32_t now = 1000;
};
