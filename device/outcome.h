// SPDX-License-Identifier: GPL-3.0-or-later
// What an operation on the box came to. The window shows the message and goes
// on; vantrelctl turns the verdict into its exit status.
#pragma once

#include <string>

namespace vantrel {

enum class Verdict {
    Done,    // every step was acknowledged
    Refused, // the typed text was not accepted; nothing was sent
    Failed,  // an exchange failed or the box did not acknowledge it
};

struct Outcome {
    Verdict verdict = Verdict::Done;
    std::string message; // the status-bar text that told it (empty when done)

    bool done() const { return verdict == Verdict::Done; }
};

} // namespace vantrel
