#pragma once

#include <system_error>
#include <thread>

// Runs two independent halves of a job, the second on a thread of its own
// when the system gives one, and returns when both are done. Without a
// thread both run here, one after the other, with the same result.
template <class First, class Second>
void runBothHalves(First first, Second second)
{
    std::thread other;
    try {
        other = std::thread(second);
    } catch (const std::system_error&) {
        first();
        second();
        return;
    }
    first();
    other.join();
}
