#include "jpeg/entropy/arithmetic_decoder.h"

#include <algorithm>
#include <array>

namespace {

// T.81 Table D.2: Qe, the estimate of the less probable symbol's
// probability, the estimates that follow each symbol, and whether the
// less probable one makes the symbols change places.
struct Estimate {
    uint16_t qe;
    uint8_t nextLps;
    uint8_t nextMps;
    bool exchange;
};

// The entry after the table's 113 is the fixed even estimate, which leads
// only to itself.
constexpr uint8_t evenEstimate = 113;

constexpr std::array<Estimate, 114> estimates{{
    {0x5A1D, 1, 1, true},      {0x2586, 14, 2, false},    {0x1114, 16, 3, false},
    {0x080B, 18, 4, false},    {0x03D8, 20, 5, false},    {0x01DA, 23, 6, false},
    {0x00E5, 25, 7, false},    {0x006F, 28, 8, false},    {0x0036, 30, 9, false},
    {0x001A, 33, 10, false},   {0x000D, 35, 11, false},   {0x0006, 9, 12, false},
    {0x0003, 10, 13, false},   {0x0001, 12, 13, false},   {0x5A7F, 15, 15, true},
    {0x3F25, 36, 16, false},   {0x2CF2, 38, 17, false},   {0x207C, 39, 18, false},
    {0x17B9, 40, 19, false},   {0x1182, 42, 20, false},   {0x0CEF, 43, 21, false},
    {0x09A1, 45, 22, false},   {0x072F, 46, 23, false},   {0x055C, 48, 24, false},
    {0x0406, 49, 25, false},   {0x0303, 51, 26, false},   {0x0240, 52, 27, false},
    {0x01B1, 54, 28, false},   {0x0144, 56, 29, false},   {0x00F5, 57, 30, false},
    {0x00B7, 59, 31, false},   {0x008A, 60, 32, false},   {0x0068, 62, 33, false},
    {0x004E, 63, 34, false},   {0x003B, 32, 35, false},   {0x002C, 33, 9, false},
    {0x5AE1, 37, 37, true},    {0x484C, 64, 38, false},   {0x3A0D, 65, 39, false},
    {0x2EF1, 67, 40, false},   {0x261F, 68, 41, false},   {0x1F33, 69, 42, false},
    {0x19A8, 70, 43, false},   {0x1518, 72, 44, false},   {0x1177, 73, 45, false},
    {0x0E74, 74, 46, false},   {0x0BFB, 75, 47, false},   {0x09F8, 77, 48, false},
    {0x0861, 78, 49, false},   {0x0706, 79, 50, false},   {0x05CD, 48, 51, false},
    {0x04DE, 50, 52, false},   {0x040F, 50, 53, false},   {0x0363, 51, 54, false},
    {0x02D4, 52, 55, false},   {0x025C, 53, 56, false},   {0x01F8, 54, 57, false},
    {0x01A4, 55, 58, false},   {0x0160, 56, 59, false},   {0x0125, 57, 60, false},
    {0x00F6, 58, 61, false},   {0x00CB, 59, 62, false},   {0x00AB, 61, 63, false},
    {0x008F, 61, 32, false},   {0x5B12, 65, 65, true},    {0x4D04, 80, 66, false},
    {0x412C, 81, 67, false},   {0x37D8, 82, 68, false},   {0x2FE8, 83, 69, false},
    {0x293C, 84, 70, false},   {0x2379, 86, 71, false},   {0x1EDF, 87, 72, false},
    {0x1AA9, 87, 73, false},   {0x174E, 72, 74, false},   {0x1424, 72, 75, false},
    {0x119C, 74, 76, false},   {0x0F6B, 74, 77, false},   {0x0D51, 75, 78, false},
    {0x0BB6, 77, 79, false},   {0x0A40, 77, 48, false},   {0x5832, 80, 81, true},
    {0x4D1C, 88, 82, false},   {0x438E, 89, 83, false},   {0x3BDD, 90, 84, false},
    {0x34EE, 91, 85, false},   {0x2EAE, 92, 86, false},   {0x299A, 93, 87, false},
    {0x2516, 86, 71, false},   {0x5570, 88, 89, true},    {0x4CA9, 95, 90, false},
    {0x44D9, 96, 91, false},   {0x3E22, 97, 92, false},   {0x3824, 99, 93, false},
    {0x32B4, 99, 94, false},   {0x2E17, 93, 86, false},   {0x56A8, 95, 96, true},
    {0x4F46, 101, 97, false},  {0x47E5, 102, 98, false},  {0x41CF, 103, 99, false},
    {0x3C3D, 104, 100, false}, {0x375E, 99, 93, false},   {0x5231, 105, 102, false},
    {0x4C0F, 106, 103, false}, {0x4639, 107, 104, false}, {0x415E, 103, 99, false},
    {0x5627, 105, 106, true},  {0x50E7, 108, 107, false}, {0x4B85, 109, 103, false},
    {0x5597, 110, 109, false}, {0x504F, 111, 107, false}, {0x5A10, 110, 111, true},
    {0x5522, 112, 109, false}, {0x59EB, 112, 111, true},  {0x5A1D, evenEstimate, evenEstimate, false},
}};

constexpr uint8_t mpsBit = 0x80;

}  // namespace

void ArithmeticDecoder::start(const uint8_t* scan, int32_t scanLength, int32_t first, int32_t end)
{
    firstByte_ = scan + scanLength - 1;
    end_ = std::clamp(end, 0, scanLength);
    next_ = std::clamp(first, 0, end_);
    zerosPastEnd_ = 0;
    // T.81 D.2.7 (Initdec): two bytes into Cx, then CT 0 asks for the
    // next at the first shift; A starts at 0x10000.
    c_ = uint32_t{nextByte()} << 24;
    c_ |= uint32_t{nextByte()} << 16;
    ct_ = 0;
    a_ = 0x10000;
}

uint8_t ArithmeticDecoder::nextByte()
{
    if (next_ < end_)
        return firstByte_[-next_++];
    ++zerosPastEnd_;
    return 0;
}

// T.81 D.2.5 (Renorm_D). A never drops to 0 (Qe is at least 1), so the
// loop ends within 16 shifts.
void ArithmeticDecoder::renormalise()
{
    do {
        if (ct_ == 0) {
            c_ |= uint32_t{nextByte()} << 8;
            ct_ = 8;
        }
        a_ <<= 1;
        c_ <<= 1;
        --ct_;
    } while (a_ < 0x8000);
}

// T.81 D.2.4 (Decode), with the conditional exchanges of D.2.4.2: the
// interval the less probable symbol has is Qe, the rest the more probable
// one's, unless the rest has shrunk below Qe, when they trade places.
int ArithmeticDecoder::decode(uint8_t& statistic)
{
    const Estimate& estimate = estimates[statistic & ~mpsBit];
    const int mps = statistic >> 7;
    a_ -= estimate.qe;
    bool lps;
    if ((c_ >> 16) < a_) {
        if (a_ >= 0x8000)
            return mps;
        lps = a_ < estimate.qe;
    } else {
        c_ -= a_ << 16;
        lps = a_ >= estimate.qe;
        a_ = estimate.qe;
    }
    if (lps)
        statistic = uint8_t(((statistic & mpsBit) ^ (estimate.exchange ? mpsBit : 0)) | estimate.nextLps);
    else
        statistic = uint8_t((statistic & mpsBit) | estimate.nextMps);
    renormalise();
    return lps ? 1 - mps : mps;
}

int ArithmeticDecoder::decodeEven()
{
    uint8_t statistic = evenEstimate;
    return decode(statistic);
}
