// SPDX-License-Identifier: GPL-3.0-or-later
// The window's box exchanges run on one worker thread, one call at a time
// in the order the window makes them. The window's thread waits for each
// while it keeps handling events, so nothing the box does freezes it; while
// it waits, the window holds back whatever would start another exchange.
#pragma once

#include "clock.h"
#include "usbxpress.h"

#include <functional>

namespace exchange {

// The library whose calls run on the worker. One window per process: a later
// call replaces the inner library of an earlier one.
const UsbApi *offThread(const UsbApi *inner);

// Whether the window's thread is waiting on the box (or on a pause between
// exchanges) and handling events meanwhile.
bool out();

// hold(true) before the first event is handled during a wait, hold(false)
// before the wait hands back: the window disables what sends and restores it.
void setHold(std::function<void(bool)> hold);

// Runs once the window's thread is back in its own event loop with nothing
// out (a close, a poll tick or a resume that came during a wait).
void whenSettled(std::function<void()> run);

// Wall time whose pauses handle events: the clock of the window's box.
class WindowClock : public vantrel::SteadyClock {
public:
    void sleepMs(uint32_t ms) override;
};

} // namespace exchange
