// SPDX-License-Identifier: GPL-3.0-or-later
// The decoder on hand-built tables: the facts of each block type, the
// problems it reports with their location, and its behaviour on any input.
#include "edid_import.h"
#include "edid_report.h"
#include "legacy_timings.h"
#include "vic_names.h"

#include <cmath>
#include <functional>
#include "sample_tables.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRandomGenerator>
#include <QtTest>

using namespace vantrel::edid;
using namespace edidtest;

namespace {

const DataBlock *findBlock(const EdidReport &r, BlockKind kind, unsigned nth = 0)
{
    for (const ExtensionBlock &ext : r.extensions)
        if (ext.cta)
            for (const DataBlock &db : ext.cta->dataBlocks)
                if (db.kind == kind && nth-- == 0)
                    return &db;
    return nullptr;
}

// Problems whose message contains the text, as "block/offset/severity".
QStringList problemsWith(const EdidReport &r, const char *text)
{
    QStringList out;
    for (const Problem &p : r.problems)
        if (QString::fromStdString(p.message).contains(QLatin1String(text)))
            out << QStringLiteral("%1/%2/%3").arg(p.block).arg(p.offset).arg(p.severity == Severity::Error ? "E" : "W");
    return out;
}

EdidReport decodeCta(const CtaBuilder &cta)
{
    return decodeEdid(table(baseBlock(), {cta.bytes()}));
}

} // namespace

class EdidDecoderTest : public QObject {
    Q_OBJECT

private slots:
    void baseBlockFacts()
    {
        const EdidReport r = decodeEdid(fullTable());
        const BaseBlock &b = r.base;
        QVERIFY(r.hasBase);
        QCOMPARE(QString::fromStdString(b.manufacturer), QString("VTL"));
        QCOMPARE(b.productCode, uint16_t(0x1234));
        QCOMPARE(b.serialNumber, 16909060u);
        QCOMPARE(b.week, 12u);
        QCOMPARE(b.year, 2021u);
        QCOMPARE(b.version * 10 + b.revision, 13u);
        QCOMPARE(b.displayNames, std::vector<std::string>{"VANTREL TEST"});
        QCOMPARE(QString::fromStdString(b.serialText), QString("SN0001"));
        QVERIFY(b.rangeLimits);
        QCOMPARE(b.rangeLimits->minVHz, 24u);
        QCOMPARE(b.rangeLimits->maxHKHz, 135u);
        QCOMPARE(b.rangeLimits->maxPixelClockMHz, 600u);
        QCOMPARE(b.timings.size(), size_t(1));
        const DetailedTiming &t = b.timings[0];
        QCOMPARE(t.pixelClockKHz, 148500u);
        QCOMPARE(t.hActive, 1920u);
        QCOMPARE(t.frameHeight(), 1080u);
        QCOMPARE(t.hFront + t.hSync, 132u);
        QCOMPARE(t.vSync, 5u);
        QCOMPARE(t.widthMm, 600u);
        QVERIFY(qAbs(t.refreshHz() - 60.0) < 1e-9);
        QVERIFY(t.hSyncPositive && t.vSyncPositive);
        QVERIFY(b.checksumOk);
        QCOMPARE(r.extensions.size(), size_t(1));
        QVERIFY2(r.problems.empty(), edidReportText(r).c_str());
    }

    void modelYearAndInterlacedTiming()
    {
        Bytes t = interlacedTable();
        t[16] = 0xFF;
        fixChecksum(t, 0);
        const EdidReport r = decodeEdid(t);
        QVERIFY(r.base.modelYear);
        const DetailedTiming &i = r.base.timings.at(0);
        QVERIFY(i.interlaced);
        QCOMPARE(i.frameHeight(), 1080u);
        QVERIFY(qAbs(i.refreshHz() - 60.0) < 1e-9); // field rate over 562.5 lines
        QCOMPARE(r.extensions.at(0).cta->timings.at(0).pixelClockKHz, 27000u);
    }

    void videoBlocks()
    {
        const EdidReport r = decodeEdid(hdmi21Table());
        const DataBlock *vdb = findBlock(r, BlockKind::Video);
        QVERIFY(vdb);
        QList<unsigned> vics;
        for (const Vic &v : vdb->vics)
            vics << v.vic;
        QCOMPARE(vics, (QList<unsigned>{16, 97, 117, 118, 199, 200}));
        QVERIFY(vdb->vics[0].native && !vdb->vics[1].native);
        // Names and timings of the standard's table, including the codes
        // a box may name differently and the two ends of the upper range.
        const QList<QPair<unsigned, const char *>> names = {
            {16, "1920x1080p60"}, {5, "1920x1080i60"}, {1, "640x480p60"}, {8, "1440x240p60"},
            {76, "1920x1080p60 64:27"}, {90, "2560x1080p60 64:27"}, {97, "3840x2160p60"},
            {117, "3840x2160p100"}, {127, "5120x2160p100 64:27"}, {193, "5120x2160p120 64:27"},
            {219, "4096x2160p120 256:135"}, {128, ""}, {192, ""}, {220, ""}, {0, ""}};
        for (const auto &[vic, name] : names)
            QVERIFY2(vicName(vic) == name, qPrintable(QString::number(vic)));
        QCOMPARE(vicFormat(16)->hFreqKHz(), 67.5);
        QCOMPARE(std::lround(vicFormat(5)->refreshHz() * 1000), 60000L);
        QCOMPARE(vicFormat(97)->pixelClockKHz, 594000u);
        QCOMPARE(QString::fromStdString(vdb->vics[2].name), QString("3840x2160p100"));

        const EdidReport reserved = decodeCta(CtaBuilder().block(2, {0x00, 0x80, 0xFF, 220}));
        QCOMPARE(problemsWith(reserved, "reserved video code").size(), 2);
        QCOMPARE(findBlock(reserved, BlockKind::Video)->vics.size(), size_t(2));
        QCOMPARE(problemsWith(reserved, "unknown VIC 220"), QStringList{"1/132/E"});

        // Native 16 after plain 16 is the same code twice.
        const EdidReport twice = decodeCta(CtaBuilder().block(2, {16, 0x90}).extended(14, {16}));
        QCOMPARE(problemsWith(twice, "duplicate VIC 16"), QStringList{"1/132/E"});
        QCOMPARE(problemsWith(twice, "VIC 16 is also a regular VIC"), QStringList{"1/135/E"});
    }

