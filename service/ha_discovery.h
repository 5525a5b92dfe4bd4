// SPDX-License-Identifier: GPL-3.0-or-later
// Home Assistant's MQTT discovery messages for one box: one device (serial,
// firmware) with sensors on the retained state, a binary sensor for HDR,
// selects for the choices serve may change, and buttons for CEC messages and
// for the CEC recipes that take no argument.
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
    std::string serial;
    std::string firmware;      // "1.7.3.0", or empty when not read
    bool allowControl = false; // selects and buttons; without it the choices are sensors
    std::vector<CecButton> cecButtons;
};

struct DiscoveryMessage {
    std::string topic; // <prefix>/<component>/vantrel_<serial>/<object>/config
    Json config;
};

std::vector<DiscoveryMessage> discoveryMessages(const DiscoveryOptions &options);

// The settings serve offers as selects: input, audio, hdcp, edid-mode.
const std::vector<const char *> &selectSettings();
// The texts a choice shows and takes, in the window's words.
std::vector<std::string> choiceTexts(const config::Setting &s);

} // namespace vantrel::service
