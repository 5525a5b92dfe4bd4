// SPDX-License-Identifier: GPL-3.0-or-later
// Loading binary and text EDID files, and the atomic writer.
#include "edid_file.h"

#include <QtTest/QtTest>

#include <filesystem>
#include <fstream>

#ifndef _WIN32
#include <csignal>
#include <sys/resource.h>
#endif

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

#ifndef _WIN32
    // A file with a second name is written in place; when the disk (here a
    // file size limit) has no room for the new bytes, both names keep the old.
    void sharedFileKeptWhenNoRoom()
    {
        QTemporaryDir dir;
        const std::filesystem::path file = dir.path().toStdString() + "/tv.bin", other = dir.path().toStdString() + "/b";
        const std::string old(256, 'A');
        rlimit saved{}, small{};
        QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
        const auto previous = std::signal(SIGXFSZ, SIG_IGN);
        for (const size_t size : {size_t(4096), size_t(64 * 1024)}) {
            std::filesystem::remove(other);
            std::ofstream(file, std::ios::binary | std::ios::trunc) << old;
            std::filesystem::create_hard_link(file, other);
            small = {16 * 1024, saved.rlim_max};
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
            std::string error;
            const bool written = atomicWriteFile(file.string(), std::vector<uint8_t>(size, 'B'), error);
            ::setrlimit(RLIMIT_FSIZE, &saved);
            const std::string expected = size <= small.rlim_cur ? std::string(size, 'B') : old;
            QCOMPARE(written, size <= small.rlim_cur);
            QCOMPARE(readAll(other), expected);
            QCOMPARE(readAll(file), expected);
        }
        std::signal(SIGXFSZ, previous);
    }
#endif
};

QTEST_APPLESS_MAIN(TestEdidFile)
#include "tst_edid_file.moc"
