#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>

// The one way decode threads wait for each other: an atomic word that one
// thread changes and another sleeps on until it does.
//
// The contract:
// - waitWhile(seen) returns once the word no longer holds seen, and may
//   also return spuriously. It orders nothing: the caller loads the word
//   again (acquire, to see what the store published) and decides whether
//   to wait once more.
// - wakeAll() wakes every thread sleeping in waitWhile on this word. It
//   pairs with the store or read-modify-write that precedes it on the
//   waking thread: a waiter that saw the value from before that store is
//   either woken or finds the new value when it goes to sleep, so a wake is
//   never lost.
//
// Linux waits on a futex through std::atomic. The mingw-w64 C++ library has
// no futex and falls back to a shared pool of condition variables that can
// lose a wake, which hung two-thread decodes, so Windows sleeps in
// WaitOnAddress, which compares and sleeps atomically with respect to
// WakeByAddressAll (Windows 8 and later).
template <class T>
class WaitWord {
public:
    static_assert(std::atomic<T>::is_always_lock_free && sizeof(std::atomic<T>) == sizeof(T),
                  "the system compares the word's bytes where it lies");

    T load(std::memory_order order = std::memory_order_acquire) const { return word_.load(order); }
    void store(T value, std::memory_order order = std::memory_order_release) { word_.store(value, order); }
    // Returns the value before.
    T fetchAdd(T delta, std::memory_order order) { return word_.fetch_add(delta, order); }
    T fetchSub(T delta, std::memory_order order) { return word_.fetch_sub(delta, order); }

    void wakeAll();
    void waitWhile(T seen) const;

private:
    std::atomic<T> word_{};
};

#ifdef _WIN32

namespace system_wait {
// WaitOnAddress and WakeByAddressAll, kept out of this header so that
// windows.h reaches only the file that needs it.
void sleepWhileHolds(const void* word, const void* seen, size_t size);
void wakeAllAt(void* word);
}  // namespace system_wait

template <class T>
void WaitWord<T>::wakeAll()
{
    system_wait::wakeAllAt(&word_);
}

template <class T>
void WaitWord<T>::waitWhile(T seen) const
{
    system_wait::sleepWhileHolds(&word_, &seen, sizeof(T));
}

#else

template <class T>
void WaitWord<T>::wakeAll()
{
    word_.notify_all();
}

template <class T>
void WaitWord<T>::waitWhile(T seen) const
{
    word_.wait(seen, std::memory_order_acquire);
}

#endif
