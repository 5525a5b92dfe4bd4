// SPDX-License-Identifier: GPL-3.0-or-later
// What a multi-step operation (EDID transfer, CEC or infoframe send) needs
// besides the box: pauses, the diagnostic lines for standard output and the
// transfer progress.
#pragma once

#include "box.h"
#include "clock.h"

#include <functional>
#include <string>

namespace vantrel {

struct Session {
    Box &box;
    Clock &clock;
    // One diagnostic line for standard output (never shown in the window).
    std::function<void(const std::string &line)> diagnostic;
    // on_ProgressChange(a, b): a <= 0 or b <= 0 hides the bar.
    std::function<void(int a, int b)> progress;

    Outcome status(const std::string &text, int ms) { return box.message(text, ms); }
    Outcome refuse(const std::string &text, int ms) { return box.refuse(text, ms); }
    Outcome fail(const std::string &text, int ms) { return box.fail(text, ms); }
    void diag(const std::string &line)
    {
        if (diagnostic)
            diagnostic(line);
    }
    void setProgress(int a, int b)
    {
        if (progress)
            progress(a, b);
    }
};

} // namespace vantrel
