// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl-serve: serve itself. The engine steps, then the thread sleeps on
// the broker's socket until a message comes or the next poll is due.
#include "serve_box.h"
#include "serve_options.h"

#include "cli_error.h"
#include "clock.h"

#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace vantrel::cli {

namespace {

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int)
{
    g_stop = 1;
}

void say(const std::string &line)
{
    std::fprintf(stderr, "vantrelctl: %s\n", line.c_str());
}

std::string hostName()
{
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? std::string(name) : std::string("unknown");
}

int serveHere(Invocation &inv)
{
    ServeOptions o = serveOptions(inv);
    // The signals wait while the box is read; the socket's wait takes them.
    sigset_t stops;
    sigemptyset(&stops);
    sigaddset(&stops, SIGINT);
    sigaddset(&stops, SIGTERM);
    sigprocmask(SIG_BLOCK, &stops, nullptr);
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    inv.out.streamed();

    o.engine.host = hostName();
    o.engine.version = VANTREL_VERSION;
#ifdef VANTREL_SUPPORT_URL
    o.engine.supportUrl = VANTREL_SUPPORT_URL;
#endif
    o.engine.process = long(::getpid());
    o.engine.processAlive = [](long pid) { return pid > 0 && (::kill(pid_t(pid), 0) == 0 || errno == EPERM); };
    o.mqtt.clientId = "vantrel-" + o.engine.id + "-" + std::to_string(::getpid());
    o.mqtt.willTopic = service::boxTopic(o.engine.id, "availability");
    o.mqtt.willPayload = "offline";
    std::unique_ptr<service::SignalLog> log;
    if (!o.logFolder.empty())
        log = std::make_unique<service::SignalLog>(o.logFolder, o.keepDays);
    try {
        service::MqttClient mqtt(o.mqtt, say);
        ServeBox box(inv.link, o.profilesFolder, o.edidsFolder);
        service::ServeEngine engine(o.engine, mqtt, box, log.get(), say);
        box.keepAlertsBackWhile([&engine] { return engine.quiet(); });
        if (o.rules) {
            engine.setPollObserver([&](const service::Json &state, service::Millis now, bool answering) {
                return o.rules->poll(now, state, answering ? box.connection() : nullptr);
            });
            engine.setRuleSwitch([&](const std::string &rule, bool on) { o.rules->enable(rule, on); });
        }
        while (!g_stop) {
            const long wait = engine.step(service::nowMillis(), systemClock().tickMs());
            if (!engine.refusal().empty())
                throw CliError{kExitFailed, engine.refusal()};
            mqtt.wait(wait);
        }
        engine.stop();
        mqtt.stop();
    } catch (const service::ServeError &e) {
        throw CliError{kExitFailed, e.message};
    }
    return kExitOk;
}

const bool g_registered = [] {
    serveRunner() = serveHere;
    return true;
}();

} // namespace

} // namespace vantrel::cli
