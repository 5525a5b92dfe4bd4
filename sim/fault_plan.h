// SPDX-License-Identifier: GPL-3.0-or-later
// Planned misbehaviour of the simulated link, per request kind: what a test
// (or a user trying the error paths) wants the box to get wrong.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

enum class FaultKind {
    NoReply,    // the request is taken, nothing comes back
    ShortReply, // the reply lacks its last byte
    WrongCode,  // reply byte 0 has bit 0 flipped (E0 becomes E1, B4 becomes B5)
    Busy,       // the reply's status byte reports busy
    QueueFail,  // the first receive-queue query after the request fails
    WriteFail,  // the write call fails; the box never sees the request
    Gone,       // after `count` matching exchanges the device is gone for good
    Latency,    // the reply is queued `ms` after the request
};

struct FaultRule {
    int code = -1;      // sub-code to match, -1 any
    int direction = -1; // 0x10 or 0x11 to match, -1 either
    FaultKind kind = FaultKind::NoReply;
    uint32_t count = 0; // matching exchanges affected, 0 every one (Gone: exchanges before it)
    uint32_t skip = 0;  // matching exchanges let through first
    uint32_t ms = 0;    // Latency only
    // Run-time counts.
    uint32_t seen = 0;
    uint32_t used = 0;
};

// What the plan does to one exchange.
struct FaultEffects {
    bool noReply = false, shortReply = false, wrongCode = false, busy = false;
    bool queueFail = false, writeFail = false, goneAfter = false;
    uint32_t latencyMs = 0;
};

class FaultPlan {
public:
    void add(const FaultRule &rule) { rules_.push_back(rule); }
    void clear() { rules_.clear(); }
    bool empty() const { return rules_.empty(); }
    const std::vector<FaultRule> &rules() const { return rules_; }

    // Counts the request against every rule and says what applies to it.
    FaultEffects onRequest(uint8_t direction, uint8_t code);

private:
    std::vector<FaultRule> rules_;
};

// Parses "CODE:KIND[:ARG][@SKIP]" rules separated by commas. CODE is "*", a
// sub-code in hex ("B0") or direction and sub-code ("11B0"); KIND one of
// noreply short wrongcode busy queuefail writefail gone latency; ARG the count
// (milliseconds for latency). False with a reason for the first bad rule.
bool parseFaultRules(const std::string &text, std::vector<FaultRule> &out, std::string &error);

} // namespace vantrel::sim
