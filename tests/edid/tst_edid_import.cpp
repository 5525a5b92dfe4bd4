// SPDX-License-Identifier: GPL-3.0-or-later
// Table files as other tools write them: which bytes they hold, or where
// their text goes wrong.
#include "edid_import.h"
#include "edid_text.h"

#include <QtTest/QtTest>

using namespace vantrel::edid;

namespace {

using Bytes = std::vector<uint8_t>;

// A table of `blocks` blocks with the header, the extension count and every checksum right.
Bytes sampleTable(int blocks)
{
    Bytes t(size_t(blocks) * 128);
    for (size_t i = 0; i < t.size(); ++i)
        t[i] = uint8_t(i * 13 + 5);
    const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::copy(header, header + 8, t.begin());
    t[126] = uint8_t(blocks - 1);
    repairBlockChecksums(t);
    return t;
}

// Lines of `perLine` bytes; `sep` between bytes of a line; `indent` before each.
std::string hexLines(const Bytes &b, size_t from, size_t n, int perLine, const char *sep, bool upper,
                     const std::string &indent = {}, const std::string &eol = "\n")
{
    std::string out;
    char pair[3];
    for (size_t i = 0; i < n; ++i) {
        if (i % perLine == 0)
            out += indent;
        std::snprintf(pair, sizeof pair, upper ? "%02X" : "%02x", b[from + i]);
        out += pair;
        out += (i % perLine == size_t(perLine) - 1 || i + 1 == n) ? eol : std::string(sep);
    }
    return out;
}

QByteArray qbytes(const std::string &s) { return QByteArray(s.data(), int(s.size())); }
QByteArray qbytes(const Bytes &b) { return QByteArray(reinterpret_cast<const char *>(b.data()), int(b.size())); }

TableFile read(const QByteArray &file, const QString &output = {})
{
    return readTableFile(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()),
                         output.toStdString());
}

// An X server's whole verbose listing: a disconnected output with an empty
// EDID property, then two connected ones.
std::string outputListing(const Bytes &first, const Bytes &second)
{
    return "Screen 0: minimum 320 x 200, current 1920 x 1080, maximum 16384 x 16384\n"
           "eDP-1 disconnected (normal left inverted right x axis y axis)\n\tEDID: \n\tnon-desktop: 0 \n"
           "HDMI-1 connected primary 1920x1080+0+0 (0x47) normal 527mm x 296mm\n\tIdentifier: 0x42\n\tEDID: \n" +
           hexLines(first, 0, first.size(), 16, "", false, "\t\t") +
           "\tBorderDimensions: 4 \n\t\tsupported: 4\n  1920x1080 (0x47) 148.500MHz +HSync *current\n"
           "        h: width  1920 start 2008 end 2052 total 2200 skew    0 clock  67.50KHz\n"
           "DP-2 connected 1920x1080+1920+0 (0x48) normal\n\tEDID: \n" +
           hexLines(second, 0, second.size(), 16, "", false, "\t\t") + "\tnon-desktop: 0 \n";
}

} // namespace

class TestEdidImport : public QObject {
    Q_OBJECT
private slots:
    void forms_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("blocks");  // of sampleTable; 0: expect the error below
        QTest::addColumn<bool>("binary");
        QTest::addColumn<QString>("error"); // "line:column"
        QTest::addColumn<QString>("output"); // of a whole output listing

