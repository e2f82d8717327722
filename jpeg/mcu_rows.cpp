#include "jpeg/mcu_rows.h"

#include <algorithm>

#include "idct/tidct.h"
#include "jpeg/block_store.h"
#include "jpeg/colour.h"
#include "jpeg/entropy.h"
#include "jpeg/picture.h"

McuRows::McuRows(const McuLayout& layout, RowColour colour)
    : layout_(layout), colour_(colour), blocksPerRow_(int64_t{layout.cols} * layout.blocksPerMcu)
{
    for (int i = 0; i < 3; ++i)
        for (int v = 0; v < layout.v[i]; ++v)
            for (int h = 0; h < layout.h[i]; ++h) {
                places_.push_back({i, v, h});
                components_.push_back(i);
            }
}

int McuRows::decodeMcu(tdec& reader, int32_t* blocks) const
{
    const int decoded = reader.prepareMcu(components_.data(), layout_.blocksPerMcu, blocks);
    // Restart intervals count MCUs; the markers themselves were removed
    // with the stuffing, so the reader realigns and the predictors reset
    // here.
    const int32_t interval = reader.image.restartInterval;
    if (decoded < layout_.blocksPerMcu || interval == 0 || --reader.restartCountdown > 0)
        return decoded;
    reader.restartCountdown = interval;
    reader.alignToByte();
    reader.dcPred[0] = reader.dcPred[1] = reader.dcPred[2] = 0;
    return decoded;
}

// In a pass of its own: a narrow store just before the transform loads the
// block in wide vectors would stall every block.
void McuRows::addDcOffset(int32_t* first, int64_t from, int64_t to, const DcOffset& dc) const
{
    auto p = size_t(from % layout_.blocksPerMcu);
    for (int32_t* block = first; block < first + (to - from) * 64; block += 64) {
        block[0] = static_cast<int32_t>(uint32_t(block[0]) + uint32_t(dc.component[components_[p]]));
        if (++p == components_.size())
            p = 0;
    }
}

void McuRows::finishBlocks(int32_t mr, int32_t* first, int64_t from, int64_t to, const DcOffset& dc) const
{
    if (dc.component[0] != 0 || dc.component[1] != 0 || dc.component[2] != 0)
        addDcOffset(first, from, to, dc);
    // The MCU and the place in it move on by counting: two divisions per
    // block cost more than the store.
    SamplePlane plane[3];
    Upsampling up[3];
    tidct* idct[3];
    for (int i = 0; i < 3; ++i) {
        plane[i] = picturePlane(i);
        up[i] = {1, layout_.sx[i], 1, layout_.sy[i]};
        idct[i] = idctActive[decoder.image.component[i].quantTable];
    }
    auto mc = int32_t(from / layout_.blocksPerMcu);
    auto p = size_t(from % layout_.blocksPerMcu);
    for (int64_t n = from; n < to; ++n) {
        const BlockPlace& place = places_[p];
        const int i = place.i;
        int32_t* block = first + (n - from) * 64;
        transformAndStore(*idct[i], block, plane[i], layout_.v[i] * mr + place.v, layout_.h[i] * mc + place.h, up[i]);
        if (++p == places_.size()) {
            p = 0;
            ++mc;
        }
    }
}

void McuRows::finishRow(int32_t mr, int32_t* blocks, const DcOffset& dc) const
{
    finishBlocks(mr, blocks, 0, blocksPerRow_, dc);
    convertRow(mr);
}

void McuRows::convertRow(int32_t mr) const
{
    if (colour_ == RowColour::ycbcr)
        return;
    const int32_t rowsPerMcu = 8 * layout_.v[0];
    const int32_t first = mr * rowsPerMcu;
    convertPictureRowsFrom(layout_.colour, nullptr, first, std::min(rowsPerMcu, picture.height[0] - first));
}
