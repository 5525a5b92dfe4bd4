// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode EDID... on the simulated box: the report of the table in the
// EDID box, in a window that stays open and follows the box on Refresh.
#include "edid_decode_dialog.h"
#include "edid_designer_page.h"
#include "edid_report.h"
#include "signal_history_page.h"
#include "ui_EdidDecodeDialog.h"
#include "window_rig.h"

#include <QMenuBar>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

using Rig = SimulatedWindowRig;

QString reportOf(const std::vector<uint8_t> &bytes)
{
    return QString::fromStdString(edid::edidReportText(edid::decodeEdid(bytes)));
}

std::vector<uint8_t> bytesOfText(const QString &text)
{
    std::vector<uint8_t> out;
    for (const QString &pair : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts))
        out.push_back(uint8_t(pair.toUInt(nullptr, 16)));
    return out;
}

} // namespace

class WindowEdidDecodeTest : public QObject {
    Q_OBJECT

private slots:
    void theToolsMenuSitsBetweenFileAndHelp()
    {
        Rig rig;
        const QList<QAction *> menus = rig.window->ui->menubar->actions();
        QCOMPARE(menus.size(), 3);
        QCOMPARE(menus[0], rig.window->ui->menuFile->menuAction());
        QCOMPARE(menus[1]->text(), QStringLiteral("&Tools"));
        QCOMPARE(menus[2], rig.window->ui->menuHelp->menuAction());
        const QList<QAction *> tools = menus[1]->menu()->actions();
        QCOMPARE(tools.size(), 7);
        QCOMPARE(tools.mid(0, 2), (QList<QAction *>{rig.window->decodeEdidAction(), rig.window->edidDesignerPage().action()}));
        QCOMPARE(tools.mid(5), (QList<QAction *>{rig.window->decodePacketsAction(), rig.window->signalHistoryPage().action()}));
        // Each entry has a mnemonic of its own.
        QSet<QChar> keys;
        for (QAction *a : menus[1]->menu()->actions()) {
            const int amp = a->text().indexOf(QLatin1Char('&'));
            QVERIFY2(amp >= 0 && amp + 1 < a->text().size(), qPrintable(a->text()));
            keys << a->text().at(amp + 1).toLower();
        }
        QCOMPARE(keys.size(), menus[1]->menu()->actions().size());
    }

    void decodesTheBoxTableInAWindowThatStaysOpen()
    {
        Rig rig;
        const QString boxText = rig.window->ui->EDIDtext->toPlainText();
        QCOMPARE(boxText.size(), 768); // the box's table, read at start-up
        QVERIFY(!rig.window->edidDecodePage().dialog());

        rig.window->decodeEdidAction()->trigger();
        EdidDecodeDialog *dialog = rig.window->edidDecodePage().dialog();
        QVERIFY(dialog);
        QVERIFY(dialog->isVisible());
        QVERIFY(!dialog->isModal());
        QCOMPARE(dialog->ui->reportText->toPlainText(), reportOf(bytesOfText(boxText)));
        QVERIFY(dialog->ui->reportText->toPlainText().contains(QLatin1String("Manufacturer:")));
        QCOMPARE(dialog->ui->summaryLabel->text(), QStringLiteral("The table conforms."));
        QVERIFY(rig.feedback.ofKind("warning").isEmpty());

        // The main window still takes input while the report is open.
        QVERIFY(rig.window->isEnabled());
        rig.window->ui->EDIDtext->setPlainText(boxText.left(3 * 20) + QStringLiteral("00") + boxText.mid(3 * 20 + 2));
        QTest::mouseClick(dialog->ui->refreshButton, Qt::LeftButton);
        QVERIFY(dialog->ui->reportText->toPlainText().contains(QLatin1String("Problems:")));
        QVERIFY(dialog->ui->summaryLabel->text().startsWith(QLatin1String("The table does not conform")));

        // Choosing the menu again reuses the one window.
        rig.window->decodeEdidAction()->trigger();
        QCOMPARE(rig.window->edidDecodePage().dialog(), dialog);
        QTest::mouseClick(dialog->ui->closeButton, Qt::LeftButton);
        QVERIFY(!dialog->isVisible());
    }

    void aBaseBlockAloneIsNotABrokenExtension()
    {
        Rig rig;
        const QString boxText = rig.window->ui->EDIDtext->toPlainText();
        rig.window->ui->EDIDtext->setPlainText(boxText.left(8 * 48));
        rig.window->decodeEdidAction()->trigger();
        const QString report = rig.window->edidDecodePage().dialog()->ui->reportText->toPlainText();
        const std::vector<uint8_t> all = bytesOfText(boxText);
        QCOMPARE(report, reportOf(std::vector<uint8_t>(all.begin(), all.begin() + 128)));
        QVERIFY(report.startsWith(QLatin1String("EDID: 128 bytes")));
    }

    void aFormatErrorSaysSoAndKeepsTheLastReport()
    {
        Rig rig;
        rig.window->ui->EDIDtext->setPlainText(QStringLiteral("00 FF\n01 ZZ"));
        rig.window->decodeEdidAction()->trigger();
        QCOMPARE(rig.feedback.texts("warning"), QStringList{"Hex Format Error\nline 2, column 4"});
        QVERIFY(!rig.window->edidDecodePage().dialog());

        rig.feedback.clear();
        const QString good = QStringLiteral("00 FF FF FF FF FF FF 00");
        rig.window->ui->EDIDtext->setPlainText(good);
        rig.window->decodeEdidAction()->trigger();
        const QString shown = rig.window->edidDecodePage().dialog()->ui->reportText->toPlainText();
        rig.window->ui->EDIDtext->setPlainText(QStringLiteral("0"));
        QTest::mouseClick(rig.window->edidDecodePage().dialog()->ui->refreshButton, Qt::LeftButton);
        QCOMPARE(rig.feedback.texts("warning"), QStringList{"Hex Format Error\nline 1, column 2"});
        QCOMPARE(rig.window->edidDecodePage().dialog()->ui->reportText->toPlainText(), shown);
    }
};

QTEST_MAIN(WindowEdidDecodeTest)
#include "tst_window_edid_decode.moc"
