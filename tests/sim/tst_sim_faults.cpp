// SPDX-License-Identifier: GPL-3.0-or-later
// The fault plan and the link's timing, seen from UsbLink and Box as
// the program sees them.
#include "sim_fixture.h"

#include <QtTest>

using namespace vantrel;

class SimFaults : public QObject {
    Q_OBJECT
private slots:
    void noReplyRunsIntoTheBound();
    void shortReplyFailsTheMinimum();
    void wrongCodeFailsTheEchoTest();
    void busyForNBlockReads();
    void queueFailShowsOneAlert();
    void writeFailNeverReachesTheBox();
    void goneAfterNExchanges();
    void latencyHoldsTheQueueEmpty();
    void skipAndCountPickTheExchange();
    void rulesFromText_data();
    void rulesFromText();
};

void SimFaults::noReplyRunsIntoTheBound()
{
    SimBox box("fault=E0:noreply:1");
    const uint32_t start = box.clock.now;
    uint8_t reply[64];
    QVERIFY(!box.requests->readRegister(7, reply, 8).done()); // a cleared area fails the echo test
    QVERIFY(box.clock.now - start >= UsbLink::kReplyBoundMs);
    QCOMPARE(box.messages, std::vector<std::string>{"..."});
    QVERIFY(box.requests->readRegister(7, reply, 8).done()); // only the first one
}

void SimFaults::shortReplyFailsTheMinimum()
{
    SimBox box("fault=E1:short");
    uint8_t reply[64];
    QVERIFY(!box.requests->readBlock(reply, 42).done());
    QCOMPARE(box.messages, std::vector<std::string>{"Error Reading values"});
    // A chunk read one byte short ends an EDID read.
    sim::addFault({0xB0, 0x11, sim::FaultKind::ShortReply});
    box.exchange(frame::edidChunkRead(0), 16);
    QVERIFY(!box.ok);
}

void SimFaults::wrongCodeFailsTheEchoTest()
{
    SimBox box("fault=E0:wrongcode");
    uint8_t reply[64];
    QVERIFY(!box.requests->readRegister(6, reply, 15).done());
    QCOMPARE(reply[0], uint8_t(0xE1));
    QVERIFY(!box.requests->writeRegister(22, 0).done()); // answered, but not acknowledged
    QCOMPARE(box.messages.back(), std::string("Error Writing values"));
    QCOMPARE(box.model().block()[26], uint8_t(0)); // the box took it all the same
}

void SimFaults::busyForNBlockReads()
{
    SimBox box("fault=E1:busy:3");
    int busy = 0;
    for (int i = 0; i < 5; ++i)
        busy += box.readBlock()[1] & frame::kBusyBit;
    QCOMPARE(busy, 3);
    QVERIFY(box.messages.empty()); // busy is not a failure
}

void SimFaults::queueFailShowsOneAlert()
{
    SimBox box("fault=B4:queuefail:1");
    auto r = box.exchange(frame::edidFetch(frame::kFetchBoxEdid));
    QVERIFY(!box.ok);
    QCOMPARE(box.alerts, std::vector<std::string>{"Error Checking RX Queue"});
    r = box.exchange(frame::edidFetch(frame::kFetchBoxEdid));
    QVERIFY(box.ok);
    QCOMPARE(r[0], frame::kFetchBoxEdid);
}

void SimFaults::writeFailNeverReachesTheBox()
{
    SimBox box("fault=E0:writefail");
    QVERIFY(!box.write(22, 0));
    QCOMPARE(box.model().block()[26], uint8_t(1));
    QCOMPARE(box.messages, std::vector<std::string>{"Error Writing values"});
}

void SimFaults::goneAfterNExchanges()
{
    SimBox box("fault=*:gone:3");
    for (int i = 0; i < 3; ++i) {
        box.readBlock();
        QVERIFY(box.ok);
    }
    QVERIFY(sim::deviceGone());
    box.readBlock();
    QVERIFY(!box.ok);
    DWORD count = 0;
    QCOMPARE(sim::simulatorApi()->GetNumDevices(&count), SI_DEVICE_NOT_FOUND);
    box.link->CloseDevice();
    QCOMPARE(box.alerts.back(), std::string("Unable to close device handle!"));
}

