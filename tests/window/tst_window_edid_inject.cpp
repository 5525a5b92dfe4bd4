// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID page and the CEC / infoframe buttons, pressed as a user presses
// them, against the scripted USB library.
#include "bytes_print.h"
#include "window_rig.h"

#include <QProgressBar>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Rig : ScriptedWindowRig {
    Rig()
    {
        block[2] = 3; // custom EDID mode, preset 1: uploads allowed
        block[19] = 1;
        block[9] = 1;
        for (int i = 0; i < 256; ++i)
            usb.edid[i] = uint8_t(i);
        answerBlock();
        start();
        window->pollTick();
        usb.clearRecord();
        feedback.clear();
    }
    std::vector<Bytes> framesWith(uint8_t code) const
    {
        std::vector<Bytes> out;
        for (const Bytes &f : usb.frames())
            if (f.size() > 2 && f[2] == code)
                out.push_back(f);
        return out;
    }
};

// A valid table: the EDID header, both checksums right.
QString validTableText(int headerByte = 0xFF)
{
    std::array<uint8_t, 256> t{};
    for (int i = 0; i < 256; ++i)
        t[i] = uint8_t(i * 7);
    for (int i = 1; i < 7; ++i)
        t[i] = uint8_t(headerByte);
    t[0] = t[7] = 0;
    for (int b = 0; b < 2; ++b) {
        uint8_t sum = 0;
        for (int i = 0; i < 127; ++i)
            sum += t[b * 128 + i];
        t[b * 128 + 127] = uint8_t(-sum);
    }
    QString text;
    for (int i = 0; i < 256; ++i)
        text += QString::asprintf(i % 16 == 15 ? "%02X\n" : "%02X ", t[i]);
    return text;
}

} // namespace

