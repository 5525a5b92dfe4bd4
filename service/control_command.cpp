// SPDX-License-Identifier: GPL-3.0-or-later
#include "control_command.h"

#include <algorithm>
#include <cctype>

namespace vantrel::service {

namespace {

bool validUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        size_t n = c < 0x80 ? 0 : (c & 0xE0) == 0xC0 ? 1 : (c & 0xF0) == 0xE0 ? 2 : (c & 0xF8) == 0xF0 ? 3 : 4;
        if (n == 4 || (n == 1 && c < 0xC2) || (n == 3 && c > 0xF4) || i + n >= text.size() + (n ? 0 : 1))
            return false;
        for (size_t k = 1; k <= n; ++k)
            if ((static_cast<unsigned char>(text[i + k]) & 0xC0) != 0x80)
                return false;
        i += n + 1;
    }
    return true;
}

ControlCommand invalid(std::string why)
{
    ControlCommand c;
    c.error = std::move(why);
    return c;
}

} // namespace

std::string boxTopic(const std::string &serial, const std::string &leaf)
{
    return "vantrel/" + serial + "/" + leaf;
}

ControlCommand parseControl(std::string_view topic, std::string_view payload, const std::string &serial)
{
    const std::string prefix = boxTopic(serial, "");
    if (topic.substr(0, prefix.size()) != prefix)
        return invalid("not a topic of this box");
    const std::string_view leaf = topic.substr(prefix.size());
    if (payload.size() > kMaxCommandPayload)
        return invalid("a command of more than " + std::to_string(kMaxCommandPayload) + " bytes");
    if (!validUtf8(payload))
        return invalid("a command that is not UTF-8 text");
    if (std::any_of(payload.begin(), payload.end(),
                    [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\r' && c != '\n'; }))
        return invalid("a command with control characters");
    const size_t first = payload.find_first_not_of(" \t\r\n");
    if (first == std::string_view::npos)
        return invalid("an empty command");
    const size_t last = payload.find_last_not_of(" \t\r\n");
    const std::string value(payload.substr(first, last - first + 1));
    if (value.find_first_of("\r\n") != std::string::npos)
        return invalid("a command of more than one line");

    ControlCommand c;
    c.value = value;
    const std::string_view setPrefix = "set/";
    if (leaf == "cec/send") {
        c.kind = ControlCommand::Kind::CecSend;
    } else if (leaf == "infoframe/hdr") {
        c.kind = ControlCommand::Kind::InfoframeHdr;
    } else if (leaf == "infoframe/avi") {
        c.kind = ControlCommand::Kind::InfoframeAvi;
    } else if (leaf == "profile/apply" || leaf == "edid/load") {
        if (!plainName(value))
            return invalid("takes a name (letters, digits, - and _), not a path");
        c.kind = leaf == "edid/load" ? ControlCommand::Kind::EdidLoad : ControlCommand::Kind::ProfileApply;
    } else if (leaf == "rules/enable") {
        // The rule's name may hold spaces: the last word says on or off.
        const size_t space = value.find_last_of(" \t");
        std::string state = space == std::string::npos ? std::string() : value.substr(space + 1);
        std::transform(state.begin(), state.end(), state.begin(), [](char ch) { return char(std::tolower(ch)); });
        const size_t nameEnd = space == std::string::npos ? 0 : value.find_last_not_of(" \t", space);
        if ((state != "on" && state != "off") || nameEnd == std::string::npos)
            return invalid("takes a rule's name and on or off (\"NAME on\")");
        c.kind = ControlCommand::Kind::RuleEnable;
        c.name = value.substr(0, nameEnd + 1);
        c.value = state;
    } else if (leaf.substr(0, setPrefix.size()) == setPrefix && leaf.size() > setPrefix.size() &&
               leaf.find('/', setPrefix.size()) == std::string_view::npos) {
        c.kind = ControlCommand::Kind::Set;
        c.name = std::string(leaf.substr(setPrefix.size()));
    } else {
        return invalid("no command on " + std::string(leaf));
    }
    return c;
}

bool plainName(const std::string &name)
{
    return !name.empty() && name.size() <= 64 && std::all_of(name.begin(), name.end(), [](char c) {
        return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_';
    });
}

bool RateLimit::allow(Millis now)
{
    if (started_ && now > last_)
        tokens_ = std::min(burst_, tokens_ + double(now - last_) * perSecond_ / 1000.0);
    started_ = true;
    last_ = std::max(last_, now);
    if (tokens_ < 1)
        return false;
    tokens_ -= 1;
    return true;
}

} // namespace vantrel::service
