#include <cstdio>

#include "harness/harness.h"

// The decoder and the loaders print load times; the fuzzer's own report
// goes to standard error.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    std::freopen("/dev/null", "w", stdout);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    runInputMessages(data, size);
    return 0;
}
