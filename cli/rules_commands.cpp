// SPDX-License-Identifier: GPL-3.0-or-later
// rules check and rules test: a rules file checked as serve --rules reads it,
// and replayed over a signal log to show what would have fired, without a box.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"
#include "rule_actions.h"
#include "serve_rules.h"

#include "signal_log_reader.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace vantrel::cli {

namespace {

using service::Millis;

int runCheck(Invocation &inv)
{
    const std::string path = inv.args[0];
    const std::vector<uint8_t> bytes = readBounded(path, service::kMaxRulesFile);
    const service::RulesFile file =
        service::readRules(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()), checkAction);
    size_t actions = 0;
    for (const service::Rule &r : file.rules)
        actions += r.doActions.size() + r.undoActions.size();
    for (const std::string &w : file.warnings)
        std::fprintf(stderr, "vantrelctl: %s: warning: %s\n", path.c_str(), w.c_str());
    for (const std::string &e : file.errors)
        inv.out.line(path + ": " + e);
    if (file.ok)
        inv.out.line(path + ": " + std::to_string(file.rules.size()) + " rule(s), " + std::to_string(actions) +
                     " action(s): all checked");
    inv.out.set("ok", file.ok);
    inv.out.set("rules", file.rules.size());
    inv.out.set("errors", file.errors);
    inv.out.set("warnings", file.warnings);
    return file.ok ? kExitOk : kExitFailed;
}

// Replays the changes as serve saw them: the changes of one time are one
// poll; between them, while a rule waits for its signal to hold, the polls
// serve made at the interval; right after a firing, the poll that reads its
// effect (the next changes, when they come within two intervals: serve reads
// the box again as soon as the actions are done, and they take their time).
// A rule turned off or on over MQTT is turned off or on where serve did.
std::vector<service::Firing> replay(std::vector<service::Rule> rules, const std::vector<service::Change> &changes,
                                    Millis interval)
{
    service::RulesEngine engine(std::move(rules), interval);
    std::vector<service::Firing> firings;
    Json facts = Json::object();
    Millis last = 0;
    bool fired = false;
    const auto step = [&](Millis now) {
        const std::vector<service::Firing> more = engine.step(now, facts);
        firings.insert(firings.end(), more.begin(), more.end());
        fired = !more.empty();
        last = now;
    };
    const auto until = [&](Millis next) {
        while (true) {
            if (fired && next - last >= 2 * interval)
                step(last); // the reading right after the actions showed nothing new
            if (!engine.waiting() || last + interval >= next - interval / 2)
                break;
            step(last + interval);
        }
    };
    for (size_t i = 0; i < changes.size();) {
        const Millis time = changes[i].time;
        if (i > 0)
            until(time);
        bool poll = false;
        for (; i < changes.size() && changes[i].time == time; ++i) {
            const service::Change &c = changes[i];
            const bool rule = c.field.rfind("rule.", 0) == 0;
            const Json phase = rule && c.newValue.is_object() ? c.newValue.value("phase", Json()) : Json();
            const bool switched = phase == "on" || phase == "off";
            if (!rule)
                facts[c.field] = c.newValue;
            else if (switched) // rules/enable: between polls, not one
                engine.enable(c.field.substr(5), phase == "on");
            poll = poll || !switched; // a fact, or a firing: a poll's own change
        }
        if (poll)
            step(time);
        else
            last = std::max(last, time);
    }
    if (!changes.empty())
        until(last + engine.longestWait() + 2 * interval);
    return firings;
}

int runTest(Invocation &inv)
{
    std::vector<service::Rule> rules = loadRules(inv.args[0]);
    const Millis interval = Millis(intervalOption(inv, 3000));
    const service::LogRead read = service::readLog(inv.args[1], {});
    if (!read.error.empty())
        throw CliError{kExitFailed, read.error};
    if (read.skipped)
        std::fprintf(stderr, "vantrelctl: skipped %zu line(s) that are not changes\n", read.skipped);
    Json list = Json::array();
    for (const service::Firing &f : replay(std::move(rules), read.changes, interval)) {
        std::string actions;
        for (const std::string &a : f.actions)
            actions += (actions.empty() ? "" : "; ") + a;
        inv.out.line(service::utcText(f.time) + "  " + f.rule + "  " + (f.undo ? "undo" : "do") + ": " + actions);
        inv.out.line("    because " + f.why);
        list.push_back(service::firingJson(f));
    }
    if (list.empty())
        inv.out.line("no rule would have fired (" + std::to_string(read.changes.size()) + " changes read)");
    inv.out.set("firings", std::move(list));
    return kExitOk;
}

} // namespace

// Built where serve is not (Windows): rules test replays at serve's interval.
long intervalOption(const Invocation &inv, long fallback)
{
    if (!inv.isSet("interval"))
        return fallback;
    char *end = nullptr;
    const std::string text = inv.value("interval");
    const double seconds = std::strtod(text.c_str(), &end);
    if (text.empty() || *end || !std::isfinite(seconds) || seconds < 0.2 || seconds > 3600)
        usageError("--interval takes SECONDS, a number from 0.2 to 3600, not \"" + text + "\"");
    return long(seconds * 1000);
}

std::vector<Command> rulesCommands()
{
    return {
        {"rules check",
         "FILE",
         "Check a rules file as serve --rules reads it: every field, value and action, errors with their place.",
         "A rules file: {\"format\": \"vantrel-rules\", \"version\": 1, \"rules\": [{\"name\", \"when\", \"after\", "
         "\"do\",\n"
         "\"undo\"}]}. when: fields by their status --json paths (timing.name, eotfName, hdcp,\n"
         "infoframeDecoded.maxCll), setting.NAME or box, each with is, is not, in, above, below or matches\n"
         "(* and ? patterns); all must hold. do, undo: vantrelctl command lines (\"set force-hdr on\"), each\n"
         "checked as the command checks it before it needs the box. Exit status 1 when anything is wrong.",
         1,
         1,
         {},
         runCheck},
        {"rules test",
         "FILE LOG [--interval SECONDS]",
         "Replay a signal log (serve --log's folder or file, or a saved history): what would have fired, when, why.",
         "No box is needed and no action runs. The changes of one time are one poll; while a rule waits for its\n"
         "signal to hold, polls come at the interval serve ran with (default 3). Facts the log never names are\n"
         "unknown until their first change.",
         2,
         2,
         {{"interval", 0, "SECONDS", "the interval serve polled at (default 3)"}},
         runTest},
    };
}

} // namespace vantrel::cli