    void y420Blocks()
    {
        const EdidReport r = decodeEdid(fullTable());
        const DataBlock *map = findBlock(r, BlockKind::Y420CapabilityMap);
        QVERIFY(map && !map->y420AllVics);
        QCOMPARE(map->y420MapVics, (std::vector<unsigned>{16, 4}));
        const std::vector<Vic> all = r.allVics();
        QVERIFY(all[0].ycbcr420Also && all[1].ycbcr420Also && !all[2].ycbcr420Also);
        const DataBlock *only = findBlock(r, BlockKind::Y420Video);
        QCOMPARE(only->vics.size(), size_t(2));
        QVERIFY(only->vics[0].ycbcr420Only);
        QCOMPARE(only->vics[1].vic, 101u);

        const EdidReport everyVic = decodeEdid(hdmi21Table());
        QVERIFY(findBlock(everyVic, BlockKind::Y420CapabilityMap)->y420AllVics);
        QCOMPARE(findBlock(everyVic, BlockKind::Y420CapabilityMap)->y420MapVics.size(), size_t(6));

        const EdidReport beyond = decodeCta(CtaBuilder().block(2, {16, 4}).extended(15, {0x04}));
        QCOMPARE(problemsWith(beyond, "video descriptor 3 of 2").size(), 1);
        const EdidReport noVideo = decodeCta(CtaBuilder().extended(15, {0x01}));
        QCOMPARE(problemsWith(noVideo, "no video data block").size(), 1);

        // Bits count SVD byte positions: reserved bytes 0x00 and 0x80 take
        // a bit each. Bits 1 (0x00), 2 (97) and 4 (4) are set.
        const EdidReport gaps = decodeCta(CtaBuilder().block(2, {16, 0x00, 97, 0x80, 4}).extended(15, {0x16}));
        QCOMPARE(findBlock(gaps, BlockKind::Y420CapabilityMap)->y420MapVics, (std::vector<unsigned>{97, 4}));
        QCOMPARE(problemsWith(gaps, "reserved video code byte"), (QStringList{"1/132/W", "1/132/W"}));
        const EdidReport empty = decodeCta(CtaBuilder().block(2, {16}).extended(15, {0x00}));
        QCOMPARE(problemsWith(empty, "empty capability map"), QStringList{"1/134/E"});
    }

    // Rules across blocks, each from a table that breaks only that rule.
    void conformityRules_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QString>("message");
        QTest::addColumn<QString>("severity"); // "E", "W"; "" when the table conforms
        const CtaBuilder good = CtaBuilder().block(2, {0x90, 4}).extended(0, {0x40});
        auto row = [](const char *name, Bytes t, const char *message, const char *severity) {
            QTest::newRow(name) << QByteArray(reinterpret_cast<const char *>(t.data()), int(t.size()))
                                << QString(message) << QString(severity);
        };
        auto withBase = [&](std::function<void(Bytes &)> edit, const CtaBuilder &cta) {
            Bytes b = baseBlock();
            edit(b);
            return table(b, {cta.bytes()});
        };
        auto base = [&](std::function<void(Bytes &)> edit) { return withBase(edit, good); };
        auto cta = [&](const CtaBuilder &c) { return table(baseBlock(), {c.bytes()}); };
        Dtd far; far.widthMm = 1000; far.heightMm = 560;
        Dtd unsized; unsized.widthMm = unsized.heightMm = 0;
        Dtd fast; fast.pixelClockKHz = 150000; // 60.6 Hz

