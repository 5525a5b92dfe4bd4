// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl's EDID and injection commands against the simulated box: files
// written and read back, the upload gate, checksum repair, the decoder, and
// the CEC and infoframe frames on the wire.
#include "ctl_runner.h"

#include <QJsonDocument>
#include <QJsonObject>

namespace {

QByteArray fileBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
}

// The window's layout of a table: 16 lines of 16 upper-case groups.
QString layout(const QByteArray &table)
{
    QString text;
    for (int i = 0; i < table.size(); ++i)
        text += QString::asprintf(i % 16 == 15 ? "%02X\n" : "%02X ", uint8_t(table[i]));
    return text;
}

int countPrefix(const QStringList &wire, const QString &prefix)
{
    int n = 0;
    for (const QString &f : wire)
        n += f.startsWith(prefix) ? 1 : 0;
    return n;
}

// Sets every whole block's checksum right.
QByteArray withChecksums(QByteArray t)
{
    for (int b = 0; b + 128 <= t.size(); b += 128) {
        uint8_t sum = 0;
        for (int i = 0; i < 127; ++i)
            sum = uint8_t(sum + uint8_t(t[b + i]));
        t[b + 127] = char(uint8_t(-sum));
    }
    return t;
}

// Hex lines of `perLine` bytes, lower case, as other tools print them.
QByteArray hexText(const QByteArray &t, int perLine, const char *sep, const QByteArray &indent = {})
{
    QByteArray out;
    for (int i = 0; i < t.size(); i += perLine)
        out += indent + t.mid(i, perLine).toHex(*sep) + "\n";
    return out;
}

} // namespace

class CliEdidInject : public QObject {
    Q_OBJECT
    QByteArray bottom_; // the simulated display's table on TX B

private slots:
    void readSaveUploadAndReadBack()
    {
        CtlRunner ctl;
        const QString file = ctl.path("top.bin");
        EXPECT_STATUS(ctl.run({"edid", "read", "top", "-o", file}), 0);
        const QStringList fetch = ctl.takeWire();
        QCOMPARE(fetch.first(), QStringLiteral("10 01 B5"));
        QCOMPARE(countPrefix(fetch, "11 10 B0 "), 16);
        QCOMPARE(fetch.last(), QStringLiteral("11 10 B0 F0"));
        const QByteArray top = fileBytes(file);
        QCOMPARE(top.size(), 256);
        QVERIFY(top.startsWith(QByteArray::fromHex("00ffffffffffff00")));

        // The box's own table differs from the display's until it is uploaded.
        const CtlRun before = ctl.run({"edid", "read"});
        EXPECT_STATUS(before, 0);
        QVERIFY(before.out != layout(top));
        QCOMPARE(before.out.size(), 768);

        EXPECT_STATUS(ctl.run({"set", "edid-mode", "custom"}), 0);
        ctl.takeWire();
        EXPECT_STATUS(ctl.run({"edid", "write", file}), 0);
        const QStringList upload = ctl.takeWire();
        QCOMPARE(upload.mid(0, 2), (QStringList{"11 2A E1", "11 0E E0 06"})); // the mode gate
        QCOMPARE(countPrefix(upload, "10 08 B0 "), 32);
        QCOMPARE(upload.value(2), QStringLiteral("10 08 B0 00 ") + layout(top.left(8)).trimmed());
        QCOMPARE(upload.last(), QStringLiteral("10 08 B1"));

        const CtlRun after = ctl.run({"edid", "read", "box"});
        EXPECT_STATUS(after, 0);
        QCOMPARE(after.out, layout(top));

        const QJsonObject doc = QJsonDocument::fromJson(ctl.run({"--json", "edid", "read"}).out.toUtf8()).object();
        QCOMPARE(doc.value("hex").toString(), layout(top));
    }

