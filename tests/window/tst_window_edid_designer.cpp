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
namespace edit = vantrel::edid::edit;

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
        QCOMPARE(d->ui->conformityLabel->text(),
                 QStringLiteral("Refused: Display name: a display name is 1 to 13 characters"));
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
        QCOMPARE(d->ui->feedbackLabel->text(), QStringLiteral("Put in the EDID box (%1 bytes).").arg(bytes.size()));

        // Edits ticked from code as from the controls; a value that is not one
        // holds everything back and is named.
        struct Case {
            edit::Edit edit;
            const char *value, *label;
        };
        for (const Case &c : {Case{edit::Edit::AddVics, "2", ""}, Case{edit::Edit::HfAllm, "on", ""},
                              Case{edit::Edit::FreeSync, "48-120", ""}, Case{edit::Edit::MaxFrl, "none", ""},
                              Case{edit::Edit::HfVrr, "48", "Check HDMI VRR range: \"48\" is not"}}) {
            QVERIFY(d->setEdit(c.edit, QString::fromLatin1(c.value)));
            const QString label = d->ui->conformityLabel->text();
            QVERIFY2(*c.label ? label.startsWith(QLatin1String(c.label)) : label == "No new conformity error.",
                     qPrintable(label));
            QCOMPARE(d->ui->putButton->isEnabled(), !*c.label);
        }
        d->ui->hfVrrEdit->clear();
        const edit::EditList e = d->edits();
        QCOMPARE(e.addVics.size(), size_t(1));
        QVERIFY(e.addVics[0].vic == 2 && e.hfAllm == true && e.maxFrl == 0u && e.freeSync && e.freeSync->max == 120);
        QVERIFY(d->ui->diffText->toPlainText().contains(QLatin1String("Add video codes: VIC 2 ")));
    }

    void fitsASmallScreen()
    {
        SimulatedWindowRig rig;
        rig.window->edidDesignerPage().action()->trigger();
        EdidDesignerDialog *d = rig.window->edidDesignerPage().dialog();
        QVERIFY(d->width() <= 1366 && d->height() <= 720);
        QVERIFY(d->ui->closeButton->isVisible() && d->ui->putButton->isVisible());
    }
};

QTEST_MAIN(WindowEdidDesignerTest)
#include "tst_window_edid_designer.moc"
