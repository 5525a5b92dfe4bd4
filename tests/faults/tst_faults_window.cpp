// SPDX-License-Identifier: GPL-3.0-or-later
// The fault matrix for start-up, the poll tick and a setting click: every
// fault kind of the simulated box against the real window. Each row checks
// what the user is told, that nothing half-received is shown, and that the
// window works again once the box does.
#include "edid_page.h"
#include "fault_rig.h"
#include "settings_page.h"

#include "edid_text.h"

#include <QCheckBox>
#include <QLabel>
#include <QStatusBar>
#include <QtTest>

using namespace faults;
using vantrel::sim::Block;

namespace {

// Status messages as the window words them.
const QString kRead = QStringLiteral("status:Error Reading values");
const QString kWrite = QStringLiteral("status:Error Writing values");
const QString kRegister = QStringLiteral("status:...");
const QString kEdidRead = QStringLiteral("status:EDID values read.");
const QString kStale = QStringLiteral("The box never reported ready: the table may be stale.");
const QString kQueue = QStringLiteral("alert:Error Checking RX Queue");

QString edidText(const vantrel::sim::EdidTable &t) { return tableText(t); }

// On the indicator: a check box takes clicks only on its box and label.
void clickBox(QCheckBox *box)
{
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(6, box->height() / 2));
}

// The status header lines, top to bottom.
QStringList headerLines(MainWindow &w)
{
    return {w.ui->label_video_format->text(), w.ui->lblOutput->text(), w.ui->lblCsc->text(),
            w.ui->lblVideoSource->text(), w.ui->lblHdrInput->text()};
}

} // namespace

class FaultsWindow : public QObject {
    Q_OBJECT

private slots:
    void startup_data();
    void startup();
    void pollTick_data();
    void pollTick();
    void settingClick_data();
    void settingClick();
    void edidRereadGivesUp_data();
    void edidRereadGivesUp();
    void boxTextsStayPlainText();
    void simulatedBoxSaysSo();
};

// The box reports "No 3D" on: a readback that is applied checks cb3D.
void FaultsWindow::startup_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("version"); // labelFw1 shows the box's firmware
    QTest::addColumn<bool>("header");  // the status header lines are decoded
    QTest::addColumn<bool>("edid");    // EDIDtext shows the box's table
    QTest::addColumn<bool>("applied"); // the settings readback was applied
    QTest::addColumn<bool>("complete"); // start-up ran to its end

    // No answer at all: start-up stops there; a probe on a later tick resumes it.
    QTest::newRow("noreply") << Fault::NoReply << QStringList{kRead} << "Error Reading values" << false << false
                             << false << false << false;
    // An unacknowledged fetch ends the EDID read with its failure.
    const QStringList failed = {kRead, kRegister, kWrite};
    QTest::newRow("short") << Fault::ShortReply << failed << "Error Writing values" << false << false << false << false
                           << true;
    QTest::newRow("wrongcode") << Fault::WrongCode << failed << "Error Writing values" << false << false << false
                               << false << true;
    // Register reads do not look at busy; the readback and the EDID wait do:
    // the table is read after the wait, and said to be maybe stale.
    QTest::newRow("busy") << Fault::Busy << QStringList{"status:" + kStale} << kStale << true << true << true
                          << false << true;
    QTest::newRow("queuefail") << Fault::QueueFail << (QStringList{kQueue} + failed) << "Error Writing values" << false
                               << false << false << false << true;
    QTest::newRow("writefail") << Fault::WriteFail << QStringList{kRead} << "Error Reading values" << false << false
                               << false << false << false;
    // Gone between the readback's two reads: said once, then looked for.
    QTest::newRow("gone") << Fault::Gone << QStringList{kRegister, QStringLiteral("alert:VANTREL USB not connected!")}
                          << "..." << false << false << false << false << false;
}

void FaultsWindow::startup()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);
    QFETCH(QString, last);
    QFETCH(bool, version);
    QFETCH(bool, header);
    QFETCH(bool, edid);
    QFETCH(bool, applied);
    QFETCH(bool, complete);

    Rig rig("p15=1");
    rig.inject(fault, {0xE1, -1, 1});
    rig.start();
    MainWindow &w = *rig.window;

    QCOMPARE(rig.shown(), shown);
    QCOMPARE(rig.lastStatus(), last);
    QCOMPARE(w.statusBar()->currentMessage(), last);
    // The poll takes over from here, to finish start-up or to run the ticks.
    QCOMPARE(w.SetupComplete, complete);
    QVERIFY(w.pollTimerRunning());
    QCOMPARE(w.ui->labelFw1->text(), version ? QStringLiteral("ver: 1.7.3.0") : QStringLiteral("ver: "));
    QCOMPARE(w.ui->label_video_format->text().startsWith(QStringLiteral("Input")), header);
    const QStringList formHeader = {"Video Format", "Output:", "Color Space", "Video Source:", "HDR Input:"};
    if (!header)
        QCOMPARE(headerLines(w), formHeader);
    QCOMPARE(w.ui->EDIDtext->toPlainText(), edid ? edidText(rig.box().presentedTable()) : QString());
    QCOMPARE(w.ui->cb3D->isChecked(), applied);

    // The same window catches up on its first good tick.
    rig.recover();
    rig.tick();
    QVERIFY(w.SetupComplete);
    QCOMPARE(rig.shown(), QStringList{kEdidRead}); // the re-read start-up leaves due
    QVERIFY(w.ui->cb3D->isChecked());
    QVERIFY(w.ui->label_video_format->text().startsWith(QStringLiteral("Input")));
    QCOMPARE(w.ui->EDIDtext->toPlainText(), edidText(rig.box().presentedTable()));
    QCOMPARE(rig.requestsInsideAlerts, 0);

    // A fresh start on the healthy box shows everything.
    rig.window.reset();
    rig.start();
    QCOMPARE(rig.shown(), QStringList{kEdidRead});
    QCOMPARE(rig.window->ui->labelFw1->text(), QStringLiteral("ver: 1.7.3.0"));
    QVERIFY(rig.window->ui->cb3D->isChecked());
}

