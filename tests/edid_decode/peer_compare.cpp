// SPDX-License-Identifier: GPL-3.0-or-later
#include "peer_compare.h"
#include "vic_names.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <cmath>

using namespace vantrel::edid;

namespace edidtest {
namespace {

QString madeText(const BaseBlock &b)
{
    if (b.modelYear)
        return QStringLiteral("model %1").arg(b.year);
    if (b.week)
        return QStringLiteral("week %1 of %2").arg(b.week).arg(b.year);
    return QString::number(b.year);
}

QString dtdFact(unsigned width, unsigned height, bool interlaced, long kHz)
{
    return QStringLiteral("%1x%2%3 %4").arg(width).arg(height).arg(interlaced ? "i" : "").arg(kHz);
}

void addTimings(FactSheet &f, const std::vector<DetailedTiming> &timings)
{
    for (const DetailedTiming &t : timings)
        f["dtd"] << dtdFact(t.hActive, t.frameHeight(), t.interlaced, long(t.pixelClockKHz));
}

// Size and whole frame rate: the code tables and GTF round differently.
QString legacyFact(unsigned width, unsigned height, bool interlaced, double hz)
{
    return QStringLiteral("%1x%2%3@%4").arg(width).arg(height).arg(interlaced ? "i" : "").arg(std::lround(hz));
}

QString vicFormatFact(unsigned w, unsigned h, bool interlaced, double hz, unsigned ah, unsigned av, unsigned kHz)
{
    return QStringLiteral("%1x%2%3 %4 %5:%6 %7").arg(w).arg(h).arg(interlaced ? "i" : "").arg(hz, 0, 'f', 3)
        .arg(ah).arg(av).arg(kHz);
}

QString shortSpeaker(const std::string &name)
{
    const QString text = QString::fromStdString(name);
    return text.section(QStringLiteral(" - "), 0, 0);
}

int eotfBit(const QString &peerName)
{
    static const QStringList names = {
        "Traditional gamma - SDR luminance range", "Traditional gamma - HDR luminance range",
        "SMPTE ST2084", "Hybrid Log-Gamma"};
    static const QRegularExpression unknown(QStringLiteral("^Unknown \\((\\d+)\\)$"));
    const QRegularExpressionMatch m = unknown.match(peerName);
    return m.hasMatch() ? m.captured(1).toInt() : int(names.indexOf(peerName));
}

// The peer's texts for what has no name.
QString peerAudioName(const QString &line)
{
    static const QRegularExpression ext(QStringLiteral("^Unknown Audio Ext Format \\(0x([0-9a-fA-F]+)\\)$"));
    static const QRegularExpression reserved(QStringLiteral("^Reserved \\(0x([0-9a-fA-F]+)\\)$"));
    QRegularExpressionMatch m = ext.match(line);
    if (m.hasMatch())
        return QStringLiteral("Unknown extended audio type %1").arg(m.captured(1).toUInt(nullptr, 16));
    m = reserved.match(line);
    if (m.hasMatch())
        return QStringLiteral("Reserved audio format %1").arg(m.captured(1).toUInt(nullptr, 16));
    return line;
}

} // namespace

// The facts of CTA-861 data blocks, in a CTA extension or carried in DisplayID.
void addDataBlocks(FactSheet &f, const std::vector<DataBlock> &blocks)
{
    for (const DataBlock &db : blocks) {
        switch (db.kind) {
        case BlockKind::Video:
            for (const Vic &v : db.vics) {
                f["vic"] << QString::number(v.vic) + (v.native ? "*" : "");
                if (const VicFormat *fmt = vicFormat(v.vic))
                    f["vicFormat"] << vicFormatFact(fmt->hActive, fmt->vActive, fmt->interlaced, fmt->refreshHz(),
                                                    fmt->aspectH, fmt->aspectV, fmt->pixelClockKHz);
            }
            break;
        case BlockKind::Y420Video:
            for (const Vic &v : db.vics)
                f["y420vic"] << QString::number(v.vic);
            break;
        case BlockKind::Y420CapabilityMap:
            if (db.y420AllVics)
                f["y420map"] << "all";
            else
                for (unsigned v : db.y420MapVics)
                    f["y420map"] << QString::number(v);
            break;
        case BlockKind::Audio:
            for (const ShortAudio &a : db.audio) {
                f["audio"] << QStringLiteral("%1/%2").arg(QString::fromStdString(a.name))
                                  .arg(a.channels ? QString::number(a.channels) : QStringLiteral("-"));
                if (a.format == 0)
                    continue; // the peer prints nothing more for a reserved code
                QStringList rates, sizes;
                for (double r : a.ratesKHz())
                    rates << QString::number(r);
                for (unsigned s : a.sizesBits())
                    sizes << QString::number(s);
                f["audioRates"] << rates.join(' ') + (sizes.isEmpty() ? QString() : " / " + sizes.join(' '));
                if (a.format >= 2 && a.format <= 8)
                    f["audioBitrate"] << QString::number(a.maxBitrateKbps);
            }
            break;
        case BlockKind::Speaker:
            for (const std::string &s : speakerNames(db.speakers))
                f["speakers"] << shortSpeaker(s);
            break;
        case BlockKind::HdrStatic:
            if (db.hdr) {
                for (int bit = 0; bit < 6; ++bit) // edid-decode reads no further
                    if (db.hdr->eotfs & (1 << bit))
                        f["eotf"] << QString::number(bit);
                const HdrStaticMetadata &h = *db.hdr;
                if (h.maxLuminanceCode)
                    f["luminance"] << QStringLiteral("max %1").arg(h.maxLuminance(), 0, 'f', 3);
                if (h.maxFrameAvgCode)
                    f["luminance"] << QStringLiteral("average %1").arg(h.maxFrameAvg(), 0, 'f', 3);
                if (h.minLuminanceCode)
                    f["luminance"] << QStringLiteral("min %1").arg(h.minLuminance(), 0, 'f', 3);
            }
            break;
        case BlockKind::VideoCapability:
            if (db.videoCapability)
                f["rgbQuantization"] << (db.videoCapability->qs ? "selectable" : "no data");
            break;
        case BlockKind::Eeodb:
            f["eeodb"] << QString::number(db.eeodbCount);
            break;
        case BlockKind::Colorimetry:
            for (const std::string &s : colorimetryNames(db.colorimetry))
                f["colorimetry"] << QString::fromStdString(s);
            break;
        default:
            break;
        }
        if (db.hdmi) {
            const HdmiVsdb &h = *db.hdmi;
            f["physical"] << QStringLiteral("%1.%2.%3.%4").arg(h.physA, 0, 16).arg(h.physB, 0, 16).arg(h.physC, 0, 16).arg(h.physD, 0, 16);
            if (db.length >= 7)
                f["tmds"] << QString::number(h.maxTmdsMHz);
            const std::pair<bool, const char *> flags[] = {{h.supportsAI, "Supports_AI"}, {h.dc48, "DC_48bit"},
                {h.dc36, "DC_36bit"}, {h.dc30, "DC_30bit"}, {h.dcY444, "DC_Y444"}, {h.dviDual, "DVI_Dual"}};
            for (const auto &[on, name] : flags)
                if (on)
                    f["hdmiFlags"] << name;
            // A value as its byte, the special ones by name.
            const auto latency = [&f](const char *which, const std::optional<unsigned> &code, bool video) {
                if (code)
                    f["latency"] << QString(which) + " " + (*code == 0 || *code == 255
                                        ? QString::fromStdString(HdmiVsdb::latencyText(code, video))
                                        : QString::number(*code));
            };
            if (h.videoLatency && h.audioLatency) {
                latency("video", h.videoLatency, true);
                latency("audio", h.audioLatency, false);
            }
            if (h.interlacedVideoLatency && h.interlacedAudioLatency) {
                latency("interlaced video", h.interlacedVideoLatency, true);
                latency("interlaced audio", h.interlacedAudioLatency, false);
            }
            for (unsigned v : h.hdmiVics)
                f["hdmiVic"] << QString::number(v);
        }
        if (db.dolbyVision)
            f["dolbyVision"] << QString::number(db.dolbyVision->version);
        if (db.hdr10Plus)
            f["hdr10plus"] << "yes";
        for (const ShortAudio &a : db.audio)
            if (a.atmos)
                f["atmos"] << QString::fromStdString(a.name);
        if (db.hdmiForum) {
            const HdmiForumVsdb &h = *db.hdmiForum;
            f["hfVersion"] << QString::number(h.version);
            if (h.maxTmdsCharRateMHz)
                f["hfTmds"] << QString::number(h.maxTmdsCharRateMHz);
            if (h.scdcPresent)
                f["scdc"] << "yes";
            const std::pair<bool, const char *> flags[] = {{h.rrCapable, "read requests"},
                {h.lte340Scramble, "scrambling"}, {h.independentView, "3D independent"},
                {h.dualView, "3D dual"}, {h.osdDisparity, "3D OSD"}, {h.dc48_420, "DC48 4:2:0"},
                {h.dc36_420, "DC36 4:2:0"}, {h.dc30_420, "DC30 4:2:0"}, {h.allm, "ALLM"}};
            for (const auto &[on, name] : flags)
                if (on)
                    f["hfFlags"] << name;
            if (h.maxFrlRate)
                f["frl"] << QString::number(h.maxFrlRate);
            if (h.vrrMinHz)
                f["vrr"] << QStringLiteral("min %1").arg(h.vrrMinHz);
            if (h.vrrMaxHz)
                f["vrr"] << QStringLiteral("max %1").arg(h.vrrMaxHz);
        }
    }
}

FactSheet decoderFacts(const EdidReport &report)
{
    FactSheet f;
    if (!report.hasBase)
        return f;
    const BaseBlock &b = report.base;
    f["version"] << QStringLiteral("%1.%2").arg(b.version).arg(b.revision);
    f["manufacturer"] << QString::fromStdString(b.manufacturer);
    f["model"] << QString::number(b.productCode);
    if (b.serialNumber)
        f["serial"] << QString::number(b.serialNumber);
    f["made"] << madeText(b);
    for (const std::string &name : b.displayNames)
        f["name"] << QString::fromStdString(name);
    f["checksum"] << (b.checksumOk ? "ok" : "bad");
    addTimings(f, b.timings);
    if (b.rangeLimits)
        f["range"] << QStringLiteral("%1-%2 Hz V, %3-%4 kHz H").arg(b.rangeLimits->minVHz).arg(b.rangeLimits->maxVHz)
                          .arg(b.rangeLimits->minHKHz).arg(b.rangeLimits->maxHKHz);
    for (const LegacyTiming &t : b.establishedTimings)
        f["established"] << legacyFact(t.hActive, t.vActive, t.interlaced, t.refreshHz);
    for (const LegacyTiming &t : b.standardTimings)
        f["standard"] << legacyFact(t.hActive, t.vActive, t.interlaced, t.refreshHz);
    for (const ExtensionBlock &ext : report.extensions) {
        f["checksum"] << (ext.checksumOk ? "ok" : "bad");
        if (ext.displayId) {
            f["displayIdVersion"] << QString::fromStdString(ext.displayId->versionText());
            f["displayIdChecksum"] << (ext.displayId->checksumOk ? "ok" : "bad");
            for (const DisplayIdBlock &db : ext.displayId->blocks) {
                for (const DisplayIdTiming &t : db.timings) {
                    if (t.detail)
                        f["displayIdTiming"] << dtdFact(t.width, t.height, t.interlaced, long(t.detail->pixelClockKHz));
                    else if (t.code.rfind("DMT", 0) == 0)
                        f["displayIdTiming"] << legacyFact(t.width, t.height, t.interlaced, t.refreshHz);
                }
                if (db.nativeWidth)
                    f["displayIdNative"] << QStringLiteral("%1x%2").arg(db.nativeWidth).arg(db.nativeHeight);
                if (db.features)
                    for (const std::string &line : db.features->lines())
                        f["idFeatures"] << QString::fromStdString(line);
                if (db.product && db.product->serialNumber)
                    f["serial"] << QString::number(db.product->serialNumber);
                addDataBlocks(f, db.cta);
            }
        }
        if (!ext.cta)
            continue;
        addDataBlocks(f, ext.cta->dataBlocks);
        addTimings(f, ext.cta->timings);
    }
    return f;
}

FactSheet peerFacts(const QString &peerOutput)
{
    static const QRegularExpression dtdLine(QStringLiteral("^DTD\\s+\\d+:\\s+(\\d+)x(\\d+)(i?)\\s.*\\s([\\d.]+) MHz"));
    static const QRegularExpression vicLine(QStringLiteral("^(?:VIC\\s+|Unknown \\(VIC\\s*)(\\d+)"));
    static const QRegularExpression vicTiming(QStringLiteral(
        "^VIC\\s+\\d+:\\s+(\\d+)x(\\d+)(i?)\\s+([\\d.]+) Hz\\s+(\\d+):(\\d+)\\s+[\\d.]+ kHz\\s+([\\d.]+) MHz"));
    static const QRegularExpression hdmiVicLine(QStringLiteral("^HDMI VIC (\\d+):"));
    static const QRegularExpression luminanceLine(QStringLiteral(
        "^Desired content (max|max frame-average|min) luminance: \\d+ \\(([\\d.]+) cd"));
    static const QRegularExpression latencyLine(QStringLiteral("^((?:Interlaced )?(?:[Vv]ideo|[Aa]udio)) latency: (.*)$"));
    static const QRegularExpression rangeLine(QStringLiteral("^Monitor ranges \\([^)]*\\): (\\d+-\\d+ Hz V, \\d+-\\d+ kHz H)"));
    static const QList<QPair<QString, QString>> featureLabels = {
        {"Supported bpc for RGB encoding", "RGB"}, {"Supported bpc for YCbCr 4:4:4 encoding", "YCbCr 4:4:4"},
        {"Supported bpc for YCbCr 4:2:2 encoding", "YCbCr 4:2:2"}, {"Supported bpc for YCbCr 4:2:0 encoding", "YCbCr 4:2:0"},
        {"Minimum pixel rate at which YCbCr 4:2:0 encoding is supported", "YCbCr 4:2:0 from"},
        {"Supported audio capability and features (kHz)", "Audio kHz"},
        {"Supported color space and EOTF standard combination 1", "Colour and EOTF"},
        {"Supported color space and EOTF additional combinations", "More colour and EOTF"}};
    static const QRegularExpression frlLine(QStringLiteral("^Max Fixed Rate Link: (.*)$"));
    static const QRegularExpression channelsLine(QStringLiteral("^Max channels: (\\d+)"));
    static const QRegularExpression value(QStringLiteral("^([A-Za-z &]+): (.*)$"));
    static const QRegularExpression legacyLine(QStringLiteral("^(?:DMT 0x[0-9a-fA-F]+|IBM|Apple|GTF|CVT)\\s*:\\s+(\\d+)x(\\d+)(i?)\\s+([\\d.]+) Hz"));
    static const QRegularExpression idDtdLine(QStringLiteral("^DTD:\\s+(\\d+)x(\\d+)(i?)\\s.*\\s([\\d.]+) MHz"));
    FactSheet f;
    bool displayId = false;
    QString section, subsection;
    QString audioFormat, audioChannels;
    auto flushAudio = [&] {
        if (!audioFormat.isEmpty())
            f["audio"] << audioFormat + "/" + (audioChannels.isEmpty() ? QStringLiteral("-") : audioChannels);
        audioFormat.clear();
        audioChannels.clear();
    };
    for (const QString &rawLine : peerOutput.split('\n')) {
        const int indent = int(rawLine.size() - QString(rawLine).remove(QRegularExpression("^ +")).size());
        const QString line = rawLine.trimmed();
        if (line.isEmpty())
            continue;
        if (indent == 2 && line.endsWith(':')) {
            flushAudio();
            section = line.chopped(1);
            subsection.clear();
        } else if (indent == 4 && section == "Audio Data Block" && line.startsWith("Reserved (")) {
            flushAudio();
            audioFormat = peerAudioName(line);
        } else if (indent == 4 && line.endsWith(':')) {
            flushAudio();
            subsection = line.chopped(1);
            if (section == "Audio Data Block")
                audioFormat = peerAudioName(subsection);
        }
        if (indent == 0) {
            flushAudio();
            section.clear();
            if (line == "Warnings:" || line == "Failures:" || line.startsWith("EDID conformity:"))
                break; // the check's findings follow, not facts
        }
        if (indent == 0 && line.startsWith("Checksum: ")) // not the DisplayID section sums
            f["checksum"] << (line.contains("should be") ? "bad" : "ok");
        if (indent == 0 && line.startsWith("Block "))
            displayId = line.contains("DisplayID Extension Block");
        if (displayId && indent == 2 && line.startsWith("Checksum: "))
            f["displayIdChecksum"] << (line.contains("should be") ? "bad" : "ok");
        if (displayId && indent == 2 && line.startsWith("Version: "))
            f["displayIdVersion"] << line.section(' ', 1, 1);
        if (displayId && line.startsWith("Display native pixel format: "))
            f["displayIdNative"] << line.section(": ", 1);
        const QRegularExpressionMatch range = rangeLine.match(line);
        if (range.hasMatch())
            f["range"] << range.captured(1);
        if (displayId && section == "Display Interface Features Data Block")
            for (const auto &[label, name] : featureLabels)
                if (line.startsWith(label + ":"))
                    f["idFeatures"] << name + ": " + line.mid(label.size() + 1).trimmed();
        const QRegularExpressionMatch legacy = legacyLine.match(line);
        if (legacy.hasMatch()) {
            const QString fact = legacyFact(legacy.captured(1).toUInt(), legacy.captured(2).toUInt(),
                                            !legacy.captured(3).isEmpty(), legacy.captured(4).toDouble());
            if (section == "Established Timings I & II")
                f["established"] << fact;
            else if (section == "Standard Timings")
                f["standard"] << fact;
            else if (displayId && line.startsWith("DMT"))
                f["displayIdTiming"] << fact;
            continue;
        }
        const QRegularExpressionMatch idDtd = idDtdLine.match(line);
        if (displayId && idDtd.hasMatch()) {
            f["displayIdTiming"] << dtdFact(idDtd.captured(1).toUInt(), idDtd.captured(2).toUInt(),
                                            !idDtd.captured(3).isEmpty(),
                                            std::lround(idDtd.captured(4).toDouble() * 1000.0));
            continue;
        }
        if (indent == 2 && line.startsWith("Vendor-Specific Video Data Block (Dolby)"))
            f["dolbyVision"] << "?";
        if (section.startsWith("Vendor-Specific Video Data Block (Dolby)") && line.startsWith("Version: ") &&
            !f["dolbyVision"].isEmpty())
            f["dolbyVision"].last() = line.section(' ', 1, 1);
        if (indent == 2 && line.startsWith("Vendor-Specific Video Data Block (HDR10+)"))
            f["hdr10plus"] << "yes";
        if (line == "Supports Joint Object Coding" || line == "Supports Dolby TrueHD, object audio PCM and channel-based PCM")
            f["atmos"] << audioFormat;

        const QRegularExpressionMatch dtd = dtdLine.match(line);
        if (dtd.hasMatch()) {
            const long kHz = std::lround(dtd.captured(4).toDouble() * 1000.0);
            f["dtd"] << dtdFact(dtd.captured(1).toUInt(), dtd.captured(2).toUInt(), !dtd.captured(3).isEmpty(), kHz);
            continue;
        }
        const QRegularExpressionMatch hdmiVic = hdmiVicLine.match(line);
        if (hdmiVic.hasMatch()) {
            f["hdmiVic"] << hdmiVic.captured(1);
            continue;
        }
        const QRegularExpressionMatch vic = vicLine.match(line);
        if (vic.hasMatch()) {
            const QRegularExpressionMatch t = vicTiming.match(line);
            if (section == "Video Data Block" && t.hasMatch())
                f["vicFormat"] << vicFormatFact(t.captured(1).toUInt(), t.captured(2).toUInt(), !t.captured(3).isEmpty(),
                                                t.captured(4).toDouble(), t.captured(5).toUInt(), t.captured(6).toUInt(),
                                                unsigned(std::lround(t.captured(7).toDouble() * 1000)));
            if (section == "Video Data Block")
                f["vic"] << vic.captured(1) + (line.contains("(native)") ? "*" : "");
            else if (section == "YCbCr 4:2:0 Video Data Block")
                f["y420vic"] << vic.captured(1);
            else if (section == "YCbCr 4:2:0 Capability Map Data Block" && vic.captured(1) != "0")
                f["y420map"] << vic.captured(1); // a bit on a reserved SVD byte names no format
            continue;
        }
        if (section == "Audio Data Block") {
            const QRegularExpressionMatch ch = channelsLine.match(line);
            if (ch.hasMatch() && !audioFormat.isEmpty())
                audioChannels = ch.captured(1);
            if (line.startsWith("Supported sample rates (kHz):"))
                f["audioRates"] << line.section(':', 1).trimmed();
            else if (line.startsWith("Supported sample sizes (bits):") && !f["audioRates"].isEmpty())
                f["audioRates"].last() += " / " + line.section(':', 1).trimmed();
            else if (line.startsWith("Maximum bit rate:"))
                f["audioBitrate"] << line.section(':', 1).trimmed().section(' ', 0, 0);
            continue;
        }
        if (section == "Speaker Allocation Data Block" && indent == 4) {
            f["speakers"] << line.section(QStringLiteral(" - "), 0, 0);
            continue;
        }
        if (section == "Colorimetry Data Block" && indent == 4) {
            // Reserved bits are reported as findings, not listed as colorimetries.
            if (!line.startsWith("Reserved "))
                f["colorimetry"] << line;
            continue;
        }
        if (section == "HDR Static Metadata Data Block" && subsection == "Electro optical transfer functions"
            && indent == 6) {
            f["eotf"] << QString::number(eotfBit(line));
            continue;
        }
        if (section == "YCbCr 4:2:0 Capability Map Data Block" && line == "All VDB SVDs") {
            f["y420map"] << "all";
            continue;
        }
        if (line == "SCDC Present") {
            f["scdc"] << "yes";
            continue;
        }
        const QRegularExpressionMatch lum = luminanceLine.match(line);
        if (lum.hasMatch()) {
            const QString which = lum.captured(1) == "max frame-average" ? "average" : lum.captured(1);
            f["luminance"] << which + " " + lum.captured(2);
            continue;
        }
        if (section.startsWith("Vendor-Specific Data Block (HDMI)") && indent == 4) {
            static const QStringList flags = {"Supports_AI", "DC_48bit", "DC_36bit", "DC_30bit", "DC_Y444", "DVI_Dual"};
            if (flags.contains(line))
                f["hdmiFlags"] << line;
            // Printed as 1 + 2 * value ms; compared as the stored value.
            const QRegularExpressionMatch lat = latencyLine.match(line);
            if (lat.hasMatch()) {
                const QString text = lat.captured(2);
                f["latency"] << lat.captured(1).toLower() + " " +
                                    (text.endsWith(" ms") ? QString::number((text.section(' ', 0, 0).toUInt() - 1) / 2) : text);
            }
        }
        if (section.startsWith("Vendor-Specific Data Block (HDMI Forum)") ||
            section == "HDMI Forum Sink Capability Data Block") {
            static const QList<QPair<QString, QString>> flags = {
                {"SCDC Read Request Capable", "read requests"}, {"Supports scrambling for <= 340 Mcsc", "scrambling"},
                {"Supports 3D Independent View signaling", "3D independent"},
                {"Supports 3D Dual View signaling", "3D dual"}, {"Supports 3D OSD Disparity signaling", "3D OSD"},
                {"Supports 16-bits/component Deep Color 4:2:0 Pixel Encoding", "DC48 4:2:0"},
                {"Supports 12-bits/component Deep Color 4:2:0 Pixel Encoding", "DC36 4:2:0"},
                {"Supports 10-bits/component Deep Color 4:2:0 Pixel Encoding", "DC30 4:2:0"},
                {"Supports Auto Low-Latency Mode", "ALLM"}};
            for (const auto &[text, name] : flags)
                if (line == text)
                    f["hfFlags"] << name;
            const QRegularExpressionMatch frl = frlLine.match(line);
            if (frl.hasMatch()) {
                static const QStringList rates = {
                    "3 Gbps per lane on 3 lanes", "3 and 6 Gbps per lane on 3 lanes",
                    "3 and 6 Gbps per lane on 3 lanes, 6 Gbps on 4 lanes",
                    "3 and 6 Gbps per lane on 3 lanes, 6 and 8 Gbps on 4 lanes",
                    "3 and 6 Gbps per lane on 3 lanes, 6, 8 and 10 Gbps on 4 lanes",
                    "3 and 6 Gbps per lane on 3 lanes, 6, 8, 10 and 12 Gbps on 4 lanes"};
                f["frl"] << QString::number(rates.indexOf(frl.captured(1)) + 1);
            }
            if (line.startsWith("VRRmin: "))
                f["vrr"] << "min " + line.section(' ', 1, 1);
            if (line.startsWith("VRRmax: "))
                f["vrr"] << "max " + line.section(' ', 1, 1);
            if (line.startsWith("Version: "))
                f["hfVersion"] << line.section(' ', 1, 1);
        }
        if (section == "Video Capability Data Block" && line.startsWith("RGB quantization: "))
            f["rgbQuantization"] << (line.contains("Selectable") ? "selectable" : "no data");
        if (section == "HDMI Forum EDID Extension Override Data Block" && line.startsWith("EDID Extension Block Count: "))
            f["eeodb"] << line.section(' ', 4, 4);
        const QRegularExpressionMatch kv = value.match(line);
        if (!kv.hasMatch())
            continue;
        const QString key = kv.captured(1), text = kv.captured(2);
        if (key == "EDID Structure Version & Revision")
            f["version"] << text;
        else if (key == "Manufacturer")
            f["manufacturer"] << text;
        else if (key == "Model")
            f["model"] << text;
        else if (key == "Serial Number")
            f["serial"] << text;
        else if (key == "Made in")
            f["made"] << text;
        else if (key == "Model year")
            f["made"] << "model " + text;
        else if (key == "Display Product Name")
            f["name"] << QString(text).remove(QRegularExpression("^'|'$"));
        else if (key == "Source physical address")
            f["physical"] << text;
        else if (key == "Maximum TMDS clock")
            f["tmds"] << text.section(' ', 0, 0);
        else if (key == "Maximum TMDS Character Rate")
            f["hfTmds"] << text.section(' ', 0, 0);
    }
    flushAudio();
    return f;
}

QStringList compareFacts(const FactSheet &decoder, const FactSheet &peer)
{
    QStringList keys = decoder.keys() + peer.keys();
    keys.removeDuplicates();
    QStringList out;
    for (const QString &key : keys) {
        const QStringList ours = decoder.value(key), theirs = peer.value(key);
        if (ours != theirs)
            out << QStringLiteral("%1: decoder [%2], edid-decode [%3]").arg(key, ours.join(", "), theirs.join(", "));
    }
    return out;
}

bool peerAvailable()
{
    return !QStandardPaths::findExecutable(QStringLiteral("edid-decode")).isEmpty();
}

QString runPeer(const QByteArray &table, QString *error, bool check)
{
    QTemporaryFile file;
    if (!file.open() || file.write(table) != table.size() || !file.flush()) {
        *error = QStringLiteral("cannot write a temporary file");
        return QString();
    }
    QProcess peer;
    QStringList arguments = {QStringLiteral("--skip-hex-dump"), file.fileName()};
    if (check)
        arguments.prepend(QStringLiteral("--check"));
    peer.start(QStringLiteral("edid-decode"), arguments);
    if (!peer.waitForFinished(20000)) {
        peer.kill();
        peer.waitForFinished(2000);
        *error = QStringLiteral("edid-decode did not finish: %1").arg(peer.errorString());
        return QString();
    }
    return QString::fromUtf8(peer.readAllStandardOutput());
}

QStringList comparePeer(const QByteArray &table)
{
    QString error;
    const QString output = runPeer(table, &error);
    if (output.isEmpty())
        return {error.isEmpty() ? QStringLiteral("edid-decode printed nothing") : error};
    const EdidReport report = decodeEdid(reinterpret_cast<const uint8_t *>(table.constData()), size_t(table.size()));
    return compareFacts(decoderFacts(report), peerFacts(output));
}

QStringList TableComparison::categories() const
{
    QStringList keys = decoder.keys() + peer.keys();
    keys.removeDuplicates();
    return keys;
}

QStringList TableComparison::mismatchedCategories() const
{
    QStringList out;
    for (const QString &key : categories())
        if (decoder.value(key) != peer.value(key))
            out << key;
    return out;
}

TableComparison compareTable(const QByteArray &table)
{
    TableComparison c;
    const QString output = runPeer(table, &c.error, true);
    if (output.isEmpty()) {
        if (c.error.isEmpty())
            c.error = QStringLiteral("edid-decode printed nothing");
        return c;
    }
    const EdidReport report = decodeEdid(reinterpret_cast<const uint8_t *>(table.constData()), size_t(table.size()));
    c.decoder = decoderFacts(report);
    c.peer = peerFacts(output);
    c.decoderConforms = report.conforms();
    c.peerConforms = output.contains(QStringLiteral("EDID conformity: PASS"));
    return c;
}

DirectoryComparison compareDirectory(const QString &directory)
{
    DirectoryComparison result;
    const QDir dir(directory);
    for (const QString &name : dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name)) {
        QFile file(dir.filePath(name));
        if (!file.open(QIODevice::ReadOnly)) {
            result.mismatches << name + ": cannot be read";
            continue;
        }
        ++result.tables;
        for (const QString &line : comparePeer(file.readAll()))
            result.mismatches << name + ": " + line;
    }
    return result;
}

} // namespace edidtest
