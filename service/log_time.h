// SPDX-License-Identifier: GPL-3.0-or-later
// Times of the signal log: milliseconds since 1970 (UTC), written as
// 2026-12-01T10:00:00.250+00:00 and read back with any UTC offset.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace vantrel::service {

using Millis = int64_t;

Millis nowMillis();

// UTC with its offset: 2026-12-01T10:00:00.250+00:00.
std::string utcText(Millis t);
// The UTC day a time falls on: 2026-12-01.
std::string utcDay(Millis t);

// 2026-12-01T10:00:00[.fff](Z|+hh:mm|-hh:mm); nullopt for anything else.
std::optional<Millis> parseTime(const std::string &text);
// 2026-12-01, midnight UTC.
std::optional<Millis> parseDay(const std::string &text);

// What --since takes: a span back from now (90s, 30m, 1h, 2d), a day
// (2026-12-01, from its midnight UTC) or a time as the log writes it.
std::optional<Millis> parseSince(const std::string &text, Millis now);

} // namespace vantrel::service
