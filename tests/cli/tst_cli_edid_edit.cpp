// SPDX-License-Identifier: GPL-3.0-or-later
// edid edit and edid diff as a script uses them: files in and out in their
// own form, standard input and output, refusals, exit statuses, JSON.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

namespace {

const QString kTv = QStringLiteral(VANTREL_SOURCE_DIR "/tests/edid_decode/corpus/tv_samsung_LGE0000_c5ec34e6.bin");
const QString kAvr = QStringLiteral(VANTREL_SOURCE_DIR "/tests/edid_decode/corpus/avr_denon_DON0052_0ade711f.bin");

QByteArray readAll(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class CliEdidEdit : public QObject {
    Q_OBJECT

private slots:
    void editsAndDiffs()
    {
        CtlRunner ctl;
        const QString out = ctl.path("out.bin");
        CtlRun r = ctl.run({"edid", "edit", kTv, "-o", out, "--drop-vic", "95", "--max-tmds", "300"});
        EXPECT_STATUS(r, 0);
        QVERIFY(r.out.contains("--drop-vic: VIC 95 (3840x2160p30) removed from the video data block"));
        QVERIFY(r.out.contains("VIC 97 (3840x2160p60) needs 594 MHz: now YCbCr 4:2:0 only"));
        QCOMPARE(readAll(out).size(), 256);

        // diff: decoded changes first, then bytes; 1 when they differ, 0 when not.
        r = ctl.run({"edid", "diff", kTv, out});
        EXPECT_STATUS(r, 1);
        QVERIFY(r.out.startsWith("preferred: - 3840x2160"));
        QVERIFY(r.out.contains("modes: + VIC 97 (3840x2160p60), YCbCr 4:2:0 only"));
        QVERIFY(r.outLines().last().startsWith("bytes: block 1"));
        EXPECT_STATUS(ctl.run({"edid", "diff", out, out}), 0);

        // Hex text in, hex text out; standard input to standard output.
        const QByteArray text = ctl.run({"edid", "read", "box"}).out.toLatin1();
        r = ctl.run({"edid", "edit", "-", "-o", "-", "--name", "DEN"}, text);
        EXPECT_STATUS(r, 0);
        QVERIFY(r.out.startsWith("00 FF FF FF FF FF FF 00"));
        QCOMPARE(r.out.size(), text.size());

        // Refused: the reason and status 1, nothing written; --dry-run writes nothing.
        r = ctl.run({"edid", "edit", kTv, "-o", ctl.path("no.bin"), "--name", "FOURTEEN CHARS"});
        EXPECT_STATUS(r, 1);
        QVERIFY(r.err.contains("--name: a display name is 1 to 13 characters"));
        r = ctl.run({"--json", "edid", "edit", kTv, "--dry-run", "--audio-from", kAvr, "--show-diff"});
        EXPECT_STATUS(r, 0);
        QVERIFY(!QFile::exists(ctl.path("no.bin")));
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        QCOMPARE(doc["edits"].toArray()[0].toObject()["edit"].toString(), QStringLiteral("--audio-from"));
        QCOMPARE(doc["written"].toBool(), false);
        QVERIFY(!doc["diff"].toObject()["changes"].toArray().isEmpty());
        EXPECT_STATUS(ctl.run({"edid", "edit", kTv, "-o", out}), 2);
        EXPECT_STATUS(ctl.run({"edid", "edit", kTv, "-o", out, "--drop-vic", "x"}), 2);
    }

    // Input and output as hostile runs met them: OUT and FIFO (no writer) stand for files of the run.
    void inputAndOutputHandling_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says");  // on standard error
        QTest::addColumn<QString>("shows"); // on standard output
        const QByteArray tv = readAll(kTv);
        QTest::newRow("edits in the README's order") << QStringList{"edid", "edit", kTv, "--preferred", "97", "--max-tmds", "300", "-o", "OUT"} << QByteArray() << 0 << "" << "--max-tmds: VIC 97 (3840x2160p60) needs 594 MHz";
        QTest::newRow("notes beside -o -") << QStringList{"edid", "edit", kTv, "-o", "-", "--drop-vic", "95", "--text"} << QByteArray() << 0 << "--drop-vic: VIC 95" << "00 FF FF FF FF FF FF 00";
        QTest::newRow("bytes past the table") << QStringList{"edid", "edit", "-", "-o", "OUT", "--name", "X"} << tv + tv + QByteArray(1, '\0') << 0 << "holds 257 bytes past the 256 its table announces" << "";
        QTest::newRow("pipe with no writer") << QStringList{"edid", "edit", "FIFO", "-o", "OUT", "--name", "X"} << QByteArray() << 1 << "is empty" << "";
        QTest::newRow("standard output by name") << QStringList{"edid", "edit", kTv, "-o", "/dev/stdout", "--name", "X", "--text"} << QByteArray() << 0 << "" << "00 FF FF FF FF FF FF 00";
    }
    void inputAndOutputHandling()
    {
        QFETCH(QStringList, args);
        QFETCH(QByteArray, input);
        CtlRunner ctl;
        QVERIFY(::mkfifo(ctl.path("fifo").toLocal8Bit().constData(), 0600) == 0);
        args.replaceInStrings(QRegularExpression("^OUT$"), ctl.path("out.bin")).replaceInStrings(QRegularExpression("^FIFO$"), ctl.path("fifo"));
        const CtlRun r = ctl.run(args, input.isEmpty() ? QByteArray() : input);
        QFETCH(int, status);
        EXPECT_STATUS(r, status);
        QFETCH(QString, says);
        QFETCH(QString, shows);
        QVERIFY2(r.err.contains(says) && r.out.contains(shows), qPrintable(r.err));
    }
};

QTEST_GUILESS_MAIN(CliEdidEdit)
#include "tst_cli_edid_edit.moc"
