// SPDX-License-Identifier: GPL-3.0-or-later
// serve: one long-running process that owns the box, polls it as the window
// does, publishes its state over MQTT (with Home Assistant's discovery),
// takes commands when allowed to, and keeps the signal log.
#include "cli_error.h"
#include "commands.h"
#include "compose.h"
#include "mqtt_client.h"
#include "serve_rules.h"
#include "status_read.h"

#include "box_presence.h"
#include "cec_recipes.h"
#include "clock.h"
#include "control_command.h"
#include "ha_discovery.h"
#include "injection.h"
#include "published_state.h"
#include "signal_log.h"
#include "state_watch.h"
#include "status_json.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sys/stat.h>
#include <thread>

namespace vantrel::cli {

const std::vector<OptionSpec> &serveOptionSpecs();

namespace {

constexpr const char *kSerial = "2023";

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int)
{
    g_stop = 1;
}

struct ServeOptions {
    MqttOptions mqtt;
    std::string prefix = "homeassistant";
    bool allowControl = false;
    std::string logFolder;
    int keepDays = service::SignalLog::kDefaultKeepDays;
    long intervalMs = 3000;
    std::vector<service::CecButton> buttons;
    std::shared_ptr<ServeRules> rules; // --rules
};

// "user" on the first line, the password on the second. A file that group or
// others may read is refused: the password is nobody else's.
void readCredentials(const std::string &path, MqttOptions &mqtt)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw CliError{kExitFailed, "cannot read the credentials file " + path + ": " + std::strerror(errno)};
    if (st.st_mode & (S_IRGRP | S_IROTH | S_IWGRP | S_IWOTH))
        throw CliError{kExitFailed, "the credentials file " + path +
                                        " may be read or written by others; make it yours alone (chmod 600)"};
    std::ifstream in(path);
    std::getline(in, mqtt.user);
    std::getline(in, mqtt.password);
    for (std::string *s : {&mqtt.user, &mqtt.password})
        if (!s->empty() && s->back() == '\r')
            s->pop_back();
    if (!in && mqtt.user.empty())
        throw CliError{kExitFailed, "the credentials file " + path + " holds no user name"};
}

long number(const std::string &text, long low, long high, const std::string &what)
{
    char *end = nullptr;
    errno = 0;
    const long n = std::strtol(text.c_str(), &end, 10);
    if (text.empty() || *end || errno || n < low || n > high)
        usageError(what + " takes a number from " + std::to_string(low) + " to " + std::to_string(high) + ", not \"" +
                   text + "\"");
    return n;
}

// The options of a configuration file, one a line as on the command line
// ("--mqtt localhost:1883", "--allow-control"; the value is the rest of the
// line, spaces and all, a leading ~/ the home folder); # starts a comment.
// What the command line gives wins.
void readConfig(Invocation &inv, const std::string &path)
{
    std::ifstream in(path);
    if (!in)
        throw CliError{kExitFailed, "cannot read the configuration file " + path + ": " + std::strerror(errno)};
    std::string line;
    for (int number = 1; std::getline(in, line) && number <= 1000; ++number) {
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.pop_back();
        const size_t first = line.find_first_not_of(" \t");
        if (first == std::string::npos || line[first] == '#')
            continue;
        line.erase(0, first);
        const size_t space = line.find_first_of(" \t");
        std::string name = line.substr(0, space);
        std::string value =
            space == std::string::npos ? std::string() : line.substr(line.find_first_not_of(" \t", space));
        if (name.rfind("--", 0) == 0)
            name.erase(0, 2);
        const auto &specs = serveOptionSpecs();
        const auto spec = std::find_if(specs.begin(), specs.end(), [&](const OptionSpec &o) { return name == o.name; });
        const std::string where = path + ":" + std::to_string(number) + ": ";
        if (spec == specs.end() || name == "config")
            usageError(where + "serve has no option \"" + name + "\"");
        if (bool(spec->valueName) != !value.empty())
            usageError(where + "--" + name + (spec->valueName ? " takes a value" : " takes no value"));
        if (value.rfind("~/", 0) == 0 && std::getenv("HOME"))
            value = std::getenv("HOME") + value.substr(1);
        inv.values.emplace(name, value);
    }
}

