// SPDX-License-Identifier: GPL-3.0-or-later
#include "virtual_clock.h"

#include <numeric>

namespace vantrel::test {

uint64_t VirtualClock::sleptMs() const
{
    return std::accumulate(sleeps.begin(), sleeps.end(), uint64_t{0});
}

} // namespace vantrel::test
