// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_presence.h"

#include <algorithm>

namespace vantrel {

BoxPresence::Step BoxPresence::next(uint32_t nowMs) const
{
    switch (state_) {
    case State::Looking:
        return Step::Look;
    case State::Answering:
        return Step::Full;
    case State::Silent:
        break;
    }
    // Ticks come every 3 s give or take a little; a probe due within the
    // slack goes with this tick rather than a whole interval later. The tick
    // counter wraps; the signed difference does not mind.
    return static_cast<int32_t>(nowMs + kSlackMs - probeAt_) >= 0 ? Step::Probe : Step::Wait;
}

void BoxPresence::unanswered(uint32_t nowMs)
{
    state_ = State::Silent;
    probeAt_ = nowMs + backoffMs_;
    backoffMs_ = std::min(backoffMs_ * 2, kMaxProbeMs);
}

} // namespace vantrel