ServeOptions serveOptions(Invocation &inv)
{
    if (inv.isSet("config"))
        readConfig(inv, inv.value("config"));
    ServeOptions o;
    if (inv.isSet("mqtt")) {
        std::string host = inv.value("mqtt");
        const size_t colon = host.rfind(':');
        // [::1]:1883, ::1 alone, host:1883, host
        if (!host.empty() && host.front() == '[') {
            const size_t close = host.find(']');
            if (close == std::string::npos)
                usageError("--mqtt takes HOST[:PORT], not \"" + host + "\"");
            if (close + 1 < host.size()) {
                if (host[close + 1] != ':')
                    usageError("--mqtt takes HOST[:PORT], not \"" + host + "\"");
                o.mqtt.port = int(number(host.substr(close + 2), 1, 65535, "--mqtt's port"));
            }
            host = host.substr(1, close - 1);
        } else if (colon != std::string::npos && host.find(':') == colon) {
            o.mqtt.port = int(number(host.substr(colon + 1), 1, 65535, "--mqtt's port"));
            host.resize(colon);
        }
        if (host.empty())
            usageError("--mqtt takes HOST[:PORT], not \"" + inv.value("mqtt") + "\"");
        o.mqtt.host = host;
    }
    if (inv.isSet("mqtt-credentials"))
        readCredentials(inv.value("mqtt-credentials"), o.mqtt);
    if (inv.isSet("mqtt-tls")) {
        o.mqtt.caFile = inv.value("mqtt-tls");
        // libmosquitto would call an unreadable file only "invalid arguments".
        if (!std::ifstream(o.mqtt.caFile))
            throw CliError{kExitFailed, "cannot read the CA file " + o.mqtt.caFile + ": " + std::strerror(errno)};
    }
    if (inv.isSet("discovery-prefix"))
        o.prefix = inv.value("discovery-prefix");
    if (o.prefix.empty() || o.prefix.find_first_of("#+") != std::string::npos)
        usageError("--discovery-prefix takes a topic without wildcards");
    o.allowControl = inv.isSet("allow-control");
    if (inv.isSet("log"))
        o.logFolder = inv.value("log");
    if (inv.isSet("log-keep"))
        o.keepDays = int(number(inv.value("log-keep"), 1, 36500, "--log-keep"));
    if (inv.isSet("interval")) {
        char *end = nullptr;
        const std::string text = inv.value("interval");
        const double seconds = std::strtod(text.c_str(), &end);
        if (text.empty() || *end || !std::isfinite(seconds) || seconds < 0.2 || seconds > 3600)
            usageError("--interval takes SECONDS, a number from 0.2 to 3600, not \"" + text + "\"");
        o.intervalMs = long(seconds * 1000);
    }
    if (inv.isSet("cec-buttons")) {
        const std::string list = inv.value("cec-buttons");
        size_t at = 0;
        while (at < list.size()) {
            const size_t comma = std::min(list.find(',', at), list.size());
            const std::string item = list.substr(at, comma - at);
            const size_t eq = item.find('=');
            if (eq == 0 || eq == std::string::npos || eq + 1 == item.size())
                usageError("--cec-buttons takes NAME=HEX pairs separated by commas, not \"" + item + "\"");
            o.buttons.push_back({item.substr(0, eq), checkedPacketText(PacketKind::Cec, item.substr(eq + 1))});
            at = comma + 1;
        }
    }
    if (inv.isSet("rules"))
        o.rules = std::make_shared<ServeRules>(loadRules(inv.value("rules")), o.intervalMs);
    return o;
}

