// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID library from the tool: a table kept from a display survives the
// tool's exit (each run is a new process), is taken as lib:NAME by the
// commands that take a table, and exports read back in their targets' forms.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class CliEdidLibraryTest : public QObject {
    Q_OBJECT

    static QByteArray fileBytes(const QString &path)
    {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

private slots:
    void keptTablesServeEveryCommand()
    {
        CtlRunner ctl;
        EXPECT_STATUS(ctl.run({"edid", "read", "top", "-o", ctl.path("tv.bin")}), 0);
        EXPECT_STATUS(ctl.run({"edid", "save-as", "living-room", "top"}), 0);
        const CtlRun again = ctl.run({"edid", "save-as", "living-room", ctl.path("tv.bin")});
        QCOMPARE(again.status, 1);
        QVERIFY2(again.err.contains("already holds \"living-room\" (--overwrite replaces it)"), qPrintable(again.err));
        EXPECT_STATUS(ctl.run({"edid", "save-as", "copy", ctl.path("tv.bin")}), 0);

        const CtlRun list = ctl.run({"--json", "edid", "list"});
        EXPECT_STATUS(list, 0);
        const QJsonArray tables = QJsonDocument::fromJson(list.out.toUtf8()).object()["tables"].toArray();
        QCOMPARE(tables.size(), 2);
        QCOMPARE(tables[0].toObject()["name"].toString(), QString("copy"));
        QCOMPARE(tables[0].toObject()["source"].toString() + " " + tables[0].toObject()["detail"].toString(),
                 "file " + ctl.path("tv.bin"));
        QCOMPARE(tables[1].toObject()["source"].toString(), QString("TX A"));
        QVERIFY(!tables[1].toObject()["savedAt"].toString().isEmpty());

        // The kept bytes are the display's table without the file's padding.
        EXPECT_STATUS(ctl.run({"edid", "load", "living-room", "-o", ctl.path("back.bin")}), 0);
        const QByteArray display = fileBytes(ctl.path("tv.bin")), kept = fileBytes(ctl.path("back.bin"));
        QVERIFY(kept.size() == 128 || kept.size() == 256);
        QCOMPARE(kept, display.left(kept.size()));
        EXPECT_STATUS(ctl.run({"edid", "diff", "lib:living-room", "lib:copy"}), 0);
        const CtlRun decoded = ctl.run({"edid", "decode", "lib:copy"});
        QVERIFY2(decoded.out.contains("Manufacturer"), qPrintable(decoded.out));
        const CtlRun missing = ctl.run({"edid", "decode", "lib:nothing"});
        QCOMPARE(missing.status, 1);
        QVERIFY2(missing.err.contains("no table \"nothing\" in the library"), qPrintable(missing.err));
        EXPECT_STATUS(ctl.run({"edid", "check", "lib:copy"}), 0);

        // Linux firmware: the table's own bytes, the steps told and not run.
        const CtlRun linux = ctl.run({"edid", "export", "lib:living-room", "--linux", "--name", "tv",
                                      "--connector", "HDMI-A-2", "-o", ctl.path("tv-fw.bin")});
        EXPECT_STATUS(linux, 0);
        QCOMPARE(fileBytes(ctl.path("tv-fw.bin")), kept);
        QVERIFY2(linux.out.contains("drm.edid_firmware=HDMI-A-2:edid/tv.bin") &&
                     linux.out.contains("/usr/lib/firmware/edid/tv.bin") && linux.out.contains("initramfs"),
                 qPrintable(linux.out));
        EXPECT_STATUS(ctl.run({"edid", "export", "lib:copy", "--windows", "-o", ctl.path("tv.reg")}), 0);
        QVERIFY(fileBytes(ctl.path("tv.reg")).startsWith("Windows Registry Editor Version 5.00\r\n"));
        const CtlRun b64 = ctl.run({"edid", "export", "lib:copy", "--base64"});
        QCOMPARE(QByteArray::fromBase64(b64.out.trimmed().toLatin1()), kept);
        QCOMPARE(ctl.run({"edid", "export", "lib:copy", "--hex", "--base64"}).status, 2);
    }
};

QTEST_GUILESS_MAIN(CliEdidLibraryTest)
#include "tst_cli_edid_library.moc"
