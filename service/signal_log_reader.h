// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the signal log back: its lines one by one, and a folder's files
// from a time on, for some fields only. Reads are bounded; a line that is not
// a change (cut short, edited, too long) is skipped and counted.
#pragma once

#include "signal_log.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::service {

constexpr size_t kMaxLogLine = 16 * 1024;
constexpr size_t kMaxLogFileBytes = 64 * 1024 * 1024;
constexpr size_t kMaxLogChanges = 200000;

// A change from one line, or nullopt when the line is not one.
std::optional<Change> parseLogLine(std::string_view line);

struct LogQuery {
    std::optional<Millis> since;
    std::vector<std::string> only; // field names as fieldNamed() takes them; empty: all
    size_t limit = kMaxLogChanges;  // the newest this many are kept
};

struct LogRead {
    std::vector<Change> changes; // in the order written, oldest first
    size_t skipped = 0;          // lines that were not changes
    size_t dropped = 0;          // older changes let go past the query's limit
    bool truncated = false;      // a file past kMaxLogFileBytes: its end is not read
    std::string error;           // the folder could not be read
};

// The changes a text holds (one file's contents), appended to into.
void readLogText(std::string_view text, const LogQuery &query, LogRead &into);
// path: a log folder, or one file of changes (a saved history).
LogRead readLog(const std::string &path, const LogQuery &query);

} // namespace vantrel::service