// What cec/send takes: a recipe by name, its argument after a space
// ("switch-here 1.0.0.0"), sent from playback 1 as cec recipe sends it; or
// one message in colon hex.
std::vector<std::string> cecTexts(const std::string &payload)
{
    std::vector<std::string> words;
    for (size_t at = 0; at < payload.size();) {
        const size_t end = std::min(payload.find_first_of(" \t", at), payload.size());
        if (end > at)
            words.push_back(payload.substr(at, end - at));
        at = end + 1;
    }
    const auto &recipes = packets::cecRecipes();
    if (words.empty() ||
        std::none_of(recipes.begin(), recipes.end(), [&](const packets::CecRecipe &r) { return words[0] == r.name; }))
        return {checkedPacketText(PacketKind::Cec, payload)};
    const Composed c = composeRecipe("playback1", words);
    if (!c.ok)
        throw CliError{kExitFailed, c.error};
    return c.texts;
}

// Whether a device with the box's serial is attached, open or not: tells an
// unplugged box from a silent one.
bool boxListed(const LinkOptions &link)
{
    const UsbApi *api = chooseApi(link);
    DWORD count = 0;
    if (api->GetNumDevices(&count) != SI_SUCCESS)
        return false;
    for (DWORD i = 0; i < count; ++i) {
        char serial[SI_MAX_DEVICE_STRLEN + 1] = {};
        if (api->GetProductString(i, serial, SI_RETURN_SERIAL_NUMBER) == SI_SUCCESS &&
            std::strcmp(serial, kSerial) == 0)
            return true;
    }
    return false;
}

class Server {
public:
    Server(Invocation &inv, ServeOptions options) : inv_(inv), o_(std::move(options))
    {
        if (!o_.logFolder.empty())
            log_ = std::make_unique<service::SignalLog>(o_.logFolder, o_.keepDays);
        o_.mqtt.clientId = std::string("vantrel-") + kSerial + "-" + std::to_string(service::nowMillis() % 100000);
        o_.mqtt.willTopic = topic("availability");
        o_.mqtt.willPayload = "offline";
        if (o_.allowControl)
            o_.mqtt.subscriptions = {topic("set/+"), topic("cec/send")};
        mqtt_ = std::make_unique<MqttClient>(o_.mqtt);
    }

    int run()
    {
        while (!g_stop) {
            const service::Millis now = service::nowMillis();
            tick(now);
            connection();
            handleCommands();
            const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(o_.intervalMs);
            while (!g_stop && std::chrono::steady_clock::now() < until) {
                connection();
                if (handleCommands() || std::exchange(rulesFired_, false))
                    break; // a change made: read it back now
                std::this_thread::sleep_for(std::chrono::milliseconds(20));
            }
        }
        send(topic("availability"), "offline", true);
        mqtt_->stop();
        return kExitOk;
    }

private:
    std::string topic(const std::string &leaf) const { return service::boxTopic(kSerial, leaf); }

    // Nothing goes out between connections: after each one, discovery comes
    // first and then everything else, so a reader never sees a state of a box
    // it was not told about.
    void connection()
    {
        if (!mqtt_->connected())
            ready_ = false;
        if (mqtt_->takeConnected()) {
            ready_ = true;
            publishAll();
        }
    }
    void send(const std::string &topic, const std::string &payload, bool retain)
    {
        if (ready_)
            mqtt_->publish(topic, payload, retain);
    }

    void tick(service::Millis now)
    {
        switch (presence_.next(systemClock().tickMs())) {
        case BoxPresence::Step::Wait:
            return;
        case BoxPresence::Step::Look:
            look(now);
            return;
        case BoxPresence::Step::Probe: {
            uint8_t reply[UsbLink::kMaxReply];
            if (!box_->box().readRegister(6, reply, status::kVideoRecordLength).done()) {
                failed(now);
                return;
            }
            presence_.probeAnswered();
            break;
        }
        case BoxPresence::Step::Full:
            break;
        }
        poll(now);
    }

