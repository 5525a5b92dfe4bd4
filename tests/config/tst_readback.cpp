// SPDX-License-Identifier: GPL-3.0-or-later
#include "panel.h"
#include "readback.h"

#include <QtTest>

#include <array>

using namespace vantrel::config;

namespace {

using Block = std::array<uint8_t, kBlockSize>;

std::array<uint8_t, 64> reply(uint8_t echo, uint8_t status, const Block &settings = {})
{
    std::array<uint8_t, 64> r{};
    r[0] = echo;
    r[1] = status;
    std::copy(settings.begin(), settings.end(), r.begin() + 2);
    return r;
}

Panel readback(const Block &p)
{
    Panel panel;
    panel.apply(readbackUpdates(p.data()));
    return panel;
}

} // namespace

class ReadbackTest : public QObject {
    Q_OBJECT

private slots:
    void verdict()
    {
        Block anything;
        anything.fill(3);
        const auto good = reply(0xE1, 0x00, anything);
        QCOMPARE(readbackVerdict(good.data(), 42, true, true), ReadbackVerdict::Accept);
        // Busy wins even over a reply that looks complete.
        const auto busy = reply(0xE1, 0x01, anything);
        QCOMPARE(readbackVerdict(busy.data(), 42, true, true), ReadbackVerdict::Busy);
        QCOMPARE(readbackVerdict(reply(0xE1, 0xFF).data(), 42, true, false), ReadbackVerdict::Busy);
        QCOMPARE(readbackVerdict(good.data(), 42, true, false), ReadbackVerdict::StatusReadFailed);
        const auto wrongEcho = reply(0xE0, 0x00, anything);
        QCOMPARE(readbackVerdict(wrongEcho.data(), 42, true, true), ReadbackVerdict::NoEcho);
        QCOMPARE(readbackVerdict(good.data(), 42, false, true), ReadbackVerdict::NoEcho);
        // Too short to hold the block, or nothing at all.
        QCOMPARE(readbackVerdict(good.data(), 41, true, true), ReadbackVerdict::NoEcho);
        QCOMPARE(readbackVerdict(nullptr, 0, true, true), ReadbackVerdict::NoEcho);
    }

    // The contract the window's readback follows, update by update.
    void wholeBlockInOrder()
    {
        Block p{};
        p[0] = 2;  p[1] = 3;  p[2] = 1;  p[3] = 2;  p[4] = 1;  p[5] = 1;  p[6] = 0;
        p[7] = 0x55; p[8] = 0xAA;
        p[9] = 1;  p[10] = 0; p[11] = 1; p[12] = 9;
        p[13] = 1; p[14] = 0; p[15] = 1; p[16] = 0; p[17] = 1; p[18] = 0; p[19] = 25;
        p[21] = 1; p[22] = 0; p[24] = 1; p[26] = 1; p[27] = 0; p[28] = 1; p[29] = 7;
        p[30] = 1; p[31] = 0; p[32] = 0; p[33] = 1;

        const QStringList expected = {
            "index cmbInputSel 1", "index cmBEdid 24", "index cmbLa 1", "index cmbEdidAlgo 0",
            "checked audioHdmi 0", "checked audioJack 1",
            "checked automixEDID 1", "checked customEDID 0", "checked fixedEDID 0",
            "enabled EDIDtext 0",
            "checked hdcp14 1", "checked hdcp22 0",
            "checked disable420 0", "checked enable420 1",
            "checked autoSwDis 1", "checked autoSwEn 0", "enabled pPrioForce 0",
            "enabled bPrioNorm 0",
            "enabled audioHdmi 1", "enabled audioJack 1",
            "enabled hdcp22 0", "enabled hdcp14 0",
            "enabled automixEDID 1", "enabled customEDID 1", "enabled fixedEDID 1",
            "enabled EDIDtext 1",
            "checked cb2cForce 1", "checked cb51 0", "checked cbFull 1", "checked cb3D 1",
            "checked cbHdr 0",
            "checked pPrioForce 0", "checked bPrioNorm 1",
            "checked bHdrRepurpEn 1", "checked bHdrRepurpDis 0",
            "checked bSamHdr 1", "checked bFullHdr 0",
            "checked cbHdrForceMode 0",
            "checked enableLed 1", "checked disableLed 0",
            "checked enableBLed 0", "checked disableBLed 1",
            "checked cbCec 1", "checked cbYUV 0", "checked cbBt2020 1",
            "checked enableAVR 0", "checked disableAVR 1",
            "checked cbAviPersistent 1",
        };
        QCOMPARE(describe(readbackUpdates(p.data())), expected);
    }

