// SPDX-License-Identifier: GPL-3.0-or-later
// Reading the box's EDID tables and uploading one, against the stand-in box.
#include "edid_transfer.h"
#include "session_rig.h"

using namespace vantrel;
using namespace vantrel::edid;
using namespace vantrel::test;

namespace {

void fillEdid(Rig &rig)
{
    for (int i = 0; i < 256; ++i)
        rig.fake.edid[i] = static_cast<uint8_t>(255 - i);
}

int statusReads(const Rig &rig) { return int(rig.framesWith(frame::kBlock).size()); }

} // namespace

class TestEdidTransfer : public QObject {
    Q_OBJECT
private slots:
    void readDeliversTheCanonicalText()
    {
        Rig rig;
        fillEdid(rig);
        const EdidReadout r = readEdid(rig.session, frame::kFetchBoxEdid);
        QVERIFY(r.outcome.done());
        QCOMPARE(int(r.text.size()), 768);
        QCOMPARE(r.text.substr(0, 12), std::string("FF FE FD FC "));
        QCOMPARE(r.text, canonicalEdidText(r.image));
        QCOMPARE(rig.messages, (Messages{{"EDID values read.", 2000}}));

        const std::vector<Bytes> f = rig.fake.frames();
        QCOMPARE(f.front(), bytesFromHex("10 01 B4"));
        QCOMPARE(f[1], bytesFromHex("11 2A E1"));
        QCOMPARE(f.back(), bytesFromHex("11 10 B0 F0"));
        QCOMPARE(int(f.size()), 1 + 1 + 16);
        QCOMPARE(rig.clock.sleeps, (std::vector<uint32_t>{100, 10}));

        Progress expected;
        for (int off = 0; off < 256; off += 16)
            expected.push_back({off, 255});
        expected.push_back({0, 0});
        QCOMPARE(rig.progress, expected);

        Rig tv;
        QVERIFY(readEdid(tv.session, frame::kFetchTxBEdid).outcome.done());
        QCOMPARE(tv.fake.frames().front(), bytesFromHex("10 01 B6"));
        QCOMPARE(tv.messages, (Messages{{"TV EDID values read.", 2000}}));
    }

    void anyChunkContentCountsWhenSixteenBytesArrive()
    {
        // Only the count of bytes received decides, never what they hold.
        for (uint8_t fill : {uint8_t(0x00), uint8_t(0xA5), uint8_t(0xFF)}) {
            Rig rig;
            rig.fake.edid.fill(fill);
            const EdidReadout r = readEdid(rig.session, frame::kFetchBoxEdid);
            QVERIFY(r.outcome.done());
            QCOMPARE(r.image[200], fill);
        }
    }

    // The chunks are read after the 502nd busy read, but a table from a box
    // that never reported ready is no success.
    void busyBoxGetsExactly502StatusReads()
    {
        Rig rig;
        rig.fake.bySubCode[frame::kBlock] = FakeUsb::echo(settingsBlockReply({}, 0x01));
        for (int round = 0; round < 2; ++round) {
            rig.fake.clearRecord();
            rig.messages.clear();
            const EdidReadout r = readEdid(rig.session, frame::kFetchBoxEdid);
            QVERIFY(r.arrived() && r.outcome.verdict == Verdict::Failed);
            QCOMPARE(statusReads(rig), 502);
            QCOMPARE(int(rig.framesWith(frame::kEdidChunk).size()), 16);
            QCOMPARE(rig.messages, (Messages{{"The box never reported ready: the table may be stale.", 4000}}));
        }
        QVERIFY(rig.clock.now > 5000);
        QVERIFY(!waitEdidReady(rig.session).outcome.done());

        Rig idleAfterThree;
        int reads = 0;
        idleAfterThree.fake.responder = [&](const Bytes &req) {
            if (req[2] == frame::kBlock)
                return FakeUsb::echo(settingsBlockReply({}, ++reads < 3 ? 0x01 : 0x00));
            return FakeUsb::idleReply(req, idleAfterThree.fake.edid);
        };
        const EdidWait ready = waitEdidReady(idleAfterThree.session);
        QVERIFY(ready.reads == 3 && ready.outcome.done());
    }

