// SPDX-License-Identifier: GPL-3.0-or-later
#include "log_time.h"

#include <chrono>
#include <cstdio>

namespace vantrel::service {

namespace {

constexpr Millis kDayMs = 86400000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back; no time
// zone database, so the same on every platform.
int64_t daysFromCivil(int64_t y, unsigned m, unsigned d)
{
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const unsigned yoe = unsigned(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + int64_t(doe) - 719468;
}

void civilFromDays(int64_t z, int64_t &y, unsigned &m, unsigned &d)
{
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const unsigned doe = unsigned(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = int64_t(yoe) + era * 400 + (m <= 2);
}

int64_t floorDiv(int64_t a, int64_t b)
{
    return a / b - ((a % b != 0) && ((a < 0) != (b < 0)));
}

// n decimal digits at text[at]; false when any is not a digit.
bool digits(const std::string &text, size_t at, size_t n, int &value)
{
    if (at + n > text.size())
        return false;
    value = 0;
    for (size_t i = at; i < at + n; ++i) {
        if (text[i] < '0' || text[i] > '9')
            return false;
        value = value * 10 + (text[i] - '0');
    }
    return true;
}

unsigned daysInMonth(int y, int m)
{
    static const unsigned days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return m == 2 && leap ? 29 : days[m - 1];
}

// The date part at the start of text: "2026-12-01".
std::optional<Millis> datePart(const std::string &text)
{
    int y = 0, m = 0, d = 0;
    if (!digits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' || !digits(text, 5, 2, m) || text[7] != '-' ||
        !digits(text, 8, 2, d))
        return std::nullopt;
    if (m < 1 || m > 12 || d < 1 || unsigned(d) > daysInMonth(y, m))
        return std::nullopt;
    return daysFromCivil(y, unsigned(m), unsigned(d)) * kDayMs;
}

} // namespace

Millis nowMillis()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

std::string utcDay(Millis t)
{
    int64_t y = 0;
    unsigned m = 0, d = 0;
    civilFromDays(floorDiv(t, kDayMs), y, m, d);
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02u-%02u", int(y), m, d);
    return text;
}

std::string utcText(Millis t)
{
    const int64_t inDay = t - floorDiv(t, kDayMs) * kDayMs;
    char text[48];
    std::snprintf(text, sizeof text, "%sT%02d:%02d:%02d.%03d+00:00", utcDay(t).c_str(), int(inDay / 3600000),
                  int(inDay / 60000 % 60), int(inDay / 1000 % 60), int(inDay % 1000));
    return text;
}

std::optional<Millis> parseDay(const std::string &text)
{
    return text.size() == 10 ? datePart(text) : std::nullopt;
}

std::optional<Millis> parseTime(const std::string &text)
{
    const std::optional<Millis> day = datePart(text);
    int h = 0, mi = 0, s = 0;
    if (!day || text.size() < 20 || (text[10] != 'T' && text[10] != ' ') || !digits(text, 11, 2, h) ||
        text[13] != ':' || !digits(text, 14, 2, mi) || text[16] != ':' || !digits(text, 17, 2, s) || h > 23 ||
        mi > 59 || s > 60)
        return std::nullopt;
    Millis t = *day + (h * 3600 + mi * 60 + s) * Millis(1000);
    size_t at = 19;
    if (text[at] == '.') {
        size_t end = ++at;
        int ms = 0, scale = 100;
        while (end < text.size() && text[end] >= '0' && text[end] <= '9') {
            ms += (text[end] - '0') * scale;
            scale /= 10;
            ++end;
        }
        if (end == at || end - at > 9)
            return std::nullopt;
        t += ms;
        at = end;
    }
    if (at + 1 == text.size() && text[at] == 'Z')
        return t;
    int oh = 0, om = 0;
    if (at + 6 != text.size() || (text[at] != '+' && text[at] != '-') || !digits(text, at + 1, 2, oh) ||
        text[at + 3] != ':' || !digits(text, at + 4, 2, om) || oh > 23 || om > 59)
        return std::nullopt;
    const Millis offset = (oh * 60 + om) * Millis(60000);
    return text[at] == '+' ? t - offset : t + offset;
}

std::optional<Millis> parseSince(const std::string &text, Millis now)
{
    if (const auto day = parseDay(text))
        return day;
    if (const auto time = parseTime(text))
        return time;
    if (text.size() < 2 || text.size() > 8)
        return std::nullopt;
    Millis unit = 0;
    switch (text.back()) {
    case 's':
        unit = 1000;
        break;
    case 'm':
        unit = 60000;
        break;
    case 'h':
        unit = 3600000;
        break;
    case 'd':
        unit = kDayMs;
        break;
    default:
        return std::nullopt;
    }
    int n = 0;
    if (!digits(text, 0, text.size() - 1, n))
        return std::nullopt;
    return now - n * unit;
}

} // namespace vantrel::service
