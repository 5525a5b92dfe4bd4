// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl profile: a set-up saved, lost to a factory reset and put back;
// an apply the box stops; a profile from a later version.
#include "ctl_runner.h"

#include <sys/stat.h>

class CliProfile : public QObject {
    Q_OBJECT

private slots:
    void saveResetApplyGivesTheSameBox()
    {
        CtlRunner ctl;
        const QString table = ctl.path(QStringLiteral("tv.bin")), profile = ctl.path(QStringLiteral("p.json"));
        for (const QStringList &args : {QStringList{"edid", "read", "top", "-o", table},
                                        {"set", "edid-mode", "custom"},
                                        {"edid", "write", table},
                                        {"set", "input", "2"},
                                        {"set", "auto-switch", "on"},
                                        {"set", "priority", "FORCED"},
                                        {"infoframe", "avi", "60:c8:61:62"},
                                        {"profile", "save", profile, "--cec-lp", "40:04"},
                                        {"reset", "all", "--yes"}})
            EXPECT_STATUS(ctl.run(args), 0);

        const CtlRun diff = ctl.run({"profile", "diff", profile});
        EXPECT_STATUS(diff, 1);
        for (const char *changed : {"avi: ", "input: ", "auto-switch: ", "priority: ", "edid-mode: ", "custom-table: "})
            QVERIFY2(diff.out.contains(QLatin1String(changed)), qPrintable(diff.out));
        ctl.takeWire();
        const CtlRun apply = ctl.run({"profile", "apply", profile, "--yes"});
        EXPECT_STATUS(apply, 0);
        const QStringList wire = ctl.takeWire();
        QCOMPARE(wire.filter(QRegularExpression("^10 .. B0 ")).size(), 32); // the custom table went up
        QVERIFY(wire.indexOf(QRegularExpression("^10 04 E0 01 01")) <
                wire.indexOf(QRegularExpression("^10 04 E0 0D 01")));
        QVERIFY2(wire.filter(QRegularExpression("^10 .. E4")).size() == 1, "the LP text is stored");
        EXPECT_STATUS(ctl.run({"profile", "diff", profile}), 0);
    }

    void refusedWriteStopsTheApply()
    {
        CtlRunner ctl;
        const QString profile = ctl.path(QStringLiteral("p.json"));
        EXPECT_STATUS(ctl.run({"set", "green-led", "off"}), 0);
        EXPECT_STATUS(ctl.run({"set", "blue-leds", "off"}), 0);
        EXPECT_STATUS(ctl.run({"profile", "save", profile}), 0);
        EXPECT_STATUS(ctl.run({"reset", "settings", "--yes"}), 0);
        ctl.simConfig += QStringLiteral(";fault=10E0:wrongcode:1@1"); // the second register write
        const CtlRun r = ctl.run({"profile", "apply", profile, "--yes"});
        EXPECT_STATUS(r, 4);
        QVERIFY2(r.err.contains(QLatin1String("blue-leds failed")) &&
                     r.err.contains(QLatin1String("applied: green-led; not applied: blue-leds")),
                 qPrintable(r.err));
    }

    void laterVersionIsRefusedWithTheReason()
    {
        CtlRunner ctl;
        QFile f(ctl.path(QStringLiteral("new.json")));
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(R"({"format": "vantrel-profile", "version": 2, "settings": {"input": "2"}})");
        f.close();
        const CtlRun r = ctl.run({"profile", "apply", f.fileName(), "--yes"});
        EXPECT_STATUS(r, 1);
        QVERIFY2(r.err.contains(QLatin1String("later version (2)")), qPrintable(r.err));
    }

    // A file the box would refuse in part is refused whole by show, the dry
    // run and the apply alike (status 1, nothing sent); none of them crashes.
    void badProfileRefusedBeforeTheBox_data()
    {
        QTest::addColumn<QByteArray>("body"); // after "format" and "version"; empty: a pipe with no writer
        QTest::addColumn<QString>("reason");
        const QByteArray table = "00 FF FF FF FF FF FF 00" + QByteArray(" 00").repeated(120);
        QTest::newRow("nested arrays") << "\"x\": " + QByteArray(100000, '[') + QByteArray(100000, ']') << "deeper than 64";
        QTest::newRow("custom table checksum") << "\"edid\": {\"custom\": \"" + table + "\"}" << "checksum";
        QTest::newRow("cec text") << QByteArray("\"cec\": {\"sp\": \"hello\"}") << "cec.sp";
        QTest::newRow("infoframe text") << QByteArray("\"infoframes\": {\"hdr\": \"zz:yy\"}") << "infoframes.hdr";
        const QByteArray avi = QByteArray("82:").repeated(39) + "82";
        QTest::newRow("infoframe length") << "\"infoframes\": {\"avi\": \"" + avi + "\"}" << "2 to 13 bytes";
        QTest::newRow("value of no setting") << QByteArray("\"settings\": {\"input\": \"PORT Z\"}") << "settings.input";
        QTest::newRow("pipe with no writer") << QByteArray() << "is empty";
    }
    void badProfileRefusedBeforeTheBox()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, reason);
        CtlRunner ctl;
        const QString path = ctl.path(QStringLiteral("p.json"));
        if (body.isEmpty()) {
            QVERIFY(::mkfifo(path.toLocal8Bit().constData(), 0600) == 0);
        } else {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("{\"format\": \"vantrel-profile\", \"version\": 1, " + body + "}");
        }
        for (const QStringList &args : {QStringList{"profile", "show", path}, {"profile", "apply", path, "--dry-run"},
                                        {"profile", "apply", path, "--yes"}}) {
            const CtlRun r = ctl.run(args);
            EXPECT_STATUS(r, 1);
            QVERIFY2(r.err.contains(reason), qPrintable(r.err));
            QCOMPARE(ctl.takeWire(), QStringList());
        }
    }
};

QTEST_GUILESS_MAIN(CliProfile)
#include "tst_cli_profile.moc"
