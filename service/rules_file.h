// SPDX-License-Identifier: GPL-3.0-or-later
// The rules file: rules that act on the box's own signal. Each has a name, a
// condition over the facts the signal log records (all of its tests hold),
// the command lines to run when it becomes true and, optionally, when it
// stops. Read with the profile file's conventions: a format and a major
// version, unknown keys named in warnings.
#pragma once

#include "json_support.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::service {

using report::Json;

struct RuleTest {
    enum class Op { Is, IsNot, In, Above, Below, Matches };
    std::string field; // "eotfName", "timing.name", "setting.input"
    Op op = Op::Is;
    Json value; // is / is not: a value; in: an array; above / below: a number; matches: a pattern
};

struct Rule {
    std::string name;
    std::vector<RuleTest> when;
    std::optional<double> afterSeconds; // none: one poll interval
    std::vector<std::string> doActions, undoActions;
};

struct RulesFile {
    bool ok = false;
    std::vector<Rule> rules;
    std::vector<std::string> errors;   // each with its place: "rules[0] \"name\": when: ..."
    std::vector<std::string> warnings; // keys this version does not know
};

// Whether an action line is one the tool would run; empty when it is,
// otherwise why not.
using ActionCheck = std::function<std::string(const std::string &line)>;

constexpr size_t kMaxRulesFile = 256 * 1024;

// Every field, value and action checked; the actions by check.
RulesFile readRules(std::string_view text, const ActionCheck &check);

// The fields a rule may test: the status facts by their paths, setting.NAME, box.
bool ruleFieldKnown(const std::string &field, std::string &why);

const char *opName(RuleTest::Op op);
// Whether the fact (null when unknown) passes the test.
bool testHolds(const RuleTest &t, const Json &fact);
// "*" any run of characters, "?" one, "[...]" one of a set; the whole text.
bool globMatches(std::string_view pattern, std::string_view text);

} // namespace vantrel::service
