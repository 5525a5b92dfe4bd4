// SPDX-License-Identifier: GPL-3.0-or-later
#include "published_state.h"

#include "hdr_infoframe.h"
#include "setting_values.h"
#include "status_json.h"

namespace vantrel::service {

Json settingsByName(const uint8_t block[config::kBlockSize])
{
    Json settings = Json::object();
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName && s.kind != config::Kind::Unused)
            settings[s.cliName] = report::latin1(config::describeValue(s, block[s.position]));
    return settings;
}

Json statusState(const status::StatusTexts &texts, const status::StatusFacts &facts)
{
    Json status = status::statusJson(texts, facts);
    status["infoframeDecoded"] =
        facts.infoframeCaptured
            ? Json::parse(packets::hdrInfoframeJson(packets::decodeHdrPayload(
                  facts.infoframe.data(), facts.infoframe.size(), facts.infoframeDeclared)))
            : Json();
    return status;
}

Json boxState(const char *box, const Json &status, const Json &settings)
{
    return Json{{"box", box}, {"status", status}, {"settings", settings}};
}

} // namespace vantrel::service
