// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes as a rules file. A file read is either taken
// with no errors or refused with at least one; the rules taken run over a
// changing signal without ever firing more than once a rule a poll.
#include "fuzz_check.h"
#include "rules_engine.h"

#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrel::service;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string text(reinterpret_cast<const char *>(data), size);
    const RulesFile file = readRules(text, [](const std::string &line) {
        return line.empty() ? std::string("an empty action") : std::string();
    });
    require(file.ok == file.errors.empty(), "a file taken with errors, or refused without one");
    if (!file.ok)
        return 0;

    // The signal moves through values of each kind a rule may test.
    const Json values[] = {nullptr, "SMPTE ST 2084", 1000, 4000.5, "2.2", true, Json::object()};
    RulesEngine engine(file.rules, 1000);
    Json facts = Json::object();
    for (int poll = 0; poll < 24; ++poll) {
        const Json &v = values[poll % 7];
        for (const Rule &r : file.rules)
            for (const RuleTest &t : r.when)
                if ((poll + t.field.size()) % 3 == 0)
                    facts[t.field] = v;
        facts["timing"] = Json{{"name", poll % 2 ? "3840x2160p24" : "1920x1080p60"}};
        if (poll == 10 && !file.rules.empty())
            engine.enable(file.rules.front().name, false);
        if (poll == 16 && !file.rules.empty())
            engine.enable(file.rules.front().name, true);
        const std::vector<Firing> fired = engine.step(Millis(poll) * 1000, facts);
        require(fired.size() <= file.rules.size(), "more firings than rules in one poll");
        for (const Firing &f : fired)
            require(!f.actions.empty(), "a firing without actions");
    }
    return 0;
}
