#include "jpeg/entropy/huffman.h"

#include <algorithm>
#include <bit>

// Canonical code assignment of T.81 Annex C: the first code of each length
// follows from the number of codes of the shorter lengths. A table whose
// counts were all zero is rebuilt too, so no code range outlives the values
// it indexed.
void buildHuffmanCodes(tjpgel& record)
{
    for (int t = 0; t < 8; ++t) {
        if (!record.huffValues[t])
            continue;
        int32_t code = 0;
        int32_t last = 1;
        for (int length = 1; length <= 16; ++length) {
            const int32_t n = record.huffBits[t][length - 1];
            if (n == 0) {
                record.huffCode[t][length - 1] = HuffmanCodeRange{};
                continue;
            }
            code <<= length - last;
            record.huffCode[t][length - 1] = HuffmanCodeRange{code, n};
            code += n;
            last = length;
        }
    }
}

void splitRunSize(tjpgel& record)
{
    for (int t = 0; t < 8; ++t) {
        if (!record.huffValues[t])
            continue;
        const int count = record.huffCount[t];
        auto pairs = std::make_unique<RunSize[]>(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            const int16_t value = record.huffValues[t][i];
            pairs[i] = RunSize{static_cast<int16_t>(value >> 4), static_cast<int16_t>(value & 0x0F)};
        }
        record.huffRunSize[t] = std::move(pairs);
    }
}

namespace {

// Every prefix is decoded the long way once; prefixes whose code ends
// within lookaheadBits bits get an entry, so both ways agree on every input.
void buildLookahead(const tjpgel& image, int t, uint16_t* table)
{
    for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix) {
        const uint32_t bits = prefix << (32 - lookaheadBits);
        const LookaheadEntry code =
            std::countl_one(bits) < lookaheadBits ? findCode(image, t, bits, 1) : LookaheadEntry{};
        table[prefix] = code.length > 0 && code.length <= lookaheadBits ? code.pack() : LookaheadEntry::none;
    }
}

// Derived from the lookahead entries, so a coefficient decodes to the same
// value, run and length either way. In AC tables, end of block and ZRL get
// entries too, with no test of their own: end of block runs k past the
// block, ZRL stores a zero sixteen places on, where the block holds zero.
// The other symbols without value bits take the lookahead way, as do all
// of them in DC tables, where they mean a difference of 0.
int32_t fastSymbolOf(uint32_t prefix, uint16_t lookahead, bool acTable)
{
    if (lookahead == LookaheadEntry::none)
        return FastSymbol::none;
    const LookaheadEntry code = LookaheadEntry::unpack(lookahead);
    const int32_t run = code.symbol.run;
    const int32_t size = code.symbol.size;
    if (size == 0 && acTable && (run == 0 || run == 15))
        return FastSymbol{code.length, run == 0 ? FastSymbol::endOfBlockRun : run, 0}.pack();
    if (size == 0 || code.length + size > lookaheadBits)
        return FastSymbol::none;
    const uint32_t raw = (prefix >> (lookaheadBits - code.length - size)) & ((1u << size) - 1);
    return FastSymbol{code.length + size, run, extend(raw, size)}.pack();
}

}  // namespace

void PrefixTables::build(const tjpgel& image)
{
    for (int t = 0; t < 8; ++t) {
        buildLookahead(image, t, lookahead[t]);
        for (uint32_t prefix = 0; prefix < (1u << lookaheadBits); ++prefix)
            fast[t][prefix] = fastSymbolOf(prefix, lookahead[t][prefix], t >= 4);
    }
}
