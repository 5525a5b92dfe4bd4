// SPDX-License-Identifier: GPL-3.0-or-later
// The MQTT topics of one box and the commands that arrive on them: a setting
// to change (set/<name>, the value as vantrelctl set takes it), a CEC
// message to send (cec/send), an infoframe (infoframe/hdr, infoframe/avi: a
// template's name or JSON fields), a profile or an EDID table by name
// (profile/apply, edid/load), a rule turned on or off (rules/enable: "NAME on"
// or "NAME off"). Only the shape is checked here; the value
// itself goes through the same checks as the command-line tool's.
#pragma once

#include "log_time.h"

#include <string>
#include <string_view>

namespace vantrel::service {

// vantrel/<serial>/ and what follows it.
std::string boxTopic(const std::string &serial, const std::string &leaf);

constexpr size_t kMaxCommandPayload = 256;

struct ControlCommand {
    enum class Kind { Invalid, Set, CecSend, InfoframeHdr, InfoframeAvi, ProfileApply, EdidLoad, RuleEnable };
    Kind kind = Kind::Invalid;
    std::string name;  // the setting, for Set; the rule, for RuleEnable
    std::string value; // the payload, without surrounding white space; "on" or "off" for RuleEnable
    std::string error; // why it is not a command, for Invalid
};

// topic: the whole topic; serial: the box's. A payload that is empty, too
// long, not UTF-8 or holds control characters is Invalid, as is any other
// topic.
ControlCommand parseControl(std::string_view topic, std::string_view payload, const std::string &serial);

// A name of a file in a folder serve was given: letters, digits, - and _,
// never a path.
bool plainName(const std::string &name);

// At most `perSecond` commands a second, `burst` of them at once.
class RateLimit {
public:
    RateLimit(double perSecond, double burst) : perSecond_(perSecond), burst_(burst), tokens_(burst) {}
    bool allow(Millis now);

private:
    double perSecond_, burst_, tokens_;
    Millis last_ = 0;
    bool started_ = false;
};

} // namespace vantrel::service
