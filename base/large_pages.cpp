#include "base/large_pages.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif

void adviseLargePages([[maybe_unused]] void* data, [[maybe_unused]] size_t bytes)
{
#if defined(__linux__) && defined(MADV_HUGEPAGE)
    constexpr uintptr_t largePage = uintptr_t{1} << 21;
    const auto start = reinterpret_cast<uintptr_t>(data);
    const uintptr_t first = (start + largePage - 1) & ~(largePage - 1);
    const uintptr_t last = (start + bytes) & ~(largePage - 1);
    if (first < last)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
#endif
}
