// SPDX-License-Identifier: GPL-3.0-or-later
// The box's EDID side: the transfer buffer round trip, busy periods, which
// table each mode presents, how automix mixes, and that every table it can
// produce passes edid-decode's conformity check.
#include "sim_fixture.h"
#include "sim_edid.h"
#include "sim_tables.h"

#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

#include <algorithm>
#include <fstream>

using namespace vantrel;
using sim::EdidTable;

namespace {

EdidTable readTable(SimBox &box, uint8_t fetchCode)
{
    box.exchange(frame::edidFetch(fetchCode));
    EdidTable t{};
    for (int off = 0; off < 256; off += 16) {
        auto r = box.exchange(frame::edidChunkRead(static_cast<uint8_t>(off)), 16);
        std::copy_n(r.begin(), 16, t.begin() + off);
    }
    return t;
}

bool hasAudio(const sim::EdidCaps &c, uint8_t code)
{
    return std::any_of(c.audio.begin(), c.audio.end(), [&](const sim::AudioFormat &a) { return a.code == code; });
}

bool hasVic(const sim::EdidCaps &c, uint8_t vic) { return std::count(c.vics.begin(), c.vics.end(), vic) > 0; }

} // namespace

class SimEdid : public QObject {
    Q_OBJECT
private slots:
    void uploadStoreFetchRoundTrip();
    void busyPeriods();
    void tablesPerModeAndPreset();
    void displaysFromFiles();
    void automixAlgorithms();
    void automixOptions();
    void capsSurviveATableRoundTrip();
    void anyDisplayTableMixesIntoAValidOne();
    void everyTablePassesEdidDecode();
};

void SimEdid::uploadStoreFetchRoundTrip()
{
    SimBox box;
    box.write(5, 3); // custom mode, preset 1
    EdidTable upload = sim::presetTable(12);
    upload[0x60] ^= 0x55; // something no built-in table holds
    sim::fixChecksums(upload);
    for (int i = 0; i < 32; ++i) {
        auto r = box.exchange(frame::edidChunkWrite(static_cast<uint8_t>(8 * i), upload.data() + 8 * i));
        QCOMPARE(r[0], frame::kEdidChunk);
    }
    QCOMPARE(box.model().transferBuffer(), upload);
    QVERIFY(!box.model().customUploaded());
    QCOMPARE(box.exchange(frame::edidStore())[0], frame::kEdidStore);
    QCOMPARE(box.model().customTable(), upload);

    // Overwrite the buffer with a display's table, then fetch the box's own.
    QCOMPARE(readTable(box, frame::kFetchTxAEdid), *box.model().displayTable(false));
    QCOMPARE(readTable(box, frame::kFetchBoxEdid), upload);
    // Chunk replies are raw bytes, not echoed.
    box.exchange(frame::edidFetch(frame::kFetchBoxEdid));
    auto r = box.exchange(frame::edidChunkRead(0), 16);
    QCOMPARE(r[0], uint8_t(0x00));
    QCOMPARE(r[1], uint8_t(0xFF));
}

void SimEdid::busyPeriods()
{
    SimBox box("busy_fetch_ms=100;busy_store_ms=300;busy_edid_ms=1000");
    auto busyBit = [&] { return box.readBlock()[1] & frame::kBusyBit; };
    QCOMPARE(busyBit(), 0);
    box.exchange(frame::edidFetch(frame::kFetchBoxEdid));
    QCOMPARE(busyBit(), 1);
    // Other replies carry the bit as well.
    QCOMPARE(box.exchange(frame::registerWrite(22, 1))[1] & 1, 1);
    box.clock.now += 99;
    QCOMPARE(busyBit(), 1);
    box.clock.now += 2;
    QCOMPARE(busyBit(), 0);

    box.exchange(frame::edidStore());
    box.clock.now += 299;
    QCOMPARE(busyBit(), 1);
    box.clock.now += 2;
    QCOMPARE(busyBit(), 0);

    for (uint8_t reg : {5, 14}) {
        box.write(reg, 2);
        box.clock.now += 999;
        QCOMPARE(busyBit(), 1);
        box.clock.now += 2;
        QCOMPARE(busyBit(), 0);
    }
    box.write(22, 0); // not an EDID setting
    QCOMPARE(busyBit(), 0);
}

