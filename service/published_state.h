// SPDX-License-Identifier: GPL-3.0-or-later
// The state serve publishes and logs: whether the box is there, its signal
// status and every setting by the name vantrelctl set takes.
#pragma once

#include "json_support.h"
#include "settings_table.h"
#include "status_decoder.h"
#include "status_facts.h"

#include <cstdint>

namespace vantrel::service {

using report::Json;

// {name: text} for every setting vantrelctl names, in the window's words.
Json settingsByName(const uint8_t block[config::kBlockSize]);

// status --json's object for a reading, the captured HDR infoframe decoded
// ("infoframeDecoded", null when none), so rules can test its fields.
Json statusState(const status::StatusTexts &texts, const status::StatusFacts &facts);

// {"box": box, "status": status, "settings": settings}. box: "present",
// "silent" (attached, not answering) or "absent".
Json boxState(const char *box, const Json &status, const Json &settings);

} // namespace vantrel::service
