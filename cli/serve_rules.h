// SPDX-License-Identifier: GPL-3.0-or-later
// The rules of a rules file as vantrelctl uses them: read and checked (every
// action by the command table), fired by serve on each poll against its box,
// and replayed from a signal log without one.
#pragma once

#include "box_connection.h"
#include "rules_engine.h"
#include "signal_log.h"

#include <string>
#include <vector>

namespace vantrel::cli {

// The file's rules; throws CliError(kExitFailed) with every error found.
std::vector<service::Rule> loadRules(const std::string &path);

// A firing as the signal log and the event topic carry it: the field
// "rule.NAME", the new value {"phase", "actions", "why"}.
service::Change firingChange(const service::Firing &f, const report::Json &actions);

class ServeRules {
public:
    ServeRules(std::vector<service::Rule> rules, long intervalMs) : engine_(std::move(rules), intervalMs) {}

    // One poll's state (as serve publishes it): the firings, their actions
    // run on box (refused when null: the box is not there or does not answer).
    std::vector<service::Change> poll(service::Millis now, const report::Json &state, BoxConnection *box);

    // rules/enable; the engine checked the name.
    void enable(const std::string &rule, bool on) { engine_.enable(rule, on); }

private:
    service::RulesEngine engine_;
};

} // namespace vantrel::cli
