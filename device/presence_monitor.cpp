// SPDX-License-Identifier: GPL-3.0-or-later
#include "presence_monitor.h"

namespace vantrel {

PresenceMonitor::PresenceMonitor(Box &box, Steps steps) : box_(box), steps_(std::move(steps))
{
    // One silent box then costs one bound a tick, not one per request.
    box_.link().setHoldWhenSilent(true);
}

void PresenceMonitor::changed()
{
    if (steps_.changed)
        steps_.changed();
}

Box::Opening PresenceMonitor::open(bool quiet)
{
    quiet_ = quiet;
    const Box::Opening how = box_.open(quiet);
    quiet_ = false;
    if (how == Box::Opening::Opened) {
        presence_.opened();
        step_ = 0;
    }
    changed();
    return how;
}

Box::Opening PresenceMonitor::start()
{
    const Box::Opening how = open(false);
    if (how == Box::Opening::Opened)
        continueStartup();
    return how;
}

bool PresenceMonitor::answered(uint32_t unansweredBefore)
{
    UsbLink &link = box_.link();
    if (link.isOpen() && link.unanswered() == unansweredBefore && !link.silent())
        return true;
    // A link closed under the monitor (its owner handed the box to someone
    // else and could not have it back) answers nothing: the box is lost.
    const bool listed = link.isOpen() && box_.listed();
    if (!listed) {
        // Unplugged: said once, then looked for as at start.
        quiet_ = true;
        link.CloseDevice();
        quiet_ = false;
        presence_.lost();
        step_ = 0;
        if (steps_.lost)
            steps_.lost();
    } else {
        // Counted from now: a probe must not follow right after a long wait.
        presence_.unanswered(box_.clock().tickMs());
    }
    if (steps_.unanswered)
        steps_.unanswered(listed);
    changed();
    return false;
}

void PresenceMonitor::continueStartup()
{
    const uint32_t before = box_.link().unanswered();
    while (step_ < steps_.startupSteps) {
        steps_.startup(step_);
        if (!answered(before))
            return;
        ++step_;
    }
    changed();
}

void PresenceMonitor::probe()
{
    const uint32_t before = box_.link().unanswered();
    box_.link().resume();
    steps_.probe();
    if (!answered(before))
        return;
    presence_.probeAnswered();
    changed();
    continueStartup();
}

void PresenceMonitor::tick()
{
    UsbLink &link = box_.link();
    if (link.busy())
        return;
    switch (presence_.next(box_.clock().tickMs())) {
    case BoxPresence::Step::Wait:
        return;
    case BoxPresence::Step::Look:
        if (open(true) == Box::Opening::Opened)
            continueStartup();
        return;
    case BoxPresence::Step::Probe:
        probe();
        return;
    case BoxPresence::Step::Full:
        break;
    }
    const uint32_t before = link.unanswered();
    // A command between ticks may have found the box silent: the tick's first
    // exchange asks again, and a silent box stops the tick there.
    link.resume();
    if (!started()) {
        continueStartup();
        return;
    }
    steps_.poll();
    if (answered(before))
        presence_.allAnswered();
}

} // namespace vantrel
