#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "jpeg/rows/row_decoder.h"

class tidct;
struct pctr;
struct tdec;

// Added to the DC coefficient of every block of each component before the
// transform. A reader that starts part-way into a scan predicts DC from 0
// instead of from the true predictor; its blocks are off by this constant,
// in 32-bit wrap-around like the prediction itself.
struct DcOffset {
    int32_t component[3] = {};
};

// Where the n-th block of an MCU goes: components in identifier order, then
// rows, then columns, as the scan interleaves them.
struct BlockPlace {
    int i, v, h;
};

// One MCU row's blocks, MCU after MCU, each MCU's blocks in place order,
// finished into picture through each component's transform.
class McuRows {
public:
    McuRows(const McuLayout& layout, RowColour colour, pctr& picture, const std::array<tidct*, 3>& transforms);

    const McuLayout& layout() const { return layout_; }
    int64_t blocksPerRow() const { return blocksPerRow_; }
    int64_t mcuCount() const { return int64_t{layout_.rows} * layout_.cols; }

    // Entropy-decodes the next MCU through reader into blocks. Returns how
    // many of its blocks were decoded: blocksPerMcu, or fewer when one
    // cannot be.
    int decodeMcu(tdec& reader, int32_t* blocks) const;

    // Entropy-decodes the next MCU row into blocks. Returns how many blocks
    // were decoded: blocksPerRow(), or fewer when one cannot be.
    int64_t decodeRow(tdec& reader, int32_t* blocks) const
    {
        const int count = layout_.blocksPerMcu;
        for (int32_t mc = 0; mc < layout_.cols; ++mc) {
            const int decoded = decodeMcu(reader, blocks + int64_t{mc} * count * 64);
            if (decoded < count)
                return int64_t{mc} * count + decoded;
        }
        return blocksPerRow_;
    }

    // Transforms and stores blocks from..to-1 of MCU row mr; first points
    // at block from.
    void finishBlocks(int32_t mr, int32_t* first, int64_t from, int64_t to, const DcOffset& dc = {}) const;

    // Transforms and stores the whole of MCU row mr; while its samples are
    // still in the cache, converts the picture rows it completes.
    void finishRow(int32_t mr, int32_t* blocks, const DcOffset& dc = {}) const;
    // Converts the picture rows of MCU row mr, once it is wholly stored.
    void convertRow(int32_t mr) const;

private:
    struct ChromaRows;

    void addDcOffset(int32_t* first, int64_t from, int64_t to, const DcOffset& dc) const;
    void finishBlocksInto(int32_t mr, int32_t* first, int64_t from, int64_t to, const DcOffset& dc,
                          const ChromaRows* chroma) const;
    void convertRowFrom(int32_t mr, const ChromaRows& chroma) const;

    const McuLayout& layout_;
    const RowColour colour_;
    pctr& picture_;
    const std::array<tidct*, 3> transforms_;
    const int64_t blocksPerRow_;
    // Y/Cb/Cr converted as rows finish, with chroma of half the luma's width
    // (4:2:0, 4:2:2): the chroma blocks then wait at their own size and the
    // conversion replicates them, instead of being stored four times over.
    const bool halfWidthChroma_;
    std::vector<BlockPlace> places_;
    std::vector<int> components_;  // places_[n].i, as the entropy decoder takes them
};
