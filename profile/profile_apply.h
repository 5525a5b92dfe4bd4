// SPDX-License-Identifier: GPL-3.0-or-later
// Putting a profile on a box: only what differs, in an order the box accepts,
// stopping at the first step that fails and checking the result by reading
// the box back. The window and vantrelctl each supply the box operations.
#pragma once

#include "profile.h"

#include "outcome.h"
#include "settings_table.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::profile {

// The box as a read found it. outcome: Done, or Failed with the reason in
// the tool's words (told to nobody); facts are whole only when Done.
struct FactsRead {
    Outcome outcome;
    BoxFacts facts;
};

// The box operations an apply needs, each as the front end does it (the
// window's pages, vantrelctl's commands).
class Target {
public:
    virtual ~Target() = default;
    virtual Outcome setSetting(const config::Setting &s, uint8_t value, const Profile &wanted) = 0;
    virtual Outcome sendHdrInfoframe(const std::string &text) = 0;
    virtual Outcome sendAviInfoframe(const std::string &text) = 0;
    virtual Outcome writeCustomEdid(const std::vector<uint8_t> &table) = 0;
    virtual Outcome storeCec(bool longPress, const std::string &text) = 0;
    // The box as it is now.
    virtual FactsRead read() = 0;
};

enum class StepState {
    Planned, // dry run: would be written
    Applied,
    Skipped, // locked by the box or a value no control can write: named, not forced
    Failed,
    NotRun, // after a failure
};

struct Step {
    Change change;
    StepState state = StepState::Planned;
    std::string reason; // why skipped or failed
};

struct ApplyReport {
    std::vector<Step> steps;
    bool failed = false;
    std::string error;             // a read that failed, or what the check found
    std::vector<Change> unapplied; // what the box still differs in after the apply
};

// A setting the box locks (its permission flag, a setting it applies under)
// is skipped and named, judged on the block as the earlier steps leave it.
ApplyReport applyProfile(Target &box, const Profile &wanted, const Sections &only, bool dryRun);

const char *stateWord(StepState s); // "applied", "skipped", ...

// "applied: a, b; not applied: c" for a finished apply ("nothing" for none).
std::string appliedSummary(const ApplyReport &r);

// Whether the box presents its custom store: custom mode with preset 1.
bool holdsCustomTable(const uint8_t block[config::kBlockSize]);

} // namespace vantrel::profile
