// SPDX-License-Identifier: GPL-3.0-or-later
// Exit statuses of vantrelctl and the error that carries one to main().
#pragma once

#include <string>

namespace vantrel::cli {

enum ExitStatus {
    kExitOk = 0,
    kExitFailed = 1,   // refused, a check found a fault, a file could not be read or written
    kExitUsage = 2,    // the command line (or a value on it) is wrong
    kExitNoBox = 3,    // no usable library, no box with the serial, or it would not open
    kExitExchange = 4, // an exchange failed or the box did not acknowledge it
};

struct CliError {
    int status;
    std::string message;  // empty: already reported
    bool printed = false; // the JSON document was printed already
};

// Thrown for --help: the text is printed and the tool ends with status 0.
struct HelpShown {};

} // namespace vantrel::cli
