// SPDX-License-Identifier: GPL-3.0-or-later
// The three decoders on known packets, through the text the boxes hold, to
// the reports people and tools read.
#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"
#include "packet_common.h"
#include "status_decoder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

using namespace vantrel::packets;

namespace {

// A common UHD player's HDR10 frame: ST 2084, P3 primaries (green, blue, red
// order), D65, 1000 / 0.005 cd/m2, MaxCLL 1000, MaxFALL 400.
const char kPlayerHdr[] = "87:01:1a:74:02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:e8:03:90:01";
const char kPlayerPayload[] = "02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:e8:03:90:01";

// A whole HDR frame as colon text: header, the right checksum, two data
// bytes, then 16-bit values (little-endian).
QString hdrFrame(std::array<uint8_t, 3> header, std::array<uint8_t, 2> first, std::vector<unsigned> values)
{
    std::vector<uint8_t> f{header[0], header[1], header[2], 0, first[0], first[1]};
    for (unsigned v : values) {
        f.push_back(uint8_t(v & 0xFF));
        f.push_back(uint8_t(v >> 8));
    }
    unsigned sum = 0;
    for (uint8_t b : f)
        sum += b;
    f[3] = uint8_t(0x100 - (sum & 0xFF));
    return QString::fromStdString(vantrel::hex::colonHexText(f));
}

std::vector<uint8_t> bytesOf(const QString &text)
{
    const PacketBytes p = parsePacketText(text.toStdString());
    if (!p.ok)
        qFatal("test packet %s does not parse: %s", qPrintable(text), p.error.c_str());
    return p.bytes;
}

QString problemsOf(const std::vector<Note> &notes)
{
    QStringList all;
    for (const Note &n : notes)
        all << QString::fromStdString(n.message);
    return all.join(QStringLiteral(" | "));
}

// Every expected line is in the report, whole (after its indent).
void checkLines(const std::string &report, const QStringList &lines)
{
    const QStringList got = QString::fromStdString(report).split(QLatin1Char('\n'));
    for (const QString &want : lines) {
        bool found = false;
        for (const QString &line : got)
            found = found || line.trimmed() == want;
        if (!found)
            QFAIL(qPrintable(QStringLiteral("missing line \"%1\" in:\n%2").arg(want, QString::fromStdString(report))));
    }
}

QJsonObject parsed(const std::string &json)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(json), &error);
    if (error.error != QJsonParseError::NoError || !doc.isObject())
        qFatal("not a JSON object (%s): %s", qPrintable(error.errorString()), json.c_str());
    return doc.object();
}

// The checks the reports share: the conformity line, the problems, JSON.
void checkVerdict(const std::string &text, const std::string &json, const std::vector<Note> &notes, bool pass,
                  const QString &problem)
{
    QVERIFY2(QString::fromStdString(text).contains(pass ? "Conformity: PASS" : "Conformity: FAIL"), text.c_str());
    if (problem.isEmpty())
        QVERIFY2(notes.empty(), qPrintable(problemsOf(notes)));
    else
        QVERIFY2(problemsOf(notes).contains(problem), qPrintable(problemsOf(notes)));
    const QJsonObject doc = parsed(json);
    QCOMPARE(doc.value("conforms").toBool(), pass);
    QCOMPARE(doc.value("problems").toArray().size(), qsizetype(notes.size()));
}

} // namespace

class PacketDecodersTest : public QObject {
    Q_OBJECT

private slots:
    void hdr_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QString>("problem");

