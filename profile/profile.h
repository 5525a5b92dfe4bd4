// SPDX-License-Identifier: GPL-3.0-or-later
// A box profile: the whole set-up of a box (every setting by the names and
// values vantrelctl takes, the custom EDID, the stored infoframes, the CEC
// button texts) as a person-readable JSON file, so it can be backed up,
// compared and put back on the same or another box. Plain C++, no Qt.
#pragma once

#include <nlohmann/json.hpp>

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace vantrel::profile {

constexpr const char *kFormat = "vantrel-profile";
constexpr int kVersion = 1;
// Far above any real profile (a 256-byte table as text is under 1 KiB).
constexpr size_t kMaxFileSize = 256 * 1024;

struct Profile {
    // Where it came from; informational, never applied.
    std::string serial;
    std::string firmware;
    std::string saved; // ISO 8601 with UTC offset

    // cli name -> value text, in table order.
    std::vector<std::pair<std::string, std::string>> settings;
    // The table the custom store holds, saved when the box was in custom mode.
    std::optional<std::vector<uint8_t>> customEdid;
    // Colon hex, as the box holds them.
    std::optional<std::string> hdrInfoframe;
    std::optional<std::string> aviInfoframe;
    // The box cannot report these; only what the user gave.
    std::optional<std::string> cecSp;
    std::optional<std::string> cecLp;

    // Keys a newer version wrote: kept on rewrite. Top-level and one level down.
    nlohmann::ordered_json unknown = nlohmann::ordered_json::object();

    const std::string *setting(std::string_view name) const;
    void setSetting(const std::string &name, const std::string &value);
};

struct ReadResult {
    bool ok = false;
    Profile profile;
    std::string error;                 // why it was refused
    std::vector<std::string> warnings; // unknown keys, values dropped
};

ReadResult readProfile(std::string_view text);
std::string writeProfile(const Profile &p);

// Why the box must not be given this custom table (the checks an EDID upload
// makes unless forced; a profile is never forced); empty when it may.
std::string customTableProblem(const std::vector<uint8_t> &table);
// Everything in the profile the box would refuse (a value no setting takes,
// a custom table, infoframe or CEC text it would not send), found before
// anything is written; empty when the whole profile can go on a box.
std::vector<std::string> profileProblems(const Profile &p);

// What the box reports, read the way start-up and the readback read it.
struct BoxFacts {
    std::string serial;
    std::string firmware;
    uint8_t block[40] = {};
    std::optional<std::vector<uint8_t>> customEdid; // the box's table, in custom mode with preset 1
    std::string hdrInfoframe;                       // colon hex
    std::string aviInfoframe;
};

// Every named setting in the box's words; the custom table only in custom mode.
Profile profileOf(const BoxFacts &box, const std::string &savedAt);

// Which parts a diff or an apply covers.
struct Sections {
    bool settings = true, edid = true, infoframes = true, cec = true;
    static std::optional<Sections> parse(std::string_view list, std::string &error); // "settings,edid"
};

struct Change {
    std::string section; // settings, edid, infoframes, cec
    std::string name;    // the setting's name, "custom-table", "hdr", "avi", "sp", "lp"
    std::string before;  // the box's value ("" when it cannot tell)
    std::string after;   // the profile's value
};

// What differs between the box and the profile, in apply order. The CEC texts
// always count: the box cannot report them.
std::vector<Change> differences(const Profile &box, const Profile &wanted, const Sections &only);

} // namespace vantrel::profile
