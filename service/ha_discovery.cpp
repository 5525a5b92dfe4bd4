// SPDX-License-Identifier: GPL-3.0-or-later
#include "ha_discovery.h"

#include "cec_recipes.h"
#include "control_command.h"
#include "hdr_builder.h"
#include "setting_values.h"

#include <cctype>
#include <set>

namespace vantrel::service {

namespace {

// The status object, or an empty one while the box has given none: every
// template renders a value or None (unknown), never an error.
constexpr const char *kStatus = "{% set s = value_json.status if value_json.status is mapping else {} %}";
constexpr const char *kSettings = "{% set s = value_json.settings if value_json.settings is mapping else {} %}";

struct Sensor {
    const char *key;
    const char *name;
    const char *value; // a Jinja expression over s, the status
    std::vector<const char *> options; // an enum's; empty: free text
    bool diagnostic;
    const char *icon;
};

const std::vector<Sensor> &sensors()
{
    static const std::vector<Sensor> list = {
        {"timing", "Input timing", "(s.get('timing') or {}).get('name')", {}, false, "mdi:video-input-hdmi"},
        // The curve the source sends, by code: the window's label says less, and HLG has no CTA name here.
        {"hdr", "HDR state",
         "{0: 'SDR', 1: 'HDR (gamma)', 2: 'HDR10 (PQ)', 3: 'HLG'}.get(s.get('eotf')) "
         "if (s.get('timing') or {}).get('code') else None",
         {"SDR", "HDR (gamma)", "HDR10 (PQ)", "HLG"}, false, "mdi:hdr"},
        {"eotf", "HDR EOTF", "'HLG' if s.get('eotf') == 3 else s.get('eotfName')",
         {"Not Active", "HDR Luminance Range", "SMPTE ST 2084", "HLG"}, false, "mdi:hdr"},
        {"hdcp_signal", "Incoming HDCP", "s.get('hdcp')", {"none", "1.4", "2.2"}, false, "mdi:lock"},
        {"colour_format", "Colour format", "s.get('colourFormat')",
         {"RGB", "YCbCr 4:2:2", "YCbCr 4:4:4", "YCbCr 4:2:0"}, false, "mdi:palette"},
        {"colorimetry", "Colorimetry", "s.get('colorimetry')", {}, true, "mdi:palette-swatch"},
        {"source_vendor", "Source vendor", "s.get('sourceVendor')", {}, true, "mdi:factory"},
    };
    return list;
}

// The settings offered, in plain words.
const char *settingName(const std::string &name)
{
    return name == "input" ? "Input" : name == "audio" ? "Audio source" : name == "hdcp" ? "HDCP version" : "EDID mode";
}

// {{ v if v is one of options else None }}, options as a Jinja list.
std::string oneOf(const std::string &prefix, const std::string &value, const Json &options)
{
    const std::string list = report::oneLine(options);
    const std::string test = options.empty() ? "v is string and v" : "v in " + list;
    return prefix + "{% set v = " + value + " %}{{ v if " + test + " else None }}";
}

} // namespace

std::string objectId(const std::string &text)
{
    std::string id;
    for (char c : text)
        id += std::isalnum(static_cast<unsigned char>(c)) ? char(std::tolower(static_cast<unsigned char>(c))) : '_';
    return id;
}

const std::vector<const char *> &selectSettings()
{
    static const std::vector<const char *> names = {"input", "audio", "hdcp", "edid-mode"};
    return names;
}

std::vector<std::string> choiceTexts(const config::Setting &s)
{
    std::vector<std::string> texts;
    if (s.list)
        for (size_t i = 0; i < s.list->size(); ++i)
            texts.push_back(report::latin1(config::describeValue(s, uint8_t(int(i) + s.listBase))).get<std::string>());
    for (const config::Option &o : s.options)
        texts.push_back(report::latin1(config::describeValue(s, uint8_t(o.value))).get<std::string>());
    return texts;
}

std::vector<DiscoveryMessage> discoveryMessages(const DiscoveryOptions &o)
{
    const std::string node = "vantrel_" + objectId(o.id);
    Json device{{"ids", Json::array({node})},
                {"name", "VANTREL " + o.id},
                {"mf", "VANTREL"},
                {"mdl", "HDMI Processor"},
                {"sn", o.serial}};
    if (!o.firmware.empty())
        device["sw"] = o.firmware;
    Json origin{{"name", "vantrelctl"}, {"sw", o.version}};
    if (!o.supportUrl.empty())
        origin["url"] = o.supportUrl;

    const std::string stateTopic = boxTopic(o.id, "state");
    Json components = Json::object();
    const auto add = [&](const char *platform, const std::string &key, const std::string &name, Json c) {
        c["p"] = platform;
        c["name"] = name;
        c["unique_id"] = node + "_" + objectId(key);
        c["default_entity_id"] = std::string(platform) + "." + node + "_" + objectId(key);
        components[objectId(key)] = std::move(c);
    };
    const auto cecButton = [&](const std::string &payload) {
        return Json{{"command_topic", boxTopic(o.id, "cec/send")}, {"payload_press", payload}, {"icon", "mdi:remote"}};
    };

    for (const Sensor &e : sensors()) {
        Json c{{"state_topic", stateTopic}, {"value_template", oneOf(kStatus, e.value, Json(e.options))}, {"icon", e.icon}};
        if (!e.options.empty()) {
            c["device_class"] = "enum";
            c["options"] = e.options;
        }
        if (e.diagnostic)
            c["entity_category"] = "diagnostic";
        if (std::string(e.key) == "timing") {
            // The rest of the signal, as the timing's attributes.
            c["json_attributes_topic"] = boxTopic(o.id, "state");
            c["json_attributes_template"] =
                std::string(kStatus) +
                "{{ {'clock_mhz': s.get('clockMHz'), 'colour_depth': s.get('colourDepth'), 'outputs': "
                "s.get('outputs') or [], 'refresh_hz': (s.get('timing') or {}).get('refreshHz')} | tojson }}";
        }
        add("sensor", e.key, e.name, std::move(c));
    }
    // PQ, HLG and the traditional HDR curve: anything but SDR's 0 while a source is there.
    add("binary_sensor", "hdr_active", "HDR active",
        Json{{"state_topic", stateTopic},
             {"value_template", std::string(kStatus) +
                                    "{{ None if not s else ('ON' if (s.get('timing') or {}).get('code') and "
                                    "s.get('eotf') else 'OFF') }}"},
             {"icon", "mdi:hdr"}});

    for (const char *name : selectSettings()) {
        const config::Setting *s = config::findSetting(name);
        if (!s)
            continue;
        const std::string value = std::string("s.get('") + name + "')";
        const Json options = choiceTexts(*s);
        if (!o.allowControl) {
            add("sensor", std::string("setting_") + name, settingName(name),
                Json{{"state_topic", stateTopic},
                     {"value_template", oneOf(kSettings, value, Json::array())},
                     {"icon", "mdi:tune"}});
            continue;
        }
        // A value the box reports outside the choices ("unknown (0)") is no choice: None.
        add("select", std::string("setting_") + name, settingName(name),
            Json{{"command_topic", boxTopic(o.id, std::string("set/") + name)},
                 {"state_topic", stateTopic},
                 {"options", options},
                 {"value_template", oneOf(kSettings, value, options)},
                 {"icon", "mdi:tune"}});
    }
    if (o.allowControl) {
        for (const CecButton &b : o.cecButtons)
            add("button", "cec_" + b.name, "CEC " + b.name, cecButton(b.text));
        // A recipe that needs an argument cannot be one press.
        for (const packets::CecRecipe &r : packets::cecRecipes())
            if (!*r.arguments)
                add("button", std::string("cec_recipe_") + r.name, std::string("CEC ") + r.name, cecButton(r.name));
        // The HDR templates: a choice that sends, with no state of its own.
        Json templates = Json::array();
        for (const packets::HdrTemplate &t : packets::hdrTemplates())
            templates.push_back(t.name);
        add("select", "hdr_template", "HDR infoframe",
            Json{{"command_topic", boxTopic(o.id, "infoframe/hdr")},
                 {"options", templates},
                 {"optimistic", true},
                 {"icon", "mdi:hdr"}});
        for (const std::string &p : o.profiles)
            add("button", "profile_" + p, "Profile " + p,
                Json{{"command_topic", boxTopic(o.id, "profile/apply")}, {"payload_press", p}, {"icon", "mdi:tune"}});
        // The name goes into the template as a JSON string, which Jinja reads
        // as the same text; two names alike as ids are told apart by number.
        std::set<std::string> keys;
        for (size_t i = 0; i < o.rules.size(); ++i) {
            const std::string &r = o.rules[i];
            std::string key = "rule_" + objectId(r);
            if (!keys.insert(key).second)
                keys.insert(key += "_" + std::to_string(i + 1));
            add("switch", key, "Rule " + r,
                Json{{"command_topic", boxTopic(o.id, "rules/enable")},
                     {"payload_on", r + " on"},
                     {"payload_off", r + " off"},
                     {"state_topic", boxTopic(o.id, "rules")},
                     {"value_template", "{{ value_json.get(" + report::oneLine(r) + ") }}"},
                     {"state_on", "on"},
                     {"state_off", "off"},
                     {"icon", "mdi:script-text-outline"}});
        }
    }

    Json config{{"dev", device},
                {"o", origin},
                {"cmps", components},
                {"availability_topic", boxTopic(o.id, "availability")},
                {"qos", 1}};
    return {{o.prefix + "/device/" + node + "/config", std::move(config)}};
}

} // namespace vantrel::service
