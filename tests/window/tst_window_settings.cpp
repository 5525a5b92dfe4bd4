// SPDX-License-Identifier: GPL-3.0-or-later
// Settings through the real window: the readback's own writes, the slots'
// registers as a user drives them, the selector gate and the factory reset.
#include "bytes_print.h"
#include "window_rig.h"

#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : ScriptedWindowRig {
    Rig()
    {
        block[9] = block[10] = block[11] = 1;
        block[0] = 1, block[1] = 1, block[2] = 1, block[3] = 2, block[6] = 1, block[19] = 1;
        block[16] = block[29] = block[5] = 1; // the boxes the form starts checked
        answerBlock();
    }
    void start()
    {
        ScriptedWindowRig::start();
        usb.clearRecord();
    }
    // The register writes on the wire since the last clear.
    std::vector<Bytes> writes() const
    {
        std::vector<Bytes> out;
        for (const Bytes &f : usb.frames())
            if (f.size() == 5 && f[0] == 0x10 && f[2] == 0xE0)
                out.push_back(f);
        return out;
    }
};

Bytes reg(uint8_t r, uint8_t v) { return frame::registerWrite(r, v); }

// On the indicator: a radio button takes clicks on its indicator and text only.
void click(QAbstractButton *b)
{
    QTest::mouseClick(b, Qt::LeftButton, {}, QPoint(6, b->height() / 2));
}

} // namespace

class WindowSettingsTest : public QObject {
    Q_OBJECT

private slots:
    void readbackWritesBackCheckBoxesButNotRadios()
    {
        Rig rig;
        rig.start();
        QVERIFY(rig.writes().empty()); // the form's initial checks match this box
        rig.block[14] = 1; // 5.1 on
        rig.block[6] = 0;  // auto switch off
        rig.window->pollTick();
        QCOMPARE(rig.writes(), std::vector<Bytes>{reg(9, 1)});
        QVERIFY(rig.window->ui->autoSwDis->isChecked());
        QVERIFY(!rig.window->ui->bPrioNorm->isEnabled());
    }

    void selectorsWriteOnlyAfterStartup()
    {
        Rig rig;
        rig.block[0] = 2;
        rig.start();
        // start-up's own readback ran before the lists were filled
        QCOMPARE(rig.window->ui->cmbInputSel->currentIndex(), 0);
        rig.window->pollTick(); // now the readback selects PORT B and writes it back
        QCOMPARE(rig.window->ui->cmbInputSel->currentText(), QStringLiteral("PORT B [BOT]"));
        QCOMPARE(rig.writes(), std::vector<Bytes>{reg(0, 2)});
        rig.usb.clearRecord();
        rig.window->ui->cmBEdid->setCurrentIndex(24);
        rig.window->ui->cmbLa->setCurrentIndex(1);
        rig.window->ui->cmbEdidAlgo->setCurrentIndex(2);
        QCOMPARE(rig.writes(), (std::vector<Bytes>{reg(14, 25), reg(28, 1), reg(32, 2)}));
    }

    void outOfRangeSelectorWritesNothing()
    {
        Rig rig;
        rig.start();
        rig.block[30] = 2; // no such CEC type
        rig.window->pollTick();
        QCOMPARE(rig.window->ui->cmbLa->currentIndex(), -1);
        QVERIFY(rig.writes().empty());
    }

    void clicksWriteTheirRegisters()
    {
        Rig rig;
        rig.start();
        click(rig.window->ui->hdcp22);
        click(rig.window->ui->audioJack);
        click(rig.window->ui->autoSwDis);
        click(rig.window->ui->pPrioForce);
        QCOMPARE(rig.writes(), (std::vector<Bytes>{reg(3, 3), reg(2, 3), reg(1, 0), reg(13, 1)}));
        QCOMPARE(rig.window->settingsPage().SettingsImage[3], uint8_t(3));
        QCOMPARE(rig.window->settingsPage().SettingsImage[1], uint8_t(3));
    }

