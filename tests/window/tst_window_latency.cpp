// SPDX-License-Identifier: GPL-3.0-or-later
// The window answers while the box is slow: a silent box, a box that stays
// busy and an upload, each run on wall time against test time. The wire and
// the status texts are the same both ways; only the waiting differs.
#include "bytes_print.h"
#include "form_binding.h"
#include "window_rig.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Case {
    const char *name;
    std::function<void(ScriptedWindowRig &)> before; // the box as it is when the user acts
    std::function<void(ScriptedWindowRig &)> act;
    QPushButton *Ui_MainWindow::*focus; // the control the user acts with
};

struct Run {
    std::vector<Bytes> frames;
    QStringList said;
    std::vector<bool> enabledAfter;
    qint64 worstGapMs = 0; // longest time between two events handled while out
    qint64 tookMs = 0;
    bool sendingDisabled = false; // seen while out
    bool busyCursor = false, intruded = false, refusalSaid = false, focusKept = false;
};

Run runCase(const Case &c, bool wallTime)
{
    ScriptedWindowRig rig;
    rig.block[2] = 3; // custom EDID mode: uploads allowed
    rig.block[19] = 1;
    rig.block[9] = 1;
    rig.answerBlock();
    MainWindow::Environment env = testEnvironment(rig.usb.api(), rig.clock, rig.feedback);
    if (wallTime)
        env.clock = nullptr; // the window's own clock
    rig.start(env);
    rig.window->pollTick();
    c.before(rig);
    rig.window->show();
    QWidget *focused = rig.window->ui->*c.focus;
    const bool focusSet = QTest::qWaitForWindowActive(rig.window.get()) && (focused->setFocus(), focused->hasFocus());
    rig.usb.clearRecord();
    rig.feedback.clear();

    Run run;
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    QTimer probe;
    probe.setInterval(20);
    QObject::connect(&probe, &QTimer::timeout, [&] {
        run.worstGapMs = std::max(run.worstGapMs, clock.elapsed() - last);
        last = clock.elapsed();
        run.sendingDisabled |= !rig.window->ui->ButReadEDID->isEnabled();
        run.busyCursor |= QApplication::overrideCursor() != nullptr;
        // An exchange begun meanwhile, past the disabled controls, is refused:
        // nothing of it reaches the wire.
        if (run.sendingDisabled && !std::exchange(run.intruded, true)) {
            const int before = rig.feedback.events.size();
            rig.window->RefreshStatus();
            rig.feedback.events.erase(rig.feedback.events.begin() + before, rig.feedback.events.end());
        }
    });
    probe.start();
    c.act(rig);
    run.tookMs = clock.elapsed();
    run.worstGapMs = std::max(run.worstGapMs, run.tookMs - last);
    probe.stop();
    run.frames = rig.usb.frames();
    run.said = rig.feedback.summary();
    for (const char *name : config::actionControls())
        run.enabledAfter.push_back(rig.window->findChild<QWidget *>(QLatin1String(name))->isEnabled());
    // Disabled for the wait, the focused control gets the focus back.
    run.focusKept = focusSet && (!focused->isEnabled() || focused->hasFocus());
    QCoreApplication::processEvents(); // a poll tick held back may follow now
    run.busyCursor &= QApplication::overrideCursor() == nullptr; // and gone once it ended
    run.refusalSaid = rig.feedback.summary().endsWith("status:Not sent: the box was busy with another exchange.");
    return run;
}

} // namespace

class WindowLatencyTest : public QObject {
    Q_OBJECT

private slots:
    void windowAnswersWhileTheBoxIsSlow()
    {
        const Case cases[] = {
            {"silent box at a poll",
             [](ScriptedWindowRig &r) { r.usb.responder = [](const Bytes &) { return FakeUsb::silent(); }; },
             [](ScriptedWindowRig &r) { r.window->pollTick(); }, &Ui_MainWindow::ButReadEDID},
            {"busy box during an EDID read",
             [](ScriptedWindowRig &r) {
                 r.usb.responder = [&r](const Bytes &q) {
                     return q.size() == 3 && q[2] == 0xE1 ? FakeUsb::echo(settingsBlockReply(r.block, 0x01))
                                                          : FakeUsb::idleReply(q, r.usb.edid);
                 };
             },
             [](ScriptedWindowRig &r) { QTest::mouseClick(r.window->ui->ButReadEDID, Qt::LeftButton); },
             &Ui_MainWindow::ButReadEDID},
            {"upload", [](ScriptedWindowRig &r) { r.feedback.questionAnswers = {true, true}; },
             [](ScriptedWindowRig &r) { QTest::mouseClick(r.window->ui->ButWriteEDID, Qt::LeftButton); },
             &Ui_MainWindow::ButWriteEDID},
        };
        for (const Case &c : cases) {
            const Run test = runCase(c, false);
            const Run wall = runCase(c, true);
            qInfo("%s: %lld ms out, input waited at most %lld ms", c.name, wall.tookMs, wall.worstGapMs);
            QVERIFY2(wall.tookMs > 900, c.name); // the box really kept the window waiting
            QVERIFY2(wall.worstGapMs - 20 < 100, c.name); // late by under 100 ms
            QVERIFY2(wall.sendingDisabled && wall.intruded && wall.refusalSaid && wall.busyCursor, c.name);
            QVERIFY2(!test.frames.empty() && wall.focusKept, c.name);
            QCOMPARE(wall.frames, test.frames);
            QCOMPARE(wall.said, test.said);
            QCOMPARE(wall.enabledAfter, test.enabledAfter);
        }
    }
};

QTEST_MAIN(WindowLatencyTest)
#include "tst_window_latency.moc"
