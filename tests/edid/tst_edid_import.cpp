// Table files as other tools write them, rewriting one in its own form, and
// the checks made on a table before it is uploaded.
#include "edid_import.h"
#include "edid_text.h"

#include <QtTest/QtTest>

#include <cctype>

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
        QTest::newRow("binary 384") << qbytes(three) << 3 << true << "";
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
        QTest::newRow("colon hex is no heading") << QByteArray("00 FF:\n") << 0 << false << "1:6";
        QTest::newRow("dashes before the bytes") << QByteArray("----\n00 FF\n") << 0 << false << "1:1";
        QTest::newRow("column counts characters") << QByteArray("00 \xC3\xA9\xC3\xA9 00") << 0 << false << "1:4";
        QTest::newRow("0x prefix") << QByteArray("0x00 0xFF") << 0 << false << "1:2";
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
        for (size_t i = 0; i < t.digitsAt.size(); ++i) // every byte found where its digits are
            QCOMPARE(int(hexPairValue(std::toupper(file[int(t.digitsAt[i])]), std::toupper(file[int(t.digitsAt[i]) + 1]))),
                     int(t.bytes[i]));
    }

    // --fix: only the checksum digits change, in the file's letter case.
    void rewriteKeepsTheForm_data()
    {
        QTest::addColumn<QByteArray>("file");
        const Bytes three = sampleTable(3);
        QTest::newRow("binary 384") << qbytes(three);
        QTest::newRow("listing, lower case") << qbytes("\tEDID:\n" + hexLines(three, 0, 384, 16, "", false, "\t\t"));
        QTest::newRow("window layout, CR LF") << qbytes(hexLines(three, 0, 384, 16, " ", true, "", "\r\n"));
        QTest::newRow("128 values") << qbytes(hexLines(sampleTable(1), 0, 128, 16, " ", true));
    }
    void rewriteKeepsTheForm()
    {
        QFETCH(QByteArray, file);
        const TableFile before = read(file);
        Bytes broken = before.bytes;
        for (size_t b = 0; b < broken.size() / 128; ++b)
            broken[b * 128 + 127] ^= 0x5A;
        const auto *data = reinterpret_cast<const uint8_t *>(file.constData());
        const Bytes brokenFile = rewriteTableFile(data, size_t(file.size()), before, broken);
        QCOMPARE(brokenFile.size(), size_t(file.size()));
        const TableFile reread = readTableFile(brokenFile.data(), brokenFile.size());
        QCOMPARE(reread.bytes, broken);
        int changed = 0;
        for (size_t i = 0; i < brokenFile.size(); ++i)
            changed += brokenFile[i] != data[i] ? 1 : 0;
        QVERIFY(changed >= int(broken.size() / 128) && changed <= int(before.binary ? 1 : 2) * int(broken.size() / 128));

        Bytes fixed = reread.bytes;
        repairBlockChecksums(fixed);
        const Bytes back = rewriteTableFile(brokenFile.data(), brokenFile.size(), reread, fixed);
        QCOMPARE(qbytes(back), file);
    }

    void tableChecks_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<bool>("header");
        QTest::addColumn<int>("announced");
        QTest::addColumn<int>("present");
        QTest::addColumn<QString>("checksums"); // per whole block: + right, - wrong

        const Bytes one = sampleTable(1), two = sampleTable(2);
        Bytes padded = one;
        padded.resize(256); // the window saves a one-block table as 256 bytes
        Bytes announcing = one;
        announcing[126] = 1;
        Bytes emptyExtension = two;
        std::fill(emptyExtension.begin() + 128, emptyExtension.end(), 0);
        Bytes unannounced = two;
        unannounced[126] = 0;
        Bytes partial = two;
        partial.resize(200);
        QTest::newRow("two blocks") << qbytes(two) << true << 1 << 1 << "++";
        QTest::newRow("one block") << qbytes(one) << true << 0 << 0 << "+";
        QTest::newRow("one block padded") << qbytes(padded) << true << 0 << 0 << "++";
        QTest::newRow("announces a missing extension") << qbytes(announcing) << true << 1 << 0 << "-";
        QTest::newRow("announced extension all zero") << qbytes(emptyExtension) << true << 1 << 0 << "++";
        QTest::newRow("extension not announced") << qbytes(unannounced) << true << 0 << 1 << "-+";
        QTest::newRow("a partial block") << qbytes(partial) << true << 1 << 1 << "+";
        QTest::newRow("no display: zeros") << QByteArray(256, '\0') << false << 0 << 0 << "++";
        QTest::newRow("no display: FF") << QByteArray(256, '\xFF') << false << 255 << 1 << "--";
        Bytes wrongHeader = two;
        wrongHeader[7] = 0x01;
        QTest::newRow("one header byte wrong") << qbytes(wrongHeader) << false << 1 << 1 << "-+";
    }
    void tableChecks()
    {
        QFETCH(QByteArray, table);
        QFETCH(bool, header);
        QFETCH(int, announced);
        QFETCH(int, present);
        QFETCH(QString, checksums);
        const Bytes t(table.begin(), table.end());
        QCOMPARE(hasEdidHeader(t), header);
        const ExtensionCount c = extensionCount(t);
        QCOMPARE(c.announced, announced);
        QCOMPARE(c.present, present);
        QString sums;
        for (const BlockChecksum &s : blockChecksums(t))
            sums += s.ok() ? '+' : '-';
        QCOMPARE(sums, checksums);
    }
};

QTEST_APPLESS_MAIN(TestEdidImport)
#include "tst_edid_import.moc"
