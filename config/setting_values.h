// SPDX-License-Identifier: GPL-3.0-or-later
// Setting values as people type and read them: vantrelctl takes a number, a
// switch word (on/off, enable/disable) or the window's own text for a value
// ("PORT B [BOT]", "JACK", "2.2", "CUSTOM"), case-insensitively, and shows a
// block in the same words so that what it prints can be typed back.
#pragma once

#include "settings_table.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::config {

struct ParsedValue {
    bool ok = false;
    uint8_t value = 0; // the register value, when ok
    std::string error; // why not, when not ok
};

// Only the values the window itself can write are taken.
ParsedValue parseSettingValue(const Setting &s, std::string_view text);

// The value at the setting's block position, in the window's words.
std::string describeValue(const Setting &s, uint8_t value);

// What parseSettingValue takes, for help and error texts.
std::string acceptedValues(const Setting &s);

// One word (or text) per value that parseSettingValue takes, for completion:
// the numbers and texts of a list, a button's first word when it alone names
// it, on and off for a switch.
std::vector<std::string> valueWords(const Setting &s);

} // namespace vantrel::config
