// SPDX-License-Identifier: GPL-3.0-or-later
// A clock that moves only when told to or when something pauses on it, so
// the link's 4000 ms bound and the long busy waits run in no real time.
#pragma once

#include "clock.h"

#include <cstdint>
#include <vector>

namespace vantrel::test {

class VirtualClock : public Clock {
public:
    uint32_t now = 0;             // may start near 0xFFFFFFFF to cross the wrap
    std::vector<uint32_t> sleeps; // every sleepMs, in order

    uint32_t tickMs() override { return now; }
    void sleepMs(uint32_t ms) override
    {
        sleeps.push_back(ms);
        now += ms;
    }
    void advance(uint32_t ms) { now += ms; }
    // Sum of all pauses so far.
    uint64_t sleptMs() const;
};

} // namespace vantrel::test
