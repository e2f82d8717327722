#include "jpeg/entropy.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "idct/tidct.h"
#include "jpeg/bit_reader.h"
#include "jpeg/container.h"
#include "jpeg/zigzag.h"

namespace {

// naturalOrder[k]: the natural position of zig-zag position k.
constexpr auto naturalOrder = [] {
    std::array<uint8_t, 64> table{};
    for (int n = 0; n < 64; ++n)
        table[zigzag[n]] = static_cast<uint8_t>(n);
    return table;
}();

// Garbage data can drive the DC sums past 32 bits; they wrap as two's
// complement instead of overflowing.
int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
int32_t wrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) * uint32_t(b)); }

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

// The table comes as an argument rather than from the member, which every
// coefficient store might alias as far as the compiler knows.
[[gnu::always_inline]] inline int tdec::decodeNextSymbol(BitReader& reader, int t, int32_t& k, int32_t* out)
{
    const uint16_t entry = prefixes.lookahead[t][reader.held() >> (64 - lookaheadBits)];
    reader.refill();
    const uint64_t bits = reader.held();
    LookaheadEntry code = LookaheadEntry::unpack(entry);
    if (entry == LookaheadEntry::none) {
        code = findCode(image, t, static_cast<uint32_t>(bits >> 32), lookaheadBits + 1);
        if (code.length == 0)
            return -1;
    }
    const auto [length, symbol] = code;
    if (symbol.size == 0) {
        reader.skip(length);
        if (symbol.run == 0)
            return 1;  // end of block
        if (symbol.run == 15)
            k += 16;  // ZRL: sixteen zeros, already in the cleared block
        return 0;
    }
    const auto raw = static_cast<uint32_t>((bits << length) >> (64 - symbol.size));
    reader.skip(length + symbol.size);
    k += symbol.run;
    if (k < 64)
        out[naturalOrder[k]] = extend(raw, symbol.size);
    ++k;
    return 0;
}

// Decodes the next symbol if it has a fast entry; false, with nothing
// consumed, if not. The caller picks the table's row once per block: found
// here from the table's number, it was worked out again for every symbol,
// in registers the loop needs, and decodes took a tenth longer.
[[gnu::always_inline]] inline bool tdec::decodeFastSymbol(BitReader& reader, const int32_t* table, int32_t& k,
                                                          int32_t* out)
{
    const int32_t entry = table[reader.held() >> (64 - lookaheadBits)];
    reader.refill();
    if (entry == FastSymbol::none)
        return false;
    const FastSymbol symbol = FastSymbol::unpack(entry);
    reader.skip(symbol.taken);
    k += symbol.run;
    if (k < 64) [[likely]]
        out[naturalOrder[k]] = symbol.value;
    ++k;
    return true;
}

// out must hold zeros.
[[gnu::always_inline]] inline int tdec::decodeBlockInto(BitReader& reader, int i, int32_t* out)
{
    int32_t k = 0;
    const int dcTable = image.component[i].dcTable;
    if (!decodeFastSymbol(reader, prefixes.fast[dcTable], k, out) && decodeNextSymbol(reader, dcTable, k, out) == -1)
        return 1;
    if (k == 0)
        k = 1;  // a DC difference of 0 comes as end of block
    const int acTable = 4 + image.component[i].acTable;
    const int32_t* const fastAc = prefixes.fast[acTable];
    // Every symbol a valid encoder writes moves k on, so 63 of them fill a
    // block. The ones T.81 leaves unused (run 1..14 with size 0) do not, and
    // decoded from the zeros past the end of the data they would repeat
    // forever: a block that needs more symbols fails.
    for (int32_t symbols = 0; k < 64; ++symbols) {
        if (symbols == 63)
            return 1;
        if (decodeFastSymbol(reader, fastAc, k, out))
            continue;
        const int result = decodeNextSymbol(reader, acTable, k, out);
        if (result == -1)
            return 1;
        if (result == 1)
            break;
    }
    return 0;
}

[[gnu::always_inline]] inline int tdec::prepareBlockInto(BitReader& reader, int i, int32_t* out)
{
    if (decodeBlockInto(reader, i, out) != 0)
        return 1;
    const int32_t quantTable = image.component[i].quantTable;
    dcPred[i] = wrapAdd(dcPred[i], wrapMul(out[0], image.quant[quantTable][0]));
    out[0] = wrapAdd(dcPred[i], levelShift);
    return 0;
}

int tdec::decodeSymbol(int32_t& k)
{
    BitReader reader(*this);
    return decodeNextSymbol(reader, table, k, block.get());
}

// Every position the symbols do not set stays zero: runs, end of block and
// positions never reached alike.
int tdec::decodeBlock(int i)
{
    std::memset(block.get(), 0, 64 * sizeof(int32_t));
    BitReader reader(*this);
    return decodeBlockInto(reader, i, block.get());
}

int tdec::prepareMcu(const int* component, int count, int32_t* out)
{
    // Cleared here, just before the symbols land: the blocks then sit in
    // this core's cache when they are written.
    std::memset(out, 0, size_t(count) * 64 * sizeof(int32_t));
    BitReader reader(*this);
    for (int n = 0; n < count; ++n)
        if (prepareBlockInto(reader, component[n], out + 64 * n) != 0)
            return n;
    return count;
}

int tdec::transformBlock(int i)
{
    if (prepareMcu(&i, 1, block.get()) != 1)
        return 1;
    idctActive[image.component[i].quantTable]->transform(block.get());
    return 0;
}
