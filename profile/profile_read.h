// SPDX-License-Identifier: GPL-3.0-or-later
// Reading what a profile holds from the box, the same for the window and the
// tool: the settings block once the box is no longer busy, the firmware, the
// stored infoframes and, in custom mode with preset 1, the custom table.
#pragma once

#include "profile_apply.h"
#include "session.h"

namespace vantrel::profile {

// Failed with the reason when a read fails; the firmware may be empty (a
// profile does not need it).
FactsRead readBoxFacts(Session &s);

} // namespace vantrel::profile
