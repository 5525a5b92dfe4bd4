// SPDX-License-Identifier: GPL-3.0-or-later
// What the three packet decoders' fuzz targets check alike: the input as a
// box's text or as raw bytes, reports that stay printable, a JSON document
// of the right shape, and the verdict the same in every rendering.
#pragma once

#include "fuzz_check.h"
#include "packet_common.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::fuzz {

// The report's shape as JSON: one object, brackets balanced and strings
// closed, no raw control or non-ASCII bytes (the writer escapes them).
inline bool jsonShaped(const std::string &json)
{
    std::string open;
    bool inString = false;
    for (size_t i = 0; i < json.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(json[i]);
        if (c >= 0x7F || (c < 0x20 && c != '\n'))
            return false;
        if (inString) {
            i += c == '\\' ? 1 : 0;
            inString = c != '"';
        } else if (c == '"') {
            inString = true;
        } else if (c == '{' || c == '[') {
            open += char(c);
        } else if (c == '}' || c == ']') {
            if (open.empty() || open.back() != (c == '}' ? '{' : '['))
                return false;
            open.pop_back();
        }
    }
    return !json.empty() && json.front() == '{' && !inString && open.empty();
}

inline void checkReports(const std::string &text, const std::string &json, bool conforms)
{
    require(printable(text, true), "report not printable");
    require(jsonShaped(json), "JSON report not well formed");
    require(text.find(conforms ? "Conformity: PASS" : "Conformity: FAIL") != std::string::npos,
            "report verdict differs from the decode");
    require(json.find(conforms ? "\"conforms\":true" : "\"conforms\":false") != std::string::npos,
            "JSON verdict differs from the decode");
}

// The input after its first byte as the text of a box: when it parses, the
// bytes written back as colon hex parse to the same bytes.
inline bool boxTextBytes(const uint8_t *data, size_t size, std::vector<uint8_t> &bytes)
{
    const packets::PacketBytes p = packets::parsePacketText(std::string(reinterpret_cast<const char *>(data), size));
    require(p.ok != !p.error.empty(), "a refusal without a reason, or a reason without a refusal");
    if (!p.ok)
        return false;
    require(!p.bytes.empty() && p.bytes.size() <= 100, "parsed byte count");
    const packets::PacketBytes again = packets::parsePacketText(vantrel::hex::colonHexText(p.bytes));
    require(again.ok && again.bytes == p.bytes && again.ignored.empty(), "colon hex does not read back");
    bytes = p.bytes;
    return true;
}

} // namespace vantrel::fuzz
