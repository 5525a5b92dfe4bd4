// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_apply.h"

#include "setting_commands.h"
#include "setting_values.h"

#include <algorithm>
#include <iterator>

namespace vantrel::profile {

namespace {

constexpr int kEdidModeCustom = 3;
constexpr int kPresetCustom = 1;

// Why the step cannot be written as it stands; empty when it can.
std::string blocker(const Step &step, const uint8_t block[40], uint8_t &value)
{
    const Change &c = step.change;
    if (c.section == "settings") {
        const config::Setting *s = config::findSetting(c.name);
        const config::ParsedValue parsed = config::parseSettingValue(*s, c.after);
        if (!parsed.ok)
            return parsed.error;
        value = parsed.value;
        return config::lockReason(*s, block).value_or("");
    }
    if (c.section == "edid") {
        if (!holdsCustomTable(block))
            return "the box takes a custom table only in custom mode with preset 1";
    }
    return {};
}

Outcome run(Target &box, const Step &step, uint8_t value, const Profile &wanted)
{
    const Change &c = step.change;
    if (c.section == "settings")
        return box.setSetting(*config::findSetting(c.name), value, wanted);
    if (c.section == "edid")
        return box.writeCustomEdid(*wanted.customEdid);
    if (c.name == "hdr")
        return box.sendHdrInfoframe(c.after);
    if (c.name == "avi")
        return box.sendAviInfoframe(c.after);
    return box.storeCec(c.name == "lp", c.after);
}

} // namespace

bool holdsCustomTable(const uint8_t block[config::kBlockSize])
{
    return block[config::findSetting("edid-mode")->position] == kEdidModeCustom &&
           block[config::findSetting("edid-preset")->position] == kPresetCustom;
}

std::string appliedSummary(const ApplyReport &r)
{
    std::string applied, notApplied;
    for (const Step &s : r.steps) {
        std::string &list = s.state == StepState::Applied ? applied : notApplied;
        list += (list.empty() ? "" : ", ") + s.change.name;
    }
    return "applied: " + (applied.empty() ? std::string("nothing") : applied) +
           "; not applied: " + (notApplied.empty() ? std::string("nothing") : notApplied);
}

const char *stateWord(StepState s)
{
    switch (s) {
    case StepState::Planned:
        return "planned";
    case StepState::Applied:
        return "applied";
    case StepState::Skipped:
        return "skipped";
    case StepState::Failed:
        return "failed";
    case StepState::NotRun:
        return "not run";
    }
    return "";
}

ApplyReport applyProfile(Target &box, const Profile &wanted, const Sections &only, bool dryRun)
{
    ApplyReport r;
    FactsRead read = box.read();
    if (!read.outcome.done()) {
        r.failed = true;
        r.error = read.outcome.message;
        return r;
    }
    uint8_t block[40];
    std::copy(std::begin(read.facts.block), std::end(read.facts.block), block);
    for (const Change &c : differences(profileOf(read.facts, ""), wanted, only))
        r.steps.push_back({c, StepState::Planned, {}});

    for (Step &step : r.steps) {
        if (r.failed) {
            step.state = StepState::NotRun;
            continue;
        }
        uint8_t value = 0;
        // Judged on the block as the steps before this one leave it.
        step.reason = blocker(step, block, value);
        if (!step.reason.empty()) {
            step.state = StepState::Skipped;
            continue;
        }
        if (step.change.section == "settings")
            block[config::findSetting(step.change.name)->position] = value;
        if (dryRun)
            continue;
        const Outcome o = run(box, step, value, wanted);
        step.state = o.done() ? StepState::Applied : StepState::Failed;
        if (!o.done()) {
            step.reason = o.message.empty() ? "the box did not acknowledge it" : o.message;
            r.failed = true;
            r.error = step.change.name + " failed: " + step.reason;
        }
    }
    if (dryRun || r.failed)
        return r;

    // Trust the box, not the acknowledgements: read it back.
    read = box.read();
    if (!read.outcome.done()) {
        r.failed = true;
        r.error = "the check afterwards could not read the box: " + read.outcome.message;
        return r;
    }
    Sections check = only;
    check.cec = false; // the box cannot report its CEC texts
    for (const Change &c : differences(profileOf(read.facts, ""), wanted, check)) {
        bool skipped = false;
        for (const Step &s : r.steps)
            skipped = skipped || (s.state == StepState::Skipped && s.change.name == c.name);
        if (!skipped)
            r.unapplied.push_back(c);
    }
    if (!r.unapplied.empty()) {
        r.failed = true;
        r.error = "the box does not hold what was written:";
        for (const Change &c : r.unapplied)
            r.error += " " + c.name + (c.section == "settings" ? " is " + c.before : "");
    }
    return r;
}

} // namespace vantrel::profile
