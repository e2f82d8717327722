#include "jpeg/image_record.h"

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
