// SPDX-License-Identifier: GPL-3.0-or-later
#include "ha_discovery.h"

#include "cec_recipes.h"
#include "control_command.h"
#include "setting_values.h"

#include <cctype>

namespace vantrel::service {

namespace {

// Object ids are letters, digits and underscores.
std::string objectId(const std::string &text)
{
    std::string id;
    for (char c : text)
        id += std::isalnum(static_cast<unsigned char>(c)) ? char(std::tolower(static_cast<unsigned char>(c))) : '_';
    return id;
}

struct Entity {
    const char *key;
    const char *name;
    const char *value; // the Jinja expression on value_json
    const char *icon;
};

// Each sensor reads the retained state; a fact the box does not name is null
// there, shown as "none".
const Entity kSensors[] = {
    {"timing", "Input timing", "value_json.status.timing.name", "mdi:video-input-hdmi"},
    {"hdr", "HDR state", "value_json.status.hdr", "mdi:hdr"},
    {"eotf", "HDR EOTF", "value_json.status.eotfName", "mdi:hdr"},
    {"hdcp_signal", "HDCP", "value_json.status.hdcp", "mdi:lock"},
    {"colour_format", "Colour format", "value_json.status.colourFormat", "mdi:palette"},
    {"colorimetry", "Colorimetry", "value_json.status.colorimetry", "mdi:palette-swatch"},
    {"source_vendor", "Source vendor", "value_json.status.sourceVendor", "mdi:factory"},
};

} // namespace

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
    const std::string node = "vantrel_" + objectId(o.serial);
    Json device{{"identifiers", Json::array({node})},
                {"name", "VANTREL " + o.serial},
                {"manufacturer", "VANTREL"},
                {"model", "HDMI Processor"},
                {"serial_number", o.serial}};
    if (!o.firmware.empty())
        device["sw_version"] = o.firmware;
    const std::string stateTopic = boxTopic(o.serial, "state");

    std::vector<DiscoveryMessage> out;
    const auto add = [&](const char *component, const std::string &key, Json config) {
        config["unique_id"] = node + "_" + objectId(key);
        config["object_id"] = node + "_" + objectId(key);
        config["availability_topic"] = boxTopic(o.serial, "availability");
        config["device"] = device;
        out.push_back({o.prefix + "/" + component + "/" + node + "/" + objectId(key) + "/config", std::move(config)});
    };
    const auto readState = [&](const std::string &name, const std::string &value, const char *icon) {
        return Json{{"name", name},
                    {"state_topic", stateTopic},
                    {"value_template", "{{ " + value + " if " + value + " is not none else 'none' }}"},
                    {"icon", icon}};
    };

    const auto cecButton = [&](const std::string &name, const std::string &payload) {
        return Json{{"name", name},
                    {"command_topic", boxTopic(o.serial, "cec/send")},
                    {"payload_press", payload},
                    {"icon", "mdi:remote"}};
    };

    for (const Entity &e : kSensors)
        add("sensor", e.key, readState(e.name, e.value, e.icon));
    // PQ, HLG and the traditional HDR curve: anything but SDR's 0 while a source is there.
    add("binary_sensor", "hdr_active",
        Json{{"name", "HDR active"},
             {"state_topic", stateTopic},
             {"value_template", "{{ 'ON' if value_json.status.timing.code != 0 and value_json.status.eotf != 0 "
                                "else 'OFF' }}"},
             {"icon", "mdi:hdr"}});

    for (const char *name : selectSettings()) {
        const config::Setting *s = config::findSetting(name);
        if (!s)
            continue;
        const std::string value = std::string("value_json.settings['") + name + "']";
        Json entity = readState(report::latin1(s->caption).get<std::string>(), value, "mdi:tune");
        if (!o.allowControl) {
            add("sensor", std::string("setting_") + name, std::move(entity));
            continue;
        }
        entity["command_topic"] = boxTopic(o.serial, std::string("set/") + name);
        entity["options"] = choiceTexts(*s);
        entity["value_template"] = "{{ " + value + " }}";
        add("select", std::string("setting_") + name, std::move(entity));
    }
    if (!o.allowControl)
        return out;
    for (const CecButton &b : o.cecButtons)
        add("button", "cec_" + b.name, cecButton("CEC " + b.name, b.text));
    // A recipe that needs an argument cannot be one press.
    for (const packets::CecRecipe &r : packets::cecRecipes())
        if (!*r.arguments)
            add("button", std::string("cec_recipe_") + r.name, cecButton(std::string("CEC ") + r.name, r.name));
    return out;
}

} // namespace vantrel::service
