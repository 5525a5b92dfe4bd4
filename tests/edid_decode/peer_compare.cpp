#include "peer_compare.h"

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

FactSheet decoderFacts(const EdidReport &report)
{
    FactSheet f;
    if (!report.hasBase)
        return f;
    const BaseBlock &b = report.base;
    f["manufacturer"] << QString::fromStdString(b.manufacturer);
    f["model"] << QString::number(b.productCode);
    if (b.serialNumber)
        f["serial"] << QString::number(b.serialNumber);
    f["made"] << madeText(b);
    for (const std::string &name : b.displayNames)
        f["name"] << QString::fromStdString(name);
    f["checksum"] << (b.checksumOk ? "ok" : "bad");
    addTimings(f, b.timings);
    for (const ExtensionBlock &ext : report.extensions) {
        f["checksum"] << (ext.checksumOk ? "ok" : "bad");
        if (!ext.cta)
            continue;
        for (const DataBlock &db : ext.cta->dataBlocks) {
            switch (db.kind) {
            case BlockKind::Video:
                for (const Vic &v : db.vics)
                    f["vic"] << QString::number(v.vic);
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
                for (const ShortAudio &a : db.audio)
                    f["audio"] << QStringLiteral("%1/%2").arg(QString::fromStdString(a.name))
                                      .arg(a.channels ? QString::number(a.channels) : QStringLiteral("-"));
                break;
            case BlockKind::Speaker:
                for (const std::string &s : speakerNames(db.speakers))
                    f["speakers"] << shortSpeaker(s);
                break;
            case BlockKind::HdrStatic:
                if (db.hdr)
                    for (int bit = 0; bit < 6; ++bit) // edid-decode reads no further
                        if (db.hdr->eotfs & (1 << bit))
                            f["eotf"] << QString::number(bit);
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
                if (h.maxTmdsMHz)
                    f["tmds"] << QString::number(h.maxTmdsMHz);
            }
            if (db.hdmiForum) {
                if (db.hdmiForum->maxTmdsCharRateMHz)
                    f["hfTmds"] << QString::number(db.hdmiForum->maxTmdsCharRateMHz);
                if (db.hdmiForum->scdcPresent)
                    f["scdc"] << "yes";
            }
        }
        addTimings(f, ext.cta->timings);
    }
    return f;
}

FactSheet peerFacts(const QString &peerOutput)
{
    static const QRegularExpression dtdLine(QStringLiteral("^DTD\\s+\\d+:\\s+(\\d+)x(\\d+)(i?)\\s.*\\s([\\d.]+) MHz"));
    static const QRegularExpression vicLine(QStringLiteral("^(?:VIC\\s+|Unknown \\(VIC\\s*)(\\d+)"));
    static const QRegularExpression channelsLine(QStringLiteral("^Max channels: (\\d+)"));
    static const QRegularExpression value(QStringLiteral("^([A-Za-z ]+): (.*)$"));
    FactSheet f;
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
        }
        if (line.startsWith("Checksum: "))
            f["checksum"] << (line.contains("should be") ? "bad" : "ok");

        const QRegularExpressionMatch dtd = dtdLine.match(line);
        if (dtd.hasMatch()) {
            const long kHz = std::lround(dtd.captured(4).toDouble() * 1000.0);
            f["dtd"] << dtdFact(dtd.captured(1).toUInt(), dtd.captured(2).toUInt(), !dtd.captured(3).isEmpty(), kHz);
            continue;
        }
        const QRegularExpressionMatch vic = vicLine.match(line);
        if (vic.hasMatch()) {
            if (section == "Video Data Block")
                f["vic"] << vic.captured(1);
            else if (section == "YCbCr 4:2:0 Video Data Block")
                f["y420vic"] << vic.captured(1);
            else if (section == "YCbCr 4:2:0 Capability Map Data Block")
                f["y420map"] << vic.captured(1);
            continue;
        }
        if (section == "Audio Data Block") {
            const QRegularExpressionMatch ch = channelsLine.match(line);
            if (ch.hasMatch() && !audioFormat.isEmpty())
                audioChannels = ch.captured(1);
            continue;
        }
        if (section == "Speaker Allocation Data Block" && indent == 4) {
            f["speakers"] << line.section(QStringLiteral(" - "), 0, 0);
            continue;
        }
        if (section == "Colorimetry Data Block" && indent == 4) {
            f["colorimetry"] << QString(line).remove(QRegularExpression("^Reserved "));
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
        const QRegularExpressionMatch kv = value.match(line);
        if (!kv.hasMatch())
            continue;
        const QString key = kv.captured(1), text = kv.captured(2);
        if (key == "Manufacturer")
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

QString runPeer(const QByteArray &table, QString *error)
{
    QTemporaryFile file;
    if (!file.open() || file.write(table) != table.size() || !file.flush()) {
        *error = QStringLiteral("cannot write a temporary file");
        return QString();
    }
    QProcess peer;
    peer.start(QStringLiteral("edid-decode"), {QStringLiteral("--skip-hex-dump"), file.fileName()});
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
