// SPDX-License-Identifier: GPL-3.0-or-later
#include "clock.h"

#include <chrono>
#include <thread>

namespace vantrel {

uint32_t SteadyClock::tickMs()
{
    using namespace std::chrono;
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

void SteadyClock::sleepMs(uint32_t ms)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

Clock &systemClock()
{
    static SteadyClock clock;
    return clock;
}

} // namespace vantrel
