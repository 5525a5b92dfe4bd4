// SPDX-License-Identifier: GPL-3.0-or-later
// What a setting's change writes, and whether the box lets it change now.
// The window and vantrelctl both start from a value; applySetting
// (apply_setting.h) then sends the write with its follow-up.
#pragma once

#include "settings_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vantrel::config {

struct RegisterWrite {
    uint8_t reg;
    uint8_t value;
    int imagePosition; // kNone: leave the image alone
};

// The register write that sets value: nothing for a setting nothing writes,
// nor for a value outside its list, options or switch.
std::optional<RegisterWrite> writeFor(const Setting &s, int value);

// Selector: the value for a current index; nothing for -1 or any index past
// the list, which an out-of-range readback leaves behind. The slots are quiet
// until start-up has finished; that gate is the caller's.
std::optional<RegisterWrite> selectorWrite(const Setting &s, int index);

// Why the box keeps the setting from changing on this block (its permission
// flag is not 1, or it applies only while another setting holds a value), or
// nothing when it may change.
std::optional<std::string> lockReason(const Setting &s, const uint8_t block[kBlockSize]);

// Factory reset: the typed word must be exactly "RESET"; the value is 3 for
// both boxes, 2 for settings only, 1 for EDID only, nothing for neither.
inline bool resetConfirmed(std::string_view typed) { return typed == kResetWord; }
std::optional<uint8_t> factoryResetValue(bool clearSettings, bool clearEdid);

} // namespace vantrel::config