void SimEdid::tablesPerModeAndPreset()
{
    SimBox box;
    box.write(5, 2);
    QCOMPARE(box.model().presentedTable(), sim::fixedTable());
    box.write(5, 3);
    QCOMPARE(box.model().presentedTable(), sim::defaultCustomTable());
    for (int p = sim::kFirstPreset; p <= sim::kLastPreset; ++p) {
        box.write(14, static_cast<uint8_t>(p));
        QCOMPARE(box.model().presentedTable(), sim::presetTable(p));
    }
    box.write(5, 1);
    QCOMPARE(box.model().presentedTable(),
             sim::automixTable(box.model().displayTable(false), box.model().displayTable(true), sim::MixOptions{}));

    // What the preset texts promise.
    auto caps = [](int p) { return sim::readEdidCaps(sim::presetTable(p)); };
    QVERIFY(hasVic(caps(2), 97) && caps(2).maxTmdsMhz == 600 && caps(2).eotfs && caps(2).bt2020);
    QVERIFY(hasAudio(caps(2), 11) && !hasAudio(caps(3), 11) && caps(3).audio.size() == 1);
    QVERIFY(!caps(4).eotfs && !caps(4).bt2020);
    QVERIFY(!hasVic(caps(6), 97) && hasVic(caps(6), 96));
    QVERIFY(!hasVic(caps(8), 97) && caps(8).vics420Only.size() == 2 && (caps(8).deepColor420 & sim::kDc420_36));
    QVERIFY(caps(12).deepColor420 == 0 && caps(12).maxTmdsMhz == 300);
    QVERIFY(caps(14).ycbcr444 && !caps(16).ycbcr444 && !caps(16).ycbcr422);
    QVERIFY(hasVic(caps(18), 93) && !hasVic(caps(18), 95) && caps(18).ycbcr422 && caps(18).bt2020);
    QVERIFY(!hasVic(caps(20), 93) && hasVic(caps(20), 16) && !caps(20).eotfs && caps(21).eotfs);
    QVERIFY(!hasVic(caps(22), 16) && hasVic(caps(22), 32));
    QVERIFY(!hasVic(caps(24), 32) && hasVic(caps(24), 5));
}

void SimEdid::displaysFromFiles()
{
    QTemporaryDir dir;
    EdidTable t = sim::presetTable(20);
    t[0x20] = 0x42; // the display's own bytes come back as they are, checksum and all
    std::string path = dir.filePath("tv.bin").toStdString();
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char *>(t.data()), 256);

    SimBox box("txb_edid=" + path + ";txa_edid=none");
    QVERIFY(box.errors.empty());
    QCOMPARE(readTable(box, frame::kFetchTxBEdid), t);
    QCOMPARE(readTable(box, frame::kFetchTxAEdid), EdidTable{});
    // Automix with one display is that display's capabilities.
    auto mixed = sim::readEdidCaps(box.model().presentedTable());
    QVERIFY(!hasVic(mixed, 95) && hasVic(mixed, 16));

    SimBox bad("txa_edid=" + dir.filePath("missing.bin").toStdString());
    QCOMPARE(bad.errors.size(), size_t(1));
}

void SimEdid::automixAlgorithms()
{
    const sim::EdidCaps top = sim::topDisplayCaps(), bottom = sim::bottomDisplayCaps();
    auto mix = [&](int algorithm) {
        sim::MixOptions o;
        o.algorithm = algorithm;
        sim::EdidCaps c = sim::mixCaps(&top, &bottom, o);
        sim::normalise(c);
        return c;
    };
    // The top set carries 4k60 in RGB; the bottom one only in 4:2:0 and only E-AC-3 is top-only audio.
    sim::EdidCaps minMixed = mix(0), maxAudio = mix(1), topOnly = mix(2), maxMax = mix(3);
    QVERIFY(!hasVic(minMixed, 97) && std::count(minMixed.vics420Only.begin(), minMixed.vics420Only.end(), 97));
    QCOMPARE(minMixed.maxTmdsMhz, 300);
    QVERIFY(!hasAudio(minMixed, 7) && !hasAudio(minMixed, 10) && hasAudio(minMixed, 2));
    QVERIFY(!minMixed.eotfs && !minMixed.stereo3d);

    QVERIFY(!hasVic(maxAudio, 97));
    QVERIFY(hasAudio(maxAudio, 7) && hasAudio(maxAudio, 10) && hasAudio(maxAudio, 12));

    QVERIFY(hasVic(topOnly, 97) && topOnly.eotfs && !hasAudio(topOnly, 7));

    QVERIFY(hasVic(maxMax, 97) && maxMax.maxTmdsMhz == 600 && maxMax.eotfs && maxMax.stereo3d);
    QVERIFY(hasAudio(maxMax, 7) && hasAudio(maxMax, 10));
}

