// SPDX-License-Identifier: GPL-3.0-or-later
// The real window against the scripted USB library: what start-up sends,
// what it shows, and how a click reaches the wire.
#include "bytes_print.h"
#include "window_rig.h"

#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : ScriptedWindowRig {
    int exitStatus = -1;

    void start()
    {
        MainWindow::Environment env = testEnvironment(usb.api(), clock, feedback);
        env.exitProcess = [this](int status) { exitStatus = status; };
        ScriptedWindowRig::start(env);
    }
};

std::vector<Bytes> startupFramesOfIdleBox()
{
    std::vector<Bytes> f = {
        bytesFromHex("11 2A E1"), bytesFromHex("11 0E E0 06"),
        // an all-zero block unchecks the three boxes the form starts checked,
        // and each writes its new value back
        bytesFromHex("10 04 E0 0B 00"), bytesFromHex("10 04 E0 1B 00"), bytesFromHex("10 04 E0 1A 00"),
        bytesFromHex("11 08 E0 07"), bytesFromHex("11 21 E0 23"), bytesFromHex("11 0F E0 24"),
        bytesFromHex("11 0F E0 06"), bytesFromHex("11 1F E0 15"), bytesFromHex("11 1F E0 1E"),
        bytesFromHex("11 1F E0 1F"), bytesFromHex("10 01 B4"), bytesFromHex("11 2A E1")};
    for (int off = 0; off < 256; off += 16)
        f.push_back(frame::edidChunkRead(uint8_t(off)));
    return f;
}

} // namespace

