// SPDX-License-Identifier: GPL-3.0-or-later
#include "serve_engine.h"

#include "nearest_name.h"
#include "published_state.h"
#include "status_decoder.h"

#include <algorithm>
#include <utility>

namespace vantrel::service {

namespace {

// The first bytes of a command, enough to know it again; never the whole of
// a large one.
constexpr size_t kQuotedBytes = 64;

Json quoted(const InMessage &m)
{
    std::string head = m.payload.substr(0, kQuotedBytes);
    // Not into the middle of a UTF-8 sequence.
    if (m.payload.size() > kQuotedBytes)
        while (!head.empty() && (static_cast<unsigned char>(head.back()) & 0xC0) == 0x80)
            head.pop_back();
    return report::latin1(head);
}

} // namespace

ServeEngine::ServeEngine(EngineOptions options, Publisher &broker, ServedBox &box, SignalLog *log, Say say)
    : o_(std::move(options)), broker_(broker), box_(box), log_(log), say_(std::move(say)),
      monitor_(box.box(), presenceSteps())
{
}

// What serve reads and publishes when the monitor says so; when the box is
// looked for, probed and counted silent or gone is the monitor's.
PresenceMonitor::Steps ServeEngine::presenceSteps()
{
    PresenceMonitor::Steps steps;
    steps.startupSteps = 1;
    steps.startup = [this](int) { found(); };
    steps.probe = [this] {
        uint8_t reply[UsbLink::kMaxReply];
        box_.box().readRegister(6, reply, status::kVideoRecordLength);
    };
    steps.poll = [this] { poll(); };
    steps.unanswered = [this](bool listed) { publish(now_, watch_.unanswered(now_, listed)); };
    return steps;
}

long ServeEngine::step(Millis now, uint32_t tickMs)
{
    now_ = now;
    connection(tickMs);
    const std::vector<InMessage> messages = broker_.takeMessages();
    bool changed = false;
    if (claiming_) {
        claim(messages, tickMs);
        if (!refusal_.empty())
            return 0;
    } else {
        changed = handleCommands(now, messages);
    }
    changed = std::exchange(observerFired_, false) || changed;
    // The box waits while the claim is open, and at the start for a broker
    // to answer (not for long): a serve that must stay out touches nothing.
    if (!begun_) {
        begun_ = true;
        holdUntil_ = tickMs + uint32_t(kStartHoldMs);
    }
    const bool holding = claiming_ || (!claimedOnce_ && int32_t(tickMs - holdUntil_) < 0);
    if (!holding && (!started_ || changed || int32_t(tickMs - nextTick_) >= 0)) {
        started_ = true;
        nextTick_ = tickMs + uint32_t(o_.intervalMs);
        tick();
    }
    long wait = long(int32_t(nextTick_ - tickMs));
    if (claiming_)
        wait = long(int32_t(claimUntil_ - tickMs));
    else if (holding)
        wait = long(int32_t(holdUntil_ - tickMs));
    return std::max(0L, wait);
}

// Nothing goes out between connections. After each one serve first reads
// what the broker keeps for this id (another serve's claim, discovery it
// published before), then publishes discovery and everything else, so a
// reader never sees a state of a box it was not told about.
void ServeEngine::connection(uint32_t tickMs)
{
    if (!broker_.connected())
        ready_ = claiming_ = false;
    if (!broker_.takeConnected())
        return;
    ready_ = false;
    claiming_ = true;
    claimUntil_ = tickMs + uint32_t(kClaimWaitMs);
    seen_.clear();
    for (const std::string &t : {topic("owner"), o_.prefix + "/+/vantrel_" + o_.id + "/#"})
        if (auto e = broker_.subscribe(t, true))
            say_("cannot subscribe to " + t + ": " + e->message);
}

void ServeEngine::claim(const std::vector<InMessage> &messages, uint32_t tickMs)
{
    for (const InMessage &m : messages)
        if (m.retained)
            seen_[m.topic] = m.payload;
    if (int32_t(tickMs - claimUntil_) < 0)
        return;
    claiming_ = false;
    claimedOnce_ = true;
    broker_.unsubscribe(topic("owner"));
    broker_.unsubscribe(o_.prefix + "/+/vantrel_" + o_.id + "/#");

    const auto owner = seen_.find(topic("owner"));
    if (owner != seen_.end() && !owner->second.empty()) {
        const Json claim = Json::parse(owner->second, nullptr, false);
        const std::string host = claim.is_object() ? claim.value("host", std::string()) : std::string();
        const long process = claim.is_object() ? claim.value("process", 0L) : 0L;
        const bool mine = host == o_.host && process == o_.process;
        const bool dead = host == o_.host && o_.processAlive && !o_.processAlive(process);
        if (!mine && !dead) {
            refusal_ = "another serve (on host " + (host.empty() ? std::string("unknown") : host) + ", process " +
                       std::to_string(process) + ") publishes vantrel/" + o_.id +
                       "/; give this box its own --id NAME (a claim left by a serve that is gone is cleared with: "
                       "mosquitto_pub -r -n -t " +
                       topic("owner") + ")";
            return;
        }
    }
    ready_ = true;
    send(topic("owner"), report::oneLine(Json{{"host", o_.host}, {"process", o_.process}}), true);
    if (o_.allowControl)
        for (const char *leaf : {"set/+", "cec/send", "infoframe/+", "profile/apply", "edid/load", "rules/enable"})
            if (auto e = broker_.subscribe(topic(leaf), false))
                say_("cannot subscribe to " + topic(leaf) + ": " + e->message);
    publishAll();
}

void ServeEngine::send(const std::string &topic, const std::string &payload, bool retain)
{
    if (!ready_)
        return;
    const auto e = broker_.publish(topic, payload, retain);
    if (e && !publishFailing_)
        say_("cannot publish on " + topic + ": " + e->message);
    else if (!e && publishFailing_)
        say_("publishing again");
    publishFailing_ = bool(e);
}

void ServeEngine::tick()
{
    told_ = false;
    // The first look says why no box was opened; later looks keep quiet.
    if (std::exchange(looked_, true))
        monitor_.tick();
    else
        monitor_.start();
    // Looked for and not there: the first state known is an absent box.
    if (!told_ && monitor_.state() == PresenceMonitor::State::Looking)
        publish(now_, watch_.unanswered(now_, false));
}

// Start-up: the box was opened, or answers again after its start-up did not.
// The poll goes with it, in the same tick.
void ServeEngine::found()
{
    const std::string firmware = box_.box().firmwareText();
    if (box_.box().link().silent())
        return; // asked again once the box answers
    firmware_ = firmware;
    say_("box found (firmware " + firmware_ + ")");
    publishDiscovery();
    poll();
}

// A tick the box did not answer is the monitor's to publish.
void ServeEngine::poll()
{
    if (const std::optional<BoxReading> r = box_.read())
        publish(now_, watch_.read(now_, boxState("present", r->status, r->settings)));
}

void ServeEngine::publish(Millis now, const StateWatch::Step &step)
{
    told_ = true;
    std::vector<Change> changes = step.changes;
    if (observer_) {
        const Json &state = watch_.state();
        const bool answering = state.is_object() && state.value("box", Json()) == "present";
        const std::vector<Change> fired = observer_(state, now, answering);
        observerFired_ = observerFired_ || !fired.empty();
        changes.insert(changes.end(), fired.begin(), fired.end());
    }
    if (!step.stateChanged && changes.empty())
        return;
    if (step.boxChanged)
        publishAvailability();
    if (step.stateChanged)
        send(topic("state"), report::oneLine(watch_.state()), true);
    for (const Change &c : changes)
        send(topic("event"), report::oneLine(changeJson(c)), false);
    logChanges(changes);
}

// A failing log is said once, and again when it is written again.
void ServeEngine::logChanges(const std::vector<Change> &changes)
{
    if (!log_)
        return;
    if (!log_->append(changes)) {
        if (!logFailing_)
            say_(log_->error());
        logFailing_ = true;
    } else if (logFailing_ && !changes.empty()) {
        say_("the signal log is written again");
        logFailing_ = false;
    }
}

void ServeEngine::publishAvailability()
{
    const Json &state = watch_.state();
    const bool online = state.is_object() && state.value("box", Json()) == "present";
    send(topic("availability"), online ? "online" : "offline", true);
}

void ServeEngine::publishDiscovery()
{
    DiscoveryOptions d;
    d.prefix = o_.prefix;
    d.id = o_.id;
    d.firmware = firmware_;
    d.allowControl = o_.allowControl;
    d.cecButtons = o_.cecButtons;
    d.profiles = o_.profiles;
    d.rules = o_.rules;
    d.version = o_.version;
    d.supportUrl = o_.supportUrl;
    std::vector<DiscoveryMessage> messages = discoveryMessages(d);
    // A component the device offered before and offers no more is named once
    // by its platform alone, which removes it.
    for (DiscoveryMessage &m : messages) {
        const auto before = seen_.find(m.topic);
        if (before == seen_.end())
            continue;
        const Json old = Json::parse(before->second, nullptr, false);
        if (!old.is_object() || !old.contains("cmps") || !old["cmps"].is_object())
            continue;
        Json &now = m.config["cmps"];
        for (const auto &[key, c] : old["cmps"].items())
            if (!now.contains(key) && c.is_object() && c.size() > 1 && c.contains("p"))
                now[key] = Json{{"p", c["p"]}};
    }
    // What this id published before and offers no more goes.
    for (const auto &kept : seen_) {
        const std::string &t = kept.first;
        if (!kept.second.empty() && t != topic("owner") &&
            std::none_of(messages.begin(), messages.end(), [&t](const DiscoveryMessage &m) { return m.topic == t; }))
            send(t, std::string(), true);
    }
    seen_.clear();
    for (const DiscoveryMessage &m : messages)
        send(m.topic, report::oneLine(m.config), true);
}

// After a (re)connection the broker may have lost what it kept.
void ServeEngine::publishAll()
{
    publishDiscovery();
    publishAvailability();
    publishRules();
    if (watch_.state().is_object())
        send(topic("state"), report::oneLine(watch_.state()), true);
}

// {"NAME": "on" | "off", ...}, retained: the rule switches' state.
void ServeEngine::publishRules()
{
    if (o_.rules.empty())
        return;
    Json state = Json::object();
    for (const std::string &r : o_.rules) {
        const auto it = rulesOn_.find(r);
        state[r] = it == rulesOn_.end() || it->second ? "on" : "off";
    }
    send(topic("rules"), report::oneLine(state), true);
}

// Needs no box: the rule is serve's. Logged as the rule's change, so a replay
// of the log turns it off and on where serve did.
std::string ServeEngine::switchRule(Millis now, const ControlCommand &c)
{
    if (o_.rules.empty() || !ruleSwitch_)
        return "serve runs no rules (--rules FILE)";
    if (std::find(o_.rules.begin(), o_.rules.end(), c.name) == o_.rules.end())
        return "no rule \"" + c.name + "\"" + didYouMean(c.name, o_.rules);
    const bool on = c.value == "on";
    ruleSwitch_(c.name, on);
    rulesOn_[c.name] = on;
    publishRules();
    logChanges({Change{now, "rule." + c.name, Json(), Json{{"phase", on ? "on" : "off"}}}});
    return {};
}

void ServeEngine::answer(const InMessage &m, const std::string &why)
{
    Json error{{"time", utcText(nowMillis())}, {"topic", m.topic}, {"command", quoted(m)}, {"error", why}};
    if (m.size > kQuotedBytes)
        error["bytes"] = m.size;
    send(topic("error"), report::oneLine(error), false);
    say_(m.topic + ": " + why);
}

// The commands that arrived; true when one changed the box.
bool ServeEngine::handleCommands(Millis now, const std::vector<InMessage> &messages)
{
    bool changed = false;
    const auto done = [&](const InMessage &m) {
        send(topic("event"),
             report::oneLine(Json{{"time", utcText(now)}, {"topic", m.topic}, {"command", quoted(m)}, {"outcome", "done"}}), false);
    };
    dropped_ += broker_.takeDropped();
    for (const InMessage &m : messages) {
        // Counted before anything is answered: a flood costs no answers.
        if (!limit_.allow(now)) {
            ++dropped_;
            continue;
        }
        if (m.retained) {
            answer(m, "a retained command is not taken: publish commands without retain");
            continue;
        }
        const ControlCommand c = parseControl(m.topic, std::string_view(m.payload).substr(0, m.size), o_.id);
        if (c.kind == ControlCommand::Kind::Invalid) {
            answer(m, m.size > m.payload.size() ? "a command of more than " + std::to_string(kMaxCommandPayload) +
                                                      " bytes"
                                                : c.error);
            continue;
        }
        if (c.kind == ControlCommand::Kind::RuleEnable) {
            if (const std::string why = switchRule(now, c); !why.empty()) {
                answer(m, why);
                continue;
            }
            done(m);
            continue;
        }
        if (!monitor_.answering() || !monitor_.started()) {
            answer(m, "the box is not there or does not answer");
            continue;
        }
        const uint32_t before = box_.box().link().unanswered();
        const std::string why = box_.run(c);
        monitor_.answered(before);
        if (!why.empty()) {
            answer(m, why);
            continue;
        }
        changed = true;
        done(m);
    }
    if (dropped_ && now - droppedSaidAt_ >= 1000) {
        const std::string why = std::to_string(dropped_) + " command" + (dropped_ == 1 ? "" : "s") +
                                " dropped: at most 4 a second are taken";
        send(topic("error"), report::oneLine(Json{{"time", utcText(now)}, {"error", why}}), false);
        say_(why);
        dropped_ = 0;
        droppedSaidAt_ = now;
    }
    return changed;
}

void ServeEngine::stop()
{
    send(topic("availability"), "offline", true);
    if (refusal_.empty())
        send(topic("owner"), std::string(), true);
}

} // namespace vantrel::service