void SimEdid::automixOptions()
{
    const sim::EdidCaps top = sim::topDisplayCaps(), bottom = sim::bottomDisplayCaps();
    auto mix = [&](auto set) {
        sim::MixOptions o;
        o.algorithm = 0;
        set(o);
        return sim::readEdidCaps(sim::buildEdid(sim::mixCaps(&top, &bottom, o)));
    };
    auto stereo = mix([](sim::MixOptions &o) { o.stereoOnly = true; o.fullAudio = true; });
    QCOMPARE(stereo.audio.size(), size_t(1));
    QCOMPARE(stereo.audio[0].channels, uint8_t(2));
    auto full = mix([](sim::MixOptions &o) { o.fullAudio = true; });
    QVERIFY(hasAudio(full, 11) && hasAudio(full, 12));
    auto five = mix([](sim::MixOptions &o) { o.fullAudio = true; o.cap51 = true; });
    QVERIFY(std::all_of(five.audio.begin(), five.audio.end(), [](const sim::AudioFormat &a) { return a.channels <= 6; }));
    auto extras = mix([](sim::MixOptions &o) { o.hdr = true; o.bt2020 = true; o.ycbcr = true; });
    QVERIFY(extras.eotfs & sim::kEotfPq);
    QVERIFY(extras.bt2020 && extras.ycbcr444 && extras.ycbcr422);
    sim::MixOptions widest;
    widest.algorithm = 3;
    QVERIFY(sim::readEdidCaps(sim::buildEdid(sim::mixCaps(&top, &bottom, widest))).stereo3d);
    widest.no3d = true;
    QVERIFY(!sim::readEdidCaps(sim::buildEdid(sim::mixCaps(&top, &bottom, widest))).stereo3d);
}

void SimEdid::capsSurviveATableRoundTrip()
{
    for (sim::EdidCaps c : {sim::topDisplayCaps(), sim::bottomDisplayCaps(), sim::presetCaps(8), sim::presetCaps(16)}) {
        sim::normalise(c);
        sim::EdidCaps back = sim::readEdidCaps(sim::buildEdid(c));
        std::vector<uint8_t> vics = c.vics, backVics = back.vics;
        std::sort(vics.begin(), vics.end());
        std::sort(backVics.begin(), backVics.end());
        QCOMPARE(backVics, vics);
        QCOMPARE(back.vics420Only, c.vics420Only);
        QCOMPARE(back.hdmiVics, c.hdmiVics);
        QCOMPARE(back.maxTmdsMhz, c.maxTmdsMhz);
        QCOMPARE(back.eotfs, c.eotfs);
        QCOMPARE(back.audio.size(), c.audio.size());
        QCOMPARE(back.name, c.name);
        QCOMPARE(back.vendor, c.vendor);
        QCOMPARE(back.ycbcr444, c.ycbcr444);
        QCOMPARE(back.deepColor420, c.deepColor420);
        QCOMPARE(back.stereo3d, c.stereo3d);
    }
}

void SimEdid::anyDisplayTableMixesIntoAValidOne()
{
    // A display file may hold anything; the box still presents a sound table.
    QRandomGenerator rng(2023);
    const EdidTable good = sim::buildEdid(sim::topDisplayCaps());
    for (int i = 0; i < 300; ++i) {
        EdidTable t = good;
        for (int k = 0; k < (i < 150 ? 8 : 256); ++k)
            t[rng.bounded(256)] = static_cast<uint8_t>(rng.bounded(256));
        EdidTable mixed = sim::automixTable(&t, &good, sim::MixOptions{});
        QVERIFY(sim::checksumsValid(mixed));
        QCOMPARE(mixed[0], uint8_t(0x00));
        QCOMPARE(mixed[128], uint8_t(0x02));
    }
}

void SimEdid::everyTablePassesEdidDecode()
{
    const std::vector<std::pair<QString, EdidTable>> tables = everySimulatedTable();
    for (const auto &[name, t] : tables)
        QVERIFY2(sim::checksumsValid(t), qPrintable(name));

    const QString tool = QStandardPaths::findExecutable("edid-decode");
    if (tool.isEmpty())
        QSKIP("edid-decode is not installed");
    QTemporaryDir dir;
    const QString file = dir.filePath("t.bin");
    int checked = 0;
    for (const auto &[name, t] : tables) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char *>(t.data()), 256);
        f.close();
        QProcess p;
        p.start(tool, {"--check", file});
        QVERIFY(p.waitForFinished(20000));
        const QString out = QString::fromLatin1(p.readAllStandardOutput() + p.readAllStandardError());
        int findings = std::max(out.indexOf("\nWarnings:"), out.indexOf("\nFailures:"));
        QVERIFY2(out.contains("EDID conformity: PASS") && findings < 0, qPrintable(name + ":" + out.mid(findings, 800)));
        ++checked;
    }
    qInfo("edid-decode checked %d tables", checked);
}

QTEST_GUILESS_MAIN(SimEdid)
#include "tst_sim_edid.moc"
