#include "jpeg/entropy.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "idct/tidct.h"
#include "jpeg/container.h"
#include "jpeg/zigzag.h"

namespace {

// The lowest readPos ever held: a bit reader starting there still loads
// its first eight bytes from the zero padding below the scan, and
// everything past the end reads as 0.
constexpr int32_t lowestReadPos = 8 - tjpg::scanPadding;
static_assert(lowestReadPos + 3 - 7 >= -tjpg::scanPadding);

// naturalOrder[k]: the natural position of zig-zag position k.
constexpr auto naturalOrder = [] {
    std::array<uint8_t, 64> table{};
    for (int n = 0; n < 64; ++n)
        table[zigzag[n]] = static_cast<uint8_t>(n);
    return table;
}();

constexpr uint16_t packEntry(int32_t length, RunSize symbol)
{
    return static_cast<uint16_t>(length | symbol.size << 4 | symbol.run << 8);
}

// T.81 F.2.2.1 EXTEND: the top half of the range is the value itself, the
// bottom half stands for negative values.
// Computed without a branch: the sign of a coefficient is a coin toss that
// no predictor learns.
int32_t extend(uint32_t raw, int32_t size)
{
    const int32_t negative = static_cast<int32_t>((raw >> (size - 1)) ^ 1);
    return static_cast<int32_t>(raw) - (-negative & ((1 << size) - 1));
}

// Garbage data can drive the DC sums past 32 bits; they wrap as two's
// complement instead of overflowing.
int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
int32_t wrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) * uint32_t(b)); }

} // namespace

tdec::~tdec()
{
    block.reset();
    image.clear();
}

void tdec::startScan(const uint8_t* scan, int32_t length, int32_t firstByte)
{
    scanData = scan;
    readPos = length - 4 - firstByte;
    bitPos = 0;
}

void tdec::copyTables(const tdec& other)
{
    image.assign(other.image);
    std::memcpy(lookahead, other.lookahead, sizeof lookahead);
    std::memcpy(fastSymbol, other.fastSymbol, sizeof fastSymbol);
}

void tdec::alignToByte()
{
    if (bitPos != 0) {
        readPos = std::max(readPos - 1, lowestReadPos);
        bitPos = 0;
    }
}

// No valid code consists only of 1-bits, so no length up to the run of
// leading ones is tried; nor are lengths below shortest, which the caller
// knows to fail. The code of each length is the window's top bits.
bool tdec::decodeLongCode(int t, uint32_t bits, int32_t shortest, int32_t& length, RunSize& symbol) const
{
    const int32_t ones = std::countl_one(bits);
    if (ones >= 16)
        return false;
    const HuffmanCodeRange* ranges = image.huffCode[t];
    for (length = std::max(ones + 1, shortest); length <= 16; ++length) {
        const auto code = static_cast<int32_t>(bits >> (32 - length));
        const int32_t d = code - ranges[length - 1].first;
        if (d >= 0 && d < ranges[length - 1].count) {
            symbol = image.huffRunSize[t][image.huffFirstIndex[t][length - 1] + d];
            return true;
        }
    }
    return false;
}

// Every prefix is decoded the long way once; prefixes whose code ends
// within lookaheadBits bits get an entry, so both ways agree on every input.
void tdec::buildLookahead()
{
    for (int t = 0; t < 8; ++t) {
        for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix) {
            const uint32_t bits = prefix << (32 - lookaheadBits);
            int32_t length = 0;
            RunSize symbol{};
            const bool whollyInPrefix = std::countl_one(bits) < lookaheadBits &&
                                        decodeLongCode(t, bits, 1, length, symbol) && length <= lookaheadBits;
            lookahead[t][prefix] = whollyInPrefix ? packEntry(length, symbol) : 0;
        }
    }
    for (int t = 0; t < 8; ++t)
        buildFastSymbols(t);
}

