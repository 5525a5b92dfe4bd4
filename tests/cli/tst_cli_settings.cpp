// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl's status, settings, set, reset and list as a terminal user meets
// them: what is printed, the exit status, and the frames the box received.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString registerWrite(int reg, int value) { return QString::asprintf("10 04 E0 %02X %02X", reg, value); }

// The frames that change something (reads left out).
QStringList writes(const QStringList &wire)
{
    QStringList out;
    for (const QString &f : wire)
        if (f.startsWith(QLatin1String("10 ")))
            out << f;
    return out;
}

// name -> text of "vantrelctl settings".
QMap<QString, QString> settingsTexts(const CtlRun &r)
{
    QMap<QString, QString> texts;
    for (const QString &line : r.outLines())
        if (!line.startsWith(QLatin1Char('#')))
            texts.insert(line.section(QLatin1Char(' '), 0, 0), line.mid(17));
    return texts;
}

} // namespace

class CliSettings : public QObject {
    Q_OBJECT

private slots:
    void statusPrintsTheHeaderFromTheWindowsFourReads()
    {
        CtlRunner ctl;
        ctl.simConfig += QStringLiteral(";vic=16;colour=rgb;hdcp=1.4;source_vendor=ACME");
        const CtlRun r = ctl.run({QStringLiteral("status")});
        EXPECT_STATUS(r, 0);
        const QStringList lines = r.outLines();
        QCOMPARE(lines.size(), 7);
        QVERIFY2(lines[0].startsWith(QLatin1String("Input : 1920x1080p60")), qPrintable(lines[0]));
        QVERIFY2(lines[0].endsWith(QLatin1String("HDCP 1.4")), qPrintable(lines[0]));
        QVERIFY(lines[3].contains(QLatin1String("ACME")));
        QVERIFY(lines[5].startsWith(QLatin1String("HDR infoframe : ")));
        QVERIFY(lines[6].startsWith(QLatin1String("HDR metadata  : SMPTE ST 2084")));
        QCOMPARE(ctl.takeWire(), (QStringList{"11 0F E0 06", "11 1F E0 15", "11 1F E0 1E", "11 1F E0 1F"}));

        // The same texts in the JSON document.
        const CtlRun j = ctl.run({QStringLiteral("status"), QStringLiteral("--json")});
        EXPECT_STATUS(j, 0);
        const QJsonObject doc = QJsonDocument::fromJson(j.out.toUtf8()).object();
        QCOMPARE(doc.value("input").toString(), lines[0]);
        QCOMPARE(doc.value("output").toString(), lines[1]);
        QCOMPARE(doc.value("colour").toString(), lines[2]);
        QCOMPARE(doc.value("source").toString(), lines[3]);
        QCOMPARE(doc.value("hdr").toString(), lines[4]);
        QCOMPARE(QStringLiteral("HDR infoframe : ") + doc.value("infoframe").toString(), lines[5]);
    }

    void aSourceNameCannotDriveTheTerminal()
    {
        CtlRunner ctl;
        ctl.simConfig += QStringLiteral(";source_vendor=AB\x1b[2J");
        const CtlRun r = ctl.run({QStringLiteral("status")});
        EXPECT_STATUS(r, 0);
        QVERIFY(!r.out.contains(QChar(0x1b)));
        QVERIFY2(r.outLines().value(3).contains(QLatin1String("AB?[2J")), qPrintable(r.outLines().value(3)));
        // JSON keeps the bytes, escaped.
        const QJsonObject doc = QJsonDocument::fromJson(ctl.run({"status", "--json"}).out.toUtf8()).object();
        QVERIFY(doc.value("source").toString().contains(QChar(0x1b)));
    }

    void statusFailsWhenAReadFails()
    {
        CtlRunner ctl;
        ctl.simConfig += QStringLiteral(";fault=11E0:noreply:1@2");
        const CtlRun r = ctl.run({QStringLiteral("status")});
        EXPECT_STATUS(r, 4);
        QVERIFY(r.out.isEmpty()); // nothing half-read is shown
        QVERIFY(r.err.contains(QLatin1String("reading the status records failed")));
    }