    void look(service::Millis now)
    {
        try {
            box_ = std::make_unique<BoxConnection>(inv_.link);
        } catch (const CliError &) {
            return; // not there yet; looked for again next tick
        }
        presence_.opened();
        firmware_ = box_->box().firmwareText();
        std::fprintf(stderr, "vantrelctl: box %s found (firmware %s)\n", kSerial, firmware_.c_str());
        publishDiscovery();
        poll(now);
    }

    void poll(service::Millis now)
    {
        Json settings;
        StatusRead r;
        try {
            settings = service::settingsByName(box_->readSettings().data());
        } catch (const CliError &) {
            failed(now);
            return;
        }
        if (!readStatus(*box_, r)) {
            failed(now);
            return;
        }
        presence_.allAnswered();
        publish(watch_.read(now, service::boxState("present", service::statusState(r.texts, r.facts), settings)));
        fireRules(now);
    }

    // The rules on this poll's state; every firing to the event topic and
    // the log, with each action's outcome.
    void fireRules(service::Millis now)
    {
        if (!o_.rules)
            return;
        const bool answering = box_ && presence_.state() == BoxPresence::State::Answering;
        const std::vector<service::Change> firings = o_.rules->poll(now, watch_.state(), answering ? box_.get() : nullptr);
        for (const service::Change &c : firings)
            send(topic("event"), service::changeJson(c).dump(-1, ' ', false, Json::error_handler_t::replace), false);
        if (log_ && !log_->append(firings))
            std::fprintf(stderr, "vantrelctl: %s\n", log_->error().c_str());
        rulesFired_ = rulesFired_ || !firings.empty();
    }

    // A tick that was not answered: an unplugged box is looked for again, a
    // silent one probed with back-off.
    void failed(service::Millis now)
    {
        const bool listed = boxListed(inv_.link);
        if (!listed) {
            box_.reset();
            presence_.lost();
        } else {
            presence_.unanswered(systemClock().tickMs());
        }
        publish(watch_.unanswered(now, listed));
        fireRules(now);
    }

    void publish(const service::StateWatch::Step &step)
    {
        if (!step.stateChanged)
            return;
        if (step.boxChanged)
            publishAvailability();
        send(topic("state"), stateText(), true);
        for (const service::Change &c : step.changes)
            send(topic("event"), service::changeJson(c).dump(-1, ' ', false, Json::error_handler_t::replace), false);
        if (log_ && !log_->append(step.changes) && !logFailing_)
            std::fprintf(stderr, "vantrelctl: %s\n", log_->error().c_str());
        logFailing_ = log_ && !log_->error().empty();
    }

    std::string stateText() const { return watch_.state().dump(-1, ' ', false, Json::error_handler_t::replace); }

    void publishAvailability()
    {
        const Json &state = watch_.state();
        const bool online = state.is_object() && state.value("box", Json()) == "present";
        send(topic("availability"), online ? "online" : "offline", true);
    }

    void publishDiscovery()
    {
        service::DiscoveryOptions d;
        d.prefix = o_.prefix;
        d.serial = kSerial;
        d.firmware = firmware_;
        d.allowControl = o_.allowControl;
        d.cecButtons = o_.buttons;
        for (const service::DiscoveryMessage &m : service::discoveryMessages(d))
            send(m.topic, m.config.dump(-1, ' ', false, Json::error_handler_t::replace), true);
    }

    // After a (re)connection the broker may have lost what it kept.
    void publishAll()
    {
        publishDiscovery();
        publishAvailability();
        if (watch_.state().is_object())
            send(topic("state"), stateText(), true);
    }

    void answerError(const MqttMessage &m, const std::string &why)
    {
        Json error{{"time", service::utcText(service::nowMillis())},
                   {"topic", m.topic},
                   {"command", report::latin1(m.payload)},
                   {"error", why}};
        send(topic("error"), error.dump(-1, ' ', false, Json::error_handler_t::replace), false);
        std::fprintf(stderr, "vantrelctl: %s: %s\n", m.topic.c_str(), why.c_str());
    }