void SimFaults::latencyHoldsTheQueueEmpty()
{
    SimBox box("latency=40");
    const UsbApi *api = sim::simulatorApi();
    Bytes req = frame::blockRead(42);
    DWORD put = 0, waiting = 0, status = 0;
    api->Write(box.link->handle(), req.data(), static_cast<DWORD>(req.size()), &put, nullptr);
    const uint32_t sent = box.clock.now;
    box.clock.now += 39;
    api->CheckRXQueue(box.link->handle(), &waiting, &status);
    QCOMPARE(waiting, DWORD(0));
    QCOMPARE(box.clock.now, sent + 40); // the empty query let a millisecond pass
    api->CheckRXQueue(box.link->handle(), &waiting, &status);
    QCOMPARE(waiting, DWORD(42));

    // Through Transact the exchange takes the latency plus a query.
    const uint32_t start = box.clock.now;
    box.readBlock();
    QVERIFY(box.ok);
    QVERIFY(box.clock.now - start >= 40 && box.clock.now - start <= 42);

    // Without latency the reply is there straight after the write.
    SimBox quick;
    api->Write(quick.link->handle(), req.data(), static_cast<DWORD>(req.size()), &put, nullptr);
    api->CheckRXQueue(quick.link->handle(), &waiting, &status);
    QCOMPARE(waiting, DWORD(42));

    // A per-request latency past the bound is as good as no reply.
    SimBox slow("fault=B1:latency:5000");
    auto r = slow.exchange(frame::edidStore());
    QCOMPARE(r[0], uint8_t(0));
}

void SimFaults::skipAndCountPickTheExchange()
{
    // The sixth chunk write of an upload is not echoed, the rest are.
    SimBox box("fault=10B0:wrongcode:1@5");
    uint8_t data[8] = {};
    std::vector<int> failed;
    for (int i = 0; i < 32; ++i)
        if (box.exchange(frame::edidChunkWrite(static_cast<uint8_t>(8 * i), data))[0] != frame::kEdidChunk)
            failed.push_back(i);
    QCOMPARE(failed, std::vector<int>{5});
    // Direction 10 does not touch the chunk reads.
    box.exchange(frame::edidChunkRead(0), 16);
    QVERIFY(box.ok);
}

void SimFaults::rulesFromText_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("good");
    QTest::newRow("several") << "B0:noreply:2@3,*:latency:20,11E1:busy:4" << true;
    QTest::newRow("no kind") << "B0" << false;
    QTest::newRow("unknown kind") << "B0:explode" << false;
    QTest::newRow("bad code") << "XYZ:noreply" << false;
    QTest::newRow("bad direction") << "05B0:wrongcode:1" << false;
    QTest::newRow("direction 10") << "10B0:short" << true;
    QTest::newRow("latency needs ms") << "B0:latency" << false;
    QTest::newRow("bad skip") << "B0:short@x" << false;
}

void SimFaults::rulesFromText()
{
    QFETCH(QString, text);
    QFETCH(bool, good);
    std::vector<sim::FaultRule> rules;
    std::string error;
    QCOMPARE(sim::parseFaultRules(text.toStdString(), rules, error), good);
    QCOMPARE(error.empty(), good);
    if (text.startsWith("B0:noreply")) {
        QCOMPARE(rules.size(), size_t(3));
        QCOMPARE(rules[0].count, 2u);
        QCOMPARE(rules[0].skip, 3u);
        QCOMPARE(rules[1].code, -1);
        QCOMPARE(rules[1].ms, 20u);
        QCOMPARE(rules[2].direction, 0x11);
        QCOMPARE(rules[2].code, 0xE1);
    }
}

QTEST_GUILESS_MAIN(SimFaults)
#include "tst_sim_faults.moc"
