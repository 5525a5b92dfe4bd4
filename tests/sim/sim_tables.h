// SPDX-License-Identifier: GPL-3.0-or-later
// Every kind of table the simulated box can present: both displays, fixed,
// the custom default, each preset, and automix under each algorithm with the
// options alone, in pairs and all together, with one display, none, or a
// damaged display table.
#pragma once

#include "sim_edid.h"

#include <QString>

#include <utility>
#include <vector>

std::vector<std::pair<QString, vantrel::sim::EdidTable>> everySimulatedTable();