// The first tick after a clean start-up, with the EDID re-read still due,
// after the box changed: "2.0" on (a new automix table and cb2cForce) and a
// new incoming timing.
void FaultsWindow::pollTick_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<QString>("last");
    QTest::addColumn<bool>("edid");    // the new table is shown
    QTest::addColumn<bool>("applied"); // the new settings are shown
    QTest::addColumn<bool>("header");  // the new signal is shown
    QTest::addColumn<bool>("pending"); // the EDID re-read is still due afterwards (it failed)

    const QStringList failed = {kRead, kWrite, kRegister};
    // No answer at all (no reply, a failed write): the tick stops at it and
    // the re-read stays due; a probe and then a whole tick catch up.
    QTest::newRow("noreply") << Fault::NoReply << QStringList{kRead} << "Error Reading values" << false << false
                             << false << true;
    QTest::newRow("short") << Fault::ShortReply << failed << "..." << false << false << false << true;
    // An unacknowledged fetch reads nothing.
    QTest::newRow("wrongcode") << Fault::WrongCode << failed << "..." << false << false << false << true;
    QTest::newRow("busy") << Fault::Busy << QStringList{} << QString() << false << false << true << true;
    QTest::newRow("queuefail") << Fault::QueueFail << (QStringList{kQueue} + failed) << "..." << false << false
                               << false << true;
    QTest::newRow("writefail") << Fault::WriteFail << QStringList{kRead} << "Error Reading values" << false << false
                               << false << true;
    // Gone halfway through the EDID chunks: said once; plugged in again, start-up runs.
    QTest::newRow("gone") << Fault::Gone << QStringList{QStringLiteral("alert:VANTREL USB not connected!")} << QString()
                          << false << false << false << true;
}

void FaultsWindow::pollTick()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);
    QFETCH(QString, last);
    QFETCH(bool, edid);
    QFETCH(bool, applied);
    QFETCH(bool, header);
    QFETCH(bool, pending);

    Rig rig;
    rig.start();
    MainWindow &w = *rig.window;
    rig.feedback.clear();
    QVERIFY(w.edidPage().PendingEdidRead);
    const QString oldTable = w.ui->EDIDtext->toPlainText();
    const QStringList oldHeader = headerLines(w);
    Block block = rig.box().block();
    block[13] = 1;
    rig.box().setBlock(block);
    vantrel::sim::Signal signal = rig.box().signal();
    signal.vic = 16;
    rig.box().setSignal(signal);
    const QString newTable = edidText(rig.box().presentedTable());
    QVERIFY(newTable != oldTable);

    rig.inject(fault, {vantrel::frame::kEdidChunk, vantrel::frame::kAsk, 8});
    rig.tick();
    QCOMPARE(rig.shown(), shown);
    QCOMPARE(rig.lastStatus(), last);
    QCOMPARE(w.ui->EDIDtext->toPlainText(), edid ? newTable : oldTable);
    QCOMPARE(w.ui->cb2cForce->isChecked(), applied);
    QCOMPARE(int(w.settingsPage().SettingsImage[13]), applied ? 1 : 0);
    const QStringList faultedHeader = headerLines(w);
    // Unplugged, the header shows no signal at all: the form's own lines.
    if (fault == Fault::Gone)
        QCOMPARE(faultedHeader, (QStringList{"Video Format", "Output:", "Color Space", "Video Source:", "HDR Input:"}));
    else
        QCOMPARE(faultedHeader == oldHeader, !header);
    QCOMPARE(w.edidPage().PendingEdidRead, pending);
    QCOMPARE(rig.requestsInsideAlerts, 0);

    rig.recover();
    rig.tick();
    if (w.presence().state() != vantrel::BoxPresence::State::Answering || !w.link().isOpen())
        QFAIL("the box is back and answering");
    if (fault == Fault::NoReply || fault == Fault::WriteFail)
        rig.tick(); // the probe was answered; this is the whole tick
    QCOMPARE(rig.shown(), pending ? QStringList{kEdidRead} : QStringList{});
    QVERIFY(w.ui->cb2cForce->isChecked());
    QVERIFY(headerLines(w) != oldHeader);
    if (header)
        QCOMPARE(faultedHeader, headerLines(w));
    QCOMPARE(w.ui->EDIDtext->toPlainText(), edid || pending ? newTable : oldTable);
}

