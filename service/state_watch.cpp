// SPDX-License-Identifier: GPL-3.0-or-later
#include "state_watch.h"

#include "published_state.h"

namespace vantrel::service {

StateWatch::Step StateWatch::read(Millis now, const Json &state)
{
    std::vector<Change> changes;
    if (failing_)
        changes.push_back({now, "poll", "failed", "ok"});
    failing_ = false;
    return record(now, std::move(changes), state);
}

StateWatch::Step StateWatch::unanswered(Millis now, bool listed)
{
    std::vector<Change> changes;
    // The first state known is where the changes start: a box silent or
    // absent from the start has no poll that went wrong.
    if (!failing_ && state_.is_object())
        changes.push_back({now, "poll", "ok", "failed"});
    failing_ = true;
    Json state = state_.is_object() ? state_ : boxState("absent", Json(), Json::object());
    state["box"] = listed ? "silent" : "absent";
    return record(now, std::move(changes), state);
}

StateWatch::Step StateWatch::record(Millis now, std::vector<Change> changes, const Json &state)
{
    Step step;
    if (state_.is_object()) {
        const auto more = changesBetween(state_, state, now);
        changes.insert(changes.end(), more.begin(), more.end());
    }
    const auto boxOf = [](const Json &s) { return s.is_object() ? s.value("box", Json()) : Json(); };
    step.boxChanged = !state_.is_object() || boxOf(state_) != boxOf(state);
    if (state == state_ && changes.empty())
        return Step{};
    state_ = state;
    step.stateChanged = true;
    step.changes = std::move(changes);
    return step;
}

} // namespace vantrel::service
