// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_values.h"

#include <cctype>

namespace vantrel::config {

namespace {

const char *const kOnWords[] = {"on", "enable", "enabled", "true", "yes"};
const char *const kOffWords[] = {"off", "disable", "disabled", "false", "no"};

bool sameText(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(a[i])) !=
            std::tolower(static_cast<unsigned char>(b[i])))
            return false;
    return true;
}

std::string_view trimmed(std::string_view t)
{
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.front())))
        t.remove_prefix(1);
    while (!t.empty() && std::isspace(static_cast<unsigned char>(t.back())))
        t.remove_suffix(1);
    return t;
}

std::string_view firstWord(std::string_view t) { return t.substr(0, t.find(' ')); }

// Decimal, or hexadecimal after 0x; 0 to 255.
bool parseNumber(std::string_view t, int &out)
{
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        base = 16;
        t.remove_prefix(2);
    }
    if (t.empty() || t.size() > 3)
        return false;
    int v = 0;
    for (char c : t) {
        const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                      : base == 16 && std::isxdigit(static_cast<unsigned char>(c))
                          ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                          : -1;
        if (d < 0)
            return false;
        v = v * base + d;
    }
    if (v > 255)
        return false;
    out = v;
    return true;
}

// Settings whose values are plain 1 = on, 0 = off.
bool isSwitch(const Setting &s)
{
    if (s.kind == Kind::CheckBox || s.kind == Kind::BoolPair)
        return true;
    return s.kind == Kind::RadioValues && s.options.size() == 2 && s.optionFor(1) &&
           s.optionFor(0);
}

bool switchWord(std::string_view t, int &out)
{
    for (const char *w : kOnWords)
        if (sameText(t, w)) {
            out = 1;
            return true;
        }
    for (const char *w : kOffWords)
        if (sameText(t, w)) {
            out = 0;
            return true;
        }
    return false;
}

bool takes(const Setting &s, int v)
{
    switch (s.kind) {
    case Kind::Selector:
        return v >= s.listBase && v < s.listBase + static_cast<int>(s.list->size());
    case Kind::CheckBox:
        return v == 0 || v == 1;
    case Kind::BoolPair:
    case Kind::RadioValues:
    case Kind::EdidMode:
        return s.optionFor(v) != nullptr;
    default:
        return false;
    }
}

std::string quoted(const char *t) { return std::string("\"") + t + "\""; }

} // namespace

ParsedValue parseSettingValue(const Setting &s, std::string_view text)
{
    ParsedValue r;
    const std::string name = s.cliName ? s.cliName : s.caption;
    if (!s.writable()) {
        r.error = name + " cannot be set";
        return r;
    }
    const std::string_view t = trimmed(text);
    if (t.empty()) {
        r.error = "no value given for " + name + "; use " + acceptedValues(s);
        return r;
    }

    int v = -1;
    bool found = false;
    if (s.kind == Kind::Selector) {
        for (std::size_t i = 0; i < s.list->size() && !found; ++i)
            if (sameText(t, (*s.list)[i])) {
                v = static_cast<int>(i) + s.listBase;
                found = true;
            }
    }
    for (const Option &o : s.options)
        if (!found && (sameText(t, o.text) || sameText(t, firstWord(o.text)))) {
            v = o.value;
            found = true;
        }
    if (!found && isSwitch(s))
        found = switchWord(t, v);
    if (!found && parseNumber(t, v)) {
        if (!takes(s, v)) {
            r.error = std::to_string(v) + " is not a value of " + name + "; use " +
                      acceptedValues(s);
            return r;
        }
        found = true;
    }
    if (!found) {
        r.error = "\"" + std::string(t) + "\" is not a value of " + name + "; use " +
                  acceptedValues(s);
        return r;
    }
    r.ok = true;
    r.value = static_cast<uint8_t>(v);
    return r;
}

std::string describeValue(const Setting &s, uint8_t value)
{
    const std::string raw = " (" + std::to_string(value) + ")";
    switch (s.kind) {
    case Kind::Selector: {
        const int index = value - s.listBase;
        if (index >= 0 && index < static_cast<int>(s.list->size()))
            return (*s.list)[index];
        return "no entry" + raw;
    }
    case Kind::CheckBox:
        return value == 1 ? "on" : value == 0 ? "off" : "off" + raw;
    case Kind::BoolPair: {
        const std::string shown = value == 1 ? s.options[0].text : s.options[1].text;
        return value <= 1 ? shown : shown + raw;
    }
    case Kind::RadioValues:
    case Kind::EdidMode:
        if (const Option *o = s.optionFor(value))
            return o->text;
        return (value == s.neitherValue ? "neither" : "unknown") + raw;
    case Kind::EnableFlag:
        return value == 1 ? "yes" : "no";
    case Kind::Unused:
        break;
    }
    return std::to_string(value);
}

std::string acceptedValues(const Setting &s)
{
    std::string out;
    auto add = [&out](const std::string &item) {
        if (!out.empty())
            out += ", ";
        out += item;
    };
    switch (s.kind) {
    case Kind::Selector: {
        const int last = s.listBase + static_cast<int>(s.list->size()) - 1;
        add(std::to_string(s.listBase) + " to " + std::to_string(last));
        for (const char *text : *s.list)
            add(quoted(text));
        break;
    }
    case Kind::CheckBox:
        add("on");
        add("off");
        break;
    case Kind::BoolPair:
    case Kind::RadioValues:
    case Kind::EdidMode:
        for (const Option &o : s.options)
            add(quoted(o.text) + " (" + std::to_string(o.value) + ")");
        if (isSwitch(s)) {
            add("on");
            add("off");
        }
        break;
    default:
        add("nothing: it cannot be set");
        break;
    }
    return out;
}

} // namespace vantrel::config

namespace vantrel::config {

std::vector<std::string> valueWords(const Setting &s)
{
    std::vector<std::string> words;
    if (!s.writable())
        return words;
    if (s.kind == Kind::Selector) {
        for (std::size_t i = 0; i < s.list->size(); ++i)
            words.push_back(std::to_string(s.listBase + static_cast<int>(i)));
        words.insert(words.end(), s.list->begin(), s.list->end());
    }
    for (const Option &o : s.options) {
        const std::string_view first = firstWord(o.text);
        int sharing = 0;
        for (const Option &other : s.options)
            sharing += sameText(firstWord(other.text), first) ? 1 : 0;
        words.emplace_back(sharing == 1 ? first : std::string_view(o.text));
    }
    if (isSwitch(s)) {
        words.emplace_back("on");
        words.emplace_back("off");
    }
    return words;
}

} // namespace vantrel::config
