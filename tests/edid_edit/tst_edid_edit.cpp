// SPDX-License-Identifier: GPL-3.0-or-later
// The edits on a hand-built table whose lists refer to each other: the
// capability map and the HDMI 3D entries count video descriptors by
// position, HDMI VICs stand for CTA-861 VICs.
#include "cvt_timing.h"
#include "edid_builder.h"
#include "edid_diff.h"
#include "edid_edit.h"
#include "edid_report.h"
#include "sample_tables.h"
#include "video_lists.h"

#include <QtTest>

using namespace vantrel::edid;
using edit::EditList;

namespace {

// VICs 16, 4, 31, 95, 97, 96; 4:2:0 also for 16 and 97; HDMI VIC 1;
// 3D frame packing for 16 and 95 by mask, for 97 and side-by-side for 95 by entry.
edidtest::Bytes linkedTable(uint8_t flags = 0xF0)
{
    const edidtest::Bytes cta = edidtest::CtaBuilder(flags)
                                    .block(2, {16, 4, 31, 95, 97, 96})
                                    .block(1, {0x09, 0x07, 0x07})
                                    .block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0xB8, 0x44, 0x20, 0xC0, 0x27, 0x01, 0x00,
                                               0x01, 0x00, 0x09, 0x40, 0x38, 0x10})
                                    .extended(15, {0x11})
                                    .extended(0, {0x4B})
                                    .bytes();
    return edidtest::table(edidtest::baseBlock(), {cta});
}

std::vector<unsigned> vics(const EdidReport &r, BlockKind kind)
{
    std::vector<unsigned> out;
    for (const DataBlock *db : r.ctaDataBlocks())
        if (db->kind == kind)
            for (const Vic &v : db->vics)
                out.push_back(v.vic);
    return out;
}

std::vector<unsigned> mapped(const EdidReport &r)
{
    for (const DataBlock *db : r.ctaDataBlocks())
        if (db->kind == BlockKind::Y420CapabilityMap)
            return db->y420MapVics;
    return {};
}

// The HDMI block's 3D bytes after the HDMI VICs.
edit::Bytes threeD(const edit::Bytes &table, const EdidReport &r)
{
    for (const DataBlock *db : r.ctaDataBlocks())
        if (db->hdmi) {
            const edit::Bytes b(table.begin() + db->offset, table.begin() + db->offset + 1 + db->length);
            const edit::HdmiLayout l = edit::hdmiLayout(b);
            return edit::Bytes(b.begin() + long(l.threeDStart), b.end());
        }
    return {};
}

} // namespace

class EdidEditTest : public QObject {
    Q_OBJECT

private slots:
    void editsKeepListsConsistent_data()
    {
        QTest::addColumn<int>("which");
        QTest::addColumn<std::vector<unsigned>>("video");
        QTest::addColumn<std::vector<unsigned>>("only420");
        QTest::addColumn<std::vector<unsigned>>("map");
        QTest::addColumn<edit::Bytes>("threeD");
        QTest::addColumn<std::vector<unsigned>>("hdmiVics");
        QTest::newRow("drop 31") << 0 << std::vector<unsigned>{16, 4, 95, 97, 96} << std::vector<unsigned>{}
                                 << std::vector<unsigned>{16, 97}
                                 << edit::Bytes{0x00, 0x01, 0x00, 0x05, 0x30, 0x28, 0x10} << std::vector<unsigned>{1};
        QTest::newRow("drop 95") << 1 << std::vector<unsigned>{16, 4, 31, 97, 96} << std::vector<unsigned>{}
                                 << std::vector<unsigned>{16, 97} << edit::Bytes{0x00, 0x01, 0x00, 0x01, 0x30}
                                 << std::vector<unsigned>{};
        QTest::newRow("cap 300 MHz") << 2 << std::vector<unsigned>{16, 4, 31, 95} << std::vector<unsigned>{97, 96}
                                     << std::vector<unsigned>{16} << edit::Bytes{0x00, 0x01, 0x00, 0x09, 0x38, 0x10}
                                     << std::vector<unsigned>{1};
        QTest::newRow("prefer 97") << 3 << std::vector<unsigned>{97, 16, 4, 31, 95, 96} << std::vector<unsigned>{}
                                   << std::vector<unsigned>{97, 16}
                                   << edit::Bytes{0x00, 0x01, 0x00, 0x12, 0x00, 0x48, 0x10} << std::vector<unsigned>{1};
    }

    void editsKeepListsConsistent()
    {
        QFETCH(int, which);
        EditList e;
        if (which == 0)
            e.dropVics = {31};
        else if (which == 1)
            e.dropVics = {95};
        else if (which == 2)
            e.maxTmdsMHz = 300;
        else
            e.preferred = "97";
        const edit::EditResult r = edit::applyEdits(linkedTable(), e, false);
        QVERIFY2(r.ok, r.refused.c_str());
        const EdidReport after = decodeEdid(r.bytes);
        QVERIFY2(after.conforms(), after.problems.empty() ? "" : after.problems[0].message.c_str());
        QTEST(vics(after, BlockKind::Video), "video");
        QTEST(vics(after, BlockKind::Y420Video), "only420");
        QTEST(mapped(after), "map");
        QTEST(threeD(r.bytes, after), "threeD");
        std::vector<unsigned> hdmiVics;
        for (const DataBlock *db : after.ctaDataBlocks())
            if (db->hdmi)
                hdmiVics = db->hdmi->hdmiVics;
        QTEST(hdmiVics, "hdmiVics");
        if (which == 2)
            QCOMPARE(summarize(after).maxTmdsMHz, 300u);
        if (which == 3)
            QCOMPARE(after.base.timings[0].pixelClockKHz, 594000u);
    }

