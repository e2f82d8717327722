#include "jpeg/scan_decoder.h"

#include "jpeg/scan_coefficients.h"

std::unique_ptr<ScanDecoder> scanDecoderFor(int32_t, tdec& reader) { return huffmanScanDecoder(reader); }