    void edidModeChangeAsksForAReread()
    {
        Rig rig;
        rig.start();
        rig.window->edidPage().PendingEdidRead = false;
        click(rig.window->ui->customEDID);
        QCOMPARE(rig.writes(), std::vector<Bytes>{reg(5, 3)});
        QVERIFY(rig.window->edidPage().PendingEdidRead);
        QVERIFY(rig.window->ui->EDIDtext->isEnabled());
        QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("EDID Writing Busy"));
    }

    void factoryResetNeedsTheWordAndABox()
    {
        Rig rig;
        rig.start();
        auto *ui = rig.window->ui;
        for (const char *typed : {"reset", " RESET"}) {
            ui->leReset->setText(QString::fromLatin1(typed));
            click(ui->pbReset);
            QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("Type RESET into the text box and click OK"));
            QCOMPARE(ui->leReset->text(), QString::fromLatin1(typed));
        }
        QVERIFY(rig.writes().empty());
        ui->leReset->setText(QStringLiteral("RESET"));
        click(ui->pbReset);
        QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("Choose the reset from the checkboxes"));
        QVERIFY(ui->leReset->text().isEmpty());
        ui->leReset->setText(QStringLiteral("RESET"));
        ui->cbClearEdid->setChecked(true);
        click(ui->pbReset);
        QCOMPARE(rig.writes(), std::vector<Bytes>{reg(25, 1)});
        QVERIFY(!ui->cbClearEdid->isChecked());
        const FeedbackEvent done = rig.feedback.ofKind("status").last();
        QCOMPARE(done.text, QStringLiteral("Factory reset done"));
        QCOMPARE(done.ms, 2000);
    }

    // Switching FORCE HDR or REPLACE AVI on first sends the infoframe it
    // injects, then the register; switching off sends the register only.
    void followUpsGoOutBeforeTheSwitch()
    {
        Rig rig;
        rig.start();
        auto *ui = rig.window->ui;
        ui->IFtext->setPlainText(QStringLiteral("87:01:1a:02:00"));
        ui->AVItext->setPlainText(QStringLiteral("60:c8"));
        const struct {
            QAbstractButton *box;
            std::vector<Bytes> on;
            QString said;
            Bytes off;
        } rows[] = {
            {ui->cbHdrForceMode,
             {bytesFromHex("10 05 E5 87 01 1A 02 00"), bytesFromHex("10 05 B3 20"), reg(17, 1)},
             QStringLiteral("Infoframe values written..."),
             reg(17, 0)},
            {ui->cbAviPersistent,
             {bytesFromHex("10 02 E6 60 C8"), bytesFromHex("10 02 B3 80"), reg(33, 1), reg(33, 1)},
             QStringLiteral("AVI values written..."),
             reg(33, 0)},
        };
        for (const auto &r : rows) {
            rig.usb.clearRecord();
            rig.feedback.clear();
            click(r.box);
            QCOMPARE(rig.usb.frames(), r.on);
            QCOMPARE(rig.feedback.texts("status"), QStringList{r.said});
            QCOMPARE(rig.feedback.ofKind("status").first().ms, 2000);
            rig.usb.clearRecord();
            click(r.box);
            QCOMPARE(rig.usb.frames(), std::vector<Bytes>{r.off});
        }
    }

    void setEPStateSendsTheImageNotTheNewSelection()
    {
        Rig rig;
        rig.start();
        rig.window->pollTick();
        rig.window->ui->cmbInputSel->setCurrentIndex(3);
        rig.usb.clearRecord();
        QVERIFY(QMetaObject::invokeMethod(rig.window.get(), "SetEPState"));
        const std::vector<Bytes> f = rig.usb.frames();
        QCOMPARE(f.size(), size_t(1));
        QCOMPARE(f[0].size(), size_t(43));
        QCOMPARE(f[0][3], uint8_t(1)); // the input last read, not MATRIX SWAP
    }
};

QTEST_MAIN(WindowSettingsTest)
#include "tst_window_settings.moc"
