// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl's packet decodes: infoframe decode and cec decode need no box;
// status decodes the captured HDR infoframe; cec send names what it sent;
// packets composed by name.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const char kPlayerHdr[] = "87:01:1a:74:02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:e8:03:90:01";

QJsonObject json(const CtlRun &r)
{
    return QJsonDocument::fromJson(r.out.toUtf8()).object();
}

} // namespace

class CliPackets : public QObject {
    Q_OBJECT

private slots:
    void decodesNeedNoBox_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("line"); // a line of the output, or of standard error for a refusal
        QTest::newRow("hdr, UHD player") << QStringList{"infoframe", "decode", "hdr", kPlayerHdr} << 0
                                         << "  Display primaries: DCI-P3";
        QTest::newRow("hdr, wrong checksum")
            << QStringList{"infoframe", "decode", "hdr", QString(kPlayerHdr).replace(9, 2, "00")} << 1
            << "  Checksum: 0x00, wrong (0x74 expected)";
        QTest::newRow("hdr, captured payload")
            << QStringList{"infoframe", "decode", "hdr", "--captured", QString(kPlayerHdr).mid(12)} << 0
            << "  MaxFALL: 400 cd/m2";
        QTest::newRow("avi") << QStringList{"infoframe", "decode", "avi", "60:c8:60:61:00"} << 0
                             << "  Colorimetry: extended: ITU-R BT.2020";
        QTest::newRow("cec") << QStringList{"cec", "decode", "5b:44:40"} << 0 << "    UI command: Power";
        QTest::newRow("cec, operands missing") << QStringList{"cec", "decode", "4f:84:10"} << 1
                                               << "  Error: Report Physical Address needs 3 operand bytes, has 1";
        QTest::newRow("not colon hex") << QStringList{"cec", "decode", "5004"} << 2
                                       << "vantrelctl: \"5004\" is not colon hex text (two hex digits per byte joined "
                                          "by colons, \"50:04\")";
        QTest::newRow("neither hdr nor avi") << QStringList{"infoframe", "decode", "vsi", "81:01"} << 2
                                             << "vantrelctl: infoframe decode takes hdr or avi, not \"vsi\"";
        QTest::newRow("captured avi") << QStringList{"infoframe", "decode", "avi", "--captured", "60:c8"} << 2
                                      << "vantrelctl: --captured goes with hdr";
    }
    void decodesNeedNoBox()
    {
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, line);
        CtlRunner ctl;
        ctl.library = QStringLiteral("/nonexistent/libnothing.so"); // a box would be "no box" (3)
        const CtlRun r = ctl.run(args);
        EXPECT_STATUS(r, status);
        const QString shown = status == 2 ? r.err : r.out;
        QVERIFY2(shown.split(QLatin1Char('\n')).contains(line), qPrintable(shown));
        QVERIFY(ctl.takeWire().isEmpty());
    }

    void statusDecodesTheCapturedInfoframe_data()
    {
        QTest::addColumn<QString>("sim");
        QTest::addColumn<QString>("eotf"); // empty: nothing captured
        QTest::addColumn<QString>("summary");
        // The simulated source's metadata: BT.2020 mastering, HDR10 levels.
        const QString hdr10 = QStringLiteral(", ITU-R BT.2020, D65, mastering 1000 / 0.0050 cd/m2, MaxCLL 1000 cd/m2, "
                                             "MaxFALL 400 cd/m2");
        QTest::newRow("HDR10 source") << "hdr=pq"
                                      << "SMPTE ST 2084" << hdr10;
        QTest::newRow("HLG source") << "hdr=hlg"
                                    << "Hybrid Log-Gamma" << hdr10;
        QTest::newRow("SDR source") << "hdr=none"
                                    << ""
                                    << "";
    }
    void statusDecodesTheCapturedInfoframe()
    {
        QFETCH(QString, sim);
        QFETCH(QString, eotf);
        QFETCH(QString, summary);
        CtlRunner ctl;
        ctl.simConfig = sim;
        const CtlRun text = ctl.run({"status"});
        EXPECT_STATUS(text, 0);
        const QStringList lines = text.outLines();
        QCOMPARE(lines.value(5).startsWith(QLatin1String("HDR infoframe : ")), true);
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines.value(6),
                 eotf.isEmpty() ? QStringLiteral("HDR metadata  : none") : "HDR metadata  : " + eotf + summary);
        const QJsonObject doc = json(ctl.run({"--json", "status"}));
        const QJsonValue decoded = doc.value("infoframeDecoded");
        QCOMPARE(decoded.isNull(), eotf.isEmpty());
        if (!eotf.isEmpty()) {
            QCOMPARE(decoded.toObject().value("eotfName").toString(), eotf);
            QCOMPARE(decoded.toObject().value("withHeader").toBool(), false);
        }
    }

    void cecSendNamesWhatItSent()
    {
        CtlRunner ctl;
        const CtlRun quiet = ctl.run({"cec", "send", "5b:44:40"});
        EXPECT_STATUS(quiet, 0);
        QCOMPARE(quiet.outLines(), QStringList{"CEC message sent"});
        const CtlRun verbose = ctl.run({"--verbose", "cec", "send", "5b:44:40"});
        EXPECT_STATUS(verbose, 0);
        QCOMPARE(
            verbose.outLines(),
            (QStringList{"CEC message sent", "  Audio System to Playback Device 3: User Control Pressed (Power)"}));
        const QJsonObject doc = json(ctl.run({"--json", "cec", "send", "0f:36"}));
        QCOMPARE(doc.value("decoded").toObject().value("summary").toString(),
                 QStringLiteral("TV to Broadcast: Standby"));
        // A send that fails says nothing about what it would have sent.
        ctl.simConfig = QStringLiteral("fault=B2:wrongcode");
        const CtlRun failed = ctl.run({"--verbose", "cec", "send", "50:04"});
        EXPECT_STATUS(failed, 4);
        QVERIFY(!failed.out.contains(QLatin1String("Image View On")));
    }
    // Composed by name: --print needs no box; a refused field or a message
    // cec decode finds fault with sends nothing; what goes out is on the wire.
    void composesByName()
    {
        CtlRunner ctl;
        const std::vector<std::tuple<QStringList, int, QString, QStringList>> cases = {
            {{"infoframe", "hdr", "--eotf", "pq", "--primaries", "p3-d65", "--max-luminance", "1000", "--min-luminance",
              "0.005", "--max-cll", "1000", "--max-fall", "400", "--print"},
             0,
             kPlayerHdr,
             {}},
            {{"infoframe", "hdr", "--template", "hdr10-1000", "--max-cll", "70000"},
             2,
             "vantrelctl: max-cll: 70000 is out of range (0 to 65535 cd/m2)",
             {}},
            {{"infoframe", "avi", "--colour", "yuv444", "--colorimetry", "bt2020-rgb", "--range", "full", "--vic",
              "97"},
             0,
             "AVI infoframe sent",
             {"10 0D E6 40 E8 60 61 40 00 00 00 00 00 00 00 00", "10 0D B3 80", "10 04 E0 21 00"}},
            {{"cec", "send", "--to", "broadcast", "image-view-on"},
             1,
             "vantrelctl: not sent (--force sends it anyway):\n"
             "  4f:04: Image View On is directly addressed: followers ignore it when broadcast",
             {}},
            {{"cec", "send", "--to", "broadcast", "image-view-on", "--force"},
             0,
             "CEC message sent",
             {"10 03 B2 4F 01 04", "10 03 B3 10"}},
            {{"cec", "recipe", "switch-here", "1.0.0.0", "--print"}, 0, "40:04\n4f:82:10:00", {}},
            {{"cec", "recipe", "avr-on", "--from", "tv"},
             0,
             "CEC message sent: 05:44:6d\nCEC message sent: 05:45",
             {"10 04 B2 05 02 44 6D", "10 04 B3 10", "10 03 B2 05 01 45", "10 03 B3 10"}},
        };
        for (const auto &[args, status, said, wire] : cases) {
            ctl.takeWire();
            const CtlRun r = ctl.run(args);
            EXPECT_STATUS(r, status);
            QCOMPARE((status == 0 ? r.out : r.err).trimmed(), said);
            QStringList sent = ctl.takeWire();
            sent.erase(std::remove_if(sent.begin(), sent.end(), [](const QString &l) { return l.startsWith("11"); }),
                       sent.end()); // the reads around a send
            QCOMPARE(sent.join(" | "), wire.join(" | "));
        }
    }
};

QTEST_GUILESS_MAIN(CliPackets)
#include "tst_cli_packets.moc"
