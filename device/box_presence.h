// SPDX-License-Identifier: GPL-3.0-or-later
// How much the window may ask of the box on one poll tick: look for it while
// none is open, probe it now and then while it does not answer, or run the
// whole tick. A silent box must not block the window on every tick, and a
// box that answers some requests and not others must not either.
#pragma once

#include <cstdint>

namespace vantrel {

class BoxPresence {
public:
    enum class State { Looking, Silent, Answering };
    enum class Step { Look, Probe, Full, Wait };

    static constexpr uint32_t kFirstProbeMs = 3000;
    static constexpr uint32_t kMaxProbeMs = 30000;
    static constexpr uint32_t kSlackMs = 500;

    State state() const { return state_; }
    // What the tick at nowMs may do.
    Step next(uint32_t nowMs) const;

    // A box was found and opened.
    void opened() { state_ = State::Answering; }
    // The handle was closed (unplugged, or it would not open): look again.
    void lost() { state_ = State::Looking; }
    // An exchange at nowMs got no answer: the next probe waits the back-off,
    // which then doubles, up to kMaxProbeMs.
    void unanswered(uint32_t nowMs);
    // A probe was answered: the next tick runs in full, the back-off stays.
    void probeAnswered() { state_ = State::Answering; }
    // A whole tick was answered: the back-off starts over.
    void allAnswered() { backoffMs_ = kFirstProbeMs; }

    uint32_t backoffMs() const { return backoffMs_; }

private:
    State state_ = State::Looking;
    uint32_t backoffMs_ = kFirstProbeMs;
    uint32_t probeAt_ = 0;
};

} // namespace vantrel
