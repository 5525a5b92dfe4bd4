// SPDX-License-Identifier: GPL-3.0-or-later
// status and status --watch: the window's header, its texts and the facts
// behind them.
#include "cli_error.h"
#include "commands.h"
#include "status_read.h"
#include "box_status.h"

#include "status_json.h"
#include "text_report.h"

#include <array>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <thread>

namespace vantrel::cli {

namespace {

std::string latin1(const std::string &text)
{
    return report::latin1(text).get<std::string>();
}

// The lines and the document of one reading, into out: the window's texts,
// the facts, and what the captured HDR infoframe holds.
void emitStatus(Output &out, const StatusRead &r)
{
    const status::StatusTexts &t = r.texts;
    for (const std::string *line : {&t.input, &t.output, &t.colour, &t.source, &t.hdr})
        out.line(latin1(*line));
    out.line("HDR infoframe : " + (t.infoframeCaptured ? latin1(t.infoframe) : std::string("none")));
    out.doc() = status::statusJson(r.texts, r.facts);
    addCapturedInfoframe(out, r.hdr.data(), status::kHdrRecordLength);
}

// Local time with its UTC offset, to the millisecond: 2024-05-01T12:00:00.250+02:00.
std::string timestamp()
{
    const auto now = std::chrono::system_clock::now();
    const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
    const long ms = long(std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &seconds);
    // The UTC fields read as local time lie behind by the offset (the C
    // runtime the cross build links has no _get_timezone).
    std::tm utc{};
    gmtime_s(&utc, &seconds);
    utc.tm_isdst = local.tm_isdst;
    const long offset = long(seconds - std::mktime(&utc));
#else
    localtime_r(&seconds, &local);
    const long offset = local.tm_gmtoff;
#endif
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%dT%H:%M:%S", &local);
    const long minutes = std::labs(offset) / 60;
    return report::format("%s.%03ld%c%02ld:%02ld", date, ms, offset < 0 ? '-' : '+', minutes / 60, minutes % 60);
}

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int)
{
    g_stop = 1;
}

void printLine(const std::string &text)
{
    writeStdout(text + "\n");
    std::fflush(stdout);
}

// Polls until SIGINT or SIGTERM; prints the status whenever it changed.
int watch(Invocation &inv, BoxConnection &b, double seconds)
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    inv.out.streamed();
    const auto period = std::chrono::milliseconds(long(seconds * 1000));
    Json last;
    bool failing = false;
    bool first = true;
    while (!g_stop) {
        StatusRead r;
        if (readStatus(b, r)) {
            failing = false;
            const Json now = status::statusJson(r.texts, r.facts);
            if (first || now != last) {
                const std::string time = timestamp();
                if (!inv.out.json()) {
                    if (!first)
                        printLine({});
                    printLine(time);
                }
                Output reading(inv.out.json());
                emitStatus(reading, r);
                if (inv.out.json()) {
                    reading.doc()["time"] = time;
                    printLine(report::oneLine(reading.doc()));
                }
                last = now;
                first = false;
            }
        } else if (!failing) {
            // Told once; the polling goes on, as the window's does. A reader
            // of the JSON lines learns it there too.
            const char *what = "reading the status records failed; still trying";
            std::fprintf(stderr, "vantrelctl: %s\n", what);
            if (inv.out.json())
                printLine(Json{{"time", timestamp()}, {"error", what}}.dump());
            failing = true;
        }
        // A reader that went away ends the watch.
        if (std::ferror(stdout))
            break;
        const auto until = std::chrono::steady_clock::now() + period;
        while (!g_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kExitOk;
}

int runStatus(Invocation &inv)
{
    const bool watching = inv.isSet("watch");
    double seconds = 3;
    if (!inv.args.empty()) {
        if (!watching)
            usageError("status takes no argument (\"" + inv.args[0] + "\"); SECONDS goes with --watch");
        const std::string &text = inv.args[0];
        char *end = nullptr;
        seconds = std::strtod(text.c_str(), &end);
        // NaN and infinity fail every comparison: refused by name.
        if (text.empty() || *end || !std::isfinite(seconds) || seconds < 0.05 || seconds > 86400)
            usageError("--watch takes SECONDS, a number from 0.05 to 86400, not \"" + text + "\"");
    }
    BoxConnection b(inv.link);
    if (watching)
        return watch(inv, b, seconds);
    StatusRead r;
    b.require(readStatus(b, r), "reading the status records failed");
    emitStatus(inv.out, r);
    return kExitOk;
}

} // namespace

// The one status read (status::readStatus); false when any of the four reads failed.
bool readStatus(BoxConnection &b, StatusRead &out)
{
    const status::StatusRead r = status::readStatus(b.box());
    if (!r.facts)
        return false;
    out.texts = *r.texts;
    out.facts = *r.facts;
    out.hdr = r.hdr;
    return true;
}

std::vector<Command> statusCommands()
{
    return {
        {"status",
         "[--watch [SECONDS]]",
         "The signal status: input, output, colour, source, HDR and the captured HDR infoframe, decoded.",
         "The six lines of the window's header, and a seventh: what the captured HDR infoframe holds.\n"
         "With --json the texts and the decoded facts: timing code,\n"
         "name, resolution and refresh, clock, colour format and depth, HDCP, outputs, colorimetry,\n"
         "HDR EOTF, the source's vendor and product and the captured HDR infoframe's bytes; null where\n"
         "the box says nothing. --watch prints times in local time with the UTC offset.",
         0,
         1,
         {{"watch", 0, nullptr,
           "poll every SECONDS (default 3) and print whenever the status changed, until interrupted; with "
           "--json one object a line"}},
         runStatus},
    };
}

} // namespace vantrel::cli
