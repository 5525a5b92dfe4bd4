// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Chain planner... on the simulated box: it reads the three tables
// once when opened, colours every cell with its reason, and carries out a
// fix: a setting after asking, an EDID fix in the designer with its edits ticked.
#include "chain_planner_dialog.h"
#include "chain_planner_page.h"
#include "edid_designer_dialog.h"
#include "edid_designer_page.h"
#include "ui_ChainPlannerDialog.h"
#include "ui_EdidDesignerDialog.h"
#include "window_rig.h"

#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QtTest>

using namespace vantrel;

namespace {

const QString kAvr = QStringLiteral(VANTREL_SOURCE_DIR "/tests/edid_decode/corpus/avr_denon_DON0065_de210928.bin");
const QString kSdrTv = QStringLiteral(VANTREL_SOURCE_DIR "/tests/edid_decode/corpus/tv_element_ELE0001_7f71e02f.bin");

QPushButton *fixButton(ChainPlannerDialog *d, chain::FixKind kind)
{
    for (size_t i = 0; i < d->fixes().size(); ++i)
        if (d->fixes()[i].kind == kind)
            return d->findChild<QPushButton *>(QStringLiteral("fixButton%1").arg(i));
    return nullptr;
}

} // namespace

class WindowChainTest : public QObject {
    Q_OBJECT

private slots:
    void planShowsAndFixes()
    {
        SimulatedWindowRig rig;
        ChainPlannerPage &page = rig.window->chainPlannerPage();
        page.action()->trigger();
        ChainPlannerDialog *d = page.dialog();
        QVERIFY(d && d->isVisible() && !d->isModal());
        QVERIFY(page.chain().box && page.chain().top);
        QVERIFY(d->ui->modeGrid->rowCount() > 0);
        for (int r = 0; r < d->ui->modeGrid->rowCount(); ++r)
            for (int c = 0; c < d->ui->modeGrid->columnCount(); ++c)
                QVERIFY(!d->ui->modeGrid->item(r, c)->toolTip().isEmpty());
        QCOMPARE(d->ui->cellReason->text(), d->ui->modeGrid->item(0, 0)->toolTip());

        // An SDR table presented to an HDR AVR on TX A: a fixed preset is offered and set after asking.
        page.loadFile(0, kSdrTv);
        page.loadFile(1, kAvr);
        QPushButton *preset = fixButton(d, chain::FixKind::Preset);
        QVERIFY(preset);
        rig.feedback.questionAnswers = {true};
        QTest::mouseClick(preset, Qt::LeftButton);
        QCOMPARE(rig.window->settingsPage().SettingsImage[19], uint8_t(8));
        QCOMPARE(page.chain().settings.edidPreset, 8u);

        // An EDID fix opens the designer on its table with its edits ticked.
        page.loadFile(1, kAvr);
        QPushButton *edit = fixButton(d, chain::FixKind::EdidEdit);
        QVERIFY(edit);
        QTest::mouseClick(edit, Qt::LeftButton);
        EdidDesignerDialog *designer = rig.window->edidDesignerPage().dialog();
        QVERIFY(designer && designer->isVisible());
        QVERIFY2(designer->ui->sourceInfo->text().startsWith(QLatin1String("TX A")), qPrintable(designer->ui->sourceInfo->text()));
        QVERIFY(designer->result().ok);
    }
};

QTEST_MAIN(WindowChainTest)
#include "tst_window_chain.moc"
