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

TableFile read(const QByteArray &file)
{
    return readTableFile(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()));
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

        const Bytes two = sampleTable(2), one = sampleTable(1), three = sampleTable(3), four = sampleTable(4);
        QTest::newRow("binary 128, a DVI display's edid") << qbytes(one) << 1 << true << "";
        QTest::newRow("binary 256, the window's save") << qbytes(two) << 2 << true << "";
        QTest::newRow("binary 512") << qbytes(four) << 4 << true << "";
        QTest::newRow("window layout") << qbytes(hexLines(two, 0, 256, 16, " ", true)) << 2 << false << "";
        QTest::newRow("CR LF") << qbytes(hexLines(two, 0, 256, 16, " ", true, "", "\r\n")) << 2 << false << "";
        QTest::newRow("CR") << qbytes(hexLines(two, 0, 256, 16, " ", false, "", "\r")) << 2 << false << "";
        QTest::newRow("decoder hex dump with its report")
            << qbytes("edid-decode (hex):\n\n" + hexLines(two, 0, 128, 16, " ", false) + "\n" +
                      hexLines(two, 128, 128, 16, " ", false) + "\n----------------\n\nBlock 0, Base EDID:\n  x\n")
            << 2 << false << "";
        QTest::newRow("output listing EDID property")
            << qbytes("\tEDID: \n" + hexLines(three, 0, 384, 16, "", false, "\t\t")) << 3 << false << "";
        QTest::newRow("plain hex, one line") << qbytes(hexLines(one, 0, 128, 128, "", false)) << 1 << false << "";
        QTest::newRow("spaced hex, one line, BOM")
            << qbytes("\xEF\xBB\xBF" + hexLines(two, 0, 256, 256, " ", true)) << 2 << false << "";

        QTest::newRow("a letter that is not hex") << QByteArray("00 FF\n00 FG 00") << 0 << false << "2:5";
        QTest::newRow("odd digits") << QByteArray("00 FFF 00") << 0 << false << "1:4";
        QTest::newRow("31 digits in a listing line")
            << qbytes("\tEDID:\n\t\t" + hexLines(one, 0, 16, 16, "", false) + "\t\t" +
                      hexLines(one, 16, 16, 16, "", false).substr(1))
            << 0 << false << "3:3";
        QTest::newRow("heading after the bytes") << QByteArray("00 FF\nEDID:\n") << 0 << false << "2:3";
        QTest::newRow("dashes before the bytes") << QByteArray("----\n00 FF\n") << 0 << false << "1:1";
        QTest::newRow("column counts characters") << QByteArray("00 \xC3\xA9\xC3\xA9 00") << 0 << false << "1:4";
        QTest::newRow("not UTF-8: binary") << QByteArray("FF \xE9") << -1 << true << "";
    }
    void forms()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, blocks);
        QFETCH(bool, binary);
        QFETCH(QString, error);
        const TableFile t = read(file);
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
