// SPDX-License-Identifier: GPL-3.0-or-later
// log: what serve --log wrote, from a time on, for some fields only.
#include "cli_error.h"
#include "commands.h"
#include "nearest_name.h"

#include "published_state.h"
#include "signal_log_reader.h"
#include "status_json.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

namespace {

// What --only may name: every field of a state, its group and its last part.
std::vector<std::string> fieldNames()
{
    const uint8_t block[config::kBlockSize] = {};
    const Json fields = service::logFields(
        service::boxState("present", status::statusJson({}, {}), service::settingsByName(block)));
    // rule: the firings of serve --rules, as rule.NAME.
    std::vector<std::string> names = {"poll", "setting", "timing", "infoframeDecoded", "rule"};
    for (const auto &item : fields.items()) {
        const std::string &field = item.key();
        names.push_back(field);
        if (const size_t dot = field.find('.'); dot != std::string::npos)
            names.push_back(field.substr(dot + 1));
    }
    return names;
}

// A name that names no field would print nothing, silently.
void checkFieldNames(const std::vector<std::string> &only)
{
    const std::vector<std::string> names = fieldNames();
    for (const std::string &name : only)
        if (std::find(names.begin(), names.end(), name) == names.end() && name.rfind("rule.", 0) != 0 &&
            std::none_of(names.begin(), names.end(),
                         [&](const std::string &field) { return service::fieldNamed(field, name); }))
            usageError("--only: no field \"" + name + "\"" + didYouMean(name, names) +
                       "; fields are the status --json names, setting names, box and poll");
}

int runLog(Invocation &inv)
{
    service::LogQuery query;
    if (inv.isSet("since")) {
        const std::string since = inv.value("since");
        query.since = service::parseSince(since, service::nowMillis());
        if (!query.since)
            usageError("--since takes a span back from now (90s, 30m, 1h, 2d), a day (2026-12-01) or a time "
                       "(2026-12-01T10:00:00+00:00), not \"" +
                       since + "\"");
    }
    if (inv.isSet("only")) {
        const std::string only = inv.value("only");
        size_t at = 0;
        while (at <= only.size()) {
            const size_t comma = std::min(only.find(',', at), only.size());
            if (comma > at)
                query.only.push_back(only.substr(at, comma - at));
            at = comma + 1;
        }
        if (query.only.empty())
            usageError("--only takes field names separated by commas (hdr,hdcp,input)");
        checkFieldNames(query.only);
    }
    const service::LogRead read = service::readLog(inv.args[0], query);
    if (!read.error.empty())
        throw CliError{kExitFailed, read.error};
    Json changes = Json::array();
    for (const service::Change &c : read.changes) {
        inv.out.line(service::changeText(c));
        changes.push_back(service::changeJson(c));
    }
    inv.out.set("changes", std::move(changes));
    inv.out.set("skipped", read.skipped);
    inv.out.set("dropped", read.dropped);
    inv.out.set("truncated", read.truncated);
    // Told on standard error, so a pipe reading the lines gets changes only.
    if (read.skipped)
        std::fprintf(stderr, "vantrelctl: skipped %zu line(s) that are not changes\n", read.skipped);
    if (read.dropped)
        std::fprintf(stderr, "vantrelctl: %zu older change(s) left out; these are the newest %zu\n", read.dropped,
                     read.changes.size());
    if (read.truncated)
        std::fprintf(stderr, "vantrelctl: a log file is longer than %zu MiB; the changes past that are not read\n",
                     service::kMaxLogFileBytes >> 20);
    return kExitOk;
}

} // namespace

std::vector<Command> logCommands()
{
    return {
        {"log",
         "DIR|FILE [--since WHEN] [--only FIELDS]",
         "The signal changes serve --log wrote to DIR (or a FILE the window saved): time, field, old and new value.",
         "WHEN is a span back from now (90s, 30m, 1h, 2d), a day (2026-12-01, from midnight UTC) or a time\n"
         "(2026-12-01T10:00:00+00:00). FIELDS are field names separated by commas: a field (hdr, hdcp, timing,\n"
         "box, poll), a group (setting) or a setting's name (input). Lines that are not changes are skipped\n"
         "and counted on standard error.",
         1,
         1,
         {{"since", 0, "WHEN", "only the changes from WHEN on"}, {"only", 0, "FIELDS", "only these fields"}},
         runLog},
    };
}

} // namespace vantrel::cli
