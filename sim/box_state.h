// SPDX-License-Identifier: GPL-3.0-or-later
// The state file that lets a simulated box keep its settings, custom EDID,
// stored CEC commands and infoframes across restarts: one key=hex line each.
#pragma once

#include "edid_caps.h"

#include <array>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::sim {

struct BoxState {
    std::optional<std::array<uint8_t, 40>> block;
    std::optional<EdidTable> custom; // only after an upload
    std::optional<std::string> sp, lp;
    std::optional<std::vector<uint8_t>> hdr, avi;
    // The most recent CEC messages: sent on the bus (true) or dropped.
    std::vector<std::pair<bool, std::vector<uint8_t>>> cec;
};

constexpr size_t kKeptCecMessages = 64;

// False when the file is missing or unreadable (said on standard error);
// bad lines are skipped.
bool readBoxState(const std::string &path, BoxState &state);
// The file's text: one key=hex line each.
void parseBoxState(const std::string &text, BoxState &state);
// Written to a temporary file beside it, then renamed over it.
bool writeBoxState(const std::string &path, const BoxState &state);

} // namespace vantrel::sim
