// SPDX-License-Identifier: GPL-3.0-or-later
// The signal log: one JSON line per change of the box's state (its time in
// UTC with the offset, the field, the old and the new value), one file a day
// in a folder, files older than the days kept removed.
#pragma once

#include "json_support.h"
#include "log_time.h"

#include <string>
#include <vector>

namespace vantrel::service {

using report::Json;

struct Change {
    Millis time = 0;
    std::string field; // "hdr", "timing", "setting.input", "box", "poll"
    Json oldValue, newValue;
};

// {"time": ..., "field": ..., "old": ..., "new": ...}
Json changeJson(const Change &c);
// The change as a log file holds it: changeJson on one line, newline-ended.
std::string changeLine(const Change &c);
// The change as one line of text: "<time>  <field>: <old> -> <new>", a
// missing value as "none".
std::string changeText(const Change &c);

// The state of the box as serve publishes it and the log compares it:
// {"box": ..., "status": <status --json's object>, "settings": {name: text}}.
// Its fields, flat: the status facts by their names (the window's four
// restating lines and the infoframe's bytes left out), the settings as
// "setting.<name>", and "box".
Json logFields(const Json &state);

// What differs between two states' fields, each a change at time. A field
// that appears or goes away changes from or to null.
std::vector<Change> changesBetween(const Json &before, const Json &after, Millis time);

// Whether a field is one --only names: the field itself, its group
// ("setting" for "setting.input") or its last part ("input").
bool fieldNamed(const std::string &field, const std::string &name);

// The file of a day: signals-2026-12-01.jsonl.
std::string logFileName(Millis time);
// The day a log file's name carries ("2026-12-01"), or empty when the name
// is not a log file's.
std::string logFileDay(const std::string &name);

class SignalLog {
public:
    static constexpr int kDefaultKeepDays = 30;

    SignalLog(std::string folder, int keepDays);

    // Appends the lines to the file of the change's day and, once a day,
    // removes the files older than the days kept. False with error() set
    // when the folder or file could not be written.
    bool append(const std::vector<Change> &changes);
    // Makes the folder if need be: empty when it can be written, else why not.
    std::string checkFolder() const;
    // Removes the files of days before the kept ones, counted back from now.
    void prune(Millis now);
    const std::string &error() const { return error_; }

private:
    std::string folder_;
    int keepDays_;
    std::string prunedOn_;
    std::string error_;
};

} // namespace vantrel::service
