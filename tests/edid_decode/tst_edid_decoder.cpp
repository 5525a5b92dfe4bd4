// The decoder on hand-built tables: the facts of each block type, the
// problems it reports with their location, and its behaviour on any input.
#include "edid_report.h"
#include "vic_names.h"
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
                 (std::vector<std::string>{"xvYCC601", "MD0", "sRGB"}));
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
