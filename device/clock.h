// SPDX-License-Identifier: GPL-3.0-or-later
// Time as the link and the transfers see it: a 32-bit millisecond tick that
// wraps, and a blocking pause. Tests substitute a virtual clock.
#pragma once

#include <cstdint>

namespace vantrel {

class Clock {
public:
    virtual ~Clock() = default;
    virtual uint32_t tickMs() = 0;
    virtual void sleepMs(uint32_t ms) = 0;
};

// Wall time: steady clock, thread sleeps.
class SteadyClock : public Clock {
public:
    uint32_t tickMs() override;
    void sleepMs(uint32_t ms) override;
};

// The process-wide steady clock.
Clock &systemClock();

} // namespace vantrel
