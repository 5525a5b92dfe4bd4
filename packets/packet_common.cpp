// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_common.h"

#include "edid_text.h"
#include "json_writer.h"

#include <cstdarg>
#include <cstdio>

namespace vantrel::packets {

bool conforms(const std::vector<Note> &notes)
{
    for (const Note &n : notes)
        if (n.severity == Severity::Error)
            return false;
    return true;
}

PacketBytes parsePacketText(std::string_view utf8)
{
    PacketBytes r;
    // Blank space around the text is what a pasted line brings along.
    while (!utf8.empty() &&
           (utf8.front() == ' ' || utf8.front() == '\t' || utf8.front() == '\n' || utf8.front() == '\r'))
        utf8.remove_prefix(1);
    while (!utf8.empty() && (utf8.back() == ' ' || utf8.back() == '\t' || utf8.back() == '\n' || utf8.back() == '\r'))
        utf8.remove_suffix(1);
    const std::string line = edid::boxText(utf8) + '\r';
    if (line.size() > size_t(3 * edid::kColonHexArea)) {
        r.error = "too long: at most 100 bytes";
        return r;
    }
    const edid::ColonHex hex = edid::parseColonHex(line, int(line.size()), false);
    if (!hex.wellFormed) {
        r.error = "not colon hex text (two hex digits per byte joined by colons, \"50:04\")";
        return r;
    }
    r.ok = true;
    r.bytes.assign(hex.bytes.begin(), hex.bytes.begin() + hex.count);
    const size_t used = size_t(hex.count) * 3 - 1;
    if (line.size() - 1 > used)
        r.ignored = line.substr(used, line.size() - 1 - used);
    return r;
}

std::string format(const char *fmt, ...)
{
    char buffer[256];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

void TextReport::notes(const std::vector<Note> &notes)
{
    unsigned errors = 0, warnings = 0;
    if (!notes.empty())
        line(0, "Problems:");
    for (const Note &n : notes) {
        const bool error = n.severity == Severity::Error;
        (error ? errors : warnings)++;
        line(1, std::string(error ? "Error: " : "Warning: ") + n.message);
    }
    line(0, format("Conformity: %s (%u error%s, %u warning%s)", errors ? "FAIL" : "PASS", errors,
                   errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s"));
}

void jsonNotes(JsonWriter &j, const std::vector<Note> &notes)
{
    j.value("conforms", conforms(notes)).array("problems");
    for (const Note &n : notes)
        j.object()
            .value("severity", n.severity == Severity::Error ? "error" : "warning")
            .value("message", n.message)
            .endObject();
    j.endArray();
}

} // namespace vantrel::packets
