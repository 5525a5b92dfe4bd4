// SPDX-License-Identifier: GPL-3.0-or-later
#include "utc_time.h"

#include <ctime>

namespace vantrel {

std::string utcNowText()
{
    const std::time_t t = std::time(nullptr);
    std::tm tm{};
#ifdef _WIN32
    gmtime_s(&tm, &t);
#else
    gmtime_r(&t, &tm);
#endif
    char text[40];
    std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S+00:00", &tm);
    return text;
}

} // namespace vantrel
