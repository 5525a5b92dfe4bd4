// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules_file.h"

#include "hdr_infoframe.h"
#include "setting_values.h"
#include "status_json.h"

#include <algorithm>
#include <cmath>
#include <set>

namespace vantrel::service {

namespace {

constexpr const char *kFormat = "vantrel-rules";
constexpr int kVersion = 1;
constexpr double kMaxAfterSeconds = 86400;

// The status keys the log leaves out (the window's restating lines, the
// infoframe's bytes): a rule tests the facts they restate.
bool restated(const std::string &key)
{
    return key == "input" || key == "output" || key == "colour" || key == "source" || key == "infoframeBytes";
}

// The status facts as the log records them, for telling a known path: a
// reading with every object filled in, the decoded infoframe included.
const Json &factShapes()
{
    static const Json shapes = [] {
        Json status = status::statusJson({}, {});
        const uint8_t payload[26] = {0x02, 0x00, 0xc2, 0x33, 0xc4, 0x86, 0x4c, 0x1d, 0xb8, 0x0b, 0xd0, 0x84, 0x80,
                                     0x3e, 0x13, 0x3d, 0x42, 0x40, 0xe8, 0x03, 0x32, 0x00, 0xe8, 0x03, 0x90, 0x01};
        status["infoframeDecoded"] =
            Json::parse(packets::hdrInfoframeJson(packets::decodeHdrPayload(payload, sizeof payload, 26)));
        return status;
    }();
    return shapes;
}

std::string jsonQuoted(const std::string &text)
{
    return report::oneLine(text);
}

struct Reader {
    RulesFile &out;
    const ActionCheck &check;
    void error(const std::string &where, const std::string &text) { out.errors.push_back(where + ": " + text); }
};

// A setting's value as the state names it: what set takes, in the window's words.
std::optional<Json> settingValue(const config::Setting &s, const Json &value, std::string &why)
{
    if (!value.is_string()) {
        why = "a setting's value is a text, as set takes it";
        return std::nullopt;
    }
    const config::ParsedValue p = config::parseSettingValue(s, value.get<std::string>());
    if (p.ok)
        return report::latin1(config::describeValue(s, p.value));
    if (!s.writable())
        return value;
    why = p.error.empty() ? "takes " + config::acceptedValues(s) : p.error;
    return std::nullopt;
}

void readTest(Reader &r, const std::string &where, const std::string &field, const Json &tests, Rule &rule)
{
    if (!tests.is_object() || tests.empty()) {
        r.error(where, "a test is an object such as {\"is\": VALUE}; tests: is, is not, in, above, below, matches");
        return;
    }
    const config::Setting *setting =
        field.rfind("setting.", 0) == 0 ? config::findSetting(std::string_view(field).substr(8)) : nullptr;
    static const std::pair<const char *, RuleTest::Op> ops[] = {
        {"is", RuleTest::Op::Is},       {"is not", RuleTest::Op::IsNot}, {"in", RuleTest::Op::In},
        {"above", RuleTest::Op::Above}, {"below", RuleTest::Op::Below},  {"matches", RuleTest::Op::Matches}};
    for (auto it = tests.begin(); it != tests.end(); ++it) {
        const std::string at = where + "." + it.key();
        const auto op =
            std::find_if(std::begin(ops), std::end(ops), [&](const auto &o) { return it.key() == o.first; });
        if (op == std::end(ops)) {
            r.error(at, "no test \"" + it.key() + "\"; tests: is, is not, in, above, below, matches");
            continue;
        }
        RuleTest t{field, op->second, it.value()};
        std::string why;
        switch (t.op) {
        case RuleTest::Op::Is:
        case RuleTest::Op::IsNot:
            if (setting && !t.value.is_null()) {
                const auto v = settingValue(*setting, t.value, why);
                if (!v)
                    r.error(at, why);
                else
                    t.value = *v;
            } else if (t.value.is_array() || t.value.is_object()) {
                r.error(at, "takes one value (a text, a number, true, false or null); \"in\" takes a list");
            }
            break;
        case RuleTest::Op::In:
            if (!t.value.is_array() || t.value.empty()) {
                r.error(at, "takes a list of values");
                break;
            }
            for (Json &v : t.value) {
                if (setting && !v.is_null()) {
                    const auto s = settingValue(*setting, v, why);
                    if (!s)
                        r.error(at, why);
                    else
                        v = *s;
                } else if (v.is_array() || v.is_object()) {
                    r.error(at, "takes a list of single values");
                }
            }
            break;
        case RuleTest::Op::Above:
        case RuleTest::Op::Below:
            if (!t.value.is_number() || !std::isfinite(t.value.get<double>()))
                r.error(at, "takes a number");
            else if (setting)
                r.error(at, "a setting is tested with is, is not or in");
            break;
        case RuleTest::Op::Matches:
            if (!t.value.is_string() || t.value.get<std::string>().empty())
                r.error(at, "takes a pattern: * any characters, ? one, [...] one of them (\"*p24\")");
            break;
        }
        rule.when.push_back(std::move(t));
    }
}

std::vector<std::string> readActions(Reader &r, const std::string &where, const Json &list)
{
    std::vector<std::string> actions;
    if (!list.is_array() || list.empty()) {
        r.error(where, "takes a list of vantrelctl command lines (\"set force-hdr on\")");
        return actions;
    }
    for (size_t i = 0; i < list.size(); ++i) {
        const std::string at = where + "[" + std::to_string(i) + "]";
        if (!list[i].is_string()) {
            r.error(at, "an action is a command line as a text");
            continue;
        }
        const std::string line = list[i].get<std::string>();
        const std::string why = r.check ? r.check(line) : std::string();
        if (!why.empty())
            r.error(at + " " + jsonQuoted(line), why);
        actions.push_back(line);
    }
    return actions;
}

void readRule(Reader &r, size_t index, const Json &item, std::set<std::string> &names)
{
    std::string where = "rules[" + std::to_string(index) + "]";
    if (!item.is_object()) {
        r.error(where, "a rule is an object with name, when and do");
        return;
    }
    Rule rule;
    const auto name = item.find("name");
    if (name == item.end() || !name->is_string() || name->get<std::string>().empty())
        r.error(where, "a rule needs a \"name\" (a text)");
    else
        rule.name = name->get<std::string>();
    if (!rule.name.empty()) {
        where += " " + jsonQuoted(rule.name);
        if (!names.insert(rule.name).second)
            r.error(where, "another rule has this name");
    }
    const auto when = item.find("when");
    if (when == item.end() || !when->is_object() || when->empty()) {
        r.error(where, "a rule needs \"when\": the fields it tests, {\"eotfName\": {\"is\": \"SMPTE ST 2084\"}}");
    } else {
        for (auto it = when->begin(); it != when->end(); ++it) {
            std::string why;
            if (!ruleFieldKnown(it.key(), why))
                r.error(where + ": when." + it.key(), why);
            else
                readTest(r, where + ": when." + it.key(), it.key(), it.value(), rule);
        }
    }
    if (const auto after = item.find("after"); after != item.end()) {
        if (!after->is_number() || !std::isfinite(after->get<double>()) || after->get<double>() < 0 ||
            after->get<double>() > kMaxAfterSeconds)
            r.error(where + ": after", "takes the seconds the signal must hold, from 0 to 86400");
        else
            rule.afterSeconds = after->get<double>();
    }
    const auto doList = item.find("do");
    if (doList == item.end())
        r.error(where, "a rule needs \"do\": the command lines to run when it becomes true");
    else
        rule.doActions = readActions(r, where + ": do", *doList);
    if (const auto undo = item.find("undo"); undo != item.end())
        rule.undoActions = readActions(r, where + ": undo", *undo);
    for (auto it = item.begin(); it != item.end(); ++it)
        if (it.key() != "name" && it.key() != "when" && it.key() != "after" && it.key() != "do" && it.key() != "undo")
            r.out.warnings.push_back(where + ": unknown key \"" + it.key() + "\" ignored");
    r.out.rules.push_back(std::move(rule));
}

// "line 3, column 7" of a byte offset.
std::string placeOf(std::string_view text, size_t byte)
{
    const size_t end = std::min(byte, text.size());
    size_t line = 1, column = 1;
    for (size_t i = 0; i + 1 < end; ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else {
            ++column;
        }
    }
    return "line " + std::to_string(line) + ", column " + std::to_string(column);
}

} // namespace

bool ruleFieldKnown(const std::string &field, std::string &why)
{
    if (field == "box")
        return true;
    if (field.rfind("setting.", 0) == 0) {
        const config::Setting *s = config::findSetting(std::string_view(field).substr(8));
        if (s && s->kind != config::Kind::Unused)
            return true;
        why = "no setting \"" + field.substr(8) + "\" (the names vantrelctl set takes)";
        return false;
    }
    const Json *at = &factShapes();
    size_t start = 0;
    for (bool first = true;; first = false) {
        const size_t dot = field.find('.', start);
        const std::string key = field.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
        if (!at->is_object() || !at->contains(key) || (first && restated(key))) {
            why = first && restated(key)
                      ? "\"" + key + "\" restates other facts; test those (timing.name, eotfName, hdcp, ...)"
                      : "no fact \"" + field + "\" (the status --json paths, setting.NAME or box)";
            return false;
        }
        at = &(*at)[key];
        if (dot == std::string::npos)
            return true;
        start = dot + 1;
    }
}

const char *opName(RuleTest::Op op)
{
    switch (op) {
    case RuleTest::Op::Is:
        return "is";
    case RuleTest::Op::IsNot:
        return "is not";
    case RuleTest::Op::In:
        return "in";
    case RuleTest::Op::Above:
        return "above";
    case RuleTest::Op::Below:
        return "below";
    case RuleTest::Op::Matches:
        return "matches";
    }
    return "";
}

bool globMatches(std::string_view p, std::string_view t)
{
    if (p.empty())
        return t.empty();
    if (p[0] == '*')
        return globMatches(p.substr(1), t) || (!t.empty() && globMatches(p, t.substr(1)));
    if (t.empty())
        return false;
    if (p[0] == '[') {
        const size_t close = p.find(']', 1);
        if (close != std::string_view::npos) {
            const std::string_view set = p.substr(1, close - 1);
            return set.find(t[0]) != std::string_view::npos && globMatches(p.substr(close + 1), t.substr(1));
        }
    }
    return (p[0] == '?' || p[0] == t[0]) && globMatches(p.substr(1), t.substr(1));
}

bool testHolds(const RuleTest &t, const Json &fact)
{
    // A timing (any object with a name) is compared by its name.
    const Json &v = fact.is_object() && fact.contains("name") ? fact["name"] : fact;
    switch (t.op) {
    case RuleTest::Op::Is:
        return v == t.value;
    case RuleTest::Op::IsNot:
        return v != t.value;
    case RuleTest::Op::In:
        return std::find(t.value.begin(), t.value.end(), v) != t.value.end();
    case RuleTest::Op::Above:
        return v.is_number() && v.get<double>() > t.value.get<double>();
    case RuleTest::Op::Below:
        return v.is_number() && v.get<double>() < t.value.get<double>();
    case RuleTest::Op::Matches:
        return v.is_string() && globMatches(t.value.get<std::string>(), v.get<std::string>());
    }
    return false;
}

RulesFile readRules(std::string_view text, const ActionCheck &check)
{
    RulesFile out;
    Reader r{out, check};
    if (text.size() > kMaxRulesFile) {
        out.errors.push_back("the file is larger than a rules file can be (" + std::to_string(kMaxRulesFile / 1024) +
                             " KiB)");
        return out;
    }
    Json doc;
    try {
        doc = Json::parse(text.begin(), text.end());
    } catch (const Json::parse_error &e) {
        out.errors.push_back("not a rules file: the JSON is malformed at " + placeOf(text, e.byte));
        return out;
    } catch (const Json::exception &) {
        out.errors.push_back("not a rules file: the JSON holds a number out of range");
        return out;
    }
    if (!doc.is_object() || !doc.contains("format") || doc["format"] != kFormat) {
        out.errors.push_back(std::string("not a rules file: the format is ") +
                             (doc.is_object() && doc.contains("format") ? doc["format"].dump() : "missing") +
                             ", not \"" + kFormat + "\"");
        return out;
    }
    const Json &version = doc["version"];
    if (!version.is_number() || !std::isfinite(version.get<double>()) || version.get<double>() < 1) {
        out.errors.push_back("the rules file has no valid \"version\"");
        return out;
    }
    if (std::floor(version.get<double>()) > kVersion) {
        out.errors.push_back("the rules file was written by a later version (" + version.dump() +
                             "); this program reads version " + std::to_string(kVersion));
        return out;
    }
    const auto rules = doc.find("rules");
    if (rules == doc.end() || !rules->is_array()) {
        out.errors.push_back("rules: takes a list of rules");
        return out;
    }
    std::set<std::string> names;
    for (size_t i = 0; i < rules->size(); ++i)
        readRule(r, i, (*rules)[i], names);
    for (auto it = doc.begin(); it != doc.end(); ++it)
        if (it.key() != "format" && it.key() != "version" && it.key() != "rules")
            out.warnings.push_back("unknown key \"" + it.key() + "\" ignored");
    out.ok = out.errors.empty();
    return out;
}

} // namespace vantrel::service
