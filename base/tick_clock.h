#pragma once

#include <cstdint>

// The millisecond tick count used for load times and the FPS counter:
// 32 bits, wrapping, from some fixed moment. Tests install a settable double.
class TickClock {
public:
    virtual ~TickClock() = default;
    virtual uint32_t tickCount() = 0;
};

TickClock& tickClock();
// Installs a clock for the whole program; nullptr restores the steady clock.
void setTickClock(TickClock* clock);
