// SPDX-License-Identifier: GPL-3.0-or-later
// edid edit and edid diff as a script uses them: files in and out in their
// own form, standard input and output, refusals, exit statuses, JSON.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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
};

QTEST_GUILESS_MAIN(CliEdidEdit)
#include "tst_cli_edid_edit.moc"
