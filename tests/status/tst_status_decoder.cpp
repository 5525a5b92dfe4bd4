// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_decoder.h"

#include <QtTest>

#include <array>
#include <cstring>
#include <utility>
#include <vector>

using namespace vantrel::status;

namespace {

using Bytes = std::vector<std::pair<int, int>>;

// A zero-filled reply of the given length with some bytes set.
std::vector<uint8_t> record(std::size_t length, const Bytes &set)
{
    std::vector<uint8_t> r(length, 0);
    r[0] = 0xE0;
    for (auto [i, v] : set)
        r.at(i) = static_cast<uint8_t>(v);
    return r;
}

Record view(const std::vector<uint8_t> &r) { return {r.data(), r.size()}; }

std::vector<uint8_t> source(const char *vendor, const char *product)
{
    std::vector<uint8_t> r = record(kSourceRecordLength, {});
    std::memcpy(r.data() + 4, vendor, std::min<std::size_t>(8, std::strlen(vendor)));
    std::memcpy(r.data() + 12, product, std::min<std::size_t>(16, std::strlen(product)));
    return r;
}

} // namespace

Q_DECLARE_METATYPE(Bytes)

class StatusDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void input_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("line");
        // The whole-line examples the window's users know.
        QTest::newRow("1080p60") << Bytes{{2, 16}, {3, 0x10}, {13, 0x02}}
                                 << "Input : 1920x1080p60 HDMI, HDCP 1.4";
        QTest::newRow("4k60 300MHz") << Bytes{{2, 97}, {3, 0x10}, {10, 0x60}, {13, 0x04}}
                                     << "Input : 3840x2160p60 HDMI, 300MHz [4:2:0 8-bit], HDCP 2.2";
        QTest::newRow("4k60 450MHz 444")
            << Bytes{{2, 97}, {3, 0x10}, {4, 3}, {10, 0x40}, {13, 0x04}}
            << "Input : 3840x2160p60 HDMI, 450MHz, [4:4:4 12-bit], HDCP 2.2";
        QTest::newRow("top/bottom") << Bytes{{2, 4}, {9, 0x60}, {14, 0x40}}
                                    << "Input : 1280x720p60 Top/Bottom 3D, no HDCP";
        QTest::newRow("hdmi vic 4") << Bytes{{3, 0x10}, {9, 4}, {14, 0x20}}
                                    << "Input : 4096x2160p24 HDMI, no HDCP";

        // The vendor infoframe's format wins over the timing code; 3D forms carry no marker.
        QTest::newRow("ext res ignores code") << Bytes{{2, 16}, {3, 0x10}, {9, 2}, {14, 0x20}}
                                              << "Input : 3840x2160p25 HDMI, no HDCP";
        QTest::newRow("frame packed, HDMI bit set")
            << Bytes{{2, 32}, {3, 0x10}, {9, 0x00}, {14, 0x40}}
            << "Input : 1920x1080p24 Frame Packed 3D, no HDCP";
        // No format of its own named: the plain form.
        QTest::newRow("ext res code 5") << Bytes{{2, 16}, {3, 0x10}, {9, 5}, {14, 0x20}}
                                        << "Input : 1920x1080p60 HDMI, no HDCP";
        QTest::newRow("3D structure 0x10") << Bytes{{2, 4}, {3, 0x10}, {9, 0x10}, {14, 0x40}}
                                           << "Input : 1280x720p60 HDMI, no HDCP";

        // Clock class and depth tags.
        QTest::newRow("450 422 no tag") << Bytes{{2, 97}, {4, 3}, {10, 0x20}}
                                        << "Input : 3840x2160p60 non-HDMI, 450MHz, no HDCP";
        QTest::newRow("450 420") << Bytes{{2, 97}, {4, 3}, {10, 0x60}}
                                 << "Input : 3840x2160p60 non-HDMI, 450MHz, [4:2:0 12-bit], no HDCP";
        QTest::newRow("375 444") << Bytes{{2, 16}, {4, 1}, {10, 0x40}}
                                 << "Input : 1920x1080p60 non-HDMI, 375MHz, [4:4:4 10-bit], no HDCP";
        QTest::newRow("600 never tagged") << Bytes{{2, 97}, {4, 2}, {10, 0x40}}
                                          << "Input : 3840x2160p60 non-HDMI, 600MHz, no HDCP";
        QTest::newRow("97 clock 0 RGB") << Bytes{{2, 97}, {10, 0x00}}
                                        << "Input : 3840x2160p60 non-HDMI, 300MHz [4:2:0 8-bit], no HDCP";
        QTest::newRow("clock 0x83") << Bytes{{2, 97}, {4, 0x83}, {10, 0x60}}
                                    << "Input : 3840x2160p60 non-HDMI, no HDCP";

        // HDCP bits and unknown timing codes.
        QTest::newRow("hdcp 0x06") << Bytes{{2, 16}, {13, 0x06}}
                                   << "Input : 1920x1080p60 non-HDMI, no HDCP";
        QTest::newRow("code 108") << Bytes{{2, 108}, {3, 0x10}} << "Input :  HDMI, no HDCP";
        QTest::newRow("code 255") << Bytes{{2, 255}, {3, 0x10}} << "Input :  HDMI, no HDCP";
    }

    void input()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, line);
        QCOMPARE(QString::fromStdString(inputLine(view(record(kVideoRecordLength, bytes)))), line);
    }

    void outputAndColour_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("colour");
        QTest::newRow("both, 444 BT.2020") << Bytes{{5, 0x60}, {10, 0x40}, {11, 0xC0}, {12, 0x60}}
                                           << "Output: TX A, TX B"
                                           << "Color Space: YCbCr 4:4:4, Extended: ITU-R BT.2020";
        QTest::newRow("A, RGB 709") << Bytes{{5, 0x20}, {11, 0x80}} << "Output: TX A"
                                    << "Color Space: RGB, ITU-R BT.709";
        QTest::newRow("B, 422 170M") << Bytes{{5, 0xDF}, {10, 0x20}, {11, 0x40}} << "Output: TX B"
                                     << "Color Space: YCbCr 4:2:2, SMPTE 170M";
        QTest::newRow("none, 420 plain") << Bytes{{5, 0x9F}, {10, 0x7F}, {11, 0x3F}, {12, 0x50}}
                                         << "Output: none" << "Color Space: YCbCr 4:2:0";
        QTest::newRow("extended reserved") << Bytes{{11, 0xC0}, {12, 0x70}} << "Output: none"
                                           << "Color Space: RGB, Extended:";
        QTest::newRow("extended xvYCC601") << Bytes{{11, 0xC0}, {12, 0x8F}} << "Output: none"
                                           << "Color Space: RGB, Extended: xvYCC601";
        QTest::newRow("extended YcCbcCrc") << Bytes{{11, 0xC0}, {12, 0x50}} << "Output: none"
                                           << "Color Space: RGB, Extended: ITU-R BT.2020 YcCbcCrc";
    }

    void outputAndColour()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, output);
        QFETCH(QString, colour);
        const auto r = record(kVideoRecordLength, bytes);
        QCOMPARE(QString::fromStdString(outputLine(view(r))), output);
        QCOMPARE(QString::fromStdString(colourLine(view(r))), colour);
    }

    void sourceNames()
    {
        auto line = [](const std::vector<uint8_t> &r) {
            return QString::fromStdString(sourceLine(view(r)));
        };
        QCOMPARE(line(source("ACME", "Player 4K")), QString("Source Info: ACME Player 4K"));
        QCOMPARE(line(source("ABCDEFGH", "Player")), QString("Source Info: ABCDEFGH Player"));
        QCOMPARE(line(source("", "Player")), QString("Source Info:  Player"));
        QCOMPARE(line(source("", "")), QString("Source Info: No Info"));

        // Full fields run into the next one; each stops at its own end.
        std::vector<uint8_t> full = source("ABCDEFGH", "0123456789abcdef");
        full[28] = 'Z';
        QCOMPARE(line(full), QString("Source Info: ABCDEFGH 0123456789abcdef"));
    }

    void hdrAndInfoframe_data()
    {
        QTest::addColumn<Bytes>("bytes");
        QTest::addColumn<QString>("hdr");
        QTest::addColumn<bool>("captured");
        QTest::addColumn<QString>("infoframe");
        QTest::newRow("pq") << Bytes{{2, 0x87}, {3, 3}, {4, 2}, {5, 0x00}, {6, 0xC2}}
                            << "HDR input:  SMPTE ST 2084" << true << "02:00:c2";
        QTest::newRow("N = 1, 0x61") << Bytes{{2, 0x87}, {3, 1}, {4, 0x61}, {5, 0x11}}
                                     << "HDR input: " << true << "61";
        QTest::newRow("HDR range") << Bytes{{2, 0x87}, {3, 2}, {4, 1}, {5, 0xAB}}
                                   << "HDR input:  HDR Luminance Range" << true << "01:ab";
        QTest::newRow("type 0x86") << Bytes{{2, 0x86}, {3, 4}, {4, 2}} << "HDR input:  SMPTE ST 2084"
                                   << false << "";
        QTest::newRow("N = 0") << Bytes{{2, 0x87}, {4, 0}} << "HDR input:  Not Active" << false << "";
        QTest::newRow("EOTF 3") << Bytes{{4, 3}} << "HDR input: " << false << "";
    }

    void hdrAndInfoframe()
    {
        QFETCH(Bytes, bytes);
        QFETCH(QString, hdr);
        QFETCH(bool, captured);
        QFETCH(QString, infoframe);
        const auto r = record(kHdrRecordLength, bytes);
        QCOMPARE(QString::fromStdString(hdrLine(view(r))), hdr);
        std::string text = "stale";
        QCOMPARE(capturedInfoframe(view(r), text), captured);
        QCOMPARE(QString::fromStdString(text), infoframe);
    }

    // A length byte past the record shows what the record holds, and a short
    // record reads as zeros instead of running off its end.
    void infoframeLengthBeyondTheRecord()
    {
        std::vector<uint8_t> r = record(kHdrRecordLength, {{2, 0x87}, {3, 200}});
        for (std::size_t i = 4; i < r.size(); ++i)
            r[i] = static_cast<uint8_t>(i);
        std::string text;
        QVERIFY(capturedInfoframe(view(r), text));
        QCOMPARE(int(text.size()), 27 * 3 - 1);
        QVERIFY(text.rfind("04:05", 0) == 0);
        QVERIFY(text.size() >= 2 && text.compare(text.size() - 2, 2, "1e") == 0);

        const std::vector<uint8_t> shortRecord = {0xE0, 0, 0x87, 5, 0xAA, 0xBB};
        QVERIFY(capturedInfoframe(view(shortRecord), text));
        QCOMPARE(QString::fromStdString(text), QString("aa:bb:00:00:00"));
    }

    // Reads that delivered nothing leave zero-filled records.
    void zeroRecords()
    {
        const StatusTexts t = decodeStatus(Record{}, Record{}, Record{});
        QCOMPARE(QString::fromStdString(t.input), QString("Input :  non-HDMI, no HDCP"));
        QCOMPARE(QString::fromStdString(t.output), QString("Output: none"));
        QCOMPARE(QString::fromStdString(t.colour), QString("Color Space: RGB"));
        QCOMPARE(QString::fromStdString(t.source), QString("Source Info: No Info"));
        QCOMPARE(QString::fromStdString(t.hdr), QString("HDR input:  Not Active"));
        QVERIFY(!t.infoframeCaptured);
        QVERIFY(t.infoframe.empty());
    }
};

QTEST_APPLESS_MAIN(StatusDecoderTest)
#include "tst_status_decoder.moc"