    // The commands that arrived; true when one changed the box.
    bool handleCommands()
    {
        bool changed = false;
        for (const MqttMessage &m : mqtt_->takeMessages()) {
            const service::ControlCommand c = service::parseControl(m.topic, m.payload, kSerial);
            if (c.kind == service::ControlCommand::Kind::Invalid) {
                answerError(m, c.error);
                continue;
            }
            if (!limit_.allow(service::nowMillis())) {
                answerError(m, "too many commands; a few a second are taken");
                continue;
            }
            if (!box_ || presence_.state() != BoxPresence::State::Answering) {
                answerError(m, "the box is not there or does not answer");
                continue;
            }
            try {
                if (c.kind == service::ControlCommand::Kind::Set) {
                    applySettingChange(*box_, checkedSettingChange(c.name, c.value), std::nullopt, std::nullopt);
                } else {
                    Session s = box_->session();
                    for (const std::string &text : cecTexts(c.value))
                        box_->requireDone(inject::sendCec(s, text), "the CEC message " + text);
                }
                changed = true;
            } catch (const CliError &e) {
                answerError(m, e.message);
            }
        }
        pendingMessages().clear();
        return changed;
    }

    Invocation &inv_;
    ServeOptions o_;
    std::unique_ptr<service::SignalLog> log_;
    std::unique_ptr<MqttClient> mqtt_;
    std::unique_ptr<BoxConnection> box_;
    BoxPresence presence_;
    service::StateWatch watch_;
    service::RateLimit limit_{4, 4};
    std::string firmware_;
    bool ready_ = false;
    bool logFailing_ = false;
    bool rulesFired_ = false;
};

int runServe(Invocation &inv)
{
    ServeOptions options = serveOptions(inv);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    inv.out.streamed();
    Server server(inv, std::move(options));
    return server.run();
}

} // namespace

const std::vector<OptionSpec> &serveOptionSpecs()
{
    static const std::vector<OptionSpec> specs = {
        {"config", 0, "FILE", "more options from FILE, one a line as on the command line"},
        {"mqtt", 0, "HOST[:PORT]", "the broker (default localhost:1883)"},
        {"mqtt-credentials", 0, "FILE", "user name and password, one a line; only its owner may read it"},
        {"mqtt-tls", 0, "CAFILE", "TLS, trusting the certificates in CAFILE"},
        {"discovery-prefix", 0, "PREFIX", "Home Assistant's discovery prefix (default homeassistant)"},
        {"allow-control", 0, nullptr, "take commands on set/NAME and cec/send"},
        {"cec-buttons", 0, "NAME=HEX,...", "CEC messages offered as buttons (with --allow-control)"},
        {"log", 0, "DIR", "write the signal log to DIR, one file a day"},
        {"log-keep", 0, "DAYS", "days of log files kept (default 30)"},
        {"interval", 0, "SECONDS", "time between polls (default 3)"},
        {"rules", 0, "FILE", "fire the rules of FILE on each poll (see rules check)"}};
    return specs;
}

std::vector<Command> serveCommands()
{
    return {
        {"serve", "[--mqtt HOST[:PORT]] [--allow-control] [--log DIR]",
         "Watch the box and publish it over MQTT (Home Assistant discovery); keep a signal log.",
         "Polls the settings and the status as the window does, every 3 s; finds the box when it is plugged\n"
         "in and survives an unplug. Topics under vantrel/2023/: availability (online/offline, also the last\n"
         "will), state (retained: the status facts and every setting by name), event (one per change), and\n"
         "with --allow-control set/NAME (the values set takes) and cec/send (colon hex, or a recipe as\n"
         "cec recipe takes it); a refused command is answered on error. The recipes without arguments are\n"
         "offered as buttons. SIGTERM or Ctrl+C publishes offline and ends with status 0.",
         0, 0, serveOptionSpecs(), runServe},
    };
}

} // namespace vantrel::cli
