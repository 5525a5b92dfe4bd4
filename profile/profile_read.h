// SPDX-License-Identifier: GPL-3.0-or-later
// Reading what a profile holds from the box, the same for the window and the
// tool: the settings block once the box is no longer busy, the firmware, the
// stored infoframes and, in custom mode with preset 1, the custom table.
#pragma once

#include "profile.h"
#include "session.h"

#include <optional>
#include <string>

namespace vantrel::profile {

// Empty with the reason in error when a read fails; the firmware may be
// empty (a profile does not need it).
std::optional<BoxFacts> readBoxFacts(Session &s, std::string &error);

} // namespace vantrel::profile
