// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl profile: a set-up saved, lost to a factory reset and put back;
// an apply the box stops; a profile from a later version.
#include "ctl_runner.h"

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
};

QTEST_GUILESS_MAIN(CliProfile)
#include "tst_cli_profile.moc"