// Derived from the lookahead entries, so a coefficient decodes to the same
// value, run and length either way. In AC tables, end of block and ZRL get
// entries too, with no test of their own: end of block runs k past the
// block, ZRL stores a zero sixteen places on, where the block holds zero.
// The other symbols without value bits take the lookahead way, as do all
// of them in DC tables, where they mean a difference of 0.
void tdec::buildFastSymbols(int t)
{
    for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix) {
        const uint32_t entry = lookahead[t][prefix];
        const auto length = static_cast<uint32_t>(entry & 15);
        const auto run = static_cast<uint32_t>(entry >> 8);
        const auto size = static_cast<uint32_t>((entry >> 4) & 15);
        int32_t& fast = fastSymbol[t][prefix];
        fast = 0;
        if (entry != 0 && size == 0 && t >= 4 && (run == 0 || run == 15)) {
            fast = static_cast<int32_t>((run == 0 ? 64u : run) << 8 | length);
            continue;
        }
        if (entry == 0 || size == 0 || length + size > lookaheadBits)
            continue;
        const uint32_t raw = (prefix >> (lookaheadBits - length - size)) & ((1u << size) - 1);
        fast = static_cast<int32_t>(static_cast<uint32_t>(extend(raw, int32_t(size))) << 16 | run << 8 |
                                    (length + size));
    }
}

// The next bits of the stream in a register, topped up at every symbol
// without a branch: the eight bytes from the next unread one are ORed in
// below the bits still held (bits loaded twice are the same bits), which
// leaves at least 56, enough for any symbol (16 + 15 bits). A symbol is
// looked up in the bits held before the top-up, at least 25, so the load
// of the next bytes runs beside the look-up instead of ahead of it; that
// took a tenth off the whole decode. The decoder's readPos and bitPos
// catch up at the end.
// Only ever a local: kept out of memory, its fields stay in registers while
// coefficients are stored.
class tdec::BitReader {
public:
    explicit BitReader(tdec& decoder) : decoder_(decoder), next_(decoder.readPos + 3)
    {
        refill();
        skip(decoder.bitPos);
    }
    ~BitReader()
    {
        // The next bit lies in the byte available_ bits above next_.
        const int32_t current = next_ + (available_ + 7) / 8;
        decoder_.readPos = std::max(current - 3, lowestReadPos);
        decoder_.bitPos = -available_ & 7;
    }
    BitReader(const BitReader&) = delete;
    BitReader& operator=(const BitReader&) = delete;

    uint64_t held() const { return bits_; }
    // The stream runs to lower addresses, so the little-endian word whose
    // top byte is next_ holds the next eight bytes in order. Past the end
    // next_ stops inside the zero padding below the scan.
    void refill()
    {
        uint64_t word;
        std::memcpy(&word, decoder_.scanData + next_ - 7, sizeof word);
        if constexpr (std::endian::native == std::endian::big)
            word = __builtin_bswap64(word);
        bits_ |= word >> available_;
        next_ = std::max(next_ - ((63 - available_) >> 3), lowestNext);
        available_ |= 56;
    }
    void skip(int32_t count)
    {
        bits_ <<= count;
        available_ -= count;
    }

private:
    static constexpr int32_t lowestNext = 7 - tjpg::scanPadding;

    tdec& decoder_;
    uint64_t bits_ = 0;
    int32_t available_ = 0;  // valid bits at the top of bits_, 0..63
    int32_t next_;           // the first byte not yet counted in available_
};

// The table comes as an argument rather than from the member, which every
// coefficient store might alias as far as the compiler knows.
[[gnu::always_inline]] inline int tdec::decodeNextSymbol(BitReader& reader, int t, int32_t& k, int32_t* out)
{
    const uint32_t entry = lookahead[t][reader.held() >> (64 - lookaheadBits)];
    reader.refill();
    const uint64_t bits = reader.held();
    int32_t length = static_cast<int32_t>(entry & 15);
    RunSize symbol{static_cast<int16_t>(entry >> 8), static_cast<int16_t>((entry >> 4) & 15)};
    if (entry == 0 && !decodeLongCode(t, static_cast<uint32_t>(bits >> 32), lookaheadBits + 1, length, symbol))
        return -1;
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
    if (entry == 0)
        return false;
    reader.skip(entry & 31);
    k += (entry >> 8) & 127;
    if (k < 64) [[likely]]
        out[naturalOrder[k]] = entry >> 16;
    ++k;
    return true;
}

// out must hold zeros.
[[gnu::always_inline]] inline int tdec::decodeBlockInto(BitReader& reader, int i, int32_t* out)
{
    int32_t k = 0;
    const int dcTable = image.component[i].dcTable;
    if (!decodeFastSymbol(reader, fastSymbol[dcTable], k, out) && decodeNextSymbol(reader, dcTable, k, out) == -1)
        return 1;
    if (k == 0)
        k = 1;  // a DC difference of 0 comes as end of block
    const int acTable = 4 + image.component[i].acTable;
    const int32_t* const fastAc = fastSymbol[acTable];
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
