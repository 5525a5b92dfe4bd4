// SPDX-License-Identifier: GPL-3.0-or-later
// What each setting's slot writes, worked out from the state of its controls.
// The window's slots read their widgets through the callbacks; applySetting
// (apply_setting.h) then sends the write with its follow-up.
#pragma once

#include "settings_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

namespace vantrel::config {

struct RegisterWrite {
    uint8_t reg;
    uint8_t value;
    int imagePosition; // kNone: leave the image alone
};

using IsChecked = std::function<bool(const char *object)>;

// Check box: 1 if checked, else 0. Radio buttons: the value of the first one
// checked in the slot's test order, else the fallback (or nothing, for audio,
// HDCP and EDID mode). Nothing for settings no slot writes.
std::optional<RegisterWrite> commandWrite(const Setting &s, const IsChecked &isChecked);

// Selector: the value for a current index; nothing for -1 or any index past
// the list, which an out-of-range readback leaves behind. The slots are quiet
// until start-up has finished; that gate is the caller's.
std::optional<RegisterWrite> selectorWrite(const Setting &s, int index);

// Whether Setting::dependents are enabled once the setting holds value
// (EDIDtext after an EDID mode change).
inline bool dependentsEnabled(const Setting &s, int value) { return value == s.enabledAt; }

// Factory reset: the typed word must be exactly "RESET"; the value is 3 for
// both boxes, 2 for settings only, 1 for EDID only, nothing for neither.
inline bool resetConfirmed(std::string_view typed) { return typed == kResetWord; }
std::optional<uint8_t> factoryResetValue(bool clearSettings, bool clearEdid);

} // namespace vantrel::config