    void uploadIsRefusedOutsideCustomModeOrWithABadChecksum()
    {
        CtlRunner ctl;
        const QString file = ctl.path("t.bin");
        EXPECT_STATUS(ctl.run({"edid", "read", "bottom", "-o", file}), 0);
        ctl.takeWire();

        const CtlRun automix = ctl.run({"edid", "write", file});
        EXPECT_STATUS(automix, 1);
        QVERIFY(automix.err.contains(QLatin1String("only in CUSTOM EDID mode with preset 1")));
        QCOMPARE(countPrefix(ctl.takeWire(), "10 "), 0);

        EXPECT_STATUS(ctl.run({"set", "edid-mode", "custom"}), 0);
        EXPECT_STATUS(ctl.run({"set", "edid-preset", "3"}), 0);
        EXPECT_STATUS(ctl.run({"edid", "write", file}), 1); // a built-in preset is chosen
        EXPECT_STATUS(ctl.run({"set", "edid-preset", "1"}), 0);
        ctl.takeWire();

        QByteArray broken = fileBytes(file);
        broken[20] = char(broken[20] ^ 0x01);
        writeBytes(file, broken);
        const CtlRun bad = ctl.run({"edid", "write", file});
        EXPECT_STATUS(bad, 1);
        QVERIFY(bad.err.contains(QLatin1String("checksum is wrong")));
        QCOMPARE(countPrefix(ctl.takeWire(), "10 "), 0);

        EXPECT_STATUS(ctl.run({"edid", "write", file, "--force"}), 0);
        QCOMPARE(ctl.run({"edid", "read"}).out, layout(broken)); // uploaded as it stood

        writeBytes(file, "00 FF FF ZZ\n");
        const CtlRun garbage = ctl.run({"edid", "write", file});
        EXPECT_STATUS(garbage, 1);
        QVERIFY(garbage.err.contains(QLatin1String("Hex Format Error")));
    }

    void initTestCase()
    {
        CtlRunner ctl;
        EXPECT_STATUS(ctl.run({"edid", "read", "bottom", "-o", ctl.path("b.bin")}), 0);
        bottom_ = fileBytes(ctl.path("b.bin"));
        QCOMPARE(bottom_.size(), 256);
    }

    // The README's recipe with no display on TX A stops at its first step.
    void recipeStopsWithoutADisplay_data()
    {
        QTest::addColumn<QString>("sim");
        QTest::addColumn<QStringList>("read");
        QTest::addColumn<QString>("message");
        QTest::newRow("TX A, no display") << "txa_edid=none" << QStringList{"top"} << "no display EDID on TX A";
        QTest::newRow("--force keeps the bytes, still fails")
            << "txa_edid=none" << QStringList{"top", "--force"} << "no display EDID on TX A";
    }
    void recipeStopsWithoutADisplay()
    {
        QFETCH(QString, sim);
        QFETCH(QStringList, read);
        QFETCH(QString, message);
        CtlRunner ctl;
        ctl.simConfig += ";" + sim;
        const QString file = ctl.path("tv.bin");
        const QList<QStringList> recipe = {QStringList{"edid", "read"} + read + QStringList{"-o", file},
                                           {"set", "edid-mode", "custom"}, {"edid", "write", file}};
        int step = 0;
        CtlRun r;
        while (step < recipe.size() && (r = ctl.run(recipe[step])).status == 0) // the shell's &&
            ++step;
        QCOMPARE(step, 0);
        EXPECT_STATUS(r, 1);
        QVERIFY2(r.err.contains(message), qPrintable(r.err));
        QCOMPARE(QFile::exists(file), read.contains("--force"));
        if (QFile::exists(file))
            QCOMPARE(fileBytes(file), QByteArray(256, '\0'));
        QCOMPARE(countPrefix(ctl.takeWire(), "10 08 B0 "), 0);
    }

    // Table files through write, check and check --fix. FILE stands for the file.
    void tableFiles_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("said");      // in the output; empty: no warning at all
        QTest::addColumn<QByteArray>("stored"); // write: what the box holds afterwards; empty: unchanged