        row("conforming", cta(good), "", "");
        row("no VCDB", cta(CtaBuilder().block(2, {0x90})), "no Video Capability Data Block", "E");
        row("RGB range fixed", cta(CtaBuilder().block(2, {0x90}).extended(0, {0x00})), "not selectable", "E");
        row("IT underscan vs header", cta(CtaBuilder(0x71).block(2, {0x90}).extended(0, {0x48})), "always underscanned", "E");
        row("DTD larger than display", base([&](Bytes &b) { setDescriptor(b, 0, dtdBytes(far)); }), "image size 1000x560", "E");
        row("DTD max size", base([&](Bytes &b) { setDescriptor(b, 0, dtdBytes(far)); }), "largest DTD image size", "E");
        row("DTD without size", base([&](Bytes &b) { setDescriptor(b, 0, dtdBytes(unsized)); }), "no image size", "E");
        row("range 1.3", withBase([](Bytes &b) { setDescriptor(b, 1, rangeDescriptor(24, 75, 15, 80, 600)); },
                                  CtaBuilder().block(2, {0x90, 97}).extended(0, {0x40})), "horizontal 15.734", "");
        row("range 1.3 out", withBase([](Bytes &b) { setDescriptor(b, 1, rangeDescriptor(24, 75, 15, 80, 600)); },
                                      CtaBuilder().block(2, {0x90, 97}).extended(0, {0x40})), "135.000 kHz", "E");
        row("range 1.4 out", withBase([](Bytes &b) { b[19] = 4; b[24] |= 1; setDescriptor(b, 1, rangeDescriptor(24, 75, 15, 80, 600)); },
                                      CtaBuilder().block(2, {0x90, 97}).extended(0, {0x40})), "135.000 kHz", "W");
        row("range rounding", base([&](Bytes &b) { setDescriptor(b, 0, dtdBytes(fast)); setDescriptor(b, 1, rangeDescriptor(24, 60, 15, 135, 600)); }),
            "may be rounding", "W");
        row("4:2:0 halves the clock only", withBase([](Bytes &b) { setDescriptor(b, 1, rangeDescriptor(24, 75, 15, 140, 300)); },
                                                    CtaBuilder().block(2, {0x90}).extended(0, {0x40}).extended(14, {97})), "timings outside", "");
        row("native mix", cta(CtaBuilder().block(2, {0x90, 0x84}).extended(0, {0x40})), "several resolutions", "E");
        row("sRGB flag, other colours", base([](Bytes &b) { b[0x19] ^= 1; }), "not those of sRGB", "E");
        row("sRGB colours, no flag", base([](Bytes &b) { b[24] &= ~0x04; }), "sRGB is not signalled", "E");
        row("two speaker blocks", cta(CtaBuilder().block(2, {0x90}).extended(0, {0x40}).block(4, {1, 0, 0}).block(4, {1, 0, 0})),
            "only one block", "E");
        row("HF block alone", cta(CtaBuilder().block(2, {0x90}).extended(0, {0x40}).block(3, {0xD8, 0x5D, 0xC4, 1, 0x78, 0x80})),
            "does not follow the HDMI vendor block", "E");
        row("no 640x480", base([](Bytes &b) { b[0x23] = 0; }), "640x480p60", "E");
        row("HDMI VIC alone", cta(CtaBuilder().block(2, {0x90}).extended(0, {0x40})
                                      .block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x01})),
            "HDMI VICs without", "E");
        row("HDMI VIC with its VIC", cta(CtaBuilder().block(2, {0x90, 95}).extended(0, {0x40})
                                             .block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0x00, 0x00, 0x20, 0x00, 0x20, 0x01})),
            "HDMI VICs without", "");
        row("EDID 1.3 without block map", table(baseBlock(), {good.bytes(), good.bytes()}), "block map", "E");
        row("audio without basic audio", cta(CtaBuilder(0xB1).block(2, {0x90}).extended(0, {0x40}).block(1, {0x09, 0x07, 0x07})),
            "basic audio", "E");
        row("standard timing 00 00", base([](Bytes &b) { b[0x26] = b[0x27] = 0; }), "unused standard timing", "E");
        row("zero descriptor", base([](Bytes &b) { setDescriptor(b, 3, Bytes(18, 0)); }), "dummy descriptor", "E");
        row("model year in 1.3", base([](Bytes &b) { b[16] = 0xFF; }), "no model year", "E");
        row("range limits padding", base([](Bytes &b) { b[54 + 18 + 11] = 0x20; }), "line feed and spaces", "E");
        row("1.3 without preferred bit", base([](Bytes &b) { b[24] &= ~0x02; }), "preferred timing bit", "E");
        row("dummy with data", base([](Bytes &b) { Bytes d(18, 0); d[3] = 0x10; d[9] = 1; setDescriptor(b, 3, d); }),
            "dummy descriptor must be 0", "E");
        row("year in the future", base([](Bytes &b) { b[17] = 250; }), "in the future", "E");
        row("FRL without 600 MHz", cta(CtaBuilder(good).block(3, {0x03, 0x0C, 0x00, 0x10, 0x00}).block(3, {0xD8, 0x5D, 0xC4, 1, 0x44, 0x80, 0x30})),
            "FRL above 3 Gbps", "E");
    }

    void conformityRules()
    {
        QFETCH(QByteArray, table);
        QFETCH(QString, message);
        QFETCH(QString, severity);
        const EdidReport r = decodeEdid(reinterpret_cast<const uint8_t *>(table.constData()), size_t(table.size()));
        QStringList found;
        for (const Problem &p : r.problems)
            if (!message.isEmpty() && QString::fromStdString(p.message).contains(message))
                found << (p.severity == Severity::Error ? "E" : "W");
        if (severity.isEmpty()) {
            QVERIFY2(found.isEmpty(), qPrintable(QString::fromStdString(edidReportText(r))));
            if (message.isEmpty())
                QVERIFY2(r.problems.empty(), qPrintable(QString::fromStdString(edidReportText(r))));
        } else {
            QVERIFY2(!found.isEmpty() && found.count(severity) == found.size(),
                     qPrintable(found.join(',') + "\n" + QString::fromStdString(edidReportText(r))));
        }
    }

    // A DisplayID 2.0 section: product, one timing of each kind, carried
    // CTA-861 blocks, and the section checksum that check --fix repairs.
    void displayIdSection()
    {
        const Bytes product = {0x20, 0, 12, 0x00, 0x11, 0x22, 0x34, 0x12, 1, 0, 0, 0, 10, 31, 0};
        const Bytes t7 = {0x22, 0, 20, 0x4F, 0x10, 0x09, 0x80, 0xFF, 0x0E, 0x2F, 0x02, 0xAF, 0x80, 0x57, 0x00,
                          0x6F, 0x08, 0x59, 0x00, 0x07, 0x80, 0x09, 0x00}; // 3840x2160, 594 MHz, preferred
        const Bytes t8 = {0x23, 0, 1, 0x52};                         // DMT 0x52: 1920x1080 60 Hz
        const Bytes t9 = {0x24, 0, 6, 0x01, 0xFF, 0x09, 0x9F, 0x05, 143}; // 2560x1440 144 Hz CVT-RB
        const Bytes cta = {0x81, 0, 4, 0xE3, 0x06, 0x05, 0x01};      // HDR static: PQ
        Bytes section = {0x70, 0x20, 0, 0x01, 0};
        for (const Bytes *b : {&product, &t7, &t8, &t9, &cta})
            section.insert(section.end(), b->begin(), b->end());
        section[2] = uint8_t(section.size() - 5);
        unsigned sum = 0;
        for (size_t i = 1; i < section.size(); ++i)
            sum += section[i];
        section.push_back(uint8_t(0x100 - (sum & 0xFF)));
        section.resize(128, 0);
        Bytes t = table(baseBlock(1), {section});
        EdidReport r = decodeEdid(t);
        QVERIFY(r.extensions.at(0).displayId);
        const DisplayIdSection &d = *r.extensions[0].displayId;
        QCOMPARE(d.versionText(), std::string("2.0"));
        QVERIFY(d.checksumOk);
        QCOMPARE(d.blocks.at(0).product->vendor, std::string("00-11-22"));
        QStringList timings;
        for (const DisplayIdBlock &b : d.blocks)
            for (const DisplayIdTiming &x : b.timings)
                timings << QString::asprintf("%u %ux%u %.0f%s", x.type, x.width, x.height, x.refreshHz, x.preferred ? " p" : "");
        QCOMPARE(timings, (QStringList{"7 3840x2160 60 p", "8 1920x1080 60", "9 2560x1440 144"}));
        const EdidSummary s = summarize(r);
        QVERIFY(std::find(s.hdrFormats.begin(), s.hdrFormats.end(), "HDR10 (PQ)") != s.hdrFormats.end());
        for (const Problem &p : r.problems)
            QVERIFY2(p.context != "DisplayID" && p.block != 1, p.message.c_str());

        t[128 + 10] ^= 0x40; // a changed timing byte breaks both sums
        QVERIFY(!decodeEdid(t).extensions[0].displayId->checksumOk);
        repairBlockChecksums(t);
        r = decodeEdid(t);
        QVERIFY(r.extensions[0].displayId->checksumOk && r.extensions[0].checksumOk);
    }

    // Facts the reports once lost, in the JSON and the text alike (the peer
    // test holds the same tables against edid-decode).
    void factsInBothReports_data()
    {
        QTest::addColumn<QByteArray>("table");
        QTest::addColumn<QStringList>("json");
        QTest::addColumn<QStringList>("text");
        const QStringList rows[][2] = {
            {{"\"maxHKHz\":510"}, {"30-510 kHz H"}},
            {{"\"dataBlocks\":[{\"offset\":136", "\"eotfs\":[\"Traditional gamma - SDR luminance range\"", "\"colorimetry\":[\"BT2020YCC\"",
              "\"lines\":[\"RGB: 6, 8, 10\"", "\"YCbCr 4:2:0 from: 148.500 MHz\"", "\"Audio kHz: 32, 44.1, 48\"",
              "\"Colour and EOTF: BT.709/BT.1886, BT.2020/SMPTE ST 2084\"",
              "\"More colour and EOTF: BT.2020/SMPTE ST 2084, BT.709/SMPTE ST 2084\""},
             {"YCbCr 4:2:2: 8, 10", "HDR Static Metadata Data Block:"}},
            {{"\"code\":\"VIC 16\"", "\"code\":\"VIC 97\"", "\"code\":\"DMT 0x04\""},
             {"Type 4, VIC 16: 1920x1080 60.000 Hz", "Type 4, DMT 0x04: 640x480"}},
            {{"\"videoLatencyText\":\"Unknown\"", "\"audioLatencyText\":\"Audio not supported\"",
              "\"interlacedVideoLatency\":21", "\"interlacedVideoLatencyMs\":40",
              "\"interlacedAudioLatencyText\":\"Unknown\""},
             {"Latency: video Unknown, audio Audio not supported", "Interlaced latency: video 40 ms, audio Unknown"}},
        };
        const std::vector<NamedTable> tables = gapTables();
        QCOMPARE(tables.size(), std::size(rows));
        for (size_t i = 0; i < tables.size(); ++i)
            QTest::newRow(tables[i].first.c_str())
                << QByteArray(reinterpret_cast<const char *>(tables[i].second.data()), int(tables[i].second.size()))
                << rows[i][0] << rows[i][1];
    }

    void factsInBothReports()
    {
        QFETCH(QByteArray, table);
        QFETCH(QStringList, json);
        QFETCH(QStringList, text);
        const EdidReport r = decodeEdid(reinterpret_cast<const uint8_t *>(table.constData()), size_t(table.size()));
        const QString jsonText = QString::fromStdString(edidReportJson(r));
        const QString reportText = QString::fromStdString(edidReportText(r));
        for (const QString &fact : json)
            QVERIFY2(jsonText.contains(fact), qPrintable(fact + " not in " + jsonText));
        for (const QString &fact : text)
            QVERIFY2(reportText.contains(fact), qPrintable(fact + " not in\n" + reportText));
        QVERIFY2(!reportText.contains("not decoded"), qPrintable(reportText));
        QVERIFY(!jsonText.contains("DMT 0x51")); // past the bitmap's ten bytes
    }

    // Established and standard timings give the rates the range check uses:
    // a VESA timing by its code, else the GTF timing (values of the peer tool).
    void legacyTimings()
    {
        const struct {
            uint8_t first, second;
            unsigned w, h;
            double hz, kHz;
            unsigned clockKHz;
        } cases[] = {
            {0x81, 0xCF, 1280, 720, 75.0, 56.400, 95654},       // GTF
            {0xA9, 0x00, 1600, 1000, 60.0, 62.100, 133142},     // GTF
            {0x61, 0x59, 1024, 768, 84.997, 68.677, 94500},     // DMT
            {0xD1, 0xC0, 1920, 1080, 60.0, 67.500, 148500},     // DMT
        };
        for (const auto &c : cases) {
            const auto t = standardTiming(c.first, c.second, 3);
            QVERIFY(t);
            QCOMPARE(t->hActive * 10000 + t->vActive, c.w * 10000 + c.h);
            QVERIFY(std::fabs(t->refreshHz - c.hz) < 0.01);
            QVERIFY(std::fabs(t->hFreqKHz - c.kHz) < 0.01);
            QCOMPARE(t->pixelClockKHz, c.clockKHz);
        }
        QVERIFY(!standardTiming(0x01, 0x01, 3));
        const uint8_t est[3] = {0x20, 0x00, 0x80}; // 640x480p60, 1152x870p75
        const std::vector<LegacyTiming> e = establishedTimings(est);
        QCOMPARE(e.size(), size_t(2));
        QCOMPARE(e[0].pixelClockKHz, 25175u);
        QCOMPARE(e[1].hActive, 1152u);
    }

    void textsAndManufacturer()
    {
        Bytes b = baseBlock(0);
        Bytes name = textDescriptor(0xFC, "TV");
        name[7] = 0x00; // NUL ends the text
        setDescriptor(b, 2, name);
        setDescriptor(b, 3, textDescriptor(0xFC, "SECOND "));
        b[8] = 0x00; b[9] = 0x00 | 27; // letters 0, 0, 27
        fixChecksum(b, 0);
        const EdidReport r = decodeEdid(b);
        QCOMPARE(r.base.displayNames, (std::vector<std::string>{"TV", "SECOND "}));
        QCOMPARE(r.base.manufacturer, std::string("@@["));
        QCOMPARE(problemsWith(r, "not printable ASCII"), QStringList{"0/90/E"});
        QCOMPARE(problemsWith(r, "ends in spaces"), QStringList{"0/108/E"});
        QCOMPARE(problemsWith(r, "not three letters"), QStringList{"0/8/E"});
        const QString text = QString::fromStdString(edidReportText(r));
        QVERIFY(text.contains("Display name: 'TV'") && text.contains("Display name: 'SECOND '"));

        // A serial descriptor among a CTA block's descriptors shows under that block.
        Bytes cta = CtaBuilder().block(2, {16}).bytes();
        const Bytes serial = textDescriptor(0xFF, "SN123");
        std::copy(serial.begin(), serial.end(), cta.begin() + cta[2]);
        const std::string inCta = edidReportText(decodeEdid(table(baseBlock(), {cta})));
        const size_t at = inCta.find("Display serial: 'SN123'");
        QVERIFY2(at != std::string::npos && at > inCta.find("Block 1,"), inCta.c_str());
    }

    void summaryOfWhatMatters()
    {
        const EdidSummary s = summarize(decodeEdid(hdmi21Table()));
        QVERIFY(!s.largestModes.empty());
        QCOMPARE(QString::fromStdString(modeText(s.largestModes[0])).left(9), QString("7680x4320"));
        QCOMPARE(s.maxTmdsMHz, 600u);
        QCOMPARE(s.maxFrlRate, 3u);
        QCOMPARE(frlText(s.maxFrlRate), std::string("6 Gbps x 4 lanes (24 Gbps)"));
        QCOMPARE(s.hdrFormats, (std::vector<std::string>{"HDR10 (PQ)", "HLG"}));

        const EdidSummary full = summarize(decodeEdid(fullTable()));
        QCOMPARE(modeText(full.largestModes[0]), std::string("4096x2160 at 50 Hz, 4:2:0 only"));   // VIC 101
        QCOMPARE(modeText(full.largestModes[1]), std::string("3840x2160 at 60/30 Hz, 4:2:0 at 50 Hz")); // 97, 95; 96
        QCOMPARE(modeText(full.largestModes[2]), std::string("1920x1080 at 60/50 Hz, 4:2:0 at 60 Hz (native)"));
        QCOMPARE(full.audio[0], std::string("Linear PCM, 2 ch, 32-48 kHz, 16/20/24 bit"));
        QCOMPARE(full.deepColourBits, (std::vector<unsigned>{10, 12}));
        QVERIFY(std::fabs(full.maxLuminance - 400.0) < 0.01);
        QCOMPARE(full.errors, 0u);
        const QString text = QString::fromStdString(edidReportText(decodeEdid(fullTable())));
        QVERIFY(text.indexOf("Summary:") < text.indexOf("Block 0"));
        QVERIFY(text.contains("  Max TMDS clock: 600 MHz\n"));
    }

    void audioAndSpeakers()
    {
        const EdidReport r = decodeEdid(fullTable());
        const DataBlock *adb = findBlock(r, BlockKind::Audio);
        QCOMPARE(adb->audio.size(), size_t(3));
        const ShortAudio &pcm = adb->audio[0];
        QCOMPARE(pcm.format, 1u);
        QCOMPARE(pcm.channels, 2u);
        QCOMPARE(pcm.ratesKHz(), (std::vector<double>{48, 44.1, 32}));
        QCOMPARE(pcm.sizesBits(), (std::vector<unsigned>{24, 20, 16}));
        QCOMPARE(QString::fromStdString(adb->audio[1].name), QString("AC-3"));
        QCOMPARE(adb->audio[1].maxBitrateKbps, 640u);
        QCOMPARE(adb->audio[2].channels, 6u);
        QCOMPARE(adb->audio[2].ratesKHz(), (std::vector<double>{96, 88.2, 48, 44.1}));

        const DataBlock *sadb = findBlock(r, BlockKind::Speaker);
        QCOMPARE(speakerNames(sadb->speakers).size(), size_t(4));
        QCOMPARE(QString::fromStdString(speakerNames(sadb->speakers)[2]), QString("FC - Front Center"));

        const EdidReport ragged = decodeCta(CtaBuilder().block(1, {0x09, 0x07, 0x07, 0x09}).block(4, {0x01}));
        QCOMPARE(problemsWith(ragged, "not a multiple of 3"), QStringList{"1/132/E"});
        QCOMPARE(findBlock(ragged, BlockKind::Audio)->audio.size(), size_t(0)); // no telling where SADs start
        QCOMPARE(problemsWith(ragged, "truncated block: 1 payload bytes").size(), 1);
    }

    void hdmiVendorBlocks()
    {
        const EdidReport r = decodeEdid(fullTable());
        const DataBlock *vsdb = findBlock(r, BlockKind::Vendor, 0);
        QVERIFY(vsdb && vsdb->hdmi);
        const HdmiVsdb &h = *vsdb->hdmi;
        QCOMPARE(QString("%1.%2.%3.%4").arg(h.physA).arg(h.physB).arg(h.physC).arg(h.physD), QString("1.2.3.4"));
        QVERIFY(h.supportsAI && h.dc36 && h.dc30 && h.dcY444 && !h.dc48 && !h.dviDual);
        QCOMPARE(h.maxTmdsMHz, 300u);
        const DataBlock *hf = findBlock(r, BlockKind::Vendor, 1);
        QVERIFY(hf && hf->hdmiForum && !hf->hdmiForum->sinkCapabilityBlock);
        QCOMPARE(hf->hdmiForum->maxTmdsCharRateMHz, 600u);
        QVERIFY(hf->hdmiForum->scdcPresent && hf->hdmiForum->dc36_420 && hf->hdmiForum->dc30_420);

        // The sink capability form carries the same fields at the same offsets.
        const EdidReport hdmi21 = decodeEdid(hdmi21Table());
        const DataBlock *scdb = findBlock(hdmi21, BlockKind::Scdb);
        QVERIFY(scdb && scdb->hdmiForum && scdb->hdmiForum->sinkCapabilityBlock);
        QCOMPARE(scdb->hdmiForum->maxTmdsCharRateMHz, 600u);
        QCOMPARE(scdb->hdmiForum->maxFrlRate, 3u);

        const EdidReport shortVsdb = decodeCta(CtaBuilder().block(3, {0x03, 0x0C, 0x00, 0x10}));
        QVERIFY(!findBlock(shortVsdb, BlockKind::Vendor)->hdmi);
        QCOMPARE(problemsWith(shortVsdb, "truncated block: 4 payload bytes, at least 5"), QStringList{"1/132/E"});
        const EdidReport fastHdmi = decodeCta(CtaBuilder().block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0, 0x78}));
        QCOMPARE(problemsWith(fastHdmi, "above 340 MHz").size(), 1);
    }

    void hdrColorimetryCapability()
    {
        const EdidReport r = decodeEdid(fullTable());
        const HdrStaticMetadata &hdr = *findBlock(r, BlockKind::HdrStatic)->hdr;
        QCOMPARE(unsigned(hdr.eotfs), 7u);
        QCOMPARE(QString::fromStdString(eotfNames(hdr.eotfs)[2]), QString("SMPTE ST 2084"));
        QVERIFY(qAbs(hdr.maxLuminance() - 400.0) < 1e-9);
        QVERIFY(qAbs(hdr.maxFrameAvg() - 237.841) < 1e-3);
        QVERIFY(qAbs(hdr.minLuminance() - 0.0630) < 1e-3);
        const EdidReport hdmi21 = decodeEdid(hdmi21Table());
        const HdrStaticMetadata &hlg = *findBlock(hdmi21, BlockKind::HdrStatic)->hdr;
        QCOMPARE(eotfNames(hlg.eotfs).size(), size_t(3));
        QVERIFY(!hlg.maxLuminanceCode && hlg.minLuminance() == 0.0);

        const DataBlock *cdb = findBlock(r, BlockKind::Colorimetry);
        std::vector<std::string> names = colorimetryNames(cdb->colorimetry);
        QCOMPARE(names, (std::vector<std::string>{"xvYCC601", "xvYCC709", "BT2020YCC", "BT2020RGB"}));
        const EdidReport md = decodeCta(CtaBuilder().extended(5, {0x01, 0x21}));
        QCOMPARE(colorimetryNames(findBlock(md, BlockKind::Colorimetry)->colorimetry),
                 (std::vector<std::string>{"xvYCC601", "sRGB"}));
        QCOMPARE(problemsWith(md, "MD0-MD3").size(), 1);

        const VideoCapability &vc = *findBlock(r, BlockKind::VideoCapability)->videoCapability;
        QVERIFY(vc.qs && !vc.qy);
        QCOMPARE(vc.pt, 0u);
        QCOMPARE(vc.it, 2u);
        QCOMPARE(vc.ce, 3u);
        QCOMPARE(QString::fromStdString(scanBehaviourText("CE", vc.ce)), QString("Supports both over- and underscan"));
    }

    void extensionTimings()
    {
        const EdidReport r = decodeEdid(fullTable());
        const CtaExtension &cta = *r.extensions.at(0).cta;
        QVERIFY(cta.underscan && cta.basicAudio && cta.ycbcr444 && cta.ycbcr422);
        QCOMPARE(cta.nativeDtds, 1u);
        QCOMPARE(cta.timings.size(), size_t(2));
        QCOMPARE(cta.timings[0].pixelClockKHz, 74250u);
        QCOMPARE(cta.timings[1].hActive, 3840u);
        QCOMPARE(cta.timings[1].pixelClockKHz, 594000u);
        QVERIFY(qAbs(cta.timings[1].refreshHz() - 60.0) < 1e-9);

        Bytes t = fullTable();
        t[128 + 126] = 0x5A; // stray byte in the padding
        fixChecksum(t, 1);
        QCOMPARE(problemsWith(decodeEdid(t), "padding"), QStringList{"1/254/E"});
    }

    void checksumsAndHeader()
    {
        Bytes t = fullTable();
        const uint8_t good0 = t[127];
        t[127] ^= 0x01;
        t[255] ^= 0x10;
        const EdidReport r = decodeEdid(t);
        QVERIFY(!r.base.checksumOk && !r.extensions[0].checksumOk);
        QCOMPARE(problemsWith(r, "bad checksum"), (QStringList{"0/127/E", "1/255/E"}));
        const QString expected = QString("should be 0x%1").arg(good0, 2, 16, QChar('0')).toUpper();
        QVERIFY(QString::fromStdString(edidReportText(r)).toUpper().contains(expected));
        QVERIFY(!r.conforms());

        Bytes header = baseBlock(0);
        header[3] = 0x00;
        fixChecksum(header, 0);
        QCOMPARE(problemsWith(decodeEdid(header), "header"), QStringList{"0/0/E"});
    }

    void truncatedAndUnknownBlocks()
    {
        // A video block claiming 10 bytes where only 3 precede the timings.
        const EdidReport overrun = decodeCta(CtaBuilder().raw({0x4A, 16, 4, 3}).block(4, {1, 0, 0}));
        QCOMPARE(problemsWith(overrun, "truncated block: tag 2").size(), 1);
        // The overrunning block is still read: its bytes are inside the extension.
        QCOMPARE(overrun.extensions[0].cta->dataBlocks.size(), size_t(1));
        QCOMPARE(overrun.allVics().size(), size_t(5)); // 16 4 3, then the next block read as codes

        const EdidReport unknown = decodeCta(CtaBuilder().block(0, {1, 2}).extended(0x55, {1}).block(2, {16}));
        QCOMPARE(problemsWith(unknown, "unknown data block tag 0"), QStringList{"1/132/W"});
        QCOMPARE(problemsWith(unknown, "unknown extended tag 85"), QStringList{"1/135/W"});
        QVERIFY(findBlock(unknown, BlockKind::Video)); // decoding goes on after them

        Bytes strange = table(baseBlock(), {CtaBuilder().bytes()});
        strange[128] = 0x33;
        fixChecksum(strange, 1);
        QCOMPARE(problemsWith(decodeEdid(strange), "unknown extension block tag 0x33"), QStringList{"1/128/E"});

        const EdidReport badOffset = decodeEdid([] {
            Bytes b = table(baseBlock(), {CtaBuilder().bytes()});
            b[130] = 2;
            fixChecksum(b, 1);
            return b;
        }());
        QCOMPARE(problemsWith(badOffset, "offset 2 is out of range").size(), 1);
    }

    void shortAndLongInput()
    {
        const EdidReport empty = decodeEdid(nullptr, 0);
        QVERIFY(!empty.hasBase && !empty.conforms());
        QCOMPARE(problemsWith(empty, "empty").size(), 1);
        const Bytes full = fullTable();
        QCOMPARE(problemsWith(decodeEdid(full.data(), 50), "truncated block: 50 of 128"), QStringList{"0/50/E"});

        const EdidReport cut = decodeEdid(full.data(), 200);
        QVERIFY(cut.hasBase && cut.extensions.empty());
        QCOMPARE(problemsWith(cut, "1 extension blocks declared, 0 complete and 72 bytes"), QStringList{"1/200/E"});

        Bytes padded = baseBlock(0);
        padded.resize(256, 0x00);
        const EdidReport extra = decodeEdid(padded);
        QVERIFY(extra.conforms() && extra.extensions.empty());
        QCOMPARE(problemsWith(extra, "128 bytes after the last declared block are not decoded (all 00)"),
                 QStringList{"1/128/W"});
    }

    void overrideBlockCount()
    {
        // The override block in the first extension raises the count to 2.
        const Bytes first = CtaBuilder().extended(0x78, {2}).block(2, {16}).bytes();
        const Bytes second = CtaBuilder().block(2, {97}).bytes();
        Bytes t = table(baseBlock(), {first, second});
        t[126] = 1;
        fixChecksum(t, 0);
        const EdidReport r = decodeEdid(t);
        QCOMPARE(r.extensions.size(), size_t(2));
        QCOMPARE(r.allVics().size(), size_t(2));
        for (const Problem &p : r.problems)
            QVERIFY2(p.context != "Table", p.message.c_str());

        // The 256 bytes the box stores and legacy readers get: a warning.
        const EdidReport legacy = decodeEdid(table(baseBlock(), {first}));
        QCOMPARE(problemsWith(legacy, "override data block declares 2"), QStringList{"2/256/W"});
        QCOMPARE(problemsWith(legacy, "truncated"), QStringList{});
    }

    void reportsCarryTheFacts()
    {
        Bytes t = fullTable();
        setDescriptor(t, 2, textDescriptor(0xFC, "Say \"hi\" \\o"));
        fixChecksum(t, 0);
        const EdidReport r = decodeEdid(t);
        const QString text = QString::fromStdString(edidReportText(r));
        for (const char *line : {"Manufacturer: VTL", "Product code: 4660 (0x1234)", "Made in: week 12 of 2021",
                                 "VIC  16 1920x1080p60 (native) (also YCbCr 4:2:0)", "Maximum TMDS clock: 300 MHz",
                                 "Physical address: 1.2.3.4", "pixel clock 594.000 MHz",
                                 "Maximum TMDS character rate: 600 MHz", "Conformity: PASS"})
            QVERIFY2(text.contains(QLatin1String(line)), line);

        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(edidReportJson(r)), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        const QJsonObject base = doc["base"].toObject();
        QCOMPARE(base["displayName"].toString(), QString("Say \"hi\" \\o"));
        QCOMPARE(base["detailedTimings"].toArray()[0].toObject()["pixelClockKHz"].toInt(), 148500);
        const QJsonArray blocks = doc["extensions"].toArray()[0].toObject()["cta"].toObject()["dataBlocks"].toArray();
        QCOMPARE(blocks[0].toObject()["vics"].toArray()[0].toObject()["vic"].toInt(), 16);
        QCOMPARE(blocks[3].toObject()["hdmi"].toObject()["physicalAddress"].toString(), QString("1.2.3.4"));
        QCOMPARE(doc["conforms"].toBool(), true);
    }

    // Any bytes: no out-of-range read (checked under the sanitizers), no hang,
    // and both reports stay well formed.
    void arbitraryInput()
    {
        QRandomGenerator rng(20240611);
        const Bytes good = fullTable();
        int checked = 0;
        for (int round = 0; round < 3000; ++round) {
            Bytes t;
            if (round % 3 == 0) {
                t.resize(rng.bounded(700));
                for (uint8_t &b : t)
                    b = uint8_t(rng.bounded(256));
                if (t.size() >= 8 && round % 2)
                    std::copy(good.begin(), good.begin() + 8, t.begin());
            } else {
                t = good;
                for (int flips = int(rng.bounded(1, 12)); flips > 0; --flips)
                    t[rng.bounded(int(t.size()))] = uint8_t(rng.bounded(256));
                t.resize(rng.bounded(2) ? t.size() : rng.bounded(int(t.size()) + 1));
            }
            const EdidReport r = decodeEdid(t);
            const std::string text = edidReportText(r);
            QJsonParseError error;
            QJsonDocument::fromJson(QByteArray::fromStdString(edidReportJson(r)), &error);
            QVERIFY2(error.error == QJsonParseError::NoError, text.c_str());
            ++checked;
        }
        QCOMPARE(checked, 3000);
    }
};

QTEST_APPLESS_MAIN(EdidDecoderTest)
#include "tst_edid_decoder.moc"
