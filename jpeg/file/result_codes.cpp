#include "jpeg/file/result_codes.h"

const char* describeResultCode(int32_t code)
{
    switch (code) {
    case fileNotReadable: return "the file cannot be opened or read";
    case frameHeaderTooShort: return "the frame header (SOF0) is cut off by the end of the file";
    case frameHeaderUnsupported:
        return "the frame header (SOF0) has a precision other than 8 bits, more than 4 components, "
               "or a component with an unusable sampling factor or quantisation table";
    case frameComponentTruncated: return "a component of the frame header (SOF0) runs past the end of the file";
    case frameComponentIdInvalid: return "a component identifier of the frame header (SOF0) is outside 1..4";
    case scanHeaderTooShort: return "the scan header (SOS) is cut off by the end of the file";
    case scanTooManyComponents: return "the scan header (SOS) names more than 4 components";
    case scanSelectorTruncated: return "a component selector of the scan header (SOS) runs past the end of the file";
    case scanSelectorInvalid:
        return "a component selector of the scan header (SOS) is outside 1..4 or names a Huffman table above 3";
    case scanSpectralTruncated: return "the spectral selection of the scan header (SOS) runs past the end of the file";
    case quantHeaderTooShort: return "the quantisation table segment (DQT) is cut off by the end of the file";
    case quantTableUnsupported: return "a quantisation table (DQT) is 16-bit or has an identifier above 3";
    case quantValuesTruncated: return "quantisation table values (DQT) run past the end of the file";
    case huffmanHeaderTooShort: return "the Huffman table segment (DHT) is cut off by the end of the file";
    case huffmanTableIdInvalid: return "a Huffman table (DHT) has a class above 1 or an identifier above 3";
    case huffmanCountsTruncated: return "Huffman code-length counts (DHT) run past the end of the file";
    case huffmanValuesTruncated: return "Huffman symbol values (DHT) run past the end of the file";
    case scanWithoutEndOfImage: return "unexpected end of file before the end-of-image marker";
    case restartIntervalTooShort: return "the restart interval segment (DRI) is cut off by the end of the file";
    case conditioningHeaderTooShort:
        return "the arithmetic conditioning segment (DAC) is cut off by the end of the file";
    case conditioningInvalid:
        return "an arithmetic conditioning table (DAC) has a class above 1, an identifier above 3, "
               "a DC lower bound above its upper bound, or an AC limit outside 1..63";
    case conditioningValueTruncated: return "an arithmetic conditioning value (DAC) runs past the end of the file";
    default: return "unknown error";
    }
}
