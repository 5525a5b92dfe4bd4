// SPDX-License-Identifier: GPL-3.0-or-later
// The real window when the box is absent, silent, answers only in part, is
// plugged in later or unplugged: how often it is asked, how long a tick
// blocks, what the window shows and says.
#include "window_rig.h"

#include "fault_plan.h"

#include <QLabel>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : ScriptedWindowRig {
    uint32_t longestTickMs = 0;

    // One timer tick 3 s after the last one ended; returns the writes it made.
    int tick()
    {
        clock.advance(3000);
        const int writes = usb.count("SI_Write");
        const uint32_t started = clock.now;
        window->pollTick();
        longestTickMs = std::max(longestTickMs, clock.now - started);
        return usb.count("SI_Write") - writes;
    }
    bool shown(const char *label) const { return window->findChild<QLabel *>(label)->isVisibleTo(window.get()); }
    bool enabled(QWidget *w) const { return w->isEnabled(); }
};

FakeReply silentTo(const Bytes &r, uint8_t code, const std::array<uint8_t, 256> &edid)
{
    return r.size() >= 3 && r[2] == code ? FakeUsb::silent() : FakeUsb::idleReply(r, edid);
}

} // namespace

class WindowPresenceTest : public QObject {
    Q_OBJECT

private slots:
    void silentBoxIsProbedWithBackOffUntilItAnswers()
    {
        Rig rig;
        rig.usb.responder = [](const Bytes &) { return FakeUsb::silent(); };
        rig.start();
        // Start-up stops at its first unanswered exchange: one bound, not eight.
        QCOMPARE(rig.usb.count("SI_Write"), 1);
        QCOMPARE(rig.clock.now, 4000u);
        QVERIFY(rig.shown("silentBoxLabel") && !rig.shown("noBoxLabel"));
        QVERIFY(!rig.window->ui->cmbInputSel->isEnabled() && !rig.window->ui->ButWriteCEC->isEnabled());
        QVERIFY(!rig.window->SetupComplete);
        QCOMPARE(rig.feedback.events.size(), 1);
        QCOMPARE(rig.feedback.events[0].text, QStringLiteral("Error Reading values"));
        QCOMPARE(rig.feedback.events[0].ms, 4000);

        // Each probe counted from when the last exchange found the box silent.
        std::vector<uint32_t> gaps;
        uint32_t foundSilent = rig.clock.now;
        while (rig.clock.now < 150000) {
            const uint32_t at = rig.clock.now + 3000;
            const int writes = rig.tick();
            QVERIFY(writes <= 1);
            if (writes) {
                gaps.push_back(at - foundSilent);
                foundSilent = rig.clock.now;
            }
        }
        QCOMPARE(rig.longestTickMs, 4000u);
        QCOMPARE(gaps, (std::vector<uint32_t>{3000, 6000, 12000, 24000, 30000, 30000}));

        // It answers: the rest of start-up runs with the probe that found it.
        rig.usb.responder = nullptr;
        while (!rig.window->SetupComplete && rig.clock.now < 200000)
            rig.tick();
        QVERIFY(rig.window->SetupComplete);
        QVERIFY(!rig.shown("silentBoxLabel"));
        QVERIFY(rig.window->ui->cmbInputSel->isEnabled() && rig.window->ui->ButWriteCEC->isEnabled());
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText().size(), 768);
        QCOMPARE(rig.window->ui->CECtext->toPlainText(), QStringLiteral("50:04"));
        // Then whole ticks: the pending EDID re-read once, the readback and the status.
        QCOMPARE(rig.tick(), 1 + 18 + 2 + 4);
        QCOMPARE(rig.tick(), 2 + 4);
    }

    // A box that answers block reads but not register reads must not cost a
    // 4 s wait on every tick: the back-off resets only after a whole tick.
    void partlyAnsweringBoxBacksOffToo()
    {
        Rig rig;
        rig.start();
        rig.usb.responder = [&](const Bytes &r) { return silentTo(r, 0xE0, rig.usb.edid); };
        while (rig.clock.now < 120000)
            rig.tick();
        QVERIFY2(rig.window->link().unanswered() <= 6, qPrintable(QString::number(rig.window->link().unanswered())));
        // One bound at most, beside an EDID re-read's own pauses.
        QVERIFY(rig.longestTickMs < 4000 + 500);
        QVERIFY(rig.shown("silentBoxLabel"));
        QCOMPARE(rig.window->presence().backoffMs(), BoxPresence::kMaxProbeMs);
    }

    void absentBoxIsLookedForAndAnUnplugSaidOnce()
    {
        Rig rig;
        rig.usb.serials.clear();
        rig.start();
        const QString header = rig.window->ui->label_video_format->text();
        QCOMPARE(rig.feedback.summary(), QStringList{"alert:VANTREL USB not connected!"});
        QVERIFY(rig.shown("noBoxLabel") && !rig.shown("silentBoxLabel"));
        QVERIFY(!rig.window->ui->ButWriteCEC->isEnabled() && !rig.window->ui->ButReadEDID->isEnabled());
        QVERIFY(!rig.window->ui->cmbInputSel->isEnabled());
        for (int i = 0; i < 3; ++i) {
            const int looks = rig.usb.count("SI_GetNumDevices");
            QCOMPARE(rig.tick(), 0);
            QCOMPARE(rig.usb.count("SI_GetNumDevices"), looks + 1);
        }
        QCOMPARE(rig.feedback.ofKind("alert").size(), 1);

        // Plugged in: the next look runs start-up.
        rig.usb.serials = {"2023"};
        QVERIFY(rig.tick() > 20);
        QVERIFY(rig.window->SetupComplete);
        QVERIFY(!rig.shown("noBoxLabel"));
        QVERIFY(rig.window->ui->ButWriteCEC->isEnabled() && rig.window->ui->cmbInputSel->isEnabled());
        QCOMPARE(rig.window->ui->cmbInputSel->count(), 4);
        QVERIFY(rig.window->ui->label_video_format->text() != header);

        // Unplugged: one alert, the handle closed, looking again.
        rig.usb.serials.clear();
        rig.usb.failWrites = true;
        rig.feedback.clear();
        rig.tick();
        QCOMPARE(rig.feedback.texts("alert"), QStringList{"VANTREL USB not connected!"});
        QVERIFY(!rig.usb.isOpen());
        QVERIFY(rig.shown("noBoxLabel"));
        QVERIFY(!rig.window->ui->cmbInputSel->isEnabled());
        for (int i = 0; i < 3; ++i)
            QCOMPARE(rig.tick(), 0);
        QCOMPARE(rig.feedback.ofKind("alert").size(), 1);

        // The header no longer shows the last signal.
        QCOMPARE(rig.window->ui->label_video_format->text(), header);

        // And back again, the lists not filled twice.
        rig.usb.serials = {"2023"};
        rig.usb.failWrites = false;
        rig.tick();
        QVERIFY(!rig.shown("noBoxLabel"));
        QCOMPARE(rig.window->ui->cmbInputSel->count(), 4);
    }

    // The simulated box unplugged: "No box" alone, not beside "Simulated box".
    void simulatedBoxUnpluggedShowsNoBoxAlone()
    {
        SimulatedWindowRig rig;
        const auto shown = [&](const char *label) {
            return rig.window->findChild<QLabel *>(label)->isVisibleTo(rig.window.get());
        };
        QVERIFY(shown("simulatedBoxLabel") && !shown("noBoxLabel"));
        sim::FaultRule gone;
        gone.kind = sim::FaultKind::Gone;
        sim::addFault(gone);
        rig.clock.advance(3000);
        rig.window->pollTick();
        QVERIFY(sim::deviceGone());
        QVERIFY(shown("noBoxLabel") && !shown("simulatedBoxLabel"));
    }
};

QTEST_MAIN(WindowPresenceTest)
#include "tst_window_presence.moc"
