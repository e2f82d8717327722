#include "base/tick_clock.h"

#include <chrono>

namespace {

class SteadyTickClock final : public TickClock {
public:
    uint32_t tickCount() override
    {
        const auto since = std::chrono::steady_clock::now().time_since_epoch();
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(since).count();
        return static_cast<uint32_t>(ms);
    }
};

SteadyTickClock steadyClock;
TickClock* installedClock = &steadyClock;

}  // namespace

TickClock& tickClock() { return *installedClock; }

void setTickClock(TickClock* clock) { installedClock = clock ? clock : &steadyClock; }
