// SPDX-License-Identifier: GPL-3.0-or-later
// The values of the edits that add: codes, timings, luminances, ranges.
#include "edid_edit.h"

#include "vic_names.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace vantrel::edid::edit {

namespace {

std::vector<std::string> items(const std::string &text, char separator)
{
    std::vector<std::string> out;
    std::stringstream in(text);
    std::string item;
    while (std::getline(in, item, separator))
        out.push_back(item);
    return out;
}

bool wholeNumber(const std::string &text, unsigned max, unsigned &value)
{
    if (text.empty() || text.size() > 6 || text.find_first_not_of("0123456789") != std::string::npos)
        return false;
    value = unsigned(std::stoul(text));
    return value <= max;
}

bool decimal(const std::string &text, double &value)
{
    char *end = nullptr;
    value = std::strtod(text.c_str(), &end);
    return !text.empty() && end == text.c_str() + text.size() && std::isfinite(value) && value >= 0 &&
           text.find_first_not_of("0123456789.") == std::string::npos;
}

bool range(const std::string &text, unsigned max, unsigned &from, unsigned &to)
{
    const std::vector<std::string> ends = items(text, '-');
    return ends.size() == 2 && wholeNumber(ends[0], max, from) && wholeNumber(ends[1], max, to) && from <= to;
}

} // namespace

bool parseAddedVics(const std::string &text, std::vector<AddedVic> &vics, std::string &why)
{
    vics.clear();
    for (const std::string &item : items(text, ',')) {
        const std::vector<std::string> parts = items(item, ':');
        AddedVic v;
        if (parts.empty() || parts.size() > 2 || !wholeNumber(parts[0], 255, v.vic) || !vicFormat(v.vic) ||
            (parts.size() == 2 && parts[1] != "420")) {
            why = "\"" + item + "\" is not a known VIC, with :420 for its 4:2:0 capability (97:420)";
            return false;
        }
        v.y420 = parts.size() == 2;
        vics.push_back(v);
    }
    if (vics.empty())
        why = "no VIC given";
    return !vics.empty();
}

bool parseTiming(const std::string &text, TimingRequest &timing, std::string &why)
{
    why = "\"" + text + "\" is not a mode such as 2560x1440@120, with ,rb2 or ,first after it";
    const std::vector<std::string> parts = items(text, ',');
    if (parts.empty())
        return false;
    timing = TimingRequest{};
    int used = 0;
    if (std::sscanf(parts[0].c_str(), "%ux%u@%lf%n", &timing.width, &timing.height, &timing.refreshHz, &used) != 3 ||
        size_t(used) != parts[0].size())
        return false;
    for (size_t i = 1; i < parts.size(); ++i) {
        if (parts[i] == "rb2")
            timing.rb2 = true;
        else if (parts[i] == "first")
            timing.first = true;
        else if (parts[i] != "rb1" && parts[i] != "last")
            return false;
    }
    if (timing.width < 64 || timing.width > 4095 || timing.height < 64 || timing.height > 4095 ||
        timing.refreshHz < 20 || timing.refreshHz > 500) {
        why = "a detailed timing is 64 to 4095 pixels wide and high, at 20 to 500 Hz";
        return false;
    }
    return true;
}

bool parseLuminance(const std::string &text, Luminance &l, std::string &why)
{
    const std::vector<std::string> parts = items(text, ',');
    if (parts.size() != 3 || !decimal(parts[0], l.max) || !decimal(parts[1], l.average) ||
        !decimal(parts[2], l.min)) {
        why = "\"" + text + "\" is not MAX,AVERAGE,MIN in cd/m2 (1000,400,0.05)";
        return false;
    }
    if (l.max < 50 || l.max > 10000 || l.average < 50 || l.average > l.max || l.min >= l.max) {
        why = "the maximum and average are 50 to 10000 cd/m2, the average at most the maximum, the minimum below it";
        return false;
    }
    return true;
}

bool parseRangeLimits(const std::string &text, RangeLimits &r, std::string &why)
{
    const std::vector<std::string> parts = items(text, ',');
    if (parts.size() != 3 || !range(parts[0], 510, r.minV, r.maxV) || !range(parts[1], 510, r.minH, r.maxH) ||
        !wholeNumber(parts[2], 2550, r.maxClockMHz) || !r.minV || !r.minH || !r.maxClockMHz) {
        why = "\"" + text + "\" is not VMIN-VMAX,HMIN-HMAX,MAXCLOCK (Hz 1 to 510, kHz 1 to 510, MHz up to 2550)";
        return false;
    }
    return true;
}

bool parseRateRange(const std::string &text, RateRange &r, std::string &why)
{
    if (!range(text, 1023, r.min, r.max) || !r.min) {
        why = "\"" + text + "\" is not a refresh range MIN-MAX in Hz (48-120)";
        return false;
    }
    return true;
}

bool parseOnOff(const std::string &text, bool &on, std::string &why)
{
    on = text == "on";
    if (text != "on" && text != "off")
        why = "\"" + text + "\" is not on or off";
    return text == "on" || text == "off";
}

bool parseFrlRate(const std::string &text, unsigned &code, std::string &why)
{
    // Gbps over all lanes: 3 lanes at 3 and 6 Gbps, 4 lanes at 6, 8, 10, 12.
    static const unsigned kGbps[] = {0, 9, 18, 24, 32, 40, 48};
    unsigned gbps = 0;
    const bool number = wholeNumber(text == "none" ? "0" : text, 48, gbps);
    for (code = 0; number && code < 7; ++code)
        if (kGbps[code] == gbps)
            return true;
    why = "\"" + text + "\" is not an FRL rate in Gbps: none, 9, 18, 24, 32, 40 or 48";
    return false;
}

} // namespace vantrel::edid::edit