// A click on "No 3D": one register write. Gone: the box left before the click.
void FaultsWindow::settingClick_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QStringList>("shown");
    QTest::addColumn<bool>("boxTook"); // the write reached the box

    QTest::newRow("noreply") << Fault::NoReply << QStringList{kWrite} << true;
    QTest::newRow("short") << Fault::ShortReply << QStringList{kWrite} << true;
    QTest::newRow("wrongcode") << Fault::WrongCode << QStringList{kWrite} << true;
    QTest::newRow("queuefail") << Fault::QueueFail << QStringList{kQueue, kWrite} << true;
    QTest::newRow("writefail") << Fault::WriteFail << QStringList{kWrite} << false;
    QTest::newRow("gone") << Fault::Gone << QStringList{kWrite} << false;
}

void FaultsWindow::settingClick()
{
    QFETCH(Fault, fault);
    QFETCH(QStringList, shown);
    QFETCH(bool, boxTook);

    Rig rig;
    rig.start();
    rig.settle();
    MainWindow &w = *rig.window;
    QVERIFY(!w.ui->cb3D->isChecked());

    rig.inject(fault);
    clickBox(w.ui->cb3D);
    QCOMPARE(rig.shown(), shown);
    QCOMPARE(rig.lastStatus(), QStringLiteral("Error Writing values"));
    QCOMPARE(int(rig.box().block()[15]), boxTook ? 1 : 0);
    QCOMPARE(rig.requestsInsideAlerts, 0);

    // The next good tick shows what the box holds, whatever the click left.
    rig.recover();
    rig.tick();
    QCOMPARE(w.ui->cb3D->isChecked(), boxTook);
    QCOMPARE(int(w.settingsPage().SettingsImage[15]), boxTook ? 1 : 0);
    QVERIFY(rig.feedback.events.isEmpty());

    clickBox(w.ui->cb3D);
    QVERIFY(rig.feedback.events.isEmpty());
    QCOMPARE(int(rig.box().block()[15]), w.ui->cb3D->isChecked() ? 1 : 0);
}

// A box that fails its EDID chunk reads: the re-read after start-up is tried
// on a few ticks at most, and not again once the box did not answer at all.
void FaultsWindow::edidRereadGivesUp_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fetches"); // EDID fetches over six ticks
    QTest::newRow("silent") << int(vantrel::sim::FaultKind::NoReply) << 1;
    QTest::newRow("short replies") << int(vantrel::sim::FaultKind::ShortReply) << 3;
}

void FaultsWindow::edidRereadGivesUp()
{
    QFETCH(int, kind);
    QFETCH(int, fetches);
    Rig rig;
    rig.start();
    QVERIFY(rig.window->edidPage().PendingEdidRead);
    vantrel::sim::FaultRule rule;
    rule.code = vantrel::frame::kEdidChunk;
    rule.direction = vantrel::frame::kAsk;
    rule.kind = vantrel::sim::FaultKind(kind);
    vantrel::sim::addFault(rule);
    const size_t mark = rig.requestMark();
    const uint32_t started = rig.clock.now;
    for (int i = 0; i < 6; ++i)
        rig.tick();
    QCOMPARE(rig.requestsSince(mark, vantrel::frame::kSend, vantrel::frame::kFetchBoxEdid), fetches);
    QVERIFY(!rig.window->edidPage().PendingEdidRead);
    // Six ticks 3 s apart and at most one 4 s wait of a silent box on each try.
    QVERIFY(rig.clock.now - started <= uint32_t(6 * 3000 + fetches * 4000 + 1000));
}

// Names from the source are shown as they come, never as markup.
void FaultsWindow::boxTextsStayPlainText()
{
    Rig rig("source_vendor=<b>V</b>;source_product=<i>x</i>");
    rig.start();
    QLabel *source = rig.window->ui->lblVideoSource;
    QVERIFY(source->text().contains(QStringLiteral("<b>V</b>")));
    QCOMPARE(source->textFormat(), Qt::PlainText);
    for (QLabel *l : {rig.window->ui->label_video_format, rig.window->ui->lblOutput, rig.window->ui->lblCsc,
                      rig.window->ui->lblHdrInput})
        QCOMPARE(l->textFormat(), Qt::PlainText);
}

void FaultsWindow::simulatedBoxSaysSo()
{
    Rig rig;
    rig.start();
    auto *label = rig.window->statusBar()->findChild<QLabel *>(QStringLiteral("simulatedBoxLabel"));
    QVERIFY(label);
    QCOMPARE(label->text(), QStringLiteral("Simulated box"));
    rig.window->ui->actionAbout->trigger();
    QVERIFY(rig.feedback.texts(QStringLiteral("about")).join("").contains(QStringLiteral("simulated box")));
}

QTEST_MAIN(FaultsWindow)
#include "tst_faults_window.moc"
