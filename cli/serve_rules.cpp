// SPDX-License-Identifier: GPL-3.0-or-later
#include "serve_rules.h"

#include "cli_error.h"
#include "edid_input.h"
#include "rule_actions.h"

namespace vantrel::cli {

using report::Json;

std::vector<service::Rule> loadRules(const std::string &path)
{
    const std::vector<uint8_t> bytes = readBounded(path, service::kMaxRulesFile);
    const service::RulesFile file =
        service::readRules(std::string_view(reinterpret_cast<const char *>(bytes.data()), bytes.size()), checkAction);
    if (!file.ok) {
        std::string text = path + ":";
        for (const std::string &e : file.errors)
            text += "\n  " + e;
        throw CliError{kExitFailed, text};
    }
    return file.rules;
}

service::Change firingChange(const service::Firing &f, const Json &actions)
{
    const Json j = service::firingJson(f, actions);
    return {f.time, "rule." + f.rule, Json(),
            Json{{"phase", j["phase"]}, {"actions", j["actions"]}, {"why", j["why"]}}};
}

std::vector<service::Change> ServeRules::poll(service::Millis now, const Json &state, BoxConnection *box)
{
    std::vector<service::Change> changes;
    for (const service::Firing &f : engine_.step(now, service::logFields(state))) {
        Json outcomes = Json::array();
        for (const std::string &action : f.actions)
            outcomes.push_back(box ? runAction(*box, action)
                                   : Json{{"action", action},
                                          {"outcome", "failed"},
                                          {"message", "the box is not there or does not answer"}});
        changes.push_back(firingChange(f, outcomes));
    }
    return changes;
}

} // namespace vantrel::cli
