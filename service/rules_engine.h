// SPDX-License-Identifier: GPL-3.0-or-later
// Rules evaluated over the box's facts, one poll at a time: a pure step from
// the facts and their time to the firings, so serve and a replay of the
// signal log come to the same firings.
//
// A rule fires "do" once its condition has held for its after seconds (one
// poll interval when it gives none), checked on a later poll than the one
// that saw it become true; "undo" the same way once it stops holding. The
// changes the reading right after a firing shows in the facts the rule tests
// are its own effect: the rule goes on seeing those facts as they were until
// they change again, so an action never fires its own rule again.
#pragma once

#include "log_time.h"
#include "rules_file.h"

#include <map>
#include <string>
#include <vector>

namespace vantrel::service {

struct Firing {
    Millis time = 0;
    std::string rule;
    bool undo = false;
    std::vector<std::string> actions;
    std::string why; // the facts tested, as they stood: "eotfName is \"SMPTE ST 2084\", ..."
};

class RulesEngine {
public:
    RulesEngine(std::vector<Rule> rules, Millis pollMs);

    // facts: the log's fields (logFields of the state), or the same rebuilt
    // from the log's changes.
    std::vector<Firing> step(Millis now, const Json &facts);

    // Turns a rule on or off; false when there is no such rule. A rule
    // turned off neither fires nor undoes; turned on, it starts afresh: a
    // condition that holds then fires "do" as a new change would.
    bool enable(const std::string &rule, bool on);

    // Whether a rule waits for its signal to hold, or was just turned on.
    bool waiting() const;
    // The longest wait any rule has.
    Millis longestWait() const;

private:
    using Pins = std::map<std::string, std::pair<Json, Json>>; // field -> (value seen, its effect's value)
    struct State {
        bool active = false;   // did "do" last
        Millis since = -1;     // the condition has differed from active since; -1: it has not
        bool settling = false; // the next step shows the firing's effect
        Json firedFacts;       // the facts at the firing
        Pins pinned;
        bool off = false;   // turned off
        bool fresh = false; // turned on since the last step
    };
    static bool holdsOn(const Rule &rule, const Json &facts, const Pins &pinned, std::string *why);
    Millis waitOf(const Rule &r) const;

    std::vector<Rule> rules_;
    std::vector<State> states_;
    Json last_; // the facts of the step before
    Millis pollMs_;
};

// A fact by its path: "setting.input" as the field it is, "timing.name"
// inside the timing's object. Null when the facts do not hold it.
Json factAt(const Json &facts, const std::string &path);

// {"time", "rule", "phase": "do"|"undo", "actions": [...], "why"}; actions as
// texts, or the objects given (the outcomes of a run).
Json firingJson(const Firing &f, const Json &actions = Json());

} // namespace vantrel::service
