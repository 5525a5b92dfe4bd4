// SPDX-License-Identifier: GPL-3.0-or-later
// The simulated box behind the ten USB library calls, and the handles tests
// use to set it up and look inside it.
#pragma once

#include "box_model.h"
#include "clock.h"
#include "fault_plan.h"
#include "usbxpress.h"

#include <string>
#include <vector>

namespace vantrel::sim {

// The table to hand to chooseUsbLibrary. The first call that needs the
// devices builds them from VANTREL_SIM, unless reset() came first.
const UsbApi *simulatorApi();

// Rebuilds every simulated device from a configuration (the forms VANTREL_SIM
// takes; empty: the defaults). Open handles become invalid. Returns what was
// not understood, one line each.
std::vector<std::string> reset(const std::string &config = "");

// The time base for busy periods and latency; null goes back to systemClock().
void setClock(Clock *clock);

// A device by index; -1: the first one with serial "2023", else the first.
BoxModel &box(int device = -1);
size_t deviceCount();

void addFault(const FaultRule &rule);
void clearFaults();
// True once a "gone" fault has taken the device away.
bool deviceGone();

// Requests written to the simulated link since the last reset, oldest first.
const std::vector<std::vector<uint8_t>> &requestLog();

} // namespace vantrel::sim
