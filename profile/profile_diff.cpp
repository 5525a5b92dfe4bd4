// SPDX-License-Identifier: GPL-3.0-or-later
// A box's set-up as a profile, and what differs between a box and a profile.
#include "profile.h"

#include "hex_text.h"
#include "setting_values.h"
#include "settings_table.h"

#include <algorithm>

namespace vantrel::profile {

namespace {

// A frame text as the box's send reads it, trailing zeros dropped: the box
// reports its stores padded with zeros, a hand-written profile holds only the
// frame. Comparing what the send would make keeps the diff and the apply agreed.
std::optional<std::vector<uint8_t>> frameBytes(const std::string &text)
{
    hex::ColonHexBytes read = hex::readColonHex(text);
    if (!read.ok)
        return std::nullopt;
    while (!read.bytes.empty() && read.bytes.back() == 0)
        read.bytes.pop_back();
    return read.bytes;
}

bool sameFrame(const std::string &a, const std::string &b)
{
    const auto x = frameBytes(a);
    return x && x == frameBytes(b);
}

std::vector<uint8_t> padded(std::vector<uint8_t> t)
{
    if (t.size() < 256)
        t.resize(256, 0);
    return t;
}

std::string tableSize(const std::optional<std::vector<uint8_t>> &t)
{
    return t ? std::to_string(t->size()) + "-byte table" : std::string();
}

// Settings that enable others go first, so what they unlock can be written.
std::vector<const config::Setting *> applyOrder()
{
    std::vector<const config::Setting *> rows;
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName && s.writable())
            rows.push_back(&s);
    auto unlocksOthers = [](const config::Setting *s) {
        for (const config::Setting &other : config::settingsTable())
            if (other.onlyWhile == s->position)
                return true;
        return false;
    };
    std::stable_partition(rows.begin(), rows.end(), unlocksOthers);
    return rows;
}

} // namespace

Profile profileOf(const BoxFacts &box, const std::string &savedAt)
{
    Profile p;
    p.serial = box.serial;
    p.firmware = box.firmware;
    p.saved = savedAt;
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName && s.writable())
            p.settings.emplace_back(s.cliName, config::describeValue(s, box.block[s.position]));
    p.customEdid = box.customEdid;
    p.hdrInfoframe = box.hdrInfoframe;
    p.aviInfoframe = box.aviInfoframe;
    return p;
}

std::optional<Sections> Sections::parse(std::string_view list, std::string &error)
{
    Sections s{false, false, false, false};
    size_t start = 0;
    while (start <= list.size()) {
        const size_t comma = std::min(list.find(',', start), list.size());
        const std::string_view word = list.substr(start, comma - start);
        if (word == "settings")
            s.settings = true;
        else if (word == "edid")
            s.edid = true;
        else if (word == "infoframes")
            s.infoframes = true;
        else if (word == "cec")
            s.cec = true;
        else {
            error = "--only takes settings, edid, infoframes and cec, separated by commas; not \"" + std::string(word) +
                    "\"";
            return std::nullopt;
        }
        start = comma + 1;
    }
    return s;
}

std::vector<Change> differences(const Profile &box, const Profile &wanted, const Sections &only)
{
    std::vector<Change> out;
    // Infoframes first: switching FORCE HDR or REPLACE AVI on sends the stored one.
    if (only.infoframes) {
        if (wanted.hdrInfoframe && !sameFrame(box.hdrInfoframe.value_or(""), *wanted.hdrInfoframe))
            out.push_back({"infoframes", "hdr", box.hdrInfoframe.value_or(""), *wanted.hdrInfoframe});
        if (wanted.aviInfoframe && !sameFrame(box.aviInfoframe.value_or(""), *wanted.aviInfoframe))
            out.push_back({"infoframes", "avi", box.aviInfoframe.value_or(""), *wanted.aviInfoframe});
    }
    if (only.settings)
        for (const config::Setting *s : applyOrder()) {
            const std::string *want = wanted.setting(s->cliName);
            if (!want)
                continue;
            const std::string *have = box.setting(s->cliName);
            const config::ParsedValue w = config::parseSettingValue(*s, *want);
            const config::ParsedValue h = have ? config::parseSettingValue(*s, *have) : config::ParsedValue{};
            // A value the box reports but no control can write (audio "neither")
            // compares by its text.
            const bool same = w.ok && h.ok ? w.value == h.value : have && *have == *want;
            if (!same)
                out.push_back({"settings", s->cliName, have ? *have : "", *want});
        }
    // After the settings: the custom store takes a table in custom mode only.
    if (only.edid && wanted.customEdid && (!box.customEdid || padded(*box.customEdid) != padded(*wanted.customEdid)))
        out.push_back({"edid", "custom-table", tableSize(box.customEdid), tableSize(wanted.customEdid)});
    if (only.cec) {
        if (wanted.cecSp)
            out.push_back({"cec", "sp", "", *wanted.cecSp});
        if (wanted.cecLp)
            out.push_back({"cec", "lp", "", *wanted.cecLp});
    }
    return out;
}

} // namespace vantrel::profile
