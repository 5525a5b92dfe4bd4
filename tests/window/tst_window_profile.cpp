// SPDX-License-Identifier: GPL-3.0-or-later
// File > Save box profile... and Apply box profile... through the real window
// on the simulated box: a set-up saved, lost to a factory reset and put back;
// an apply the box stops part-way; Cancel in the list of changes.
#include "profile_apply_dialog.h"
#include "ui_ProfileApplyDialog.h"
#include "window_rig.h"

#include <QtTest>

using namespace vantrel;

namespace {

// What a profile covers, as the simulated box holds it.
using Snapshot = std::tuple<sim::Block, sim::EdidTable, std::vector<uint8_t>, std::string, std::string>;
Snapshot snapshot()
{
    const sim::BoxModel &b = sim::box();
    return {b.block(), b.customTable(), b.storedAvi(), b.storedCommand(1), b.storedCommand(2)};
}

// Requests since `from` that change the box (anything but reads and EDID fetches).
int writesSince(size_t from)
{
    const auto &log = sim::requestLog();
    return int(std::count_if(log.begin() + long(from), log.end(), [](const std::vector<uint8_t> &f) {
        return f[0] == 0x10 && f[2] != 0xB4 && f[2] != 0xB5 && f[2] != 0xB6;
    }));
}

void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

// Opens File on the menu bar and clicks the action, as a user does.
bool chooseFromFileMenu(MainWindow &w, const char *name)
{
    QMenu *file = w.ui->menuFile;
    QTest::mouseClick(w.menuBar(), Qt::LeftButton, {}, w.menuBar()->actionGeometry(file->menuAction()).center());
    if (!QTest::qWaitFor([file] { return file->isVisible(); }))
        return false;
    QAction *a = w.findChild<QAction *>(QLatin1String(name));
    const bool enabled = a && a->isEnabled();
    if (enabled)
        QTest::mouseClick(file, Qt::LeftButton, {}, file->actionGeometry(a).center());
    file->close();
    return enabled;
}

} // namespace

