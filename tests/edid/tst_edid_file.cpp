// Loading binary and text EDID files, and the atomic writer.
#include "edid_file.h"

#include <QtTest/QtTest>

#include <filesystem>
#include <fstream>

using namespace vantrel::edid;

namespace {

LoadedEdidFile load(const std::string &bytes)
{
    return convertEdidFile(reinterpret_cast<const uint8_t *>(bytes.data()), bytes.size());
}

std::string lines(int groupsPerLine, int count, const std::string &ending)
{
    std::string out;
    char group[4];
    for (int l = 0; l < count; ++l) {
        for (int g = 0; g < groupsPerLine; ++g) {
            std::snprintf(group, sizeof group, "%02X ", (l * groupsPerLine + g) & 0xFF);
            out += group;
        }
        out += ending;
    }
    return out;
}

// What the text box makes of a loaded text, then what the parser sees.
EdidText parseAsTheBoxHoldsIt(const std::string &text)
{
    return parseEdidText(upperLatin1(normalizeLineBreaks(text)));
}

std::string readAll(const std::filesystem::path &p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

} // namespace

class TestEdidFile : public QObject {
    Q_OBJECT
private slots:
    void binaryFiles()
    {
        std::string small(128, '\x11');
        small[0] = 0;
        LoadedEdidFile f = load(small);
        QVERIFY(f.binary);
        QCOMPARE(int(f.image[127]), 0x11);
        QVERIFY(std::all_of(f.image.begin() + 128, f.image.end(), [](uint8_t b) { return b == 0; }));

        f = load("");
        QVERIFY(f.binary);
        QVERIFY(f.image == EdidImage{});

        std::string big(2000, '\0');
        for (size_t i = 0; i < big.size(); ++i)
            big[i] = static_cast<char>(i % 251);
        f = load(big);
        QVERIFY(f.binary);
        QCOMPARE(int(f.image[255]), 255 % 251);
    }

    void textFiles()
    {
        // 16 groups each followed by a space, CR LF: the canonical layout.
        LoadedEdidFile f = load(lines(16, 16, "\r\n"));
        QVERIFY(!f.binary);
        QCOMPARE(int(f.text.size()), 768);
        QCOMPARE(f.text.substr(39, 8), std::string("0D 0E 0F"));
        QCOMPARE(f.text[47], '\n');
        QCOMPARE(parseAsTheBoxHoldsIt(f.text).count, 256);

        QCOMPARE(load(lines(16, 16, "\n")).text, f.text);

        // Lines of 8 groups: byte 48 is never a space before the line end,
        // so the spaces and CR LF stay and the parse fails.
        f = load(lines(8, 32, "\r\n"));
        QCOMPARE(f.text.substr(21, 5), std::string("07 \r\n"));
        QCOMPARE(parseAsTheBoxHoldsIt(f.text).count, kFormatError);

        // A canonical file loads unchanged; the look-ahead stops at 1024 bytes.
        const std::string canonical = canonicalEdidText(load(std::string(1, '\0')).image);
        QCOMPARE(load(canonical).text, canonical);
        QCOMPARE(int(load(std::string(1100, 'A')).text.size()), 1024);
        QCOMPARE(load(std::string("00 01\0 02", 9)).text, std::string("00 01"));
    }

    // The window's Load: its own forms as before, other tools' text in its
    // layout, tables longer than the box's two blocks refused.
    void textBoxLoad_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<int>("kind");
        QTest::addColumn<QByteArray>("text");    // Text: the box's text
        QTest::addColumn<QString>("problem");    // a part of it; empty: none

