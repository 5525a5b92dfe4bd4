// SPDX-License-Identifier: GPL-3.0-or-later
// serve's engine: polls the box as the window does, publishes its state,
// availability, changes and Home Assistant's discovery, keeps the signal log,
// and runs the commands that arrive. Each step is given the time; the caller
// waits between steps for the broker's socket or the next poll.
#pragma once

#include "control_command.h"
#include "ha_discovery.h"
#include "presence_monitor.h"
#include "serve_ports.h"
#include "signal_log.h"
#include "state_watch.h"

#include <functional>
#include <map>
#include <memory>
#include <set>

namespace vantrel::service {

struct EngineOptions {
    std::string id = "2023"; // names the topics and unique ids
    std::string prefix = "homeassistant";
    bool allowControl = false;
    std::vector<CecButton> cecButtons;
    std::vector<std::string> profiles; // offered as buttons with --allow-control
    std::vector<std::string> rules;    // the rules' names: a switch each with --allow-control
    long intervalMs = 3000;
    std::string version, supportUrl; // this program's, for discovery's origin
    std::string host; // this serve's, in the owner message
    long process = 0;
    // Whether a process of this host still runs (a claim left by one that died).
    std::function<bool(long)> processAlive;
};

// How long after a connection the broker's retained claims are awaited.
constexpr long kClaimWaitMs = 1000;
// How long the box waits at the start for a broker to connect and the claim.
constexpr long kStartHoldMs = 3000;

class ServeEngine {
public:
    // What each poll came to, with its time and whether the box answered:
    // where rules look at the box. The changes it returns (their firings) go
    // out as events and to the log, and the box is read again at once, so
    // the firing's own effect is seen as such.
    using PollObserver = std::function<std::vector<Change>(const Json &state, Millis time, bool answering)>;
    // A line for a person (standard error in serve).
    using Say = std::function<void(const std::string &)>;

    ServeEngine(EngineOptions options, Publisher &broker, ServedBox &box, SignalLog *log, Say say);

    void setPollObserver(PollObserver observer) { observer_ = std::move(observer); }
    // Turns a rule of EngineOptions::rules on or off (rules/enable).
    using RuleSwitch = std::function<void(const std::string &rule, bool on)>;
    void setRuleSwitch(RuleSwitch ruleSwitch) { ruleSwitch_ = std::move(ruleSwitch); }

    // One pass: the link, the commands, and a poll when it is due (tickMs:
    // a steady clock). Returns the milliseconds until it is next due.
    long step(Millis now, uint32_t tickMs);
    // Why serve must not go on (another serve holds the id), or empty.
    const std::string &refusal() const { return refusal_; }
    // availability offline and the claim given up.
    void stop();

    const StateWatch &watch() const { return watch_; }
    // The monitor looks for the box again: the link's alerts are kept back.
    bool quiet() const { return monitor_.quiet(); }

private:
    void connection(uint32_t tickMs);
    void claim(const std::vector<InMessage> &messages, uint32_t tickMs);
    bool handleCommands(Millis now, const std::vector<InMessage> &messages);
    PresenceMonitor::Steps presenceSteps();
    void tick();
    void found();
    void poll();
    void publish(Millis now, const StateWatch::Step &step);
    void send(const std::string &topic, const std::string &payload, bool retain);
    void publishAll();
    void publishDiscovery();
    void publishAvailability();
    void publishRules();
    void logChanges(const std::vector<Change> &changes);
    std::string switchRule(Millis now, const ControlCommand &c);
    void answer(const InMessage &m, const std::string &why);
    std::string topic(const std::string &leaf) const { return boxTopic(o_.id, leaf); }

    EngineOptions o_;
    Publisher &broker_;
    ServedBox &box_;
    SignalLog *log_;
    Say say_;
    PollObserver observer_;
    RuleSwitch ruleSwitch_;
    std::map<std::string, bool> rulesOn_;
    bool observerFired_ = false;

    PresenceMonitor monitor_;
    Millis now_ = 0;      // the step's time, for what the monitor's steps publish
    bool told_ = false;   // the tick published a state
    bool looked_ = false; // the box was opened once, with the link's alerts
    StateWatch watch_;
    RateLimit limit_{4, 4};
    std::string firmware_;
    bool ready_ = false;
    bool claiming_ = false;
    bool claimedOnce_ = false;
    bool begun_ = false;
    uint32_t holdUntil_ = 0;
    uint32_t claimUntil_ = 0;
    std::map<std::string, std::string> seen_; // retained messages found while claiming
    std::string refusal_;
    bool logFailing_ = false;
    bool publishFailing_ = false;
    uint32_t nextTick_ = 0;
    bool started_ = false;
    size_t dropped_ = 0;
    Millis droppedSaidAt_ = 0;
};

} // namespace vantrel::service
