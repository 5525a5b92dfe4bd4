// SPDX-License-Identifier: GPL-3.0-or-later
#include "published_state.h"

#include "setting_values.h"

namespace vantrel::service {

Json settingsByName(const uint8_t block[config::kBlockSize])
{
    Json settings = Json::object();
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName && s.kind != config::Kind::Unused)
            settings[s.cliName] = report::latin1(config::describeValue(s, block[s.position]));
    return settings;
}

Json boxState(const char *box, const Json &status, const Json &settings)
{
    return Json{{"box", box}, {"status", status}, {"settings", settings}};
}

} // namespace vantrel::service