        std::string table(384, '\x11');
        const char header[] = "\x00\xFF\xFF\xFF\xFF\xFF\xFF\x00";
        table.replace(0, 8, header, 8);
        table[126] = 2;
        std::string hex;
        char pair[4];
        for (size_t i = 0; i < 256; ++i) {
            std::snprintf(pair, sizeof pair, "%02x", uint8_t(table[i]));
            hex += pair;
            hex += i % 16 == 15 ? "\n" : "";
        }
        const std::string boxLayout = canonicalEdidText(load(table.substr(0, 256)).image);
        const QByteArray same = QByteArray::fromStdString(lines(16, 16, "\r\n"));
        QTest::newRow("box layout, CR LF: as always") << same << int(TextBoxLoad::Text)
                                                      << QByteArray::fromStdString(load(same.toStdString()).text) << "";
        QTest::newRow("listing with heading") << QByteArray::fromStdString("\tEDID:\n" + hex) << int(TextBoxLoad::Text)
                                              << QByteArray::fromStdString(boxLayout) << "";
        EdidImage counting{};
        for (int i = 0; i < kEdidSize; ++i)
            counting[i] = uint8_t(i);
        QTest::newRow("8 groups a line") << QByteArray::fromStdString(lines(8, 32, "\r\n")) << int(TextBoxLoad::Text)
                                         << QByteArray::fromStdString(canonicalEdidText(counting)) << "";
        QTest::newRow("not hex: loaded for editing, error told")
            << QByteArray("00 FF\n00 FG\n") << int(TextBoxLoad::Text) << QByteArray("00 FF\n00 FG\n") << "line 2, column 5";
        QTest::newRow("binary 384 announcing 2 extensions") << QByteArray::fromStdString(table) << int(TextBoxLoad::Refused)
                                                            << QByteArray() << "3 blocks";
        QTest::newRow("text of 3 blocks") << QByteArray::fromStdString(hex + hex) << int(TextBoxLoad::Refused)
                                          << QByteArray() << "3 blocks";
        QTest::newRow("binary 256") << QByteArray::fromStdString(table.substr(0, 256)) << int(TextBoxLoad::Binary)
                                    << QByteArray() << "";
        QTest::newRow("2000 bytes without a header") << QByteArray(2000, '\0') << int(TextBoxLoad::Binary) << QByteArray() << "";
    }
    void textBoxLoad()
    {
        QFETCH(QByteArray, file);
        QFETCH(int, kind);
        QFETCH(QByteArray, text);
        QFETCH(QString, problem);
        const TextBoxLoad l = loadForTextBox(reinterpret_cast<const uint8_t *>(file.constData()), size_t(file.size()));
        QCOMPARE(int(l.kind), kind);
        QVERIFY2(QString::fromStdString(l.problem).contains(problem), l.problem.c_str());
        QCOMPARE(l.problem.empty(), problem.isEmpty());
        if (kind == TextBoxLoad::Binary)
            QVERIFY(std::equal(l.image.begin(), l.image.end(), reinterpret_cast<const uint8_t *>(file.constData())));
        if (kind == TextBoxLoad::Text && !text.isEmpty())
            QCOMPARE(QByteArray::fromStdString(l.text), text);
        if (kind == TextBoxLoad::Text && problem.isEmpty())
            QVERIFY(parseEdidText(upperLatin1(normalizeLineBreaks(l.text))).ok());
    }

    void atomicWrite()
    {
        QTemporaryDir dir;
        const std::filesystem::path target = std::filesystem::path(dir.path().toStdString()) / kProposedFileName;
        EdidImage image{};
        image[255] = 0x42;
        std::string error;
        QVERIFY(atomicWriteFile(target.string(), edidFileBytes(image), error));
        std::string written = readAll(target);
        QCOMPARE(int(written.size()), 256);
        QCOMPARE(int(uint8_t(written[255])), 0x42);

        image[255] = 0x43;
        QVERIFY(atomicWriteFile(target.string(), edidFileBytes(image), error));
        QCOMPARE(int(uint8_t(readAll(target)[255])), 0x43);
        QCOMPARE(int(std::distance(std::filesystem::directory_iterator(target.parent_path()), {})), 1);

        QVERIFY(!atomicWriteFile((target.parent_path() / "missing" / "x.bin").string(), edidFileBytes(image), error));
        QVERIFY(!error.empty());
    }

    // As the window's save: a link is written through, a read-only file is kept.
    void writeThroughLinksRefuseReadOnly()
    {
        namespace fs = std::filesystem;
        QTemporaryDir dir;
        const fs::path base(dir.path().toStdString());
        fs::create_directory(base / "tables");
        const fs::path real = base / "tables" / "tv.bin";
        std::ofstream(real) << "old";
        fs::create_symlink("tables/tv.bin", base / "link.bin");
        fs::create_symlink("link.bin", base / "chain.bin");
        fs::create_symlink("tables/new.bin", base / "dangling.bin");
        const std::vector<uint8_t> bytes(256, 0x5A);
        std::string error;
        for (const char *name : {"link.bin", "chain.bin", "dangling.bin"}) {
            QVERIFY2(atomicWriteFile((base / name).string(), bytes, error), name);
            QVERIFY(fs::is_symlink(base / name));
            QCOMPARE(readAll(base / name), std::string(256, 'Z'));
        }
        QCOMPARE(readAll(real), std::string(256, 'Z'));
        QCOMPARE(readAll(base / "tables" / "new.bin"), std::string(256, 'Z'));

        fs::permissions(real, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        for (const char *name : {"tables/tv.bin", "link.bin"}) {
            error.clear();
            QVERIFY(!atomicWriteFile((base / name).string(), std::vector<uint8_t>(256, 0), error));
            QVERIFY(!error.empty());
        }
        QCOMPARE(readAll(real), std::string(256, 'Z'));
        QVERIFY(fs::is_symlink(base / "link.bin"));
    }
};

QTEST_APPLESS_MAIN(TestEdidFile)
#include "tst_edid_file.moc"