    // Without the fetch the buffer holds an older table, or none: nothing is
    // read, and the failure is what stays on the status bar.
    void unacknowledgedFetchEndsTheRead()
    {
        for (bool silent : {false, true}) {
            Rig rig;
            rig.fake.bySubCode[frame::kFetchBoxEdid] =
                silent ? FakeUsb::silent() : FakeUsb::echo(bytesFromHex("B5 00"));
            const EdidReadout r = readEdid(rig.session, frame::kFetchBoxEdid);
            QVERIFY(!r.arrived());
            QCOMPARE(rig.messages, (Messages{{"Error Writing values", 4000}}));
            QCOMPARE(int(rig.fake.frames().size()), 1);
            QVERIFY(r.outcome.verdict == Verdict::Failed);
            QCOMPARE(r.outcome.message, std::string("Error Writing values"));
        }
        // A status block that gets no reply ends the busy wait at once.
        Rig rig;
        rig.fake.bySubCode[frame::kBlock] = FakeUsb::silent();
        const EdidWait wait = waitEdidReady(rig.session);
        QCOMPARE(wait.reads, 1);
        QVERIFY(wait.outcome.verdict == Verdict::Failed);
    }

    void chunkThatDoesNotArriveInFullEndsTheRead_data()
    {
        QTest::addColumn<bool>("short15");
        QTest::newRow("15 bytes") << true;
        QTest::newRow("no reply") << false;
    }
    void chunkThatDoesNotArriveInFullEndsTheRead()
    {
        QFETCH(bool, short15);
        Rig rig;
        rig.fake.responder = [&](const Bytes &req) {
            if (req[2] == frame::kEdidChunk && req[3] == 0x50) {
                if (short15)
                    return FakeUsb::echo(Bytes(15, 0x77));
                FakeReply none;
                none.never = true;
                return none;
            }
            return FakeUsb::idleReply(req, rig.fake.edid);
        };
        const EdidReadout r = readEdid(rig.session, frame::kFetchBoxEdid);
        QVERIFY(!r.arrived() && r.outcome.verdict == Verdict::Failed);
        QVERIFY(rig.messages.empty());
        QCOMPARE(int(rig.framesWith(frame::kEdidChunk).size()), 6);
        QCOMPARE(rig.progress.back(), std::make_pair(0x50, 255));
    }

    void withoutDeviceNothingIsRead()
    {
        Rig rig(false);
        QVERIFY(!readEdid(rig.session, frame::kFetchBoxEdid).arrived());
        QVERIFY(rig.fake.frames().empty());
    }

    // Storing a buffer with a hole would give the box a table nobody wrote.
    void uploadStopsAtTheFirstUnacknowledgedChunk()
    {
        Rig rig;
        rig.fake.responder = [&](const Bytes &req) {
            if (req[2] == frame::kEdidChunk && req[3] == 5 * 8)
                return FakeUsb::echo(bytesFromHex("00 00"));
            return FakeUsb::idleReply(req, rig.fake.edid);
        };
        EdidImage image{};
        for (int i = 0; i < 256; ++i)
            image[i] = static_cast<uint8_t>(i);
        QVERIFY(uploadEdid(rig.session, image).verdict == Verdict::Failed);

        const std::vector<Bytes> f = rig.fake.frames();
        QCOMPARE(int(f.size()), 6);
        QCOMPARE(f[5], bytesFromHex("10 08 B0 28 28 29 2A 2B 2C 2D 2E 2F"));
        QCOMPARE(rig.clock.sleeps, std::vector<uint32_t>(5, 30));
        QCOMPARE(rig.messages, (Messages{{"Error Writing EDID values.", 2000}}));
        QCOMPARE(rig.progress.back(), std::make_pair(0, 0));
    }

    void storeOutcome()
    {
        Rig wrongEcho;
        wrongEcho.fake.bySubCode[frame::kEdidStore] = FakeUsb::echo(bytesFromHex("B0 00"));
        QVERIFY(!uploadEdid(wrongEcho.session, EdidImage{}).done()); // not stored, though answered
        QCOMPARE(wrongEcho.messages.back(), (Message{"Error Populating EDID values.", 2000}));

        Rig failing;
        failing.fake.failWrites = true;
        QVERIFY(!uploadEdid(failing.session, EdidImage{}).done());
        QCOMPARE(failing.messages, (Messages{{"Error Writing EDID values.", 2000}}));
    }
};

QTEST_APPLESS_MAIN(TestEdidTransfer)
#include "tst_edid_transfer.moc"