        const Bytes two = sampleTable(2), one = sampleTable(1), three = sampleTable(3), four = sampleTable(4);
        QTest::newRow("binary 128, a DVI display's edid") << qbytes(one) << 1 << true << ""
                                                          << "";
        QTest::newRow("binary 256, the window's save") << qbytes(two) << 2 << true << ""
                                                       << "";
        QTest::newRow("binary 512") << qbytes(four) << 4 << true << ""
                                    << "";
        QTest::newRow("window layout") << qbytes(hexLines(two, 0, 256, 16, " ", true)) << 2 << false << ""
                                       << "";
        QTest::newRow("CR LF") << qbytes(hexLines(two, 0, 256, 16, " ", true, "", "\r\n")) << 2 << false << ""
                               << "";
        QTest::newRow("CR") << qbytes(hexLines(two, 0, 256, 16, " ", false, "", "\r")) << 2 << false << ""
                            << "";
        QTest::newRow("decoder hex dump with its report")
            << qbytes("edid-decode (hex):\n\n" + hexLines(two, 0, 128, 16, " ", false) + "\n" +
                      hexLines(two, 128, 128, 16, " ", false) + "\n----------------\n\nBlock 0, Base EDID:\n  x\n")
            << 2 << false << ""
            << "";
        QTest::newRow("output listing EDID property")
            << qbytes("\tEDID: \n" + hexLines(three, 0, 384, 16, "", false, "\t\t")) << 3 << false << ""
            << "";
        QTest::newRow("plain hex, one line") << qbytes(hexLines(one, 0, 128, 128, "", false)) << 1 << false << ""
                                             << "";
        QTest::newRow("spaced hex, one line, BOM")
            << qbytes("\xEF\xBB\xBF" + hexLines(two, 0, 256, 256, " ", true)) << 2 << false << ""
            << "";

        QTest::newRow("a letter that is not hex") << QByteArray("00 FF\n00 FG 00") << 0 << false << "2:5"
                                                  << "";
        QTest::newRow("odd digits") << QByteArray("00 FFF 00") << 0 << false << "1:4"
                                    << "";
        QTest::newRow("31 digits in a listing line") << qbytes("\tEDID:\n\t\t" + hexLines(one, 0, 16, 16, "", false) +
                                                               "\t\t" + hexLines(one, 16, 16, 16, "", false).substr(1))
                                                     << 0 << false << "3:3"
                                                     << "";
        QTest::newRow("heading after the bytes") << QByteArray("00 FF\nEDID:\n") << 0 << false << "2:3"
                                                 << "";
        QTest::newRow("dashes before the bytes") << QByteArray("----\n00 FF\n") << 0 << false << "1:1"
                                                 << "";
        QTest::newRow("column counts characters") << QByteArray("00 \xC3\xA9\xC3\xA9 00") << 0 << false << "1:4"
                                                  << "";
        QTest::newRow("not UTF-8: binary") << QByteArray("FF \xE9") << -1 << true << ""
                                           << "";

        const QByteArray listing = qbytes(outputListing(two, three));
        QTest::newRow("whole listing: first connected output") << listing << 2 << false << ""
                                                               << "";
        QTest::newRow("whole listing: the output named") << listing << 3 << false << ""
                                                         << "DP-2";
        QTest::newRow("whole listing: no such output") << listing << 0 << false << "0:0"
                                                       << "DP-9";
        QTest::newRow("an output named, but no listing")
            << qbytes(hexLines(one, 0, 128, 16, " ", true)) << 0 << false << "0:0"
            << "DP-2";
        QTest::newRow("0x bytes parted by commas")
            << qbytes(hexLines(one, 0, 128, 8, ", 0x", false, "0x", ",\n")) << 1 << false << ""
            << "";
        QTest::newRow("0x without digits") << QByteArray("0x00 0x\n") << 0 << false << "1:6"
                                           << "";
    }
    void forms()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, blocks);
        QFETCH(bool, binary);
        QFETCH(QString, error);
        QFETCH(QString, output);
        const TableFile t = read(file, output);
        QCOMPARE(t.binary, binary);
        if (!error.isEmpty()) {
            QVERIFY(!t.ok());
            QCOMPARE(QStringLiteral("%1:%2").arg(t.line).arg(t.column), error);
            QVERIFY(t.bytes.empty());
            return;
        }
        QVERIFY2(t.ok(), t.where().c_str());
        if (blocks > 0)
            QCOMPARE(t.bytes, sampleTable(blocks));
    }
};

QTEST_APPLESS_MAIN(TestEdidImport)
#include "tst_edid_import.moc"
