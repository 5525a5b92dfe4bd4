// SPDX-License-Identifier: GPL-3.0-or-later
// Home Assistant's MQTT discovery for one box: one device message (serial,
// firmware, this program as its origin) whose components are sensors on the
// retained state, a binary sensor for HDR, selects for the choices serve may
// change, buttons for CEC messages, the CEC recipes that take no argument and
// the profiles, and a switch per rule.
#pragma once

#include "json_support.h"
#include "settings_table.h"

#include <string>
#include <vector>

namespace vantrel::service {

using report::Json;

// A CEC message a button sends: its name and its colon hex.
struct CecButton {
    std::string name;
    std::string text;
};

struct DiscoveryOptions {
    std::string prefix = "homeassistant";
    std::string id = "2023";     // names the device's topics and unique ids
    std::string serial = "2023"; // the box's
    std::string firmware;      // "1.7.3.0", or empty when not read
    std::string version;       // this program's, for the origin
    std::string supportUrl;    // the project's; empty: none given
    bool allowControl = false; // selects and buttons; without it the choices are sensors
    std::vector<CecButton> cecButtons;
    std::vector<std::string> profiles; // a button each
    std::vector<std::string> rules;    // a switch each
};

struct DiscoveryMessage {
    std::string topic; // <prefix>/device/vantrel_<id>/config
    Json config;
};

std::vector<DiscoveryMessage> discoveryMessages(const DiscoveryOptions &options);

// A name as Home Assistant's ids take it: letters, digits and underscores.
std::string objectId(const std::string &text);

// The settings serve offers as selects: input, audio, hdcp, edid-mode.
const std::vector<const char *> &selectSettings();
// The texts a choice shows and takes, in the window's words.
std::vector<std::string> choiceTexts(const config::Setting &s);

} // namespace vantrel::service
