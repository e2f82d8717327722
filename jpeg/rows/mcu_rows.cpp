#include "jpeg/rows/mcu_rows.h"

#include <algorithm>
#include <memory>

#include "idct/tidct.h"
#include "jpeg/decode_stages.h"
#include "jpeg/entropy/entropy.h"
#include "jpeg/output/block_store.h"
#include "jpeg/output/colour.h"
#include "jpeg/output/picture.h"

namespace {

bool hasHalfWidthChroma(const McuLayout& layout, RowColour colour)
{
    return colour == RowColour::converted && layout.colour == ColourModel::ycbcr && layout.sx[1] == 2 &&
           layout.sx[2] == 2 && layout.sy[1] == layout.sy[2] && layout.sy[1] <= 2;
}

}  // namespace

// One MCU row of Cb and Cr at their own resolution, one per thread.
struct McuRows::ChromaRows {
    std::vector<uint8_t> samples;
    SamplePlane plane[2];

    explicit ChromaRows(const McuLayout& layout)
    {
        const int32_t width = 8 * layout.cols * layout.h[1], height = 8 * layout.v[1];
        samples.resize(2 * size_t(width) * size_t(height));
        for (int k = 0; k < 2; ++k)
            plane[k] = {samples.data() + k * size_t(width) * size_t(height), width, height};
    }
};

McuRows::McuRows(const McuLayout& layout, RowColour colour, pctr& picture, const std::array<tidct*, 3>& transforms)
    : layout_(layout), colour_(colour), picture_(picture), transforms_(transforms),
      blocksPerRow_(int64_t{layout.cols} * layout.blocksPerMcu), halfWidthChroma_(hasHalfWidthChroma(layout, colour))
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
    // Restart intervals count MCUs.
    const int32_t interval = reader.image.restartInterval;
    if (decoded < layout_.blocksPerMcu || interval == 0 || --reader.restartCountdown > 0)
        return decoded;
    reader.restartCountdown = interval;
    reader.restart();
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

// Whatever a thread did since its last lap, it did to have these blocks
// decoded.
void McuRows::finishBlocks(int32_t mr, int32_t* first, int64_t from, int64_t to, const DcOffset& dc) const
{
    lapStage(DecodeStage::entropy);
    finishBlocksInto(mr, first, from, to, dc, nullptr);
    lapStage(DecodeStage::transform);
}

// Into the picture's planes, or with chroma into chroma's rows.
void McuRows::finishBlocksInto(int32_t mr, int32_t* first, int64_t from, int64_t to, const DcOffset& dc,
                               const ChromaRows* chroma) const
{
    if (dc.component[0] != 0 || dc.component[1] != 0 || dc.component[2] != 0)
        addDcOffset(first, from, to, dc);
    SamplePlane plane[3];
    Upsampling up[3];
    int32_t firstBlockRow[3];
    for (int i = 0; i < 3; ++i) {
        const bool own = chroma && i > 0;
        plane[i] = own ? chroma->plane[i - 1] : picturePlane(picture_, i);
        up[i] = own ? Upsampling{} : Upsampling{1, layout_.sx[i], 1, layout_.sy[i]};
        firstBlockRow[i] = own ? 0 : layout_.v[i] * mr;
    }
    // The MCU and the place in it move on by counting: two divisions per
    // block cost more than the store.
    const int placeCount = layout_.blocksPerMcu;
    auto mc = int32_t(from / placeCount);
    auto p = int(from % placeCount);
    for (int64_t n = from; n < to; ++n) {
        const BlockPlace& place = places_[p];
        const int i = place.i;
        int32_t* block = first + (n - from) * 64;
        transformAndStore(*transforms_[i], block, plane[i], firstBlockRow[i] + place.v, layout_.h[i] * mc + place.h,
                          up[i]);
        if (++p == placeCount) {
            p = 0;
            ++mc;
        }
    }
}

void McuRows::finishRow(int32_t mr, int32_t* blocks, const DcOffset& dc) const
{
    if (!halfWidthChroma_) {
        finishBlocks(mr, blocks, 0, blocksPerRow_, dc);
        convertRow(mr);
        return;
    }
    thread_local std::unique_ptr<ChromaRows> chroma;
    if (!chroma || chroma->plane[0].width != 8 * layout_.cols * layout_.h[1] ||
        chroma->plane[0].height != 8 * layout_.v[1])
        chroma = std::make_unique<ChromaRows>(layout_);
    lapStage(DecodeStage::entropy);
    finishBlocksInto(mr, blocks, 0, blocksPerRow_, dc, chroma.get());
    lapStage(DecodeStage::transform);
    convertRowFrom(mr, *chroma);
    lapStage(DecodeStage::colour);
}

void McuRows::convertRowFrom(int32_t mr, const ChromaRows& chroma) const
{
    const int32_t width = picture_.width[0], rowsPerMcu = 8 * layout_.v[0];
    const int32_t first = mr * rowsPerMcu, last = std::min(first + rowsPerMcu, picture_.height[0]);
    for (int32_t y = first; y < last; ++y) {
        const int64_t row = int64_t{y} * width;
        const int64_t chromaRow = int64_t{(y - first) / layout_.sy[1]} * chroma.plane[0].width;
        convertHalfWidthChroma(picture_.plane[0].get() + row, chroma.plane[0].data + chromaRow,
                               chroma.plane[1].data + chromaRow, picture_.plane[1].get() + row,
                               picture_.plane[2].get() + row, width);
    }
}

void McuRows::convertRow(int32_t mr) const
{
    if (colour_ == RowColour::ycbcr)
        return;
    const int32_t rowsPerMcu = 8 * layout_.v[0];
    const int32_t first = mr * rowsPerMcu;
    convertPictureRowsFrom(picture_, layout_.colour, nullptr, first, std::min(rowsPerMcu, picture_.height[0] - first));
    lapStage(DecodeStage::colour);
}