        QTest::newRow("UHD player") << kPlayerHdr
                                    << QStringList{"Type 0x87, version 1, length 26",
                                                   "Checksum: 0x74, correct",
                                                   "EOTF: SMPTE ST 2084",
                                                   "Static metadata: type 1",
                                                   "Display primaries: DCI-P3",
                                                   "red:   x 0.6800, y 0.3200",
                                                   "green: x 0.2650, y 0.6900",
                                                   "blue:  x 0.1500, y 0.0600",
                                                   "Order in the frame: green, blue, red",
                                                   "White point: x 0.3127, y 0.3290 (D65)",
                                                   "Max mastering luminance: 1000 cd/m2",
                                                   "Min mastering luminance: 0.0050 cd/m2",
                                                   "MaxCLL: 1000 cd/m2",
                                                   "MaxFALL: 400 cd/m2"}
                                    << true << "";
        // The box stores 31 bytes: the zeros after the payload are no fault.
        QTest::newRow("box store, 31 bytes")
            << QString(kPlayerHdr) + ":00:00:00" << QStringList{"Checksum: 0x74, correct", "MaxFALL: 400 cd/m2"} << true
            << "";
        QTest::newRow("wrong checksum") << QString(kPlayerHdr).replace(9, 2, "75")
                                        << QStringList{"Checksum: 0x75, wrong (0x74 expected)", "EOTF: SMPTE ST 2084"}
                                        << false << "Checksum 0x75 is wrong, should be 0x74";
        // The HDR IF box's own hint: red first, and cut short.
        QTest::newRow("form example") << "87:01:17:5c:02:00:d0:84:80:3e:c2:33"
                                      << QStringList{"Type 0x87, version 1, length 23", "EOTF: SMPTE ST 2084",
                                                     "Display primaries:", "0:     x 0.6800, y 0.3200"}
                                      << false << "Length 23, but only 8 payload bytes follow the header";
        QTest::newRow("BT.2020 HLG, values unknown")
            << hdrFrame({0x87, 1, 26}, {3, 0}, {35400, 14600, 8500, 39850, 6550, 2300, 15635, 16450, 0, 0, 0, 0})
            << QStringList{"EOTF: Hybrid Log-Gamma",
                           "Display primaries: ITU-R BT.2020",
                           "Order in the frame: red, green, blue",
                           "Max mastering luminance: unknown (0)",
                           "Min mastering luminance: unknown (0)",
                           "MaxCLL: unknown (0)"}
            << true << "";
        QTest::newRow("BT.709 SDR, odd values")
            << hdrFrame({0x87, 1, 26}, {0, 0},
                        {7500, 3000, 32000, 16500, 15000, 30000, 15700, 17550, 100, 500, 300, 400})
            << QStringList{"EOTF: Traditional gamma, SDR luminance range", "Display primaries: ITU-R BT.709",
                           "Order in the frame: blue, red, green", "White point: x 0.3140, y 0.3510 (DCI)"}
            << true << "MaxFALL 400 cd/m2 is above MaxCLL 300 cd/m2";
        QTest::newRow("minimum above maximum")
            << hdrFrame({0x87, 1, 26}, {2, 0}, {13250, 34500, 7500, 3000, 34000, 16000, 15635, 16450, 1, 20000, 0, 0})
            << QStringList{"Min mastering luminance: 2.0000 cd/m2"} << true
            << "Minimum mastering luminance 2.0000 cd/m2 is not below the maximum 1 cd/m2";
        QTest::newRow("chromaticity above 1")
            << hdrFrame({0x87, 1, 26}, {2, 0}, {60000, 34500, 7500, 3000, 34000, 16000, 15635, 16450, 1000, 50, 0, 0})
            << QStringList{} << true << "primary 0 x 1.20000 is above 1";
        QTest::newRow("AVI type") << "82:02:0d:00:60:c8:60:61:00" << QStringList{"Type 0x82, version 2, length 13"}
                                  << false << "Type 0x82 is not the Dynamic Range";
        QTest::newRow("reserved EOTF, other descriptor")
            << hdrFrame({0x87, 1, 2}, {5, 1}, {})
            << QStringList{"EOTF: reserved (5)", "Static metadata: descriptor 1 (not defined)"} << true
            << "EOTF 5 is reserved";
        QTest::newRow("header cut") << "87:01" << QStringList{} << false << "the header alone";
    }

    void hdr()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QFETCH(bool, pass);
        QFETCH(QString, problem);
        const std::vector<uint8_t> b = bytesOf(text);
        const HdrInfoframe f = decodeHdrInfoframe(b.data(), b.size());
        const std::string report = hdrInfoframeText(f);
        checkLines(report, lines);
        checkVerdict(report, hdrInfoframeJson(f), f.notes, pass, problem);
    }

    void hdrJsonAndCapturedPayload()
    {
        const std::vector<uint8_t> whole = bytesOf(kPlayerHdr);
        const QJsonObject doc = parsed(hdrInfoframeJson(decodeHdrInfoframe(whole.data(), whole.size())));
        QCOMPARE(doc.value("eotf").toInt(), 2);
        QCOMPARE(doc.value("gamut").toString(), QStringLiteral("DCI-P3"));
        QCOMPARE(doc.value("maxMasteringLuminance").toInt(), 1000);
        QCOMPARE(doc.value("minMasteringLuminance").toDouble(), 0.005);
        QCOMPARE(doc.value("maxCll").toInt(), 1000);
        QCOMPARE(doc.value("maxFall").toInt(), 400);
        QCOMPARE(doc.value("primaries").toArray().at(2).toObject().value("colour").toString(), QStringLiteral("red"));
        QCOMPARE(doc.value("whitePoint").toObject().value("x").toDouble(), 0.3127);
        QCOMPARE(hdrInfoframeSummary(decodeHdrInfoframe(whole.data(), whole.size())),
                 std::string("SMPTE ST 2084, DCI-P3, D65, mastering 1000 / 0.0050 cd/m2, MaxCLL 1000 cd/m2, "
                             "MaxFALL 400 cd/m2"));
        QCOMPARE(hdrInfoframeSummary(decodeHdrInfoframe(whole.data(), 8)),
                 std::string("SMPTE ST 2084; does not conform"));

        // The status record carries type, length and the payload only; its
        // colon text (txtHdrIf) decodes to the same facts.
        std::vector<uint8_t> record(vantrel::status::kHdrRecordLength, 0);
        record[0] = 0xE0;
        record[2] = 0x87;
        record[3] = 26;
        std::copy(whole.begin() + 4, whole.end(), record.begin() + 4);
        std::string shown;
        QVERIFY(vantrel::status::capturedInfoframe({record.data(), record.size()}, shown));
        QCOMPARE(QString::fromStdString(shown), QString(kPlayerPayload));
        const std::vector<uint8_t> payload = bytesOf(QString::fromStdString(shown));
        const HdrInfoframe captured = decodeHdrPayload(payload.data(), payload.size(), unsigned(payload.size()));
        QVERIFY2(captured.conforms() && captured.notes.empty(), qPrintable(problemsOf(captured.notes)));
        checkLines(hdrInfoframeText(captured),
                   {"Payload of 26 bytes (captured; no header or checksum)", "EOTF: SMPTE ST 2084",
                    "Display primaries: DCI-P3", "MaxFALL: 400 cd/m2"});
        QVERIFY(!QString::fromStdString(hdrInfoframeText(captured)).contains("Checksum"));
        // A declared length past what the record holds.
        const HdrInfoframe cut = decodeHdrPayload(payload.data(), 10, 40);
        QVERIFY(problemsOf(cut.notes).contains("Length 40, but only 10 payload bytes were captured"));
        QVERIFY(!cut.maxCll && cut.primaries[0] && !cut.primaries[2]);
    }

    void avi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QString>("problem");
        QTest::addColumn<QString>("summary");

        QTest::newRow("BT.2020 4K 4:2:0 (the box's example)") << "60:c8:60:61:00"
                                                              << QStringList{"AVI infoframe (5 data bytes):",
                                                                             "Colour format: YCbCr 4:2:0",
                                                                             "Colorimetry: extended: ITU-R BT.2020",
                                                                             "Picture aspect: no data",
                                                                             "Active format: not given",
                                                                             "VIC: 97 (3840x2160p60)",
                                                                             "YCC quantization: limited",
                                                                             "IT content: no",
                                                                             "Pixel repetition: none",
                                                                             "Bar information: none",
                                                                             "RGB quantization: default",
                                                                             "Scan information: no data"}
                                                              << true << ""
                                                              << "YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p60 (VIC 97)";
        // Past the codes the box's own status table names.
        QTest::newRow("4K120, BT.2020") << "60:c8:60:76:00" << QStringList{"VIC: 118 (3840x2160p120)"} << true << ""
                                        << "YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p120 (VIC 118)";
        QTest::newRow("box store, 13 bytes")
            << "60:c8:60:61:00:00:00:00:00:00:00:00:00"
            << QStringList{"AVI infoframe (13 data bytes):", "VIC: 97 (3840x2160p60)"} << true << ""
            << "YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p60 (VIC 97)";
        QTest::newRow("1080p RGB full range game")
            << "12:a8:88:10:30"
            << QStringList{"Colour format: RGB",
                           "Scan information: underscanned",
                           "Colorimetry: ITU-R BT.709",
                           "Picture aspect: 16:9",
                           "Active format: same as the picture",
                           "Extended colorimetry: xvYCC601 (not in use: colorimetry is not extended)",
                           "RGB quantization: full",
                           "VIC: 16 (1920x1080p60)",
                           "IT content: yes, game"}
            << true << ""
            << "RGB, ITU-R BT.709, 1920x1080p60 (VIC 16)";
        QTest::newRow("letterbox bars") << "5d:9a:04:04:01:8a:00:f6:03:00:00:00:00"
                                        << QStringList{"Colour format: YCbCr 4:4:4",
                                                       "Bar information: all four bars",
                                                       "Colorimetry: ITU-R BT.709",
                                                       "Active format: 16:9 (centre)",
                                                       "Picture aspect: 4:3",
                                                       "Top bar ends at line 138, bottom bar starts at line 1014",
                                                       "Left bar ends at pixel 0, right bar starts at pixel 0",
                                                       "Non-uniform scaling: none known",
                                                       "RGB quantization: limited",
                                                       "Pixel repetition: each pixel sent 2 times"}
                                        << true << ""
                                        << "YCbCr 4:4:4, ITU-R BT.709, 1280x720p60 (VIC 4)";
        QTest::newRow("bars announced, missing")
            << "08:a8:00:10:00" << QStringList{"Bar information: top and bottom bars"} << false
            << "Top and bottom bars announced, but data bytes 6 to 9 are missing"
            << "RGB, ITU-R BT.709, 1920x1080p60 (VIC 16); does not conform";
        QTest::newRow("reserved values") << "93:bf:0c:80:ba"
                                         << QStringList{"Colour format: reserved (4)", "Picture aspect: reserved (3)",
                                                        "VIC: 128", "Pixel repetition: reserved (10)"}
                                         << true << "Scan information 3 is reserved"
                                         << "reserved (4), ITU-R BT.709, VIC 128";
        QTest::newRow("two bytes") << "40:58"
                                   << QStringList{"Colour format: YCbCr 4:4:4", "Colorimetry: SMPTE 170M",
                                                  "Picture aspect: 4:3", "Active format: not given"}
                                   << true << "the fields of data bytes 3 to 5 are missing"
                                   << "YCbCr 4:4:4, SMPTE 170M";
        QTest::newRow("longer than the box sends")
            << QString("00:").repeated(99) + "00" << QStringList{"AVI infoframe (100 data bytes):"} << false
            << "the box sends 13 at most" << "RGB; does not conform";
        QTest::newRow("content type without IT") << "00:00:00:04:20" << QStringList{"IT content: no"} << true
                                                 << "Content type given without the IT content flag"
                                                 << "RGB, 1280x720p60 (VIC 4)";
    }

    void avi()
    {
        QFETCH(QString, text);
        QFETCH(QStringList, lines);
        QFETCH(bool, pass);
        QFETCH(QString, problem);
        const std::vector<uint8_t> b = bytesOf(text);
        const AviInfoframe f = decodeAviInfoframe(b.data(), b.size());
        const std::string report = aviInfoframeText(f);
        checkLines(report, lines);
        const std::string json = aviInfoframeJson(f);
        checkVerdict(report, json, f.notes, pass, problem);
        const QJsonObject doc = parsed(json);
        QCOMPARE(doc.value("colourFormat").toObject().value("value").toInt(), int(b[0] >> 5));
        QFETCH(QString, summary);
        QCOMPARE(QString::fromStdString(aviInfoframeSummary(f)), summary);
        if (b.size() >= 4)
            QCOMPARE(doc.value("vic").toObject().value("value").toInt(), int(b[3]));
        else
            QVERIFY(doc.value("vic").isNull());
    }

    void cec_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("summary");
        QTest::addColumn<QStringList>("lines");
        QTest::addColumn<bool>("pass");
        QTest::addColumn<QString>("problem");

        // The examples beside the CEC box.
        QTest::newRow("0f:36") << "0f:36"
                               << "TV to Broadcast: Standby"
                               << QStringList{"From: TV (0)", "To: Broadcast (15)",
                                              "Opcode: 0x36 Standby (direct or broadcast)"}
                               << true << "";
        QTest::newRow("50:04") << "50:04"
                               << "Audio System to TV: Image View On"
                               << QStringList{"From: Audio System (5)", "To: TV (0)"} << true << "";
        QTest::newRow("54:44:01") << "54:44:01"
                                  << "Audio System to Playback Device 1: User Control Pressed (Up)"
                                  << QStringList{"UI command: Up", "Operands: 01"} << true << "";
        QTest::newRow("58:44:02") << "58:44:02"
                                  << "Audio System to Playback Device 2: User Control Pressed (Down)"
                                  << QStringList{"UI command: Down"} << true << "";
        QTest::newRow("5b:44:40") << "5b:44:40"
                                  << "Audio System to Playback Device 3: User Control Pressed (Power)"
                                  << QStringList{"To: Playback Device 3 (11)", "UI command: Power"} << true << "";
        // Common traffic with operands.
        QTest::newRow("report physical address")
            << "4f:84:10:00:04"
            << "Playback Device 1 to Broadcast: Report Physical Address (1.0.0.0, Playback Device)"
            << QStringList{"Physical address: 1.0.0.0", "Device type: Playback Device"} << true << "";
        QTest::newRow("active source") << "4f:82:21:00"
                                       << "Playback Device 1 to Broadcast: Active Source (2.1.0.0)"
                                       << QStringList{"Physical address: 2.1.0.0"} << true << "";
        QTest::newRow("routing change") << "0f:80:10:00:20:00"
                                        << "TV to Broadcast: Routing Change (1.0.0.0, 2.0.0.0)"
                                        << QStringList{"Original address: 1.0.0.0", "New address: 2.0.0.0"} << true
                                        << "";
        QTest::newRow("OSD name") << "40:47:50:6c:61:79:65:72"
                                  << "Playback Device 1 to TV: Set OSD Name (Player)" << QStringList{"OSD name: Player"}
                                  << true << "";
        QTest::newRow("vendor id") << "0f:87:00:e0:91"
                                   << "TV to Broadcast: Device Vendor ID (00-E0-91 (LG))"
                                   << QStringList{"Vendor ID: 00-E0-91 (LG)"} << true << "";
        QTest::newRow("unknown vendor") << "4f:87:12:34:56"
                                        << "Playback Device 1 to Broadcast: Device Vendor ID (12-34-56)"
                                        << QStringList{"Vendor ID: 12-34-56"} << true << "";
        QTest::newRow("power status") << "04:90:02"
                                      << "TV to Playback Device 1: Report Power Status (In transition Standby to On)"
                                      << QStringList{"Power status: In transition Standby to On"} << true << "";
        QTest::newRow("feature abort")
            << "04:00:8f:00"
            << "TV to Playback Device 1: Feature Abort (0x8f Give Device Power Status, Unrecognized opcode)"
            << QStringList{"Abort reason: Unrecognized opcode"} << true << "";
        QTest::newRow("audio status") << "50:7a:a5"
                                      << "Audio System to TV: Report Audio Status (on, 37%)"
                                      << QStringList{"Mute: on", "Volume: 37%"} << true << "";
        QTest::newRow("CEC version 2.0") << "40:9e:06"
                                         << "Playback Device 1 to TV: CEC Version (2.0)" << QStringList{} << true << "";
        QTest::newRow("report features")
            << "4f:a6:06:10:00:00"
            << "Playback Device 1 to Broadcast: Report Features (2.0, Playback Device, 00:00)"
            << QStringList{"Opcode: 0xa6 Report Features (broadcast, added in CEC 2.0)"} << true << "";
        QTest::newRow("vendor command with id")
            << "4f:a0:00:00:f0:12:34"
            << "Playback Device 1 to Broadcast: Vendor Command With ID (00-00-F0 (Samsung), 12:34)"
            << QStringList{"Vendor data: 12:34"} << true << "";
        // What followers would ignore, or what is broken.
        QTest::newRow("direct opcode broadcast")
            << "0f:04"
            << "TV to Broadcast: Image View On" << QStringList{} << true << "Image View On is directly addressed";
        QTest::newRow("broadcast opcode direct") << "40:82:10:00"
                                                 << "Playback Device 1 to TV: Active Source (1.0.0.0)" << QStringList{}
                                                 << true << "followers ignore it when sent to TV";
        QTest::newRow("too few operands")
            << "4f:84:10"
            << "Playback Device 1 to Broadcast: Report Physical Address" << QStringList{"Operands: 10"} << false
            << "Report Physical Address needs 3 operand bytes, has 1";
        QTest::newRow("extra operands") << "50:04:01"
                                        << "Audio System to TV: Image View On" << QStringList{} << true
                                        << "Image View On takes 0 operand bytes; followers ignore the rest";
        QTest::newRow("unknown opcode") << "40:ab:01"
                                        << "Playback Device 1 to TV: unknown opcode 0xab"
                                        << QStringList{"Opcode: 0xab (not defined by CEC)"} << true
                                        << "Opcode 0xab is not defined by CEC";
        QTest::newRow("too long")
            << "40:89:01:02:03:04:05:06:07:08:09:0a:0b:0c:0d:0e:0f"
            << "Playback Device 1 to TV: Vendor Command (01:02:03:04:05:06:07:08:09:0a:0b:0c:0d:0e:0f)" << QStringList{}
            << false << "17 bytes: a CEC message has at most 16";
        QTest::newRow("unregistered, same address")
            << "ff:36"
            << "Unregistered to Broadcast: Standby" << QStringList{} << true << "";
        QTest::newRow("OSD name bytes") << "40:47:41:07"
                                        << "Playback Device 1 to TV: Set OSD Name (A?)" << QStringList{} << true
                                        << "not printable ASCII";
    }

    void cec()
    {
        QFETCH(QString, text);
        QFETCH(QString, summary);
        QFETCH(QStringList, lines);
        QFETCH(bool, pass);
        QFETCH(QString, problem);
        const std::vector<uint8_t> b = bytesOf(text);
        const CecMessage m = decodeCecMessage(b.data(), b.size());
        QCOMPARE(QString::fromStdString(cecSummary(m)), summary);
        const std::string report = cecMessageText(m);
        checkLines(report, lines);
        const std::string json = cecMessageJson(m);
        checkVerdict(report, json, m.notes, pass, problem);
        const QJsonObject doc = parsed(json);
        QCOMPARE(doc.value("summary").toString(), summary);
        QCOMPARE(doc.value("initiator").toObject().value("address").toInt(), int(b[0] >> 4));
        QCOMPARE(doc.value("opcode").toObject().value("code").toInt(), int(b[1]));
        QCOMPARE(doc.value("operands").toArray().size(), qsizetype(m.operands.size()));
    }

    void opcodeTable()
    {
        // In code order (the lookup bisects), unique, with sane operand limits.
        const std::vector<CecOpcode> &t = cecOpcodes();
        for (size_t i = 0; i < t.size(); ++i) {
            if (i)
                QVERIFY2(t[i - 1].code < t[i].code, t[i].name);
            QVERIFY2(t[i].minOperands <= t[i].maxOperands && t[i].maxOperands <= 14, t[i].name);
            QCOMPARE(findCecOpcode(t[i].code), &t[i]);
        }
        QCOMPARE(findCecOpcode(0x01), nullptr);
    }

    void inputText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("bytes"); // empty: refused
        QTest::addColumn<QString>("ignored");
        QTest::newRow("lower case") << "5b:44:40"
                                    << "5b:44:40"
                                    << "";
        QTest::newRow("upper case, blanks around") << "  87:01:1A\n"
                                                   << "87:01:1a"
                                                   << "";
        QTest::newRow("text after the pairs") << "50:04 on"
                                              << "50:04"
                                              << " ON";
        QTest::newRow("no colon") << "5004"
                                  << ""
                                  << "";
        QTest::newRow("empty") << ""
                               << ""
                               << "";
    }

    void inputText()
    {
        QFETCH(QString, text);
        QFETCH(QString, bytes);
        QFETCH(QString, ignored);
        const PacketBytes p = parsePacketText(text.toStdString());
        QCOMPARE(p.ok, !bytes.isEmpty());
        if (p.ok)
            QCOMPARE(QString::fromStdString(vantrel::hex::colonHexText(p.bytes)), bytes);
        else
            QVERIFY(!p.error.empty());
        QCOMPARE(QString::fromStdString(p.ignored), ignored);
    }
};

QTEST_GUILESS_MAIN(PacketDecodersTest)
#include "tst_packet_decoders.moc"
