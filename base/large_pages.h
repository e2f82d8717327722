#pragma once

#include <cstddef>

// Memory the decoder writes page by page, freshly allocated: with 4 KiB
// pages a 12-megapixel picture costs some 9,000 page faults, which made the
// first decode of a size several times slower than the next. Asking for
// 2 MiB pages over the block's aligned interior cuts that to a handful.
// Advice only: where it is not taken, nothing changes.
void adviseLargePages(void* data, size_t bytes);
