#include "jpeg/scan_decoder.h"

#include "jpeg/arithmetic_scans.h"
#include "jpeg/markers.h"
#include "jpeg/scan_coefficients.h"

std::unique_ptr<ScanDecoder> scanDecoderFor(int32_t frameMarker, tdec& reader)
{
    return isArithmeticFrameMarker(uint8_t(frameMarker)) ? arithmeticScanDecoder(reader) : huffmanScanDecoder(reader);
}
