// SPDX-License-Identifier: GPL-3.0-or-later
// serve's options and its configuration file: one long-running process that
// owns the box, publishes it over MQTT and keeps the signal log (the engine
// is service/serve_engine, run by vantrelctl-serve).
#include "serve_options.h"

#include "cec_recipes.h"
#include "cli_error.h"
#include "nearest_name.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sys/stat.h>

namespace vantrel::cli {

const std::vector<OptionSpec> &serveOptionSpecs();

namespace {

// "user" on the first line, the password on the second. A file that group or
// others may read is refused: the password is nobody else's.
void readCredentials(const std::string &path, service::MqttOptions &mqtt)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0)
        throw CliError{kExitFailed, "cannot read the credentials file " + path + ": " + std::strerror(errno)};
    if (S_ISDIR(st.st_mode))
        throw CliError{kExitFailed, "the credentials file " + path + " is a folder; give the file in it"};
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

// Two buttons under one name would be one entity, the second overwriting
// the first: names that read alike to Home Assistant (tv-on, tv_on) or a
// recipe's name are refused.
void checkButtonNames(const std::vector<service::CecButton> &buttons)
{
    std::vector<std::pair<std::string, std::string>> taken; // object id, name as given
    for (const packets::CecRecipe &r : packets::cecRecipes())
        taken.emplace_back(service::objectId(r.name), std::string("the recipe ") + r.name);
    for (const service::CecButton &b : buttons) {
        const std::string id = service::objectId(b.name);
        const auto clash = std::find_if(taken.begin(), taken.end(), [&](const auto &t) { return t.first == id; });
        if (clash != taken.end())
            usageError("--cec-buttons: \"" + b.name + "\" collides with " + clash->second + "; give another name");
        taken.emplace_back(id, "\"" + b.name + "\"");
    }
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

} // namespace

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
        o.engine.prefix = inv.value("discovery-prefix");
    if (o.engine.prefix.empty() || o.engine.prefix.find_first_of("#+") != std::string::npos)
        usageError("--discovery-prefix takes a topic without wildcards");
    if (inv.isSet("id"))
        o.engine.id = inv.value("id");
    if (o.engine.id.empty() || o.engine.id.size() > 64 ||
        !std::all_of(o.engine.id.begin(), o.engine.id.end(),
                     [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_'; }))
        usageError("--id takes letters, digits, - and _ (at most 64), not \"" + o.engine.id + "\"");
    o.engine.allowControl = inv.isSet("allow-control");
    if (inv.isSet("log")) {
        o.logFolder = inv.value("log");
        const std::string why = service::SignalLog(o.logFolder, 1).checkFolder();
        if (!why.empty())
            throw CliError{kExitFailed, why};
    }
    if (inv.isSet("log-keep"))
        o.keepDays = int(number(inv.value("log-keep"), 1, 36500, "--log-keep"));
    o.engine.intervalMs = intervalOption(inv, o.engine.intervalMs);
    if (inv.isSet("cec-buttons")) {
        const std::string list = inv.value("cec-buttons");
        size_t at = 0;
        while (at < list.size()) {
            const size_t comma = std::min(list.find(',', at), list.size());
            const std::string item = list.substr(at, comma - at);
            const size_t eq = item.find('=');
            if (eq == 0 || eq == std::string::npos || eq + 1 == item.size())
                usageError("--cec-buttons takes NAME=HEX pairs separated by commas, not \"" + item + "\"");
            o.engine.cecButtons.push_back(
                {item.substr(0, eq), checkedPacketText(PacketKind::Cec, item.substr(eq + 1))});
            at = comma + 1;
        }
        checkButtonNames(o.engine.cecButtons);
    }
    for (const auto &[option, folder] : {std::pair{"profiles", &o.profilesFolder}, std::pair{"edids", &o.edidsFolder}}) {
        if (!inv.isSet(option))
            continue;
        *folder = inv.value(option);
        std::error_code ec;
        if (!std::filesystem::is_directory(*folder, ec))
            throw CliError{kExitFailed, std::string("--") + option + " takes a folder; " + *folder + " is none"};
    }
    // A button per profile in the folder, by its name.
    std::error_code ec;
    if (!o.profilesFolder.empty())
        for (std::filesystem::directory_iterator it(o.profilesFolder, ec), end; !ec && it != end; it.increment(ec))
            if (it->path().extension() == ".json" && service::plainName(it->path().stem().string()))
                o.engine.profiles.push_back(it->path().stem().string());
    std::sort(o.engine.profiles.begin(), o.engine.profiles.end());
    if (inv.isSet("rules")) {
        std::vector<service::Rule> rules = loadRules(inv.value("rules"));
        for (const service::Rule &r : rules)
            o.engine.rules.push_back(r.name);
        o.rules = std::make_shared<ServeRules>(std::move(rules), o.engine.intervalMs);
    }
    return o;
}

namespace {

int runServe(Invocation &inv)
{
    return serveRunner()(inv);
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
        {"id", 0, "NAME", "the name of this box's topics and entities (default 2023): one serve per box"},
        {"allow-control", 0, nullptr, "take commands: set/NAME, cec/send, infoframe/, profile/apply, edid/load, rules/enable"},
        {"cec-buttons", 0, "NAME=HEX,...", "CEC messages offered as buttons (with --allow-control)"},
        {"profiles", 0, "DIR", "the profiles profile/apply takes by name (with --allow-control)"},
        {"edids", 0, "DIR", "the EDID tables edid/load takes by name (with --allow-control)"},
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
         "in and survives an unplug. Topics under vantrel/ID/ (--id, default 2023): availability (online/offline, also the last\n"
         "will), state (retained: the status facts and every setting by name), event (one per change), and\n"
         "with --allow-control set/NAME (the values set takes), cec/send (colon hex, or a recipe as\n"
         "cec recipe takes it), infoframe/hdr and infoframe/avi (a template or JSON fields), profile/apply\n"
         "and edid/load (a name from --profiles or --edids), rules/enable (\"NAME on\" or \"NAME off\", a rule of --rules;\n"
         "its state retained on rules); a refused command is answered on error. The recipes without arguments are\n"
         "offered as buttons, each rule as a switch. SIGTERM or Ctrl+C publishes offline and ends with status 0.",
         0, 0, serveOptionSpecs(), runServe},
    };
}

} // namespace vantrel::cli
