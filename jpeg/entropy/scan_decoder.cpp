#include "jpeg/entropy/scan_decoder.h"

#include "jpeg/entropy/arithmetic_scans.h"
#include "jpeg/entropy/scan_coefficients.h"
#include "jpeg/file/markers.h"

std::unique_ptr<ScanDecoder> scanDecoderFor(int32_t frameMarker, tdec& reader)
{
    return isArithmeticFrameMarker(uint8_t(frameMarker)) ? arithmeticScanDecoder(reader) : huffmanScanDecoder(reader);
}
