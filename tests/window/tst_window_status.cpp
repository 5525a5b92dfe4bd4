// SPDX-License-Identifier: GPL-3.0-or-later
// The header lines as the window shows them for the box's status records.
#include "bytes_print.h"
#include "signal_history_dialog.h"
#include "signal_history_page.h"
#include "signal_log_reader.h"
#include "window_rig.h"

#include <QPlainTextEdit>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : ScriptedWindowRig {
    Bytes video = Bytes(15, 0);
    bool failGate = false;

    Rig()
    {
        video[0] = 0xE0;
        usb.responder = [this](const Bytes &r) {
            if (r.size() == 4 && r[2] == 0xE0 && r[3] == 6 && r[1] == 15)
                return FakeUsb::echo(video);
            if (r.size() == 4 && r[2] == 0xE0 && r[3] == 0x1F && failGate)
                return FakeUsb::echo(bytesFromHex("E1 00"));
            return FakeUsb::idleReply(r, usb.edid);
        };
        start();
    }
};

} // namespace

class WindowStatusTest : public QObject {
    Q_OBJECT

private slots:
    void wholeLines_data()
    {
        QTest::addColumn<QString>("bytes"); // "index=value ..." of the video record
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("text");
        QTest::newRow("1080p60") << "2=16 3=16 13=2" << "label_video_format"
                                 << "Input : 1920x1080p60 HDMI, HDCP 1.4";
        QTest::newRow("97 clock 0") << "2=97 3=16 10=96 13=4" << "label_video_format"
                                    << "Input : 3840x2160p60 HDMI, 300MHz [4:2:0 8-bit], HDCP 2.2";
        QTest::newRow("450MHz") << "2=97 3=16 4=3 10=64 13=4" << "label_video_format"
                                << "Input : 3840x2160p60 HDMI, 450MHz, [4:4:4 12-bit], HDCP 2.2";
        QTest::newRow("3D") << "2=4 9=96 14=64" << "label_video_format"
                            << "Input : 1280x720p60 Top/Bottom 3D, no HDCP";
        QTest::newRow("extended") << "3=16 9=4 14=32" << "label_video_format"
                                  << "Input : 4096x2160p24 HDMI, no HDCP";
        QTest::newRow("outputs") << "5=96" << "lblOutput" << "Output: TX A, TX B";
        QTest::newRow("bt2020") << "10=64 11=192 12=96" << "lblCsc"
                                << "Color Space: YCbCr 4:4:4, Extended: ITU-R BT.2020";
        QTest::newRow("709") << "11=128" << "lblCsc" << "Color Space: RGB, ITU-R BT.709";
        QTest::newRow("no source") << "" << "lblVideoSource" << "Source Info: No Info";
        QTest::newRow("no hdr") << "" << "lblHdrInput" << "HDR input:  Not Active";
    }

    void wholeLines()
    {
        QFETCH(QString, bytes);
        QFETCH(QString, label);
        QFETCH(QString, text);
        Rig rig;
        for (const QString &pair : bytes.split(' ', Qt::SkipEmptyParts))
            rig.video[pair.section('=', 0, 0).toInt()] = uint8_t(pair.section('=', 1, 1).toInt());
        rig.window->pollTick();
        QCOMPARE(rig.window->findChild<QLabel *>(label)->text(), text);
    }

    void failedGateReadKeepsEveryText()
    {
        Rig rig;
        rig.video[2] = 16;
        rig.video[3] = 0x10;
        rig.window->pollTick();
        const QString before = rig.window->ui->label_video_format->text();
        rig.failGate = true;
        rig.video[2] = 4;
        rig.window->pollTick();
        QCOMPARE(rig.window->ui->label_video_format->text(), before);
        QVERIFY(rig.feedback.texts("status").contains(QStringLiteral("...")));
    }

    // Tools > Signal history...: the changes as vantrelctl log prints them,
    // the box's loss and return among them, saved as lines the log reader takes.
    void signalHistoryListsAndSavesTheChanges()
    {
        Rig rig;
        const auto tick = [&] {
            rig.clock.advance(3000);
            rig.window->pollTick();
        };
        rig.video[2] = 16;
        tick();
        rig.video[2] = 4;
        tick();
        rig.usb.serials.clear();
        rig.usb.failWrites = true;
        tick();
        rig.usb.serials = {"2023"};
        rig.usb.failWrites = false;
        tick();
        rig.window->findChild<QAction *>(QStringLiteral("actionSignalHistory"))->trigger();
        const auto *dialog = rig.window->findChild<SignalHistoryDialog *>(QStringLiteral("signalHistoryDialog"));
        QVERIFY(dialog && dialog->isVisible());
        const QStringList lines = dialog->listText()->toPlainText().split(QLatin1Char('\n'));
        QStringList fields;
        for (const QString &line : lines)
            fields << line.section(QLatin1String("  "), 1);
        QVERIFY(fields.contains(QStringLiteral("timing: 1920x1080p60 -> 1280x720p60")));
        QCOMPARE(fields.mid(fields.size() - 4), (QStringList{"poll: ok -> failed", "box: present -> absent",
                                                             "poll: failed -> ok", "box: absent -> present"}));

        QTemporaryDir dir;
        const QString saved = dir.filePath(QStringLiteral("history.jsonl"));
        rig.feedback.saveAnswers << saved;
        dialog->findChild<QPushButton *>(QStringLiteral("saveButton"))->click();
        const service::LogRead read = service::readLog(saved.toStdString(), {});
        QVERIFY(read.error.empty() && read.skipped == 0);
        QStringList readBack;
        for (const service::Change &c : read.changes)
            readBack << QString::fromStdString(service::changeText(c));
        QCOMPARE(readBack, lines);
    }
};

QTEST_MAIN(WindowStatusTest)
#include "tst_window_status.moc"
