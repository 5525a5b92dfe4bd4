// SPDX-License-Identifier: GPL-3.0-or-later
// What the packet builders share: fields given as text by name, read strictly,
// and refused with the field's name and what it takes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::packets {

// One word a field takes and the number it stands for.
struct NamedValue {
    const char *name;
    unsigned value;
};

// Packets built from named fields, or why not: the builders give one packet
// (bytes) or a CEC recipe's messages; composing by name (compose.h) adds each
// packet as colon hex, what it says and why a CEC send should not go out.
struct Built {
    bool ok = false;
    std::string error; // "max-luminance: 70000 is out of range (0 to 65535 cd/m2)"
    std::vector<uint8_t> bytes;
    std::vector<std::vector<uint8_t>> messages; // a recipe's, in sending order
    std::vector<std::string> texts;     // composed: colon hex, one message or frame each
    std::vector<std::string> summaries; // composed: what each says, as the decoders put it
    std::vector<std::string> problems;  // composed: why a CEC send should not go out as it is
    std::vector<std::string> notes;     // composed: what was changed on the way (a number rounded)
};

// "Image View On" -> "image-view-on", the way the command line spells names.
std::string dashedName(std::string_view name);

// "a, b or c"
std::string nameList(const std::vector<NamedValue> &choices);

// The value of the word (any letter case); false with "field: takes ..." in error.
bool pickName(const std::vector<NamedValue> &choices, std::string_view text, const char *field, unsigned &value,
              std::string &error);

// A plain decimal number ("1000", "0.005", "-1"): no exponent, no hex, no blanks.
bool readDecimal(std::string_view text, double &value);

// The number rounded to the field's unit (value = code * unit); refused
// outside lo..hi with the field's name, its range and unit.
bool readScaled(std::string_view text, const char *field, double lo, double hi, double unit, const char *unitName,
                unsigned &code, std::string &error);

} // namespace vantrel::packets