    void setRoundTripsThroughSettings_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("byte");
        QTest::addColumn<QString>("frame");
        QTest::newRow("selector by text") << "input" << "port b [bot]" << "PORT B [BOT]" << 0 << 2 << registerWrite(0, 2);
        QTest::newRow("selector by number") << "cec-type" << "1" << "Audio System w/ARC" << 30 << 1 << registerWrite(28, 1);
        QTest::newRow("radio value") << "audio" << "JACK" << "JACK" << 1 << 3 << registerWrite(2, 3);
        QTest::newRow("hdcp text") << "hdcp" << "2.2" << "2.2" << 3 << 3 << registerWrite(3, 3);
        QTest::newRow("pair off") << "green-led" << "off" << "DISABLE" << 26 << 0 << registerWrite(22, 0);
        QTest::newRow("pair by first word") << "hdr-style" << "samsung" << "Samsung mode" << 24 << 1 << registerWrite(19, 1);
        QTest::newRow("check box") << "edid-51" << "on" << "on" << 14 << 1 << registerWrite(9, 1);
        QTest::newRow("algorithm") << "edid-algo" << "2" << "" << 32 << 2 << registerWrite(32, 2);
    }
    void setRoundTripsThroughSettings()
    {
        QFETCH(QString, name);
        QFETCH(QString, value);
        QFETCH(QString, shown);
        QFETCH(int, position);
        QFETCH(int, byte);
        QFETCH(QString, frame);
        CtlRunner ctl;
        const CtlRun set = ctl.run({QStringLiteral("set"), name, value});
        EXPECT_STATUS(set, 0);
        QCOMPARE(writes(ctl.takeWire()), QStringList{frame});

        const CtlRun text = ctl.run({QStringLiteral("settings")});
        EXPECT_STATUS(text, 0);
        const QString described = settingsTexts(text).value(name);
        if (!shown.isEmpty())
            QCOMPARE(described, shown);
        // What settings prints is what set takes back.
        const CtlRun again = ctl.run({QStringLiteral("set"), name, described});
        EXPECT_STATUS(again, 0);
        QCOMPARE(writes(ctl.takeWire()), QStringList{frame});

        const CtlRun raw = ctl.run({QStringLiteral("settings"), QStringLiteral("--raw")});
        QCOMPARE(raw.outLines().size(), 1);
        QCOMPARE(raw.out.split(QLatin1Char(' ')).value(position).toInt(nullptr, 16), byte);

        const QJsonObject doc = QJsonDocument::fromJson(ctl.run({"--json", "settings"}).out.toUtf8()).object();
        bool found = false;
        for (const QJsonValue &row : doc.value("settings").toArray())
            if (row.toObject().value("name").toString() == name) {
                found = true;
                QCOMPARE(row.toObject().value("value").toInt(), byte);
                QCOMPARE(row.toObject().value("text").toString(), described);
            }
        QVERIFY(found);
    }

    void settingsSurviveARestartAndResetRestoresThem()
    {
        CtlRunner ctl;
        EXPECT_STATUS(ctl.run({"set", "blue-leds", "off"}), 0);
        EXPECT_STATUS(ctl.run({"set", "edid-2ch", "on"}), 0);
        QCOMPARE(settingsTexts(ctl.run({"settings"})).value("blue-leds"), QStringLiteral("DISABLE"));

        ctl.takeWire();
        const CtlRun refused = ctl.run({"reset", "all"});
        EXPECT_STATUS(refused, 2);
        QVERIFY(refused.err.contains(QLatin1String("--yes")));
        QVERIFY(ctl.takeWire().isEmpty());

        EXPECT_STATUS(ctl.run({"reset", "settings", "--yes"}), 0);
        QCOMPARE(ctl.takeWire(), QStringList{registerWrite(25, 2)});
        const QMap<QString, QString> after = settingsTexts(ctl.run({"settings"}));
        QCOMPARE(after.value("blue-leds"), QStringLiteral("ENABLE"));
        QCOMPARE(after.value("edid-2ch"), QStringLiteral("on")); // the EDID side was kept
        ctl.takeWire();
        EXPECT_STATUS(ctl.run({"reset", "edid", "--yes"}), 0);
        QCOMPARE(ctl.takeWire(), QStringList{registerWrite(25, 1)});
        QCOMPARE(settingsTexts(ctl.run({"settings"})).value("edid-2ch"), QStringLiteral("off"));
    }

    void followUpsSendWhatTheWindowsSlotsSend()
    {
        CtlRunner ctl;
        EXPECT_STATUS(ctl.run({"set", "force-hdr", "on", "--hdr", "87:01:1a:02:00"}), 0);
        QCOMPARE(ctl.takeWire(), (QStringList{"10 05 E5 87 01 1A 02 00", "10 05 B3 20", registerWrite(17, 1)}));
        // Off writes the register alone.
        EXPECT_STATUS(ctl.run({"set", "force-hdr", "off"}), 0);
        QCOMPARE(ctl.takeWire(), QStringList{registerWrite(17, 0)});

        // AVI: load, activate, the replace register from the send, then the slot's own write.
        EXPECT_STATUS(ctl.run({"set", "avi-replace", "on", "--avi", "82:02:0d:10"}), 0);
        QCOMPARE(ctl.takeWire(),
                 (QStringList{"10 04 E6 82 02 0D 10", "10 04 B3 80", registerWrite(33, 1), registerWrite(33, 1)}));

        // A refused text sends nothing at all, not even the register.
        const CtlRun bad = ctl.run({"set", "force-hdr", "on", "--hdr", "87-01"});
        EXPECT_STATUS(bad, 1);
        QVERIFY(ctl.takeWire().isEmpty());

        // EDID mode: the write, then block reads until the box is no longer busy.
        EXPECT_STATUS(ctl.run({"set", "edid-mode", "custom"}), 0);
        // (The first two reads check that the box lets the mode change.)
        const QStringList wire = ctl.takeWire();
        QCOMPARE(wire.mid(0, 3), (QStringList{"11 2A E1", "11 0E E0 06", registerWrite(5, 3)}));
        QVERIFY2(wire.size() >= 5, qPrintable(wire.join(',')));
        for (const QString &f : wire.mid(3))
            QCOMPARE(f, QStringLiteral("11 2A E1"));
    }

    void lockedControlsAreRefusedWithoutAWrite()
    {
        CtlRunner ctl;
        const CtlRun priority = ctl.run({"set", "priority", "forced"}); // auto-switch is off
        EXPECT_STATUS(priority, 1);
        QVERIFY(priority.err.contains(QLatin1String("auto-switch")));
        QCOMPARE(ctl.takeWire(), (QStringList{"11 2A E1", "11 0E E0 06"}));

        ctl.simConfig += QStringLiteral(";p10=0");
        const CtlRun hdcp = ctl.run({"set", "hdcp", "2.2"});
        EXPECT_STATUS(hdcp, 1);
        QVERIFY(hdcp.err.contains(QLatin1String("HDCP version may be changed")));
        QCOMPARE(ctl.takeWire().size(), 2);
    }

    void listMarksTheBoxTheCommandsUse()
    {
        CtlRunner ctl;
        ctl.simConfig = QStringLiteral("serials=2024,2023,2023");
        const CtlRun r = ctl.run({"list"});
        EXPECT_STATUS(r, 0);
        const QStringList lines = r.outLines();
        QCOMPARE(lines.size(), 3);
        QVERIFY(!lines[0].contains(QLatin1String("[used]")));
        // The simulated box says so, on every line.
        QVERIFY(lines[1].startsWith(QLatin1String("1  2023  VANTREL HDMI Processor (simulated)  [used]")));
        QVERIFY(!lines[2].contains(QLatin1String("[used]"))); // the first match only
        const QJsonArray devices = QJsonDocument::fromJson(ctl.run({"list", "--json"}).out.toUtf8())["devices"].toArray();
        QCOMPARE(devices.size(), 3);
        QCOMPARE(devices[1].toObject().value("used").toBool(), true);
        QCOMPARE(devices[0].toObject().value("serial").toString(), QStringLiteral("2024"));
        QCOMPARE(devices[0].toObject().value("simulated").toBool(), true);
    }

    void helpForTheToolAndEachCommand()
    {
        CtlRunner ctl;
        const CtlRun tool = ctl.run({"--help"});
        EXPECT_STATUS(tool, 0);
        for (const char *c : {"list", "status", "settings", "set NAME VALUE", "edid read", "edid write", "edid check",
                              "edid decode", "cec send", "cec store", "infoframe hdr", "infoframe avi", "reset"})
            QVERIFY2(tool.out.contains(QLatin1String(c)), c);
        const CtlRun set = ctl.run({"set", "--help"});
        EXPECT_STATUS(set, 0);
        QVERIFY(set.out.contains(QLatin1String("Usage: vantrelctl set NAME VALUE")));
        QVERIFY(set.out.contains(QLatin1String("avr-audio")));
        QVERIFY(set.out.contains(QLatin1String("--hdr")));
        EXPECT_STATUS(ctl.run({"help", "edid", "read"}), 0);
        QVERIFY(ctl.run({"--version"}).out.startsWith(QLatin1String("vantrelctl ")));
        QVERIFY(ctl.takeWire().isEmpty()); // help never talks to the box
    }
};

QTEST_GUILESS_MAIN(CliSettings)
#include "tst_cli_settings.moc"
