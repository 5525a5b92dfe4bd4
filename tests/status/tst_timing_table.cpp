// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing_table.h"

#include <QtTest>

#include <cstring>

using namespace vantrel::status;

class TimingTableTest : public QObject {
    Q_OBJECT

private slots:
    void namesByCode_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("shortName");
        QTest::addColumn<QString>("longName");
        QTest::newRow("bypass") << 0 << "bypass" << "";
        QTest::newRow("1080p60") << 16 << "1080p60" << "1920x1080p60";
        QTest::newRow("87 reads 2650") << 87 << "2560p25" << "2650x1080p25";
        QTest::newRow("90 reads 2650") << 90 << "2560p60" << "2650x1080p60";
        QTest::newRow("91 long = short") << 91 << "1080p100" << "1080p100";
        QTest::newRow("4k60") << 97 << "4kx2k60" << "3840x2160p60";
        QTest::newRow("98 smpte") << 98 << "4kx2ksmp24" << "4096x2160p24";
        QTest::newRow("last") << 107 << "4kx2k60" << "3840x2160p60";
        QTest::newRow("108") << 108 << "" << "";
        QTest::newRow("255") << 255 << "" << "";
        QTest::newRow("16-bit code") << 0x0110 << "" << "";
    }

    void namesByCode()
    {
        QFETCH(int, code);
        QFETCH(QString, shortName);
        QFETCH(QString, longName);
        char s[20], l[20];
        std::memset(s, 'x', sizeof s);
        std::memset(l, 'x', sizeof l);
        LookupTimingName(static_cast<uint16_t>(code), s, l);
        QCOMPARE(QString::fromLatin1(s), shortName);
        QCOMPARE(QString::fromLatin1(l), longName);
        QCOMPARE(QString::fromStdString(timingLongName(code)), longName);
        QCOMPARE(QString::fromStdString(timingShortName(code)), shortName);
    }

    void codes65to80RepeatRow64()
    {
        for (int c = 65; c <= 80; ++c) {
            QCOMPARE(QString(VideoTimingTable[c].shortName), QString("1080p100"));
            QCOMPARE(QString(VideoTimingTable[c].longName), QString("1920x1080p100"));
        }
    }

    void rowsAreInCodeOrderAndFitTheBuffers()
    {
        for (int c = 0; c <= kLastTimingCode; ++c) {
            QCOMPARE(int(VideoTimingTable[c].code), c);
            QVERIFY(std::strlen(VideoTimingTable[c].shortName) <= 10);
            QVERIFY(std::strlen(VideoTimingTable[c].longName) <= 13);
        }
        const VideoTimingRow &end = VideoTimingTable[kLastTimingCode + 1];
        QCOMPARE(QString(end.shortName), QString("END"));
        QCOMPARE(QString(end.longName), QString("END"));
        QCOMPARE(int(end.code), 0);
    }
};

QTEST_APPLESS_MAIN(TimingTableTest)
#include "tst_timing_table.moc"