class WindowEdidInjectTest : public QObject {
    Q_OBJECT

private slots:
    void readTopThenChecksumQuestion()
    {
        Rig rig;
        // byte 255 of this pattern is not its checksum, so the release asks
        rig.feedback.questionAnswers = {true};
        QTest::mousePress(rig.window->ui->pbReadTvEdidA, Qt::LeftButton);
        QCOMPARE(rig.framesWith(0xB5).size(), size_t(1));
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText().size(), 768);
        QTest::mouseRelease(rig.window->ui->pbReadTvEdidA, Qt::LeftButton);
        QCOMPARE(rig.feedback.ofKind("question").size(), 1);
        QCOMPARE(rig.feedback.ofKind("question").first().informative,
                 QStringLiteral("Do you want to calculate a new checksum?"));
        // after Yes both checksum bytes are right
        rig.feedback.clear();
        QMetaObject::invokeMethod(rig.window.get(), "CalculateChkSum");
        QVERIFY(rig.feedback.ofKind("question").isEmpty());
    }

    void uploadInCustomModeSendsChunksAndStore()
    {
        Rig rig;
        rig.window->ui->EDIDtext->setPlainText(validTableText());
        QTest::mousePress(rig.window->ui->ButWriteEDID, Qt::LeftButton);
        QTest::mouseRelease(rig.window->ui->ButWriteEDID, Qt::LeftButton);
        QCOMPARE(rig.framesWith(0xB0).size(), size_t(32));
        QCOMPARE(rig.framesWith(0xB1).size(), size_t(1));
        QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("EDID values written..."));
        QVERIFY(rig.window->progressBar()->isHidden());
    }

    void uploadRefusedOutsideCustomMode()
    {
        Rig rig;
        rig.block[2] = 1;
        rig.window->pollTick();
        rig.usb.clearRecord();
        rig.window->ui->EDIDtext->setPlainText(validTableText());
        QTest::mousePress(rig.window->ui->ButWriteEDID, Qt::LeftButton);
        QCOMPARE(rig.feedback.texts("warning"),
                 QStringList{"\nSelect CUSTOM EDID TABLE mode to upload an EDID table\n"});
        QVERIFY(rig.framesWith(0xB0).empty());
    }

    void saveAndLoadRoundTrip()
    {
        Rig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("table.bin"));
        const QString text = validTableText();
        rig.window->ui->EDIDtext->setPlainText(text);
        rig.feedback.saveAnswers = {path};
        QTest::mouseClick(rig.window->ui->ButSaveEDID, Qt::LeftButton);
        QCOMPARE(QFileInfo(path).size(), qint64(256));
        rig.window->ui->EDIDtext->clear();
        rig.feedback.openAnswers = {path};
        QTest::mouseClick(rig.window->ui->ButLoadEDID, Qt::LeftButton);
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText(), text);
        QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("File loaded"));
    }

    // Write EDID asks before sending a table without the EDID header (what a
    // read of a missing display gives), then the checksum question as before.
    void writeAsksWithoutAHeader_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<QStringList>("asked");
        QTest::addColumn<bool>("sent");
        const QString header = QStringLiteral("The table has no EDID header.");
        const QString checksum = QStringLiteral("The EDID Checksum is not correct.");
        QString zeros, ff;
        for (int i = 0; i < 256; ++i) {
            zeros += i % 16 == 15 ? "00\n" : "00 ";
            ff += i % 16 == 15 ? "FF\n" : "FF ";
        }
        QTest::newRow("with header: no question") << validTableText() << QList<bool>{} << QStringList{} << true;
        QTest::newRow("zeros, No") << zeros << QList<bool>{false} << QStringList{header} << false;
        QTest::newRow("zeros, Yes") << zeros << QList<bool>{true} << QStringList{header} << true;
        QTest::newRow("all FF, Yes then No") << ff << QList<bool>{true, false} << QStringList{header, checksum} << false;
        QTest::newRow("all FF, Yes twice") << ff << QList<bool>{true, true} << QStringList{header, checksum} << true;
        QTest::newRow("one header byte off") << validTableText(0xFE) << QList<bool>{false} << QStringList{header} << false;
    }
    void writeAsksWithoutAHeader()
    {
        QFETCH(QString, text);
        QFETCH(QList<bool>, answers);
        QFETCH(QStringList, asked);
        QFETCH(bool, sent);
        Rig rig;
        rig.window->ui->EDIDtext->setPlainText(text);
        rig.feedback.questionAnswers = answers;
        QTest::mouseClick(rig.window->ui->ButWriteEDID, Qt::LeftButton);
        const QList<FeedbackEvent> questions = rig.feedback.ofKind("question");
        QCOMPARE(rig.feedback.texts("question"), asked);
        if (!asked.isEmpty()) {
            QCOMPARE(questions.first().title, QStringLiteral("VANTREL Utility"));
            QCOMPARE(questions.first().informative, QStringLiteral("Write anyway?"));
        }
        QCOMPARE(rig.framesWith(0xB0).size(), size_t(sent ? 32 : 0));
        QCOMPARE(rig.framesWith(0xB1).size(), size_t(sent ? 1 : 0));
    }

    // Load: other tools' text in the box's layout, a long table refused.
    void loadOtherToolsFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("shown");   // the box afterwards; empty: unchanged
        QTest::addColumn<QString>("warning"); // a part of it; empty: none
        const QString text = validTableText();
        QByteArray listing = "\tEDID:\n";
        QByteArray table;
        for (const QString &line : text.split('\n', Qt::SkipEmptyParts)) {
            listing += "\t\t" + line.toLatin1().replace(' ', "").toLower() + "\n";
            table += QByteArray::fromHex(line.toLatin1());
        }
        QByteArray three = table + QByteArray(128, '\x02');
        three[126] = 2;
        QTest::newRow("output listing") << listing << text << "";
        QTest::newRow("the box's layout, CR LF, as always") << text.toLatin1().replace("\n", " \r\n") << text << "";
        QTest::newRow("three blocks") << three << "" << "The table has 3 blocks";
        QTest::newRow("not hex") << QByteArray("00 FF\n00 FG") << "00 FF\n00 FG" << "line 2, column 5";
    }
    void loadOtherToolsFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, shown);
        QFETCH(QString, warning);
        Rig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("table"));
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(file);
        f.close();
        rig.window->ui->EDIDtext->setPlainText(QStringLiteral("before"));
        rig.feedback.openAnswers = {path};
        QTest::mouseClick(rig.window->ui->ButLoadEDID, Qt::LeftButton);
        QCOMPARE(rig.window->ui->EDIDtext->toPlainText(), shown.isEmpty() ? QStringLiteral("before") : shown);
        QCOMPARE(rig.feedback.ofKind("warning").size(), warning.isEmpty() ? 0 : 1);
        if (!warning.isEmpty())
            QVERIFY2(rig.feedback.texts("warning").first().contains(warning), qPrintable(rig.feedback.texts("warning").first()));
    }

    void failedSaveKeepsTheOldFile()
    {
        Rig rig;
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("missing/table.bin"));
        rig.window->ui->EDIDtext->setPlainText(validTableText());
        rig.feedback.saveAnswers = {path};
        QTest::mouseClick(rig.window->ui->ButSaveEDID, Qt::LeftButton);
        QCOMPARE(rig.feedback.ofKind("warning").size(), 1);
        QVERIFY(rig.feedback.ofKind("warning").first().text.startsWith(QStringLiteral("Cannot write file ")));
        QVERIFY(!rig.feedback.texts("status").contains(QStringLiteral("File saved")));
    }

    void cecSendAndStore()
    {
        Rig rig;
        QTest::mouseClick(rig.window->ui->ButWriteCEC, Qt::LeftButton);
        QCOMPARE(rig.usb.frames(),
                 (std::vector<Bytes>{bytesFromHex("10 03 B2 50 01 04"), bytesFromHex("10 03 B3 10")}));
        QCOMPARE(rig.clock.sleeps.back(), uint32_t(100));
        rig.usb.clearRecord();
        QTest::mouseClick(rig.window->ui->ButSaveCEC_1, Qt::LeftButton);
        QCOMPARE(rig.usb.frames(),
                 std::vector<Bytes>{bytesFromHex("10 0A E3 43 45 43 20 35 30 3A 30 34 0D")});
    }

    void aviSendRewritesTheReplaceRegister()
    {
        Rig rig;
        rig.window->ui->AVItext->setPlainText(QStringLiteral("60:c8:60:61:00"));
        QTest::mouseClick(rig.window->ui->ButWriteAVI, Qt::LeftButton);
        QCOMPARE(rig.usb.frames(), (std::vector<Bytes>{bytesFromHex("10 05 E6 60 C8 60 61 00"),
                                                       bytesFromHex("10 05 B3 80"), bytesFromHex("10 04 E0 21 00")}));
    }

    void malformedColonHexSendsNothing()
    {
        Rig rig;
        rig.window->ui->IFtext->setPlainText(QStringLiteral("87-01-1a-00"));
        QTest::mouseClick(rig.window->ui->ButWriteIF, Qt::LeftButton);
        QVERIFY(rig.usb.frames().empty());
        QCOMPARE(rig.feedback.texts("status").last(), QStringLiteral("Hex Format Error"));
    }
};

QTEST_MAIN(WindowEdidInjectTest)
#include "tst_window_edid_inject.moc"
