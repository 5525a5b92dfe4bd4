// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > EDID designer... on the simulated box: it starts from the EDID
// box's table, every tick applies the edits again, and the result goes into
// the EDID box.
#include "edid_designer_dialog.h"
#include "edid_designer_page.h"
#include "edid_report.h"
#include "edid_text.h"
#include "box_model.h"
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

    // Write to box outside CUSTOM mode: asked, switched, waited for, written;
    // the re-read after a mode change never replaces the user's table unasked.
    void writeSwitchesToCustomAndKeepsTheUsersTable()
    {
        SimulatedWindowRig rig;
        QVERIFY(!rig.window->ui->customEDID->isChecked());
        rig.window->edidDesignerPage().action()->trigger();
        EdidDesignerDialog *d = rig.window->edidDesignerPage().dialog();
        d->ui->nameEdit->setText(QStringLiteral("DESIGNED"));
        rig.feedback.questionAnswers = {true};
        QTest::mouseClick(d->ui->writeButton, Qt::LeftButton);
        QVERIFY(rig.window->ui->customEDID->isChecked());
        const sim::EdidTable custom = sim::box().customTable();
        QCOMPARE(std::vector<uint8_t>(custom.begin(), custom.begin() + long(d->result().bytes.size())),
                 d->result().bytes);
        QCOMPARE(rig.feedback.texts("status"),
                 (QStringList{"Switching to CUSTOM EDID TABLE mode...", "EDID Writing Busy",
                              "Waiting while the box rebuilds its EDID table...",
                              "CUSTOM EDID TABLE mode is on; writing the table...", "EDID values written..."}));
        const QString designed = rig.window->ui->EDIDtext->toPlainText();

        // The user's own text, then mode changes: each re-read asks first.
        const QString typed = designed.left(designed.size() - 2) + QStringLiteral("00");
        rig.window->ui->EDIDtext->setPlainText(typed);
        const struct {
            QAbstractButton *mode;
            bool replace;
        } changes[] = {{rig.window->ui->fixedEDID, false}, {rig.window->ui->automixEDID, true}};
        for (const auto &c : changes) {
            rig.feedback.clear();
            rig.feedback.questionAnswers = {c.replace};
            c.mode->click();
            rig.clock.advance(3000);
            rig.window->pollTick();
            QCOMPARE(rig.feedback.ofKind("question").size(), 1);
            const sim::EdidTable now = sim::box().presentedTable();
            QCOMPARE(rig.window->ui->EDIDtext->toPlainText(),
                     c.replace ? QString::fromStdString(edid::canonicalEdidText(now)) : typed);
        }
        // Once the box's own table is shown, a re-read replaces it unasked.
        rig.feedback.clear();
        rig.window->ui->fixedEDID->click();
        rig.clock.advance(3000);
        rig.window->pollTick();
        QVERIFY(rig.feedback.ofKind("question").isEmpty());
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText(),
                 QString::fromStdString(edid::canonicalEdidText(sim::box().presentedTable())));
    }
};

QTEST_MAIN(WindowEdidDesignerTest)
#include "tst_window_edid_designer.moc"
