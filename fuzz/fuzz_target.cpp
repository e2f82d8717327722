#include <cstdio>

#include "harness/harness.h"

// One program per harness: the build names the harness in FUZZ_HARNESS.

// The decoder and the loaders print load times; the fuzzer's own report
// goes to standard error.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    FUZZ_HARNESS(data, size);
    return 0;
}
