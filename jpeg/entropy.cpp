#include "jpeg/entropy.h"

#include <bit>

#include "idct/tidct.h"
#include "jpeg/container.h"
#include "jpeg/zigzag.h"

tdec::~tdec()
{
    block.reset();
    image.clear();
}

void tdec::startScan(const uint8_t* scan, int32_t length)
{
    scanData = scan;
    readPos = length - 4;
    bitPos = 0;
}

void tdec::alignToByte()
{
    if (bitPos != 0) {
        --readPos;
        bitPos = 0;
    }
}

// The scan is stored last byte first, so the little-endian word at readPos
// has the next stream byte as its most significant byte. Below the start of
// the buffer lie zeros: data that runs out reads as 0-bits.
uint32_t tdec::window() const
{
    if (readPos < -tjpg::scanPadding)
        return 0;
    const uint8_t* p = scanData + readPos;
    const uint32_t word = p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t{p[3]} << 24);
    return word << bitPos;
}

void tdec::consume(int32_t bits)
{
    bitPos += bits;
    readPos -= bitPos >> 3;
    bitPos &= 7;
    // Past the end everything reads as zero; holding the position there
    // keeps it from running down without bound on garbage data.
    if (readPos < -tjpg::scanPadding)
        readPos = -tjpg::scanPadding;
}

// No valid code consists only of 1-bits, so the leading ones are skipped in
// one step and only the lengths after them are tried.
int tdec::decodeSymbol(int32_t& k)
{
    const uint32_t bits = window();
    int32_t length = std::countl_one(bits);
    if (length >= 16)
        return -1;
    int32_t code = (1 << length) - 1;
    const HuffmanCodeRange* ranges = image.huffCode[table];
    int32_t d = 0;
    for (;;) {
        code = 2 * code + static_cast<int32_t>((bits >> (31 - length)) & 1);
        if (++length > 16)
            return -1;
        d = code - ranges[length - 1].first;
        if (d >= 0 && d < ranges[length - 1].count)
            break;
    }
    const RunSize symbol = image.huffRunSize[table][image.huffFirstIndex[table][length - 1] + d];
    consume(length);
    if (symbol.run == 0 && symbol.size == 0)
        return 1;

    int32_t value = 0;
    if (symbol.size > 0) {
        const auto raw = static_cast<int32_t>(window() >> (32 - symbol.size));
        value = (raw >> (symbol.size - 1)) ? raw : raw - ((1 << symbol.size) - 1);  // T.81 F.2.2.1 EXTEND
        consume(symbol.size);
    }

    if (symbol.size == 0) {
        if (symbol.run == 15) {
            for (int32_t n = k; n < k + 16 && n < 64; ++n)
                coef[n] = 0;
            k += 16;
        }
        return 0;
    }
    for (int32_t n = k; n < k + symbol.run && n < 64; ++n)
        coef[n] = 0;
    k += symbol.run;
    if (k < 64)
        coef[k] = value;
    ++k;
    return 0;
}

int tdec::decodeBlock(int i)
{
    table = image.component[i].dcTable;
    int32_t k = 0;
    if (decodeSymbol(k) == -1)
        return 1;
    if (k == 0) {
        coef[0] = 0;
        k = 1;
    }
    table = 4 + image.component[i].acTable;
    while (k < 64) {
        const int result = decodeSymbol(k);
        if (result == -1)
            return 1;
        if (result == 1) {
            for (; k < 64; ++k)
                coef[k] = 0;
        }
    }
    return 0;
}

// Garbage data can drive the DC sums past 32 bits; they wrap as two's
// complement instead of overflowing.
static int32_t wrapAdd(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) + uint32_t(b)); }
static int32_t wrapMul(int32_t a, int32_t b) { return static_cast<int32_t>(uint32_t(a) * uint32_t(b)); }

int tdec::transformBlock(int i)
{
    if (decodeBlock(i) != 0)
        return 1;
    const int32_t quantTable = image.component[i].quantTable;
    coef[0] = wrapMul(coef[0], image.quant[quantTable][0]);
    int32_t* out = block.get();
    for (int n = 0; n < 64; ++n)
        out[n] = coef[zigzag[n]];
    dcPred[i] = wrapAdd(dcPred[i], out[0]);
    out[0] = wrapAdd(dcPred[i], 1024);
    idctActive[quantTable]->transform(out);
    return 0;
}
