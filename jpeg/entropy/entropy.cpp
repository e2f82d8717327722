#include "jpeg/entropy/entropy.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "idct/idct_slots.h"
#include "idct/tidct.h"
#include "jpeg/entropy/block_reader.h"
#include "jpeg/file/container.h"

using block_reader::naturalOrder;
using block_reader::readFirstPass;
using block_reader::readTerm;
using block_reader::sequentialBand;
using block_reader::Term;

namespace {

// The row decoder's block: natural order, 32 bits, cleared before; AC terms
// stay quantised, as the inverse DCT takes them.
struct NaturalBlock {
    int32_t* out;

    [[gnu::always_inline]] void store(int32_t k, int32_t value) const { out[naturalOrder[k]] = value; }
    [[gnu::always_inline]] void dc(int32_t difference) const { out[0] = difference; }
};

// The same, with the DC term dequantised, predicted and level-shifted:
// ready for the inverse DCT.
struct PreparedBlock : NaturalBlock {
    int32_t& predictor;
    int32_t dcQuant;

    [[gnu::always_inline]] void dc(int32_t difference) const
    {
        predictor = wrapAdd(predictor, wrapMul(difference, dcQuant));
        out[0] = wrapAdd(predictor, tdec::levelShift);
    }
};

}  // namespace

tdec::~tdec()
{
    block.reset();
    image.clear();
}

void tdec::startScan(const uint8_t* scan, int32_t length, int32_t firstByte)
{
    scanData = scan;
    scanLength_ = length;
    moveTo({firstByte, 0});
}

void tdec::moveTo(ScanPosition position)
{
    current_ = scanLength_ - 1 - position.byte;
    bitPos_ = position.bit;
}

void tdec::copyTables(const tdec& other)
{
    image.assign(other.image);
    prefixes = other.prefixes;
}

void tdec::alignToByte()
{
    if (bitPos_ != 0) {
        current_ = std::max(current_ - 1, lowestCurrent);
        bitPos_ = 0;
    }
}

void tdec::restart()
{
    alignToByte();
    resetPredictions();
}

void tdec::resetPredictions()
{
    std::fill(std::begin(dcPred), std::end(dcPred), 0);
    endOfBandRun = 0;
}

int tdec::decodeSymbol(int32_t& k)
{
    BitReader reader(*this);
    NaturalBlock into{block.get()};
    switch (readTerm(reader, *this, table, sequentialBand, k, into, endOfBandRun)) {
    case Term::read: return 0;
    case Term::endOfBand: return 1;
    case Term::noCode: break;
    }
    return -1;
}

// Every position the symbols do not set stays zero: runs, end of block and
// positions never reached alike.
int tdec::decodeBlock(int i)
{
    std::memset(block.get(), 0, 64 * sizeof(int32_t));
    BitReader reader(*this);
    return readFirstPass(reader, *this, image.component[i], sequentialBand, NaturalBlock{block.get()}) ? 0 : 1;
}

int tdec::prepareMcu(const int* component, int count, int32_t* out)
{
    // Cleared here, just before the symbols land: the blocks then sit in
    // this core's cache when they are written.
    std::memset(out, 0, size_t(count) * 64 * sizeof(int32_t));
    BitReader reader(*this);
    for (int n = 0; n < count; ++n) {
        const int i = component[n];
        const PreparedBlock into{{out + 64 * n}, dcPred[i], image.quant[image.component[i].quantTable][0]};
        if (!readFirstPass(reader, *this, image.component[i], sequentialBand, into))
            return n;
    }
    return count;
}

int tdec::transformBlock(int i)
{
    if (prepareMcu(&i, 1, block.get()) != 1)
        return 1;
    idctActive[image.component[i].quantTable]->transform(block.get());
    return 0;
}
