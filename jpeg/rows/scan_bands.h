#pragma once

#include <cstdint>
#include <vector>

#include "jpeg/decode_workspace.h"
#include "jpeg/rows/mcu_rows.h"

// Decodes a scan on several threads, entropy decoding included. The scan's
// bytes are cut into bands, each band into as many parts as there are readers.
// The calling thread decodes a band from the exact state it starts in. Each
// other reader starts reading at the first byte of its part as if an MCU began
// there, noting where each of its MCUs starts: Huffman codes resynchronise, so
// when a reader whose place is known starts an MCU at a bit where the next
// reader started one, both read the same symbols from there on. Only the DC
// predictors differ, by a constant per component, and the next reader learns
// which MCU it is at: it is placed, and decodes on, past its part's end, until
// it meets the reader after it in turn, or the band ends, whose state starts
// the next band. A reader met where it has already stopped is adopted instead:
// the placed reader hands its MCUs over and goes on from where it stopped, so
// that no thread waits for another to wake. A reader that is not met is
// abandoned, and the one before decodes its part as well. Decoded blocks are
// transformed and stored, once placed, by whichever thread would otherwise
// wait, and each MCU row is converted once every reader has stored its part of
// it. With restart intervals a reader starts instead at the first restart
// marker in its part, whose MCU and state are known, and is met only there: at
// the same bit and the same MCU. The planes and the result are those of one
// thread, a failed decode included.
// reader stands at the scan's start, with the scan's data and tables;
// restartStarts are where the data after each restart marker begins. bandCount,
// when above 0, is how many bands to cut the scan into, to reach every way the
// readers can meet; otherwise the scan's size decides.
// threads is how many the decode may take: a reader runs on each, up to
// DecodeWorkspace::maxBandReaders, which bounds the buffers a workspace keeps.
bool decodeInBands(tdec& reader, const McuRows& rows, const std::vector<int32_t>& restartStarts, int32_t bandCount,
                   int32_t threads, DecodeWorkspace& workspace);
