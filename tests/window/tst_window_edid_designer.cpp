// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > EDID designer... on the simulated box: it starts from the EDID
// box's table, every tick applies the edits again, and the result goes into
// the EDID box.
#include "edid_designer_dialog.h"
#include "edid_designer_page.h"
#include "edid_report.h"
#include "ui_EdidDesignerDialog.h"
#include "window_rig.h"

#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

class WindowEdidDesignerTest : public QObject {
    Q_OBJECT

private slots:
    void ticksEditTheBoxTable()
    {
        SimulatedWindowRig rig;
        const QString boxText = rig.window->ui->EDIDtext->toPlainText();
        rig.window->edidDesignerPage().action()->trigger();
        EdidDesignerDialog *d = rig.window->edidDesignerPage().dialog();
        QVERIFY(d && d->isVisible() && !d->isModal());
        QVERIFY(d->ui->vicList->count() > 1);
        QCOMPARE(d->ui->conformityLabel->text(), QStringLiteral("No edit chosen."));
        QVERIFY(d->ui->beforeText->toPlainText().startsWith(QLatin1String("256 bytes")));

        // Unticking a code drops it: the diff names it, the table still conforms.
        QListWidgetItem *last = d->ui->vicList->item(d->ui->vicList->count() - 1);
        last->setCheckState(Qt::Unchecked);
        const unsigned vic = last->data(Qt::UserRole).toUInt();
        QCOMPARE(d->edits().dropVics, std::vector<unsigned>{vic});
        QCOMPARE(d->ui->conformityLabel->text(), QStringLiteral("No new conformity error."));
        QVERIFY2(d->ui->diffText->toPlainText().contains(QStringLiteral("modes: - VIC %1").arg(vic)),
                 qPrintable(d->ui->diffText->toPlainText()));

        // A name too long for a descriptor is refused, and nothing can be put.
        d->ui->nameEdit->setMaxLength(20);
        d->ui->nameEdit->setText(QStringLiteral("FOURTEEN CHARS"));
        QVERIFY(d->ui->conformityLabel->text().startsWith(QLatin1String("Refused: --name")));
        QVERIFY(!d->ui->putButton->isEnabled());
        d->ui->nameEdit->setText(QStringLiteral("DESIGNED"));

        QTest::mouseClick(d->ui->putButton, Qt::LeftButton);
        const QString put = rig.window->ui->EDIDtext->toPlainText();
        QVERIFY(put != boxText);
        std::vector<uint8_t> bytes;
        for (const QString &pair : put.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
            bytes.push_back(uint8_t(pair.toUInt(nullptr, 16)));
        bytes.resize(d->result().bytes.size());
        QCOMPARE(bytes, d->result().bytes);
        QCOMPARE(edid::decodeEdid(bytes).base.displayNames, std::vector<std::string>{"DESIGNED"});
        QVERIFY(rig.feedback.ofKind("warning").isEmpty());
    }
};

QTEST_MAIN(WindowEdidDesignerTest)
#include "tst_window_edid_designer.moc"
