// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode packets... on the simulated box: the CEC, HDR IF and AVI
// boxes decoded on Refresh, the captured HDR infoframe on every poll, in a
// window that stays open beside the main one; the aids beside the boxes.
#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"
#include "packet_compose_dialog.h"
#include "packet_decode_dialog.h"
#include "sim_status.h"
#include "ui_PacketComposeDialog.h"
#include "ui_PacketDecodeDialog.h"
#include "window_rig.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : SimulatedWindowRig {
    PacketDecodeDialog *open()
    {
        window->decodePacketsAction()->trigger();
        return window->packetDecodePage().dialog();
    }
};

using Section = PacketDecodeDialog::Section;

QString summary(PacketDecodeDialog *d, Section s)
{
    return d->summaryLabel(s)->text();
}
QString decodedText(PacketDecodeDialog *d, Section s)
{
    return d->reportText(s)->toPlainText();
}

std::vector<uint8_t> bytesOf(const QString &text)
{
    return packets::parsePacketText(text.toStdString()).bytes;
}

const QString kSourceHdr10 = QStringLiteral(
    "SMPTE ST 2084, ITU-R BT.2020, D65, mastering 1000 / 0.0050 cd/m2, MaxCLL 1000 cd/m2, MaxFALL 400 cd/m2");

} // namespace

class WindowPacketDecodeTest : public QObject {
    Q_OBJECT

private slots:
    void decodesTheFourBoxesInAWindowThatStaysOpen()
    {
        Rig rig;
        QVERIFY(!rig.window->packetDecodePage().dialog());
        QCOMPARE(rig.window->decodePacketsAction()->text(), QStringLiteral("Decode &packets..."));
        PacketDecodeDialog *d = rig.open();
        QVERIFY(d && d->isVisible() && !d->isModal());

        // What start-up put in the boxes: "50:04", the box's stored frames,
        // and the source's infoframe the first status read captured.
        QCOMPARE(summary(d, Section::Cec), QStringLiteral("Audio System to TV: Image View On"));
        const std::vector<uint8_t> cec = bytesOf(rig.window->ui->CECtext->toPlainText());
        QCOMPARE(decodedText(d, Section::Cec),
                 QString::fromStdString(packets::cecMessageText(packets::decodeCecMessage(cec.data(), cec.size()))));
        QCOMPARE(summary(d, Section::HdrIf), QStringLiteral("SMPTE ST 2084, DCI-P3, D65, mastering 1000 / 0.0050 "
                                                            "cd/m2, MaxCLL 1000 cd/m2, MaxFALL 400 cd/m2"));
        QVERIFY(decodedText(d, Section::HdrIf).contains(QLatin1String("Checksum: 0x")));
        QCOMPARE(summary(d, Section::Avi), QStringLiteral("YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p60 (VIC 97)"));
        const std::vector<uint8_t> avi = bytesOf(rig.window->ui->AVItext->toPlainText());
        QCOMPARE(avi.size(), size_t(13));
        QCOMPARE(decodedText(d, Section::Avi), QString::fromStdString(packets::aviInfoframeText(
                                              packets::decodeAviInfoframe(avi.data(), avi.size()))));
        QCOMPARE(summary(d, Section::CapturedHdr), kSourceHdr10);
        QVERIFY(decodedText(d, Section::CapturedHdr).contains(QLatin1String("(captured; no header or checksum)")));
        QVERIFY(rig.feedback.ofKind("warning").isEmpty());

        // Edits in the main window wait for Refresh.
        QVERIFY(rig.window->isEnabled());
        rig.window->ui->CECtext->setPlainText(QStringLiteral("0f:36"));
        rig.window->ui->AVItext->setPlainText(QStringLiteral("60c8"));
        rig.window->ui->IFtext->clear();
        QCOMPARE(summary(d, Section::Cec), QStringLiteral("Audio System to TV: Image View On"));
        QTest::mouseClick(d->ui->refreshButton, Qt::LeftButton);
        QCOMPARE(summary(d, Section::Cec), QStringLiteral("TV to Broadcast: Standby"));
        QVERIFY2(summary(d, Section::Avi).startsWith(QLatin1String("Hex Format Error: not colon hex text")),
                 qPrintable(summary(d, Section::Avi)));
        QVERIFY(decodedText(d, Section::Avi).isEmpty());
        QCOMPARE(summary(d, Section::HdrIf), QStringLiteral("The HDR IF box is empty."));
        QVERIFY(decodedText(d, Section::HdrIf).isEmpty());

        // The menu again reuses the one window; Close hides it.
        rig.window->decodePacketsAction()->trigger();
        QCOMPARE(rig.window->packetDecodePage().dialog(), d);
        QTest::mouseClick(d->ui->closeButton, Qt::LeftButton);
        QVERIFY(!d->isVisible());
    }

