// SPDX-License-Identifier: GPL-3.0-or-later
// A rule's actions: vantrelctl command lines, read by the tool's own command
// table and options, checked as far as each command checks before it needs
// the box, and run against a box already open (serve's).
#pragma once

#include "box_connection.h"
#include "json_support.h"

#include <string>
#include <vector>

namespace vantrel::cli {

// The words of a line as a shell splits them: spaces separate, "..." and
// '...' quote, a backslash takes the next character as it is. Throws
// CliError(kExitUsage) on an open quote.
std::vector<std::string> actionWords(const std::string &line);

// Empty when the line is an action the tool would run; otherwise why not.
std::string checkAction(const std::string &line);

// Runs the line against the box: {"action", "outcome": "done"|"refused"|
// "failed", "message"}.
report::Json runAction(BoxConnection &box, const std::string &line);

} // namespace vantrel::cli
