// SPDX-License-Identifier: GPL-3.0-or-later
// Whether there is a box to talk to, driven by one poll tick: looks for the
// box while none is open, runs the owner's start-up steps (resuming at the
// step that went unanswered), probes a silent box with back-off and tells an
// unplugged box from a silent one. The window and serve each drive one; what
// they read and show stays theirs (Steps).
#pragma once

#include "box.h"
#include "box_presence.h"

#include <cstdint>
#include <functional>

namespace vantrel {

class PresenceMonitor {
public:
    using State = BoxPresence::State;

    // What the owner runs when the monitor says so. Each runs its exchanges
    // on the box; the monitor learns from the link whether they were answered.
    struct Steps {
        int startupSteps = 0;
        std::function<void(int step)> startup; // after each opening, steps 0..startupSteps-1
        std::function<void()> probe;           // one cheap exchange with a silent box
        std::function<void()> poll;            // a whole tick once start-up is done
        std::function<void()> lost;            // unplugged: what was read is stale, start-up starts over
        std::function<void(bool listed)> unanswered; // after lost() too, with listed false
        std::function<void()> changed;         // state() or started() may have changed
    };

    PresenceMonitor(Box &box, Steps steps);

    // At start: opens the box with the link's alerts and runs start-up.
    Box::Opening start();
    // One poll tick: look, probe, finish start-up or run the whole poll.
    void tick();
    // After exchanges between ticks (a command): whether every exchange since
    // unansweredBefore was answered; if not, the box counts as silent, or as
    // gone when it is no longer listed or its link was closed.
    bool answered(uint32_t unansweredBefore);

    State state() const { return presence_.state(); }
    bool answering() const { return state() == State::Answering; }
    // Start-up has run to its end since the box was opened.
    bool started() const { return step_ >= steps_.startupSteps; }
    // The monitor is looking again or closing an unplugged box: the link's
    // alerts were said once and are kept back.
    bool quiet() const { return quiet_; }
    const BoxPresence &presence() const { return presence_; }

private:
    Box::Opening open(bool quiet);
    void continueStartup();
    void probe();
    void changed();

    Box &box_;
    Steps steps_;
    BoxPresence presence_;
    int step_ = 0;
    bool quiet_ = false;
};

} // namespace vantrel
