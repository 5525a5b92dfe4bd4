// SPDX-License-Identifier: GPL-3.0-or-later
// The clock of the fuzz targets that drive the link.
#pragma once

#include "clock.h"

#include <cstdint>

namespace vantrel::fuzz {

// Test time: only the code's own pauses move it, so a fuzz run never sleeps.
class FuzzClock : public Clock {
public:
    uint32_t t = 0;
    uint32_t tickMs() override { return t; }
    void sleepMs(uint32_t ms) override { t += ms; }
};

} // namespace vantrel::fuzz
