// SPDX-License-Identifier: GPL-3.0-or-later
#include "fault_plan.h"

#include <cstdlib>
#include <sstream>

namespace vantrel::sim {

FaultEffects FaultPlan::onRequest(uint8_t direction, uint8_t code)
{
    FaultEffects fx;
    for (FaultRule &r : rules_) {
        if ((r.code >= 0 && r.code != code) || (r.direction >= 0 && r.direction != direction))
            continue;
        ++r.seen;
        if (r.kind == FaultKind::Gone) {
            if (r.seen >= r.count)
                fx.goneAfter = true;
            continue;
        }
        if (r.seen <= r.skip)
            continue;
        if (r.count != 0 && r.used >= r.count)
            continue;
        ++r.used;
        switch (r.kind) {
        case FaultKind::NoReply: fx.noReply = true; break;
        case FaultKind::ShortReply: fx.shortReply = true; break;
        case FaultKind::WrongCode: fx.wrongCode = true; break;
        case FaultKind::Busy: fx.busy = true; break;
        case FaultKind::QueueFail: fx.queueFail = true; break;
        case FaultKind::WriteFail: fx.writeFail = true; break;
        case FaultKind::Latency: fx.latencyMs += r.ms; break;
        case FaultKind::Gone: break;
        }
    }
    return fx;
}

namespace {

bool parseNumber(const std::string &s, uint32_t &out)
{
    if (s.empty())
        return false;
    char *end = nullptr;
    unsigned long v = std::strtoul(s.c_str(), &end, 10);
    if (*end != '\0' || v > 0xFFFFFFFFul)
        return false;
    out = static_cast<uint32_t>(v);
    return true;
}

bool parseHex(const std::string &s, int &out)
{
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, 16);
    if (s.empty() || *end != '\0' || v < 0)
        return false;
    out = static_cast<int>(v);
    return true;
}

bool parseRule(std::string text, FaultRule &r, std::string &error)
{
    size_t at = text.find('@');
    if (at != std::string::npos) {
        if (!parseNumber(text.substr(at + 1), r.skip)) {
            error = "bad skip count in fault rule '" + text + "'";
            return false;
        }
        text.resize(at);
    }
    std::vector<std::string> parts;
    std::stringstream ss(text);
    for (std::string p; std::getline(ss, p, ':');)
        parts.push_back(p);
    if (parts.size() < 2 || parts.size() > 3) {
        error = "fault rule '" + text + "' is not CODE:KIND[:ARG]";
        return false;
    }
    const std::string &code = parts[0];
    int value = 0;
    if (code == "*") {
        r.code = -1;
    } else if ((code.size() == 2 || code.size() == 4) && parseHex(code, value)) {
        r.code = value & 0xFF;
        r.direction = code.size() == 4 ? (value >> 8) : -1;
        // Any other direction would be a rule that never fires.
        if (r.direction != -1 && r.direction != 0x10 && r.direction != 0x11) {
            error = "bad direction in '" + code + "': 10 or 11";
            return false;
        }
    } else {
        error = "bad sub-code '" + code + "' in fault rule";
        return false;
    }
    static const struct {
        const char *name;
        FaultKind kind;
    } kinds[] = {{"noreply", FaultKind::NoReply},     {"short", FaultKind::ShortReply},
                 {"wrongcode", FaultKind::WrongCode}, {"busy", FaultKind::Busy},
                 {"queuefail", FaultKind::QueueFail}, {"writefail", FaultKind::WriteFail},
                 {"gone", FaultKind::Gone},           {"latency", FaultKind::Latency}};
    bool found = false;
    for (const auto &k : kinds)
        if (parts[1] == k.name) {
            r.kind = k.kind;
            found = true;
        }
    if (!found) {
        error = "unknown fault kind '" + parts[1] + "'";
        return false;
    }
    uint32_t arg = 0;
    if (parts.size() == 3 && !parseNumber(parts[2], arg)) {
        error = "bad number '" + parts[2] + "' in fault rule";
        return false;
    }
    if ((r.kind == FaultKind::Latency || r.kind == FaultKind::Gone || r.kind == FaultKind::Busy) &&
        parts.size() < 3) {
        error = "fault kind '" + parts[1] + "' needs a number";
        return false;
    }
    if (r.kind == FaultKind::Latency)
        r.ms = arg;
    else
        r.count = arg;
    return true;
}

} // namespace

bool parseFaultRules(const std::string &text, std::vector<FaultRule> &out, std::string &error)
{
    std::stringstream ss(text);
    for (std::string item; std::getline(ss, item, ',');) {
        if (item.empty())
            continue;
        FaultRule r;
        if (!parseRule(item, r, error))
            return false;
        out.push_back(r);
    }
    return true;
}

} // namespace vantrel::sim
