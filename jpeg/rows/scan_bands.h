#pragma once

#include <cstdint>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/rows/mcu_rows.h"

// Decodes a scan on two threads, entropy decoding included. The scan's bytes are cut into bands, each in two halves.
// The calling thread decodes the first half of a band from the exact state the band starts in. The other thread starts
// reading at the middle byte as if an MCU began there, noting where each of its MCUs starts: Huffman codes
// resynchronise, so when the first thread starts an MCU at a bit where the
// second started one, both read the same symbols from there on. Only the
// DC predictors differ, by a constant per component, and the second thread
// learns which MCU it is at. It decodes on to the first MCU past the band's
// end, whose state starts the next band. Decoded blocks are transformed and
// stored by whichever thread would otherwise wait, and each MCU row is
// converted once both threads have stored their part of it.
// With restart intervals the other thread starts instead at the first
// restart marker past the middle, whose MCU and state are known, and the
// threads meet only there: at the same bit and the same MCU.
// When the halves do not meet, the calling thread decodes the whole band
// itself. The planes and the result are those of one thread, a failed
// decode included.
// reader stands at the scan's start, with the scan's data and tables;
// restartStarts are where the data after each restart marker begins.
// bandCount, when above 0, is how many bands to cut the scan into, to
// reach every way the readers can meet; otherwise the scan's size decides.
bool decodeInBands(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                   DecodeWorkspace& workspace);