    void edidModeAndItsLock()
    {
        Block p{};
        p[2] = 3;
        p[9] = 0;
        Panel panel = readback(p);
        QCOMPARE(panel.checked["customEDID"], 1);
        QCOMPARE(panel.checked["automixEDID"], 0);
        for (const char *w : {"automixEDID", "customEDID", "fixedEDID", "EDIDtext"})
            QCOMPARE(panel.enabled[w], 0);

        p[2] = 1;
        p[9] = 1;
        panel = readback(p);
        QCOMPARE(panel.checked["automixEDID"], 1);
        QCOMPARE(panel.enabled["EDIDtext"], 1); // the lock flag comes last

        p[2] = 4; // unknown mode: the trio is left alone
        const QStringList updates = describe(readbackUpdates(p.data()));
        QVERIFY(!updates.join('\n').contains("checked automixEDID"));
        QVERIFY(updates.contains("enabled EDIDtext 1"));
    }

    void autoSwitchDrivesPriority()
    {
        Block p{};
        p[6] = 1;
        Panel panel = readback(p);
        QCOMPARE(panel.checked["autoSwEn"], 1);
        QCOMPARE(panel.checked["autoSwDis"], 0);
        QCOMPARE(panel.enabled["pPrioForce"], 1);
        QCOMPARE(panel.enabled["bPrioNorm"], 1);

        p[6] = 2;
        panel = readback(p);
        for (const char *w : {"autoSwEn", "autoSwDis"})
            QVERIFY(!panel.checked.count(w));
        for (const char *w : {"pPrioForce", "bPrioNorm"})
            QVERIFY(!panel.enabled.count(w));
    }

    void selectors_data()
    {
        QTest::addColumn<int>("position");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("object");
        QTest::addColumn<int>("index");
        QTest::addColumn<QString>("text");
        QTest::newRow("PORT B") << 0 << 2 << "cmbInputSel" << 1 << "PORT B [BOT]";
        QTest::newRow("preset 25") << 19 << 25 << "cmBEdid" << 24 << "25 - 1080I-444 Stereo";
        QTest::newRow("ARC") << 30 << 1 << "cmbLa" << 1 << "Audio System w/ARC";
        QTest::newRow("algo 0") << 32 << 0 << "cmbEdidAlgo" << 0 << "Min Mixed Capabilities";
        QTest::newRow("input 0") << 0 << 0 << "cmbInputSel" << -1 << "";
        QTest::newRow("preset 26") << 19 << 26 << "cmBEdid" << -1 << "";
        QTest::newRow("cec type 2") << 30 << 2 << "cmbLa" << -1 << "";
        QTest::newRow("automix 4") << 32 << 4 << "cmbEdidAlgo" << -1 << "";
    }

    void selectors()
    {
        QFETCH(int, position);
        QFETCH(int, value);
        QFETCH(QString, object);
        QFETCH(int, index);
        QFETCH(QString, text);
        Block p{};
        p[position] = static_cast<uint8_t>(value);
        Panel panel = readback(p);
        QCOMPARE(panel.index[object.toStdString()], index);
        const Setting &s = settingAt(position);
        if (index >= 0)
            QCOMPARE(QString((*s.list)[index]), text);
    }

    void pairsAndChecks()
    {
        Block p{};
        p[15] = 1;  // "No 3D"
        p[1] = 2;   // audio: neither
        p[3] = 1;   // HDCP: neither
        p[26] = 2;  // a bool pair shows its second button for anything but 1
        p[4] = 9;   // 4:2:0 knows only 0 and 1
        Panel panel = readback(p);
        QCOMPARE(panel.checked["cb3D"], 1);
        for (const char *w : {"audioHdmi", "audioJack", "hdcp14", "hdcp22"})
            QCOMPARE(panel.checked.at(w), 0);
        QCOMPARE(panel.checked["enableLed"], 0);
        QCOMPARE(panel.checked["disableLed"], 1);
        QVERIFY(!panel.checked.count("enable420"));
        QVERIFY(!panel.checked.count("disable420"));

        p[1] = 1;
        p[3] = 3;
        panel = readback(p);
        QCOMPARE(panel.checked["audioHdmi"], 1);
        QCOMPARE(panel.checked["audioJack"], 0);
        QCOMPARE(panel.checked["hdcp14"], 0);
        QCOMPARE(panel.checked["hdcp22"], 1);
    }
};

QTEST_APPLESS_MAIN(ReadbackTest)
#include "tst_readback.moc"
