// SPDX-License-Identifier: GPL-3.0-or-later
// status and status --watch: the window's header, its texts and the facts
// behind them.
#include "cli_error.h"
#include "commands.h"

#include "status_facts.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>

#include <array>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>

namespace vantrel::cli {

namespace {

QString latin1(const std::string &text) { return QString::fromLatin1(text.c_str()); }
QJsonValue textOrNull(const std::string &text) { return text.empty() ? QJsonValue() : QJsonValue(latin1(text)); }
QJsonValue numberOrNull(int n) { return n ? QJsonValue(n) : QJsonValue(); }

struct StatusRead {
    status::StatusTexts texts;
    status::StatusFacts facts;
    std::array<uint8_t, UsbLink::kMaxReply> hdr{}; // the record, for the infoframe's decoding
};

// The window's four reads in its order; false when any of them failed.
bool readStatus(BoxConnection &b, StatusRead &out)
{
    uint8_t video[UsbLink::kMaxReply], source[UsbLink::kMaxReply], gate[UsbLink::kMaxReply];
    uint8_t *hdr = out.hdr.data();
    const bool videoRead = b.box().ReadRegister(6, video, status::kVideoRecordLength);
    const bool sourceRead = b.box().ReadRegister(0x15, source, status::kSourceRecordLength);
    const bool hdrRead = b.box().ReadRegister(0x1E, hdr, status::kHdrRecordLength);
    const bool gateRead = b.box().ReadRegister(0x1F, gate, 31);
    b.clearOutcome();
    if (!(videoRead && sourceRead && hdrRead && gateRead))
        return false;
    const status::Record v{video, status::kVideoRecordLength}, s{source, status::kSourceRecordLength},
        h{hdr, status::kHdrRecordLength};
    out.texts = status::decodeStatus(v, s, h);
    out.facts = status::decodeFacts(v, s, h);
    return true;
}

QStringList statusLines(const StatusRead &r)
{
    const status::StatusTexts &t = r.texts;
    QStringList lines;
    for (const std::string *line : {&t.input, &t.output, &t.colour, &t.source, &t.hdr})
        lines << latin1(*line);
    lines << QStringLiteral("HDR infoframe : %1").arg(t.infoframeCaptured ? latin1(t.infoframe) : QStringLiteral("none"));
    return lines;
}

QJsonObject statusJson(const StatusRead &r)
{
    const status::StatusTexts &t = r.texts;
    const status::StatusFacts &f = r.facts;
    QJsonObject doc;
    // The window's texts, as they were.
    doc.insert(QStringLiteral("input"), latin1(t.input));
    doc.insert(QStringLiteral("output"), latin1(t.output));
    doc.insert(QStringLiteral("colour"), latin1(t.colour));
    doc.insert(QStringLiteral("source"), latin1(t.source));
    doc.insert(QStringLiteral("hdr"), latin1(t.hdr));
    doc.insert(QStringLiteral("infoframe"), t.infoframeCaptured ? QJsonValue(latin1(t.infoframe)) : QJsonValue());
    // The facts behind them; null where the box says nothing.
    QJsonObject timing;
    timing.insert(QStringLiteral("code"), int(f.timingCode));
    timing.insert(QStringLiteral("name"), textOrNull(f.timingName));
    timing.insert(QStringLiteral("shortName"), textOrNull(f.timingShortName));
    timing.insert(QStringLiteral("width"), numberOrNull(f.width));
    timing.insert(QStringLiteral("height"), numberOrNull(f.height));
    timing.insert(QStringLiteral("interlaced"), f.interlaced);
    timing.insert(QStringLiteral("refreshHz"), numberOrNull(f.refreshHz));
    timing.insert(QStringLiteral("structure3d"), textOrNull(f.structure3d));
    doc.insert(QStringLiteral("timing"), timing);
    doc.insert(QStringLiteral("hdmi"), f.hdmi);
    doc.insert(QStringLiteral("clockClass"), f.clockClass);
    doc.insert(QStringLiteral("clockMHz"), numberOrNull(f.clockMHz));
    doc.insert(QStringLiteral("colourFormat"), latin1(f.colourFormat));
    doc.insert(QStringLiteral("colourDepth"), numberOrNull(f.colourDepth));
    doc.insert(QStringLiteral("hdcp"), latin1(f.hdcp));
    QJsonArray outputs;
    if (f.txA)
        outputs.append(QStringLiteral("TX A"));
    if (f.txB)
        outputs.append(QStringLiteral("TX B"));
    doc.insert(QStringLiteral("outputs"), outputs);
    doc.insert(QStringLiteral("colorimetry"), textOrNull(f.colorimetry));
    doc.insert(QStringLiteral("eotf"), f.eotf);
    doc.insert(QStringLiteral("eotfName"), textOrNull(f.eotfName));
    doc.insert(QStringLiteral("sourceVendor"), latin1(f.sourceVendor));
    doc.insert(QStringLiteral("sourceProduct"), latin1(f.sourceProduct));
    QJsonArray bytes;
    for (uint8_t byte : f.infoframe)
        bytes.append(int(byte));
    doc.insert(QStringLiteral("infoframeBytes"), f.infoframeCaptured ? QJsonValue(bytes) : QJsonValue());
    return doc;
}

// The lines and the document of one reading, into out: the window's texts,
// the facts, and what the captured HDR infoframe holds.
void emitStatus(Invocation &inv, Output &out, const StatusRead &r)
{
    for (const QString &line : statusLines(r))
        out.line(line);
    out.doc() = statusJson(r);
    Invocation into{inv.parser, inv.args, inv.link, out};
    addCapturedInfoframe(into, r.hdr.data(), status::kHdrRecordLength);
}

volatile std::sig_atomic_t g_stop = 0;

void onStopSignal(int) { g_stop = 1; }

void printLine(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

// Polls until SIGINT or SIGTERM; prints the status whenever it changed.
int watch(Invocation &inv, BoxConnection &b, double seconds)
{
    std::signal(SIGINT, onStopSignal);
    std::signal(SIGTERM, onStopSignal);
    inv.out.streamed();
    const auto period = std::chrono::milliseconds(qint64(seconds * 1000));
    QJsonObject last;
    bool failing = false;
    bool first = true;
    while (!g_stop) {
        StatusRead r;
        if (readStatus(b, r)) {
            failing = false;
            const QJsonObject now = statusJson(r);
            if (first || now != last) {
                const QString time = QDateTime::currentDateTime().toString(Qt::ISODateWithMs);
                if (!inv.out.json()) {
                    if (!first)
                        printLine({});
                    printLine(time.toUtf8());
                }
                Output reading(inv.out.json());
                emitStatus(inv, reading, r);
                if (inv.out.json()) {
                    reading.doc().insert(QStringLiteral("time"), time);
                    printLine(QJsonDocument(reading.doc()).toJson(QJsonDocument::Compact));
                }
                std::fflush(stdout);
                last = now;
                first = false;
            }
        } else if (!failing) {
            // Told once; the polling goes on, as the window's does.
            std::fprintf(stderr, "vantrelctl: reading the status records failed; still trying\n");
            failing = true;
        }
        const auto until = std::chrono::steady_clock::now() + period;
        while (!g_stop && std::chrono::steady_clock::now() < until)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return kExitOk;
}

int runStatus(Invocation &inv)
{
    const bool watching = inv.isSet(QStringLiteral("watch"));
    double seconds = 3;
    if (!inv.args.isEmpty()) {
        bool ok = false;
        seconds = inv.args[0].toDouble(&ok);
        if (!watching || !ok || seconds < 0.05 || seconds > 86400)
            usageError("status takes SECONDS only with --watch: a number from 0.05 to 86400");
    }
    BoxConnection b(inv.link);
    if (watching)
        return watch(inv, b, seconds);
    StatusRead r;
    b.require(readStatus(b, r), "reading the status records failed");
    emitStatus(inv, inv.out, r);
    return kExitOk;
}

void statusOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("watch"),
                 QStringLiteral("Poll every SECONDS (default 3) and print whenever the status changed, until "
                                "interrupted; with --json one object a line.")});
}

} // namespace

std::vector<Command> statusCommands()
{
    return {
        {"status", "[--watch [SECONDS]]",
         "The signal status: input, output, colour, source, HDR and the captured HDR infoframe, decoded.",
         "The six lines of the window's header, and a seventh: what the captured HDR infoframe holds.\n"
         "With --json the texts and the decoded facts: timing code,\n"
         "name, resolution and refresh, clock, colour format and depth, HDCP, outputs, colorimetry,\n"
         "HDR EOTF, the source's vendor and product and the captured HDR infoframe's bytes.",
         0, 1, statusOptions, runStatus},
    };
}

} // namespace vantrel::cli
