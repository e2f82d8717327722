#pragma once

#include <cstdint>
#include <vector>

#include "jpeg/entropy/scan_decoder.h"
#include "jpeg/frame/frame_layout.h"

// Whether scan `later` must wait for scan `earlier`, which comes before it
// in the file: they share a component, and coefficients that one writes
// and the other reads or writes. An AC refinement reads its blocks whole.
// Scans that share neither touch different coefficients and may run at
// once.
bool scansOverlap(const ScanShape& earlier, const ScanShape& later);

// The frame's MCU rows whose blocks of the scan's components are all
// decoded once the scan has decoded `mcus` of its MCUs.
int32_t rowsDecoded(const FrameLayout& layout, const ScanShape& shape, int64_t mcus);

// What runScans runs, implemented by the frame decoder.
class ScheduledWork {
public:
    // Decodes scan n, reporting how far it has come to progress. False
    // when the frame's decode cannot go on from the way it ended: it failed,
    // or its data ran out before the last scan.
    virtual bool decodeScan(size_t n, ScanProgress& progress) = 0;
    // Transforms and stores MCU row mr, once every scan has decoded it.
    virtual void finishRow(int32_t mr) = 0;

protected:
    ~ScheduledWork() = default;
};

// Decodes the scans of `shapes` (in file order) on up to `threads` threads,
// each scan on one thread once the scans it overlaps have ended, so that
// every coefficient comes out as when they are decoded one after another.
// A thread with no scan to take finishes the frame's MCU rows that every
// scan has passed, while the last scans still run. Returns true when every
// scan decoded and every row is finished; false as soon as one scan did
// not decode whole, the rows finished then being some of them.
bool runScans(const FrameLayout& layout, const std::vector<ScanShape>& shapes, int32_t threads, ScheduledWork& work);
