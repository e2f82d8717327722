#ifdef _WIN32

#include <windows.h>

#include "base/wait_word.h"

namespace system_wait {

// WaitOnAddress takes the compared value by a non-const pointer but only
// reads it, and reads the word only to compare it.
void sleepWhileHolds(const void* word, const void* seen, size_t size)
{
    WaitOnAddress(const_cast<void*>(word), const_cast<void*>(seen), size, INFINITE);
}

void wakeAllAt(void* word) { WakeByAddressAll(word); }

}  // namespace system_wait

#endif