class WindowProfileTest : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        // The recent list must not reach the user's own configuration.
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }

    void applyTheSavedSetUp_data()
    {
        QTest::addColumn<bool>("cancel");
        QTest::addColumn<int>("failAt"); // the register write the box does not acknowledge, -1 none
        QTest::newRow("restored") << false << -1;
        QTest::newRow("refused write stops it") << false << 2;
        QTest::newRow("cancel writes nothing") << true << -1;
    }

    void applyTheSavedSetUp()
    {
        QFETCH(bool, cancel);
        QFETCH(int, failAt);
        SimulatedWindowRig rig;
        MainWindow &w = *rig.window;
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        const QString path = dir_.filePath(QStringLiteral("movie.json"));

        // A set-up as a user makes it: PORT B, both LEDs off, the television's
        // table as the custom one, an AVI infoframe, an SP text.
        w.ui->cmbInputSel->setCurrentIndex(1);
        click(w.ui->disableLed);
        click(w.ui->disableBLed);
        click(w.ui->customEDID);
        QTest::mouseClick(w.ui->pbReadTvEdidA, Qt::LeftButton);
        QTest::mouseClick(w.ui->ButWriteEDID, Qt::LeftButton);
        w.ui->AVItext->setPlainText(QStringLiteral("60:c8:61:62"));
        QTest::mouseClick(w.ui->ButWriteAVI, Qt::LeftButton);
        w.ui->CECtext->setPlainText(QStringLiteral("40:04"));
        QTest::mouseClick(w.ui->ButSaveCEC_1, Qt::LeftButton);
        const Snapshot setUp = snapshot();
        QVERIFY(sim::box().customUploaded());

        rig.feedback.saveAnswers = {path};
        QVERIFY(chooseFromFileMenu(w, "actionSaveProfile"));
        QVERIFY2(rig.feedback.ofKind("warning").isEmpty(), qPrintable(rig.feedback.summary().join('\n')));

        w.ui->leReset->setText(QStringLiteral("RESET"));
        click(w.ui->cbClearSettings);
        click(w.ui->cbClearEdid);
        QTest::mouseClick(w.ui->pbReset, Qt::LeftButton);
        w.pollTick();
        QVERIFY(snapshot() != setUp);

        if (failAt > 0)
            sim::addFault({0xE0, 0x10, sim::FaultKind::WrongCode, 1, uint32_t(failAt - 1)});
        rig.feedback.clear();
        rig.feedback.openAnswers = {path};
        QVERIFY(chooseFromFileMenu(w, "actionApplyProfile"));
        auto *d = w.findChild<ProfileApplyDialog *>();
        QVERIFY(d && d->isVisible() && d->isModal());
        QStringList listed;
        for (int i = 0; i < d->ui->changeList->topLevelItemCount(); ++i)
            listed << d->ui->changeList->topLevelItem(i)->text(1);
        for (const char *name : {"avi", "input", "green-led", "blue-leds", "edid-mode", "custom-table", "sp"})
            QVERIFY2(listed.contains(QLatin1String(name)), qPrintable(listed.join(' ')));

        const size_t mark = sim::requestLog().size();
        QTest::mouseClick(cancel ? d->ui->cancelButton : d->ui->applyButton, Qt::LeftButton);
        if (cancel) {
            QVERIFY(!d->isVisible());
            QCOMPARE(writesSince(mark), 0);
            return;
        }
        QStringList states;
        for (int i = 0; i < d->ui->changeList->topLevelItemCount(); ++i)
            states << d->ui->changeList->topLevelItem(i)->text(4).section(':', 0, 0);
        const QStringList warnings = rig.feedback.texts("warning");
        if (failAt < 0) {
            QCOMPARE(states, QStringList(listed.size(), QStringLiteral("applied")));
            QVERIFY2(warnings.isEmpty(), qPrintable(warnings.join('\n')));
            QVERIFY(rig.feedback.texts("status").contains(QStringLiteral("Profile applied")));
            QVERIFY(snapshot() == setUp);
        } else {
            // Applied up to the refused step, nothing after it, and the window says so.
            const int failed = int(states.indexOf(QStringLiteral("failed")));
            QVERIFY2(failed >= 0 && states.lastIndexOf(QStringLiteral("applied")) < failed &&
                         states.count(QStringLiteral("not run")) == states.size() - failed - 1,
                     qPrintable(states.join(',')));
            QCOMPARE(warnings.size(), 1);
            QVERIFY2(warnings[0].contains(listed[failed] + QStringLiteral(" failed")) &&
                         warnings[0].contains(QStringLiteral("; not applied: ") + listed[failed]),
                     qPrintable(warnings[0]));
            QCOMPARE(d->ui->summaryLabel->text(), warnings[0]);
            QVERIFY(snapshot() != setUp);
        }
        QVERIFY(!d->ui->applyButton->isVisible());

        // The file is the first of the recent profiles; gone, it is dropped with a message.
        auto *recent = w.findChild<QMenu *>(QStringLiteral("menuRecentProfiles"));
        QCOMPARE(recent->actions().size(), 1);
        QCOMPARE(recent->actions()[0]->statusTip(), path);
        QFile::remove(path);
        recent->actions()[0]->trigger();
        QVERIFY(rig.feedback.texts("warning").last().contains(QLatin1String("no longer there")));
        QVERIFY(recent->actions().isEmpty());
    }

    void actionsNeedABox()
    {
        sim::reset("serials=");
        vantrel::test::VirtualClock clock;
        FeedbackRecorder feedback;
        MainWindow w(testEnvironment(sim::simulatorApi(), clock, feedback));
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        QVERIFY(!chooseFromFileMenu(w, "actionSaveProfile"));
        QVERIFY(!chooseFromFileMenu(w, "actionApplyProfile"));
    }
};

QTEST_MAIN(WindowProfileTest)
#include "tst_window_profile.moc"
