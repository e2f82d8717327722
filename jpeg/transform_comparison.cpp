#include "jpeg/transform_comparison.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <memory>
#include <new>

#include "idct/exact_idct.h"
#include "jpeg/decode_workspace.h"
#include "jpeg/driver.h"
#include "jpeg/file/container.h"
#include "jpeg/frame/frame_decoder.h"
#include "jpeg/output/block_store.h"

double SampleError::psnr() const
{
    if (squaredSum == 0)
        return std::numeric_limits<double>::infinity();
    const double meanSquare = double(squaredSum) / double(samples);
    return 10 * std::log10(255.0 * 255.0 / meanSquare);
}

double SampleError::mean() const { return samples == 0 ? 0 : double(signedSum) / double(samples); }

namespace {

int32_t shownDifference(int32_t familySample, int32_t exactSample)
{
    const int32_t d = familySample > exactSample ? familySample - exactSample : exactSample - familySample;
    return std::min(d * differenceGain, 255);
}

// The two transforms of one quantisation table, built when a block first
// names it: every table is final once the frame's blocks are visited.
struct TransformPair {
    std::unique_ptr<tidct> family;
    std::unique_ptr<ExactIdct> exact;
};

class Comparison {
public:
    Comparison(int32_t family, pctr* difference, DecodeWorkspace& workspace)
        : family_(family), difference_(difference), workspace_(workspace)
    {
    }

    void take(const FrameLayout& layout, const tjpgel& image, const FrameBlock& block)
    {
        const TransformPair& pair = transformsFor(block.quantTable, image);
        alignas(64) int32_t familySamples[64], exactSamples[64];
        std::copy_n(block.terms, 64, familySamples);
        std::copy_n(block.terms, 64, exactSamples);
        pair.family->transform(familySamples);
        pair.exact->transformAs(exactSamples, BlockShape::full);
        const FrameComponent& c = layout.component[block.component];
        const int32_t columns = std::min(8, c.samplesWide - 8 * block.column);
        const int32_t rows = std::min(8, c.samplesHigh - 8 * block.row);
        for (int32_t y = 0; y < rows; ++y)
            for (int32_t x = 0; x < columns; ++x)
                error_.add(familySamples[8 * y + x], exactSamples[8 * y + x]);
        if (difference_)
            storeDifference(layout, block, familySamples, exactSamples);
    }

    // Makes every plane of the difference picture the largest over the
    // components' planes.
    void finish(int32_t components)
    {
        if (!difference_)
            return;
        uint8_t* planes[4] = {difference_->plane[0].get(), difference_->plane[1].get(), difference_->plane[2].get(),
                              fourth_};
        for (int32_t p = 0; p < difference_->size[0]; ++p) {
            uint8_t largest = planes[0][p];
            for (int32_t n = 1; n < components; ++n)
                largest = std::max(largest, planes[n][p]);
            planes[0][p] = planes[1][p] = planes[2][p] = largest;
        }
        difference_->colourState = 0;
    }

    const SampleError& error() const { return error_; }

private:
    const TransformPair& transformsFor(int32_t quantTable, const tjpgel& image)
    {
        TransformPair& pair = pairs_[quantTable];
        if (!pair.family) {
            const std::array<int32_t, 64> table = transformTable(image.quant[quantTable].get());
            pair.family = builtFamily(family_, table);
            pair.exact = builtFor<ExactIdct>(table);
        }
        return pair;
    }

    // The component's differences go to a plane of its own, spread over
    // the picture as the decoder spreads its samples; finish folds them.
    void storeDifference(const FrameLayout& layout, const FrameBlock& block, int32_t* familySamples,
                         const int32_t* exactSamples)
    {
        for (int p = 0; p < 64; ++p)
            familySamples[p] = shownDifference(familySamples[p], exactSamples[p]);
        const FrameComponent& c = layout.component[block.component];
        const Upsampling up{c.h, layout.hMax, c.v, layout.vMax};
        storeScaledBlock(familySamples, planeOf(block.component), block.row, block.column, up);
    }

    SamplePlane planeOf(int32_t n)
    {
        if (n == 3 && !fourth_)
            fourth_ = workspace_.fourthPlane(size_t(difference_->size[0]));
        return {n < 3 ? difference_->plane[n].get() : fourth_, difference_->width[0], difference_->height[0]};
    }

    int32_t family_;
    pctr* difference_;
    DecodeWorkspace& workspace_;
    uint8_t* fourth_ = nullptr;
    TransformPair pairs_[4];
    SampleError error_;
};

std::optional<SampleError> compareDecodable(tjpg& file, int32_t index, int32_t family, pctr* difference)
{
    const tjpgel& record = file.images[index];
    if (difference && !difference->allocate(record.width, record.height))
        return std::nullopt;
    DecodeWorkspace workspace;
    Comparison comparison(family, difference, workspace);
    const bool visited = visitFrameBlocks(file, index, workspace,
                                          [&](const FrameLayout& layout, const tjpgel& image, const FrameBlock& block) {
                                              comparison.take(layout, image, block);
                                          });
    if (!visited)
        return std::nullopt;
    comparison.finish(FrameLayout::of(record).count);
    return comparison.error();
}

}  // namespace

std::optional<SampleError> compareWithExact(tjpg& file, int32_t index, int32_t family, pctr* difference)
{
    std::optional<SampleError> error;
    if (family >= 0 && family <= 2 && index >= 0 && index < file.count && frameDecodable(file.images[index])) {
        try {
            error = compareDecodable(file, index, family, difference);
        } catch (const std::bad_alloc&) {
            error.reset();
        }
    }
    if (!error && difference)
        difference->clear();
    return error;
}