class WindowStartupTest : public QObject {
    Q_OBJECT

private slots:
    void successfulStartupSendsTheFramesInOrder()
    {
        Rig rig;
        rig.start();
        QCOMPARE(rig.usb.frames(), startupFramesOfIdleBox());
        QVERIFY(rig.window->SetupComplete);
        QVERIFY(rig.window->pollTimerRunning());
        QCOMPARE(rig.window->pollIntervalMs(), 3000);
        QCOMPARE(rig.window->ui->cmbInputSel->count(), 4);
        QCOMPARE(rig.window->ui->cmBEdid->count(), 25);
        QCOMPARE(rig.window->ui->cmbLa->count(), 2);
        QCOMPARE(rig.window->ui->cmbEdidAlgo->count(), 4);
        QCOMPARE(rig.window->ui->CECtext->toPlainText(), QStringLiteral("50:04"));
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText().size(), 768);
        QVERIFY(rig.feedback.ofKind("alert").isEmpty());
    }

    void noBoxShowsOneAlertAndSendsNothing()
    {
        Rig rig;
        rig.usb.serials.clear();
        rig.start();
        QCOMPARE(rig.feedback.summary(), QStringList{"alert:VANTREL USB not connected!"});
        QVERIFY(rig.window->pollTimerRunning()); // it looks for the box
        QVERIFY(!rig.window->SetupComplete);
        QCOMPARE(rig.window->ui->cmbInputSel->count(), 0);
        QCOMPARE(rig.window->ui->labelFw1->text(), QStringLiteral("ver: "));
        QVERIFY(rig.usb.frames().empty());
    }

    void openFailureWarnsTwiceInOrder()
    {
        Rig rig;
        rig.usb.openFails = true;
        rig.start();
        QCOMPARE(rig.feedback.summary(),
                 (QStringList{"alert:Usb device open error!", "warning:Hardware not found"}));
        QCOMPARE(rig.feedback.ofKind("warning").first().title, QStringLiteral("VANTREL Utility"));
    }

    void versionAndStoredInfoframesAreShown()
    {
        Rig rig;
        rig.usb.responder = [&rig](const Bytes &r) {
            if (r.size() == 4 && r[2] == 0xE0 && r[3] == 7)
                return FakeUsb::echo(bytesFromHex("E0 00 FF FF FF FF 00 00"));
            if (r.size() == 4 && r[2] == 0xE0 && r[3] == 0x23) {
                Bytes b(33, 0);
                b[0] = 0xE0;
                b[2] = 0x87, b[3] = 0x01, b[4] = 0x1A;
                return FakeUsb::echo(b);
            }
            return FakeUsb::idleReply(r, rig.usb.edid);
        };
        rig.start();
        QCOMPARE(rig.window->ui->labelFw1->text(), QStringLiteral("ver: 255.255.255.255"));
        QCOMPARE(rig.window->ui->labelTitle->text(), QStringLiteral("VANTREL GUI"));
        const QString hdr = rig.window->ui->IFtext->toPlainText();
        QVERIFY(hdr.startsWith(QStringLiteral("87:01:1a:00")));
        QCOMPARE(hdr.size(), 92);
        QCOMPARE(rig.window->ui->AVItext->toPlainText().size(), 38);
    }

    void clickWritesItsRegisterAndTheImage()
    {
        Rig rig;
        rig.start();
        rig.usb.clearRecord();
        QTest::mouseClick(rig.window->ui->enableLed, Qt::LeftButton);
        QCOMPARE(rig.usb.frames(), std::vector<Bytes>{bytesFromHex("10 04 E0 16 01")});
        QCOMPARE(rig.window->settingsPage().SettingsImage[26], uint8_t(1));
    }

    void busyBoxDelaysTheEdidReread()
    {
        Rig rig;
        rig.start();
        std::array<uint8_t, 40> settings{};
        rig.usb.responder = [&](const Bytes &r) {
            if (r.size() == 3 && r[2] == 0xE1)
                return FakeUsb::echo(settingsBlockReply(settings, 0x01));
            return FakeUsb::idleReply(r, rig.usb.edid);
        };
        rig.usb.clearRecord();
        rig.window->pollTick();
        QVERIFY(rig.window->edidPage().PendingEdidRead);
        QCOMPARE(rig.usb.count("SI_Write"), 7); // block, then readback and status: nothing more
        rig.usb.responder = nullptr;
        rig.window->pollTick();
        QVERIFY(!rig.window->edidPage().PendingEdidRead);
    }

    void closingTheWindowEndsTheLoopWithZero()
    {
        Rig rig;
        rig.start();
        int loopStatus = -1;
        QTimer::singleShot(0, rig.window.get(), [&] { rig.window->close(); });
        loopStatus = QCoreApplication::exec();
        QCOMPARE(loopStatus, 0);
        QVERIFY(!rig.usb.isOpen());
        QVERIFY(!rig.window->pollTimerRunning());
        QVERIFY(rig.feedback.ofKind("alert").isEmpty());
    }

    void tickWhileTheLinkIsBusyDoesNothing()
    {
        // A tick delivered from inside an exchange (an alert's nested loop).
        Rig rig;
        rig.start();
        rig.usb.failQueueQueries = 1;
        int writesInside = -1;
        rig.feedback.onAlert = [&] {
            const int before = rig.usb.count("SI_Write");
            rig.window->pollTick();
            writesInside = rig.usb.count("SI_Write") - before;
        };
        rig.window->pollTick();
        QCOMPARE(writesInside, 0);
    }

    // Tab leaves a text box; the shortcuts reach their buttons from any page.
    void keyboardMovesFocusAndReachesTheButtons()
    {
        Rig rig;
        rig.start();
        MainWindow &w = *rig.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        w.ui->tabWidget->setCurrentWidget(w.ui->tab_3);
        w.ui->CECtext->setFocus();
        QTest::keyClick(w.ui->CECtext, Qt::Key_Tab);
        QCOMPARE(w.ui->CECtext->toPlainText(), QStringLiteral("50:04"));
        QCOMPARE(QApplication::focusWidget(), w.ui->ButWriteCEC);

        w.ui->tabWidget->setCurrentWidget(w.ui->tab_4);
        rig.usb.clearRecord();
        QTest::keyClick(&w, Qt::Key_F5);
        QCOMPARE(rig.usb.frames().front(), bytesFromHex("10 01 B4"));
        QTest::keyClick(&w, Qt::Key_O, Qt::ControlModifier);
        QTest::keyClick(&w, Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(rig.feedback.ofKind("open").size(), 1);
        QCOMPARE(rig.feedback.ofKind("save").size(), 1);
        QCOMPARE(w.ui->actionExit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(w.ui->actionAbout->shortcut(), QKeySequence(Qt::Key_F1));
    }

    void fileExitClosesTheLinkAndExitsWithZero()
    {
        Rig rig;
        rig.start();
        rig.window->ui->actionExit->trigger();
        QCOMPARE(rig.exitStatus, 0);
        QVERIFY(!rig.usb.isOpen());
        QVERIFY(!rig.window->pollTimerRunning());
    }
};

QTEST_MAIN(WindowStartupTest)
#include "tst_window_startup.moc"
