// SPDX-License-Identifier: GPL-3.0-or-later
// The profile file: JSON, keys in a fixed order so two saves diff line by line.
#include "profile.h"

#include "edid_import.h"
#include "edid_text.h"
#include "json_support.h"
#include "settings_table.h"

#include <cmath>

namespace vantrel::profile {

using Json = nlohmann::ordered_json;

const std::string *Profile::setting(std::string_view name) const
{
    for (const auto &[n, v] : settings)
        if (n == name)
            return &v;
    return nullptr;
}

void Profile::setSetting(const std::string &name, const std::string &value)
{
    for (auto &[n, v] : settings)
        if (n == name) {
            v = value;
            return;
        }
    settings.emplace_back(name, value);
}

namespace {

bool known(std::string_view key, std::initializer_list<const char *> keys)
{
    for (const char *k : keys)
        if (key == k)
            return true;
    return false;
}

// A string member, or nothing; anything else is an error.
std::optional<std::string> text(const Json &obj, const char *key, const std::string &where, std::string &error)
{
    const auto it = obj.find(key);
    if (it == obj.end() || it->is_null())
        return std::nullopt;
    if (!it->is_string()) {
        error = where + "." + key + " is not a text";
        return std::nullopt;
    }
    return it->get<std::string>();
}

// Members not in `keys` go to unknown[section] (or the top level) with a warning.
void keepUnknown(const Json &obj, std::initializer_list<const char *> keys, const char *section, Profile &p,
                 std::vector<std::string> &warnings)
{
    for (auto it = obj.begin(); it != obj.end(); ++it) {
        if (known(it.key(), keys))
            continue;
        warnings.push_back(std::string("unknown key \"") + (section ? std::string(section) + "." : "") + it.key() +
                           "\" kept as it is");
        if (section)
            p.unknown[section][it.key()] = it.value();
        else
            p.unknown[it.key()] = it.value();
    }
}

bool readCustomTable(const Json &edid, Profile &p, std::string &error)
{
    const auto it = edid.find("custom");
    if (it == edid.end() || it->is_null())
        return true;
    std::string joined;
    if (it->is_string()) {
        joined = it->get<std::string>();
    } else if (it->is_array()) {
        for (const Json &line : *it) {
            if (!line.is_string()) {
                error = "edid.custom holds a line that is not a text";
                return false;
            }
            joined += line.get<std::string>() + "\n";
        }
    } else {
        error = "edid.custom is neither hex text nor a list of hex lines";
        return false;
    }
    const edid::TableFile table = edid::readTableFile(reinterpret_cast<const uint8_t *>(joined.data()), joined.size());
    if (!table.ok() || table.binary) {
        error = "edid.custom is not EDID hex text" + (table.ok() ? std::string() : ": " + table.where());
        return false;
    }
    if (table.bytes.empty() || table.bytes.size() % edid::kBlockSize != 0 ||
        table.bytes.size() > size_t(edid::kEdidSize)) {
        error = "edid.custom holds " + std::to_string(table.bytes.size()) +
                " bytes; the box stores one or two whole 128-byte blocks";
        return false;
    }
    p.customEdid = table.bytes;
    return true;
}

bool readBody(const Json &doc, ReadResult &r)
{
    Profile &p = r.profile;
    std::string &error = r.error;
    for (const char *section : {"box", "edid", "infoframes", "cec"})
        if (const auto it = doc.find(section); it != doc.end() && !it->is_null() && !it->is_object()) {
            error = std::string(section) + " is not an object";
            return false;
        }
    p.saved = text(doc, "saved", "profile", error).value_or("");
    if (const auto box = doc.find("box"); box != doc.end() && box->is_object()) {
        p.serial = text(*box, "serial", "box", error).value_or("");
        p.firmware = text(*box, "firmware", "box", error).value_or("");
        keepUnknown(*box, {"serial", "firmware"}, "box", p, r.warnings);
    }
    if (const auto s = doc.find("settings"); s != doc.end() && !s->is_null()) {
        if (!s->is_object()) {
            error = "settings is not an object of names and values";
            return false;
        }
        // Table order, whatever order the file has.
        for (const config::Setting &row : config::settingsTable()) {
            if (!row.cliName || !s->contains(row.cliName))
                continue;
            const std::optional<std::string> v = text(*s, row.cliName, "settings", error);
            if (!error.empty())
                return false;
            if (v)
                p.settings.emplace_back(row.cliName, *v);
        }
        for (auto it = s->begin(); it != s->end(); ++it)
            if (!config::findSetting(it.key())) {
                r.warnings.push_back("unknown setting \"" + it.key() + "\" kept but not applied");
                p.unknown["settings"][it.key()] = it.value();
            }
    }
    if (const auto e = doc.find("edid"); e != doc.end() && e->is_object()) {
        if (!readCustomTable(*e, p, error))
            return false;
        keepUnknown(*e, {"custom"}, "edid", p, r.warnings);
    }
    if (const auto f = doc.find("infoframes"); f != doc.end() && f->is_object()) {
        p.hdrInfoframe = text(*f, "hdr", "infoframes", error);
        p.aviInfoframe = text(*f, "avi", "infoframes", error);
        keepUnknown(*f, {"hdr", "avi"}, "infoframes", p, r.warnings);
    }
    if (const auto c = doc.find("cec"); c != doc.end() && c->is_object()) {
        p.cecSp = text(*c, "sp", "cec", error);
        p.cecLp = text(*c, "lp", "cec", error);
        keepUnknown(*c, {"sp", "lp"}, "cec", p, r.warnings);
    }
    keepUnknown(doc, {"format", "version", "saved", "box", "settings", "edid", "infoframes", "cec"}, nullptr, p,
                r.warnings);
    return error.empty();
}

} // namespace

std::string customTableProblem(const std::vector<uint8_t> &table)
{
    if (!edid::hasEdidHeader(table) || !edid::extensionCount(table).matches())
        return "the profile's custom table has no EDID header or a wrong extension count";
    if (table.size() > size_t(edid::kEdidSize))
        return "the profile's custom table is longer than the box stores";
    edid::EdidImage image{};
    std::copy(table.begin(), table.end(), image.begin());
    if (!edid::checkChecksums(image).ok())
        return "a checksum of the profile's custom table is wrong";
    return {};
}

ReadResult readProfile(std::string_view fileText)
{
    ReadResult r;
    if (fileText.size() > kMaxFileSize) {
        r.error = "the file is larger than a profile can be (" + std::to_string(kMaxFileSize / 1024) + " KiB)";
        return r;
    }
    report::JsonRead read = report::readJson(fileText);
    if (!read.ok()) {
        r.error = "not a profile: " + read.error;
        return r;
    }
    const Json doc = std::move(read.doc);
    if (!doc.is_object() || !doc.contains("format")) {
        r.error = "not a profile: no \"format\" key";
        return r;
    }
    if (!doc["format"].is_string() || doc["format"].get<std::string>() != kFormat) {
        r.error = std::string("not a profile: the format is ") + doc["format"].dump() + ", not \"" + kFormat + "\"";
        return r;
    }
    // A missing key read from a const document is no value, never a read past its keys.
    const Json version = doc.value("version", Json());
    if (!version.is_number() || !std::isfinite(version.get<double>()) || version.get<double>() < 1) {
        r.error = "the profile has no valid \"version\"";
        return r;
    }
    const double major = std::floor(version.get<double>());
    if (major > kVersion) {
        r.error = "the profile was written by a later version (" + version.dump() + "); this program reads version " +
                  std::to_string(kVersion);
        return r;
    }
    r.ok = readBody(doc, r);
    return r;
}

std::string writeProfile(const Profile &p)
{
    const Json &unknown = p.unknown;
    auto section = [&](const char *name) {
        Json obj = Json::object();
        if (unknown.contains(name) && unknown[name].is_object())
            obj = unknown[name];
        return obj;
    };
    Json doc;
    doc["format"] = kFormat;
    doc["version"] = kVersion;
    doc["saved"] = p.saved;
    Json box = Json::object();
    box["serial"] = p.serial;
    box["firmware"] = p.firmware;
    box.update(section("box"));
    doc["box"] = box;
    Json settings = Json::object();
    for (const auto &[name, value] : p.settings)
        settings[name] = value;
    settings.update(section("settings"));
    doc["settings"] = settings;
    if (p.customEdid || unknown.contains("edid")) {
        Json edid = Json::object();
        if (p.customEdid) {
            // One line of 16 bytes a row, as the window lays the table out.
            Json lines = Json::array();
            const std::string hex = edid::edidTextOf(p.customEdid->data(), p.customEdid->size());
            size_t start = 0;
            for (size_t nl; (nl = hex.find('\n', start)) != std::string::npos; start = nl + 1)
                lines.push_back(hex.substr(start, nl - start));
            edid["custom"] = lines;
        }
        edid.update(section("edid"));
        doc["edid"] = edid;
    }
    if (p.hdrInfoframe || p.aviInfoframe || unknown.contains("infoframes")) {
        Json f = Json::object();
        if (p.hdrInfoframe)
            f["hdr"] = *p.hdrInfoframe;
        if (p.aviInfoframe)
            f["avi"] = *p.aviInfoframe;
        f.update(section("infoframes"));
        doc["infoframes"] = f;
    }
    if (p.cecSp || p.cecLp || unknown.contains("cec")) {
        Json c = Json::object();
        if (p.cecSp)
            c["sp"] = *p.cecSp;
        if (p.cecLp)
            c["lp"] = *p.cecLp;
        c.update(section("cec"));
        doc["cec"] = c;
    }
    for (auto it = unknown.begin(); it != unknown.end(); ++it)
        if (!known(it.key(), {"box", "settings", "edid", "infoframes", "cec"}))
            doc[it.key()] = it.value();
    // Texts typed on a command line need not be UTF-8.
    return doc.dump(2, ' ', false, Json::error_handler_t::replace) + "\n";
}

} // namespace vantrel::profile