    // What is refused, and --force; the audio of another table; --fit.
    void refusalsAudioAndFit()
    {
        EditList speakers;
        speakers.speakers = 0x0F;
        const edidtest::Bytes noBasicAudio = linkedTable(0x80);
        edit::EditResult r = edit::applyEdits(noBasicAudio, speakers, false);
        QVERIFY(!r.ok);
        QVERIFY2(r.refused.find("basic audio") != std::string::npos, r.refused.c_str());
        r = edit::applyEdits(noBasicAudio, speakers, true);
        QVERIFY(r.ok && r.forced && !r.newErrors.empty());

        EditList name;
        name.name = "FOURTEEN CHARS";
        r = edit::applyEdits(linkedTable(), name, false);
        QVERIFY(!r.ok && r.refusedBy == edit::Edit::Name);

        EditList audio;
        const edidtest::Bytes avr = edidtest::hdmi21Table();
        audio.audioFrom = avr;
        r = edit::applyEdits(linkedTable(), audio, false);
        QVERIFY2(r.ok, r.refused.c_str());
        QCOMPARE(summarize(decodeEdid(r.bytes)).audio, summarize(decodeEdid(avr)).audio);
        QCOMPARE(summarize(decodeEdid(r.bytes)).speakers, summarize(decodeEdid(avr)).speakers);

        // Three blocks: the second extension's blocks move into the first.
        const edidtest::Bytes second = edidtest::CtaBuilder(0xF1).extended(6, {0x05, 0x01}).bytes();
        const edidtest::Bytes first =
            edidtest::CtaBuilder(0xF1).block(2, {0x90, 4}).block(1, {0x09, 0x07, 0x07}).bytes();
        EditList fit;
        fit.fit = true;
        r = edit::applyEdits(edidtest::table(edidtest::baseBlock(2), {first, second}), fit, true);
        QVERIFY2(r.ok, r.refused.c_str());
        QCOMPARE(r.bytes.size(), size_t(256));
        QCOMPARE(summarize(decodeEdid(r.bytes)).hdrFormats.size(), size_t(1));
    }

    void reducedBlankingTimings()
    {
        struct Case {
            unsigned w, h;
            double hz;
            bool v2;
            unsigned khz, hTotal, vTotal;
        };
        for (const Case &c : {Case{1920, 1080, 60, false, 138500, 2080, 1111}, Case{1920, 1080, 60, true, 133320, 2000, 1111},
                              Case{1280, 800, 60, false, 71000, 1440, 823}, Case{3840, 2160, 60, false, 533250, 4000, 2222},
                              Case{3840, 2160, 60, true, 522610, 3920, 2222}, Case{2560, 1440, 120, true, 483120, 2640, 1525}}) {
            const auto t = edit::cvtReducedBlanking(c.w, c.h, c.hz, c.v2);
            QVERIFY(t);
            QCOMPARE(std::vector<unsigned>({t->pixelClockKHz, t->hTotal, t->vTotal}),
                     std::vector<unsigned>({c.khz, c.hTotal, c.vTotal}));
        }
        QVERIFY(!edit::cvtReducedBlanking(1366, 768, 60, false)); // v1 widths come in steps of 8
    }

    // A full extension: a timing that a VIC repeats makes room, another one
    // does not and the refusal names what would have to go.
    void fullExtensionMakesRoomWithoutLoss()
    {
        const edidtest::Dtd other{71000, 1280, 160, 48, 32, 800, 23, 3, 6};
        for (const bool duplicate : {true, false}) {
            edidtest::CtaBuilder cta(0xF0);
            cta.block(2, {16, 4}).block(1, {0x09, 0x07, 0x07}).extended(6, {0x05, 0x01, 0x80, 0x60, 0x10});
            cta.dtd(duplicate ? edidtest::Dtd{} : other);
            for (int i = 0; i < 5; ++i)
                cta.dtd(other);
            EditList e;
            e.dolbyVisionLldv = true;
            const edit::EditResult r = edit::applyEdits(edidtest::table(edidtest::baseBlock(), {cta.bytes()}), e, false);
            const std::string notes = r.steps.empty() || r.steps[0].changes.empty() ? r.refused : r.steps[0].changes[0];
            QVERIFY2(r.ok == duplicate, notes.c_str());
            QVERIFY2(notes.find(duplicate ? "removed to make room: VIC 16" : "room would take removing the detailed") !=
                         std::string::npos,
                     notes.c_str());
            if (duplicate)
                QCOMPARE(decodeEdid(r.bytes).ctaDataBlocks().back()->dolbyVision->version, 2u);
        }
    }

    void diffNamesTheChange()
    {
        EditList e;
        e.dropVics = {31};
        const edidtest::Bytes before = linkedTable();
        const edit::EditResult r = edit::applyEdits(before, e, false);
        const edit::TableDiff d = edit::diffTables(before, r.bytes);
        QCOMPARE(d.facts.size(), size_t(1));
        QCOMPARE(edit::diffLines(d).front(), std::string("modes: - VIC 31 (1920x1080p50)"));
        QVERIFY(!d.bytes.empty());
        QVERIFY(edit::diffTables(before, before).equal());
    }
};

QTEST_GUILESS_MAIN(EdidEditTest)
#include "tst_edid_edit.moc"
