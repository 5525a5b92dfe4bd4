// SPDX-License-Identifier: GPL-3.0-or-later
// EDID hex text, checksums, the canonical layout and the colon hex form.
#include "edid_text.h"

#include <QtTest/QtTest>

using namespace vantrel::edid;

namespace {

std::string repeat(const std::string &s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

EdidImage sampleImage()
{
    EdidImage image{};
    for (int i = 0; i < kEdidSize; ++i)
        image[i] = static_cast<uint8_t>(i * 7 + 3);
    repairChecksums(image);
    return image;
}

} // namespace

class TestEdidText : public QObject {
    Q_OBJECT
private slots:
    void parse_data()
    {
        QTest::addColumn<QByteArray>("typed");
        QTest::addColumn<int>("count");
        QTest::newRow("eight groups") << QByteArray("00 FF FF FF FF FF FF 00") << 8;
        QTest::newRow("lower case") << QByteArray("00 ff") << 2;
        QTest::newRow("line feed") << QByteArray("00\nFF") << 2;
        QTest::newRow("trailing space") << QByteArray("00 FF ") << 2;
        QTest::newRow("empty") << QByteArray("") << 0;
        QTest::newRow("two spaces") << QByteArray("00  FF") << -1;
        QTest::newRow("tab") << QByteArray("00\tFF") << -1;
        QTest::newRow("no separator") << QByteArray("00FF") << -1;
        QTest::newRow("one-char last group") << QByteArray("00 FF 0") << -1;
        QTest::newRow("three-char group") << QByteArray("000 FF") << -1;
        QTest::newRow("not hex") << QByteArray("00 FG") << -1;
        QTest::newRow("341 values") << QByteArray(repeat("01 ", 341).c_str()) << 341;
        QTest::newRow("over 1023") << QByteArray((repeat("01 ", 341) + "0").c_str()) << -1;
    }
    void parse()
    {
        QFETCH(QByteArray, typed);
        QFETCH(int, count);
        const EdidText r = parseEdidText(boxText(typed.toStdString()));
        QCOMPARE(r.count, count);
        if (count == 2)
            QCOMPARE(int(r.image[1]), 0xFF);
        if (count >= 0 && count < kEdidSize)
            QVERIFY(std::all_of(r.image.begin() + count, r.image.end(), [](uint8_t b) { return b == 0; }));
    }

    void boxTextUpperCasesToLatin1()
    {
        QCOMPARE(boxText("50:0a"), std::string("50:0A"));
        QCOMPARE(boxText("\xC3\xA9"), std::string("\xC9"));  // e acute
        QCOMPARE(boxText("\xC3\x9F"), std::string("SS"));    // sharp s
        QCOMPARE(boxText("\xE2\x82\xAC"), std::string("?")); // euro sign
        QCOMPARE(boxText("\xFF" "a"), std::string("?A"));    // malformed
    }

    void canonicalLayoutRoundTrips()
    {
        const EdidImage image = sampleImage();
        const std::string text = canonicalEdidText(image);
        QCOMPARE(int(text.size()), 768);
        QCOMPARE(int(std::count(text.begin(), text.end(), '\n')), 16);
        QCOMPARE(text.substr(0, 6), std::string("03 0A "));
        QCOMPARE(text.back(), '\n');
        const EdidText back = parseEdidText(text);
        QCOMPARE(back.count, 256);
        QVERIFY(back.image == image);
    }

    void checksumRepairTouchesOnlyWhatIsWrong()
    {
        EdidImage image = sampleImage();
        QVERIFY(checkChecksums(image).ok());
        image[127] = static_cast<uint8_t>(image[127] + 1);
        const uint8_t block1 = image[255];
        const ChecksumCheck c = checkChecksums(image);
        QVERIFY(!c.valid[0]);
        QVERIFY(c.valid[1]);
        repairChecksums(image);
        QVERIFY(checkChecksums(image).ok());
        QCOMPARE(image[255], block1);
    }

    void colonHexWellFormed()
    {
        ColonHex r = parseColonHex("50:04\r", 6, true);
        QVERIFY(r.wellFormed);
        QCOMPARE(r.count, 3);
        QCOMPARE((std::vector<int>{r.bytes[0], r.bytes[1], r.bytes[2]}), (std::vector<int>{0x50, 0x01, 0x04}));
        r = parseColonHex("50:04\r", 6, false);
        QCOMPARE(r.count, 2);
        QCOMPARE((std::vector<int>{r.bytes[0], r.bytes[1]}), (std::vector<int>{0x50, 0x04}));
        r = parseColonHex("87:01:17\r", 9, false);
        QCOMPARE(r.count, 3);
        QCOMPARE(int(r.bytes[2]), 0x17);
        // Lower case is accepted, and the second command on the line is ignored.
        r = parseColonHex("50:0a 60:01\r", 12, false);
        QVERIFY(r.wellFormed);
        QCOMPARE(r.count, 2);
        QCOMPARE(int(r.bytes[1]), 0x0A);
    }

    void colonHexMalformed_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<int>("scan");
        QTest::newRow("no colon") << QByteArray("5004\r") << 5;
        QTest::newRow("colon at 0") << QByteArray(":5004\r") << 6;
        QTest::newRow("colon at 1") << QByteArray("5:004\r") << 6;
        QTest::newRow("not hex") << QByteArray("50:0G\r") << 6;
        QTest::newRow("ends in a colon") << QByteArray("50:04:\r") << 7;
        QTest::newRow("last pair short") << QByteArray("50:04:1\r") << 8;
        QTest::newRow("cut by scan end") << QByteArray("50:0") << 4;
        QTest::newRow("double colon") << QByteArray("50::04\r") << 7;
    }
    void colonHexMalformed()
    {
        QFETCH(QByteArray, text);
        QFETCH(int, scan);
        for (bool withLength : {false, true})
            QVERIFY(!parseColonHex(text.toStdString(), scan, withLength).wellFormed);
    }

    void colonHexStaysInsideItsArea()
    {
        const std::string text = repeat("12:", 200) + "34\r";
        for (bool withLength : {false, true}) {
            const ColonHex r = parseColonHex(text, int(text.size()), withLength);
            QVERIFY(!r.wellFormed);
            QVERIFY(r.count <= kColonHexArea);
        }
        // A claimed length past the text reads nothing beyond it.
        QVERIFY(!parseColonHex("50:0", 90, false).wellFormed);
    }
};

QTEST_APPLESS_MAIN(TestEdidText)
#include "tst_edid_text.moc"