        const QByteArray good = bottom_;
        QByteArray one = good.left(128);
        one[126] = 0;
        one = withChecksums(one);
        QByteArray noTiming = good;
        noTiming[0x38] = 0;
        noTiming[0x3A] = char(noTiming[0x3A] & 0x0F);
        noTiming = withChecksums(noTiming);
        QByteArray three = good + withChecksums(QByteArray(128, '\x02'));
        three[126] = 2;
        three = withChecksums(three);
        QByteArray badOne = one, badThree = three;
        badOne[127] = char(badOne[127] ^ 0x0F);
        badThree[383] = 0;
        const QByteArray listing = "\tEDID:\n" + hexText(good, 16, "", "\t\t");
        const QByteArray padded = one + QByteArray(128, '\0');
        const QStringList write{"write", "FILE"}, force{"write", "FILE", "--force"}, check{"check", "FILE"},
            fix{"check", "FILE", "--fix"};

        QTest::newRow("zeros") << QByteArray(256, '\0') << write << 1 << "no EDID header" << QByteArray();
        QTest::newRow("zeros, forced") << QByteArray(256, '\0') << force << 0 << "warning:" << QByteArray(256, '\0');
        QTest::newRow("all FF") << QByteArray(256, '\xFF') << write << 1 << "no EDID header" << QByteArray();
        QTest::newRow("one block announcing an extension")
            << withChecksums(good.left(128)) << write << 1 << "announces 1 extension block, the table holds 0" << QByteArray();
        QTest::newRow("one block") << one << write << 0 << "" << padded;
        QTest::newRow("one block padded, as the window saves") << padded << write << 0 << "" << padded;
        QTest::newRow("decoder complaint is a warning") << noTiming << write << 0 << "warning: block 0, offset 0x36" << noTiming;
        QTest::newRow("three blocks, even forced") << three << force << 1 << "at most 256 bytes" << QByteArray();
        QTest::newRow("output listing") << listing << write << 0 << "" << good;
        QTest::newRow("decoder dump, CR LF")
            << QByteArray("edid-decode (hex):\n\n" + hexText(good.left(128), 16, " ") + "\n" + hexText(good.mid(128), 16, " ")).replace("\n", "\r\n")
            << write << 0 << "" << good;
        QTest::newRow("format error: line and column")
            << QByteArray("00 ff ff ff ff ff ff 00\n00 FG\n") << write << 1 << "line 2, column 5" << QByteArray();
        QTest::newRow("check 128 bytes: block 0 only") << badOne << check << 1 << "block 0 checksum" << QByteArray();
        QTest::newRow("check 384 bytes: block 2 too") << badThree << check << 1 << "block 2 checksum 00 wrong" << QByteArray();
        QTest::newRow("check: not whole blocks") << good.left(200) << fix << 1 << "not whole 128-byte blocks" << QByteArray();
        QTest::newRow("fix 128-byte binary") << badOne << fix << 0 << "" << QByteArray();
        QTest::newRow("fix 384-byte binary") << badThree << fix << 0 << "" << QByteArray();
        QTest::newRow("fix 128 values as text") << hexText(badOne, 16, " ") << fix << 0 << "" << QByteArray();
        QTest::newRow("fix listing of 3 blocks") << "\tEDID:\n" + hexText(badThree, 16, "", "\t\t") << fix << 0 << "" << QByteArray();
    }
    void tableFiles()
    {
        QFETCH(QByteArray, file);
        QFETCH(QStringList, args);
        QFETCH(int, status);
        QFETCH(QString, said);
        QFETCH(QByteArray, stored);
        CtlRunner ctl;
        const QString path = ctl.path("table");
        writeBytes(path, file);
        const bool writing = args[0] == "write";
        QString before;
        if (writing) {
            EXPECT_STATUS(ctl.run({"set", "edid-mode", "custom"}), 0);
            before = ctl.run({"edid", "read", "--force"}).out;
            ctl.takeWire();
        }
        const CtlRun r = ctl.run(QStringList{"edid"} + args.replaceInStrings("FILE", path));
        EXPECT_STATUS(r, status);
        QVERIFY2(said.isEmpty() ? !r.err.contains("warning") : (r.out + r.err).contains(said), qPrintable(r.out + r.err));
        const QByteArray after = fileBytes(path);
        if (writing) {
            QCOMPARE(countPrefix(ctl.takeWire(), "10 08 B0 "), stored.isEmpty() ? 0 : 32);
            QCOMPARE(ctl.run({"edid", "read", "--force"}).out, stored.isEmpty() ? before : layout(stored));
        } else if (args.contains("--fix") && status == 0) {
            QCOMPARE(after.size(), file.size()); // the same form: one byte or two digits changed
            int changed = 0;
            for (int i = 0; i < file.size(); ++i)
                changed += after[i] != file[i] ? 1 : 0;
            QVERIFY(changed >= 1 && changed <= 2);
            EXPECT_STATUS(ctl.run({"edid", "check", path}), 0);
        } else {
            QCOMPARE(after, file);
            QCOMPARE(r.outLines().size(), (file.size() / 128) * (file.size() % 128 ? 0 : 1)); // blocks it has
        }
    }

    void aFailedChunkReadIsAnErrorNotATable()
    {
        CtlRunner ctl;
        ctl.simConfig += QStringLiteral(";fault=11B0:noreply:1@7");
        const QString file = ctl.path("never.bin");
        const CtlRun r = ctl.run({"edid", "read", "-o", file});
        EXPECT_STATUS(r, 4);
        QVERIFY(!QFile::exists(file));
        QVERIFY(r.out.isEmpty());
    }

    void checkFindsAndRepairsChecksums_data()
    {
        QTest::addColumn<bool>("text");
        QTest::newRow("binary file") << false;
        QTest::newRow("hex text file") << true;
    }
    void checkFindsAndRepairsChecksums()
    {
        QFETCH(bool, text);
        CtlRunner ctl;
        const QString bin = ctl.path("a.bin");
        EXPECT_STATUS(ctl.run({"edid", "read", "top", "-o", bin}), 0);
        QByteArray table = fileBytes(bin);
        const uint8_t right = uint8_t(table[255]);
        table[255] = char(right + 1);
        const QString file = text ? ctl.path("a.txt") : bin;
        writeBytes(file, text ? layout(table).toLatin1() : table);

        const CtlRun check = ctl.run({"edid", "check", file});
        EXPECT_STATUS(check, 1);
        QCOMPARE(check.outLines().value(0).endsWith(QLatin1String("correct")), true);
        QCOMPARE(check.outLines().value(1),
                 QString::asprintf("block 1 checksum %02X wrong, should be %02X", uint8_t(right + 1), right));
        QCOMPARE(fileBytes(file), text ? layout(table).toLatin1() : table); // a check changes nothing

        EXPECT_STATUS(ctl.run({"edid", "check", file, "--fix"}), 0);
        table[255] = char(right);
        QCOMPARE(fileBytes(file), text ? layout(table).toLatin1() : table); // same form, fixed
        EXPECT_STATUS(ctl.run({"edid", "check", file}), 0);
        EXPECT_STATUS(ctl.run({"edid", "check", "-"}, layout(table).toLatin1()), 0);
    }

    void decodeSaysWhatTheTableAdvertises()
    {
        CtlRunner ctl;
        const QString file = ctl.path("top.bin");
        EXPECT_STATUS(ctl.run({"edid", "read", "top", "-o", file}), 0);
        const CtlRun text = ctl.run({"edid", "decode", file});
        EXPECT_STATUS(text, 0);
        QVERIFY(text.out.contains(QLatin1String("Manufacturer: KST")));
        QVERIFY(text.out.contains(QLatin1String("3840x2160")));

        const CtlRun json = ctl.run({"edid", "decode", "-", "--json"}, layout(fileBytes(file)).toLatin1());
        EXPECT_STATUS(json, 0);
        const QJsonDocument doc = QJsonDocument::fromJson(json.out.toUtf8());
        QVERIFY(doc.isObject());
        QVERIFY2(json.out.contains(QLatin1String("\"KST\"")), qPrintable(json.out.left(400)));

        QByteArray broken = fileBytes(file);
        broken[127] = char(broken[127] + 1);
        writeBytes(file, broken);
        const CtlRun bad = ctl.run({"edid", "decode", file});
        EXPECT_STATUS(bad, 1);
        QVERIFY(bad.out.contains(QLatin1String("hecksum")));
    }

    void injectionsSendTheWindowsFrames_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QStringList>("frames");
        QTest::newRow("cec send") << QStringList{"cec", "send", "50:04"} << QStringList{"10 03 B2 50 01 04", "10 03 B3 10"};
        QTest::newRow("cec store lp")
            << QStringList{"cec", "store", "lp", "HDR ON"} << QStringList{"10 0B E4 43 45 43 20 48 44 52 20 4F 4E 0D"};
        QTest::newRow("hdr infoframe") << QStringList{"infoframe", "hdr", "87:01:1a:02"}
                                       << QStringList{"10 04 E5 87 01 1A 02", "10 04 B3 20"};
        QTest::newRow("avi, replace from the box's setting")
            << QStringList{"infoframe", "avi", "82:02:0d:10"}
            << QStringList{"11 2A E1", "11 0E E0 06", "10 04 E6 82 02 0D 10", "10 04 B3 80", "10 04 E0 21 00"};
        QTest::newRow("avi, replace on") << QStringList{"infoframe", "avi", "82:02:0d:10", "--replace", "on"}
                                         << QStringList{"10 04 E6 82 02 0D 10", "10 04 B3 80", "10 04 E0 21 01"};
    }
    void injectionsSendTheWindowsFrames()
    {
        QFETCH(QStringList, args);
        QFETCH(QStringList, frames);
        CtlRunner ctl;
        EXPECT_STATUS(ctl.run(args), 0);
        QCOMPARE(ctl.takeWire(), frames);
    }

    void injectionFailuresAndRefusals_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("sim");
        QTest::addColumn<int>("status");
        QTest::addColumn<int>("frames");
        QTest::newRow("no colon") << QStringList{"cec", "send", "5004"} << "" << 1 << 0;
        QTest::newRow("not hex") << QStringList{"infoframe", "hdr", "87:0g:1a"} << "" << 1 << 0;
        QTest::newRow("too long avi") << QStringList{"infoframe", "avi", "01:02:03:04:05:06:07:08:09:0a:0b:0c:0d:0e:0f", "--replace", "off"} << "" << 1 << 0;
        QTest::newRow("store text too short") << QStringList{"cec", "store", "sp", "ab"} << "" << 1 << 0;
        QTest::newRow("load not echoed") << QStringList{"cec", "send", "50:04"} << "fault=B2:wrongcode" << 4 << 2;
        QTest::newRow("activation not echoed") << QStringList{"infoframe", "hdr", "87:01:1a:02"} << "fault=B3:wrongcode" << 4 << 2;
        QTest::newRow("avi load refused") << QStringList{"infoframe", "avi", "82:02:0d", "--replace", "on"} << "fault=E6:wrongcode" << 4 << 1;
        QTest::newRow("store lost") << QStringList{"cec", "store", "sp", "hello"} << "fault=E3:noreply" << 4 << 1;
    }
    void injectionFailuresAndRefusals()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, sim);
        QFETCH(int, status);
        QFETCH(int, frames);
        CtlRunner ctl;
        ctl.simConfig = sim;
        const CtlRun r = ctl.run(args);
        EXPECT_STATUS(r, status);
        QVERIFY(!r.out.contains(QLatin1String("sent")));
        QCOMPARE(ctl.takeWire().size(), frames);
    }
};

QTEST_GUILESS_MAIN(CliEdidInject)
#include "tst_cli_edid_inject.moc"
