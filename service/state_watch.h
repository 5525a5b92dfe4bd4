// SPDX-License-Identifier: GPL-3.0-or-later
// What each poll of the box came to, as changes of its state: a reading, or a
// poll it did not answer (silent while still attached, absent once gone).
// serve publishes and logs these; the window lists them. The first reading
// is where the changes start, not a change itself.
#pragma once

#include "signal_log.h"

#include <vector>

namespace vantrel::service {

class StateWatch {
public:
    struct Step {
        std::vector<Change> changes;
        bool stateChanged = false; // the state is new or differs
        bool boxChanged = false;   // its "box" differs (availability)
    };

    // A poll that read the box: state as boxState() makes it.
    Step read(Millis now, const Json &state);
    // A poll the box did not answer; listed: the box is still attached. The
    // last state known stays, with the box's word changed.
    Step unanswered(Millis now, bool listed);

    // Null until the first poll.
    const Json &state() const { return state_; }
    bool failing() const { return failing_; }

private:
    Step record(Millis now, std::vector<Change> changes, const Json &state);

    Json state_;
    bool failing_ = false;
};

} // namespace vantrel::service
