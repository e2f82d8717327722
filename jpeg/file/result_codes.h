#pragma once

#include <cstdint>

// Integer result codes of the file container and the segment readers.
// Readers raise them; parseFile catches them and keeps the code in `error`.
enum ResultCode : int32_t {
    resultOk = 0,
    fileNotReadable = 101,
    frameHeaderTooShort = 201,
    frameHeaderUnsupported = 202,
    frameComponentTruncated = 203,
    frameComponentIdInvalid = 204,
    scanHeaderTooShort = 301,
    scanTooManyComponents = 302,
    scanSelectorTruncated = 303,
    scanSelectorInvalid = 304,
    scanSpectralTruncated = 305,
    quantHeaderTooShort = 401,
    quantTableUnsupported = 402,
    quantValuesTruncated = 403,
    huffmanHeaderTooShort = 501,
    huffmanTableIdInvalid = 502,
    huffmanCountsTruncated = 503,
    huffmanValuesTruncated = 504,
    scanWithoutEndOfImage = 601,
    restartIntervalTooShort = 750,
    conditioningHeaderTooShort = 801,
    conditioningInvalid = 802,
    conditioningValueTruncated = 803,
};

// What the readers throw; never escapes parseFile or decodeImage.
struct JpegError {
    int32_t code;
};

[[noreturn]] inline void raiseCode(int32_t code) { throw JpegError{code}; }

// A sentence a user understands, for the tools' error messages.
const char* describeResultCode(int32_t code);
