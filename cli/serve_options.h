// SPDX-License-Identifier: GPL-3.0-or-later
// serve's options, read from its command line and its configuration file.
// vantrelctl hands serve to its own program (vantrelctl-serve), the one that
// loads the MQTT library; both read the options the same way.
#pragma once

#include "commands.h"
#include "mqtt_client.h"
#include "serve_engine.h"
#include "serve_rules.h"

#include <memory>

namespace vantrel::cli {

struct ServeOptions {
    service::MqttOptions mqtt;
    service::EngineOptions engine;
    std::string logFolder;
    int keepDays = service::SignalLog::kDefaultKeepDays;
    std::string profilesFolder, edidsFolder; // --profiles, --edids
    std::shared_ptr<ServeRules> rules;      // --rules, checked before serve starts
};

// Throws CliError: a usage error, or a file that cannot be used.
ServeOptions serveOptions(Invocation &inv);

// What runs serve: in vantrelctl the start of vantrelctl-serve, in that
// program serve itself.
using ServeRunner = int (*)(Invocation &);
ServeRunner &serveRunner();

} // namespace vantrel::cli