    void theCaptureFollowsEveryPoll_data()
    {
        QTest::addColumn<int>("eotf"); // -1: the source sends no HDR infoframe
        QTest::addColumn<QString>("summary");
        QTest::newRow("HLG") << 3
                             << "Hybrid Log-Gamma, ITU-R BT.2020, D65, mastering 1000 / 0.0050 cd/m2, "
                                "MaxCLL 1000 cd/m2, MaxFALL 400 cd/m2";
        QTest::newRow("SDR") << 0
                             << "Traditional gamma, SDR luminance range, ITU-R BT.2020, D65, mastering 1000 / "
                                "0.0050 cd/m2, MaxCLL 1000 cd/m2, MaxFALL 400 cd/m2";
        QTest::newRow("none") << -1 << "No HDR infoframe captured.";
    }
    void theCaptureFollowsEveryPoll()
    {
        QFETCH(int, eotf);
        QFETCH(QString, summary);
        Rig rig;
        PacketDecodeDialog *d = rig.open();
        QCOMPARE(::summary(d, Section::CapturedHdr), kSourceHdr10);
        rig.window->ui->CECtext->setPlainText(QStringLiteral("0f:36")); // not refreshed by a poll

        sim::Signal s = sim::box().signal();
        s.hdrPayload = eotf < 0 ? std::vector<uint8_t>() : sim::hdrPayloadFor(uint8_t(eotf));
        sim::box().setSignal(s);
        rig.window->pollTick();
        QCOMPARE(::summary(d, Section::CapturedHdr), summary);
        QCOMPARE(decodedText(d, Section::CapturedHdr).isEmpty(), eotf < 0);
        QCOMPARE(::summary(d, Section::Cec), QStringLiteral("Audio System to TV: Image View On"));

        // Hidden, the window is left alone; shown again, it is current.
        d->close();
        sim::box().setSignal(sim::defaultSignal());
        rig.window->pollTick();
        QCOMPARE(::summary(d, Section::CapturedHdr), summary);
        rig.window->decodePacketsAction()->trigger();
        QCOMPARE(::summary(d, Section::CapturedHdr), kSourceHdr10);
        QCOMPARE(::summary(d, Section::Cec), QStringLiteral("TV to Broadcast: Standby"));
    }
    // The page aids: a line under each box as the user types, recipes that
    // fill the CEC box, Compose... that fills the HDR IF box on OK only.
    void composeAids()
    {
        Rig rig;
        Ui_MainWindow *ui = rig.window->ui;
        const std::vector<std::tuple<QTextEdit *, QLabel *, QString, QString>> typed = {
            {ui->CECtext, ui->lblCecDecoded, "0f:36", "TV to Broadcast: Standby"},
            {ui->AVItext, ui->lblAviDecoded, "60:c8:60:61:00", "YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p60 (VIC 97)"},
            {ui->IFtext, ui->lblIfDecoded, "87:0",
             "Hex Format Error: not colon hex text (two hex digits per byte "
             "joined by colons, \"50:04\")"},
            {ui->IFtext, ui->lblIfDecoded, "", ""},
        };
        for (const auto &[box, line, text, said] : typed) {
            box->setPlainText(text);
            QCOMPARE(line->toolTip(), said);
        }
        QComboBox *recipes = ui->cmbCecRecipe;
        const int avrOn = recipes->findText(QStringLiteral("avr-on 1/2: User Control Pressed"));
        QVERIFY(avrOn > 0);
        emit recipes->activated(avrOn);
        QCOMPARE(ui->CECtext->toPlainText(), QStringLiteral("45:44:6d"));

        for (const bool ok : {false, true}) {
            ui->ButComposeIF->click();
            auto *d = rig.window->findChild<PacketComposeDialog *>(QStringLiteral("packetComposeDialog"));
            QVERIFY(d && d->isVisible());
            d->ui->leMaxCll->setText(QStringLiteral("800"));
            ok ? d->accept() : d->reject();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
            QCOMPARE(ui->IFtext->toPlainText(),
                     ok ? QStringLiteral("87:01:1a:6d:02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:01:"
                                         "00:20:03:90:01")
                        : QString());
        }

        // Compose AVI starts from the AVI box's frame, not from the defaults.
        ui->AVItext->setPlainText(QStringLiteral("60:c8:60:61:00"));
        ui->ButComposeAVI->click();
        auto *avi = rig.window->findChild<PacketComposeDialog *>(QStringLiteral("packetComposeDialog"));
        QVERIFY(avi && avi->isVisible());
        QCOMPARE(avi->text(), QStringLiteral("60:c8:60:61:00:00:00:00:00:00:00:00:00"));
        avi->reject();
    }
};

QTEST_MAIN(WindowPacketDecodeTest)
#include "tst_window_packet_decode.moc"
