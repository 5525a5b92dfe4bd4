// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_fields.h"

#include "packet_common.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>

namespace vantrel::packets {

std::string dashedName(std::string_view name)
{
    std::string out;
    for (char c : name) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (std::isalnum(u))
            out += char(std::tolower(u));
        else if (!out.empty() && out.back() != '-')
            out += '-';
    }
    while (!out.empty() && out.back() == '-')
        out.pop_back();
    return out;
}

std::string nameList(const std::vector<NamedValue> &choices)
{
    std::string out;
    for (size_t i = 0; i < choices.size(); ++i)
        out += std::string(i == 0 ? "" : i + 1 == choices.size() ? " or " : ", ") + choices[i].name;
    return out;
}

bool pickName(const std::vector<NamedValue> &choices, std::string_view text, const char *field, unsigned &value,
              std::string &error)
{
    std::string lower;
    for (char c : text)
        lower += char(std::tolower(static_cast<unsigned char>(c)));
    for (const NamedValue &c : choices)
        if (lower == c.name) {
            value = c.value;
            return true;
        }
    error = std::string(field) + ": \"" + std::string(text) + "\" is not one of " + nameList(choices);
    return false;
}

bool readDecimal(std::string_view text, double &value)
{
    size_t i = 0, digits = 0;
    if (i < text.size() && (text[i] == '-' || text[i] == '+'))
        ++i;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
        ++digits;
    if (i < text.size() && text[i] == '.')
        for (++i; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            ++digits;
    if (digits == 0 || i != text.size() || digits > 30)
        return false;
    value = std::strtod(std::string(text).c_str(), nullptr);
    return true;
}

bool readScaled(std::string_view text, const char *field, double lo, double hi, double unit, const char *unitName,
                unsigned &code, std::string &error)
{
    double v = 0;
    if (!readDecimal(text, v)) {
        error = std::string(field) + ": \"" + std::string(text) + "\" is not a number";
        return false;
    }
    // The range is what the field can carry, so the bounds print in its unit's precision.
    const int places = unit < 1 ? int(std::lround(-std::log10(unit))) : 0;
    if (v < lo || v > hi) {
        error = format("%s: %s is out of range (%.*f to %.*f%s%s)", field, std::string(text).c_str(), places, lo,
                       places, hi, *unitName ? " " : "", unitName);
        return false;
    }
    code = unsigned(std::lround(v / unit));
    code = std::min(code, unsigned(std::lround(hi / unit)));
    return true;
}

} // namespace vantrel::packets
