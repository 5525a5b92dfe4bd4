// SPDX-License-Identifier: GPL-3.0-or-later
// Exports read back in their targets' forms, and the library's entries kept
// across instances (a restart) with names that cannot leave its folder.
#include "edid_export.h"
#include "edid_library.h"

#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

using namespace vantrel::edid;

namespace {

// Two blocks of a real-looking table: header, id SAM 0x7256, a second block
// that is not zeros, then a zero block of file padding.
std::vector<uint8_t> sampleTable()
{
    std::vector<uint8_t> t(384, 0);
    const uint8_t header[] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0, 0x4C, 0x2D, 0x56, 0x72};
    std::copy(std::begin(header), std::end(header), t.begin());
    for (size_t i = 12; i < 256; ++i)
        t[i] = uint8_t(i * 7);
    return t;
}

// What regedit reads of a .reg file: keys, and "name"=hex: values whose
// lines continue after a backslash.
QMap<QString, QByteArray> readReg(const QByteArray &file, QString *key)
{
    QMap<QString, QByteArray> values;
    const QString text = QString::fromLatin1(file).replace(QRegularExpression(QStringLiteral("\\\\\r\n\\s*")), QString());
    static const QRegularExpression value(QStringLiteral("^\"([^\"]+)\"=hex:([0-9a-f,]*)$"));
    for (const QString &line : text.split(QStringLiteral("\r\n"))) {
        if (line.startsWith('[') && line.endsWith(']'))
            *key = line.mid(1, line.size() - 2);
        const QRegularExpressionMatch m = value.match(line.trimmed());
        if (m.hasMatch())
            values[m.captured(1)] = QByteArray::fromHex(m.captured(2).remove(',').toLatin1());
    }
    return values;
}

} // namespace

class EdidLibraryTest : public QObject {
    Q_OBJECT

private slots:
    void exportsReadBack()
    {
        const std::vector<uint8_t> bytes = sampleTable();
        const QByteArray table(reinterpret_cast<const char *>(bytes.data()), 256); // the padding block left out
        QCOMPARE(QString::fromStdString(displayId(bytes)), QString("SAM7256"));

        ExportRequest linux;
        linux.format = ExportFormat::Linux;
        linux.connector = "HDMI-A-1";
        ExportResult r = exportTable(bytes, linux);
        QCOMPARE(QByteArray(reinterpret_cast<const char *>(r.bytes.data()), int(r.bytes.size())), table);
        QCOMPARE(QString::fromStdString(r.fileName), QString("SAM7256.bin"));
        const QString steps = QString::fromStdString(r.steps.at(0) + "\n" + r.steps.at(2));
        QVERIFY2(steps.contains("/usr/lib/firmware/edid/SAM7256.bin") &&
                     steps.contains("drm.edid_firmware=HDMI-A-1:edid/SAM7256.bin"),
                 qPrintable(steps));

        ExportRequest windows;
        windows.format = ExportFormat::Windows;
        windows.instance = "5&1a2b3c&0&UID4352";
        r = exportTable(bytes, windows);
        const QByteArray reg(reinterpret_cast<const char *>(r.bytes.data()), int(r.bytes.size()));
        QVERIFY(reg.startsWith("Windows Registry Editor Version 5.00\r\n\r\n["));
        QString key;
        const QMap<QString, QByteArray> values = readReg(reg, &key);
        QCOMPARE(key, QString("HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\SAM7256\\"
                              "5&1a2b3c&0&UID4352\\Device Parameters\\EDID_OVERRIDE"));
        QCOMPARE(values.keys(), (QStringList{"0", "1"}));
        QCOMPARE(values["0"] + values["1"], table);
        for (const QByteArray &line : reg.split('\n'))
            QVERIFY2((line.size() <= 80 || line.startsWith('[')) && (line.isEmpty() || line.endsWith('\r')),
                     line.constData());

        ExportRequest text;
        text.format = ExportFormat::Base64;
        r = exportTable(bytes, text);
        QCOMPARE(QByteArray::fromBase64(QByteArray(reinterpret_cast<const char *>(r.bytes.data()), int(r.bytes.size()))),
                 table);
        text.format = ExportFormat::Hex;
        r = exportTable(bytes, text);
        const QByteArray hex(reinterpret_cast<const char *>(r.bytes.data()), int(r.bytes.size()));
        QCOMPARE(hex.count('\n'), 16);
        QCOMPARE(QByteArray::fromHex(hex), table);
        text.format = ExportFormat::CArray;
        r = exportTable(bytes, text);
        const QString c = QString::fromLatin1(reinterpret_cast<const char *>(r.bytes.data()), int(r.bytes.size()));
        QVERIFY2(c.contains("static const unsigned char SAM7256_edid[256] = {\n    0x00, 0xff,"), qPrintable(c));
        QCOMPARE(c.count("0x"), 256);
    }

    void libraryKeepsEntries()
    {
        QTemporaryDir dir;
        const std::string folder = dir.filePath("data/edid-library").toStdString();
        LibraryEntry e;
        e.name = "living room TV";
        e.source = "designer";
        e.detail = "TX A display";
        e.edits = {"--max-tmds: TMDS clock capped at 300 MHz", "--no-3d"};
        e.table = tableBlocks(sampleTable());
        std::string error;
        QVERIFY2(EdidLibrary(folder).save(e, false, error), error.c_str());
        QVERIFY(!EdidLibrary(folder).save(e, false, error)); // not replaced unless asked
        QVERIFY(QString::fromStdString(error).contains("already holds"));

        // A second instance, as after a restart, reads what the first wrote.
        const auto back = EdidLibrary(folder).load("living room TV", error);
        QVERIFY2(back, error.c_str());
        QCOMPARE(back->table, e.table);
        QCOMPARE(back->edits, e.edits);
        QCOMPARE(back->source + " " + back->detail, std::string("designer TX A display"));
        QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\+00:00$")
                    .match(QString::fromStdString(back->savedAt)).hasMatch());

        // Names that would leave the folder or hide a file are no names.
        for (const char *bad : {"", "../x", "a/b", "a\\b", ".hidden", "x:", " lead", "tab\x01", "nul.tv", "COM1"})
            QVERIFY2(!EdidLibrary::nameProblem(bad).empty(), bad);
        QVERIFY(!EdidLibrary(folder).save(LibraryEntry{"../escape", "file", "", {}, "", e.table}, true, error));
        QVERIFY(!QFile::exists(dir.filePath("data/escape.json")));

        // A damaged entry is said, the others still listed.
        QFile broken(dir.filePath("data/edid-library/broken.json"));
        QVERIFY(broken.open(QIODevice::WriteOnly) && broken.write("{\"table\": [[[[1]]]]}") > 0);
        broken.close();
        std::vector<std::string> problems;
        const std::vector<LibraryEntry> all = EdidLibrary(folder).list(&problems);
        QCOMPARE(all.size(), size_t(1));
        QCOMPARE(problems.size(), size_t(1));
        QVERIFY(EdidLibrary(folder).remove("living room TV", error));
        QVERIFY(EdidLibrary(folder).list().empty());
    }
};

QTEST_GUILESS_MAIN(EdidLibraryTest)
#include "tst_edid_library.moc"
