// SPDX-License-Identifier: GPL-3.0-or-later
// The project's JSON documents: nlohmann-json with keys kept in the order
// they are added, numbers and texts as the reports have always printed them.
#pragma once

#include "finding.h"

#include <nlohmann/json.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::report {

using Json = nlohmann::ordered_json;

// A measured value to six significant digits ("59.9401", "60"); null when it
// is not finite.
Json number(double value);
inline Json number(const std::optional<double> &value)
{
    return value ? number(*value) : Json();
}
template <typename T>
Json orNull(const std::optional<T> &value)
{
    return value ? Json(*value) : Json();
}

// 8-bit text from a table or a packet (Latin-1) as a JSON string.
Json latin1(std::string_view text);

// The document on one line, anything outside ASCII escaped, with a line feed.
std::string compactText(const Json &doc);
// The document on one line as UTF-8, bytes that are not UTF-8 replaced; no line feed.
std::string oneLine(const Json &doc);

// Deeper than any file the project reads or writes needs; a deeper text is
// refused before a tree is built (copying and printing a tree recurse).
constexpr int kMaxJsonDepth = 64;

struct JsonRead {
    Json doc;
    std::string error; // "the JSON is malformed at byte 12", ...; empty when read
    bool ok() const { return error.empty(); }
};
// The one way the project reads JSON text.
JsonRead readJson(std::string_view text);

// {"severity": ..., where it is for an EDID finding, "message": ...}.
Json findingJson(const Finding &f);
Json findingsJson(const std::vector<Finding> &list);

} // namespace vantrel::report
