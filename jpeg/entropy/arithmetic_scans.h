#pragma once

#include <memory>

#include "jpeg/entropy/scan_decoder.h"

// The scans of arithmetic-coded frames (SOF9, SOF10): T.81 F.2.4 for
// sequential scans, G.2 for the four kinds of progressive scan.
std::unique_ptr<ScanDecoder> arithmeticScanDecoder(tdec& reader);
