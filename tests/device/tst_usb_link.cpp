// SPDX-License-Identifier: GPL-3.0-or-later
// UsbLink against the stand-in library on virtual time: which device it
// picks, open and close, and every way an exchange can end.
#include "bytes_print.h"
#include "fake_usb.h"
#include "usb_link.h"

#include <QtTest/QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

const char *kNotConnected = "VANTREL USB not connected!";

struct Rig {
    VirtualClock clock;
    FakeUsb fake{clock};
    std::vector<std::string> alerts;
    UsbLink link{fake.api(), clock, [this](const std::string &t) { alerts.push_back(t); }};

    bool connect()
    {
        DWORD index = 0;
        bool ok = link.FindDevice("2023", index) && link.OpenDevice(index);
        fake.clearRecord();
        return ok;
    }
    int alertCount(const std::string &text) const
    {
        return static_cast<int>(std::count(alerts.begin(), alerts.end(), text));
    }
};

Bytes toBytes(const QByteArray &a) { return Bytes(a.begin(), a.end()); }

constexpr uint8_t kUntouched = 0xAA;

} // namespace

class TestUsbLink : public QObject {
    Q_OBJECT
private slots:
    void findsTheBoxByExactSerial_data();
    void findsTheBoxByExactSerial();
    void noLibraryMeansNoDevice();
    void openFailureLeavesNoHandle();
    void closeOnceAndReportFailedClose();
    void transactOutcomes_data();
    void transactOutcomes();
    void transactWithoutDeviceSendsNothing();
    void silentBoxEndsAfterTheBound();
    void queueQueriesArePacedAndSilenceHolds();
    void boundCountsFromTheStart();
    void boundSurvivesTickWrap();
    void busyOnlyDuringTheExchange();
    void exchangeCallOrder();
};

void TestUsbLink::findsTheBoxByExactSerial_data()
{
    QTest::addColumn<QStringList>("serials");
    QTest::addColumn<QList<int>>("failing");
    QTest::addColumn<bool>("countFails");
    QTest::addColumn<int>("expected"); // -1: not found

    QTest::newRow("second of 2024, 2023") << QStringList{"2024", "2023"} << QList<int>{} << false << 1;
    QTest::newRow("first of two 2023") << QStringList{"2023", "2023"} << QList<int>{} << false << 0;
    QTest::newRow("trailing space") << QStringList{"2023 "} << QList<int>{} << false << -1;
    QTest::newRow("leading zero") << QStringList{"02023"} << QList<int>{} << false << -1;
    QTest::newRow("prefix only") << QStringList{"202"} << QList<int>{} << false << -1;
    QTest::newRow("failing query skipped") << QStringList{"2023", "2023"} << QList<int>{0} << false << 1;
    QTest::newRow("only match fails its query") << QStringList{"2023"} << QList<int>{0} << false << -1;
    QTest::newRow("nothing attached") << QStringList{} << QList<int>{} << false << -1;
    QTest::newRow("count fails") << QStringList{"2023"} << QList<int>{} << true << -1;
}

void TestUsbLink::findsTheBoxByExactSerial()
{
    QFETCH(QStringList, serials);
    QFETCH(QList<int>, failing);
    QFETCH(bool, countFails);
    QFETCH(int, expected);

    Rig rig;
    rig.fake.serials.clear();
    for (const QString &s : serials)
        rig.fake.serials.push_back(s.toStdString());
    for (int i : failing)
        rig.fake.failingStringQuery.insert(static_cast<uint32_t>(i));
    rig.fake.countFails = countFails;

    DWORD index = 77;
    const bool found = rig.link.FindDevice("2023", index);
    QCOMPARE(found, expected >= 0);
    QCOMPARE(index, expected >= 0 ? DWORD(expected) : DWORD(77));
    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.alertCount(kNotConnected), found ? 0 : 1);
    QCOMPARE(int(rig.alerts.size()), found ? 0 : 1);
    // The serial (flag 0) is what is compared, and the search stops at the first match.
    for (const UsbCall &c : rig.fake.calls)
        if (c.name == "SI_GetProductString") {
            QCOMPARE(c.b, DWORD(SI_RETURN_SERIAL_NUMBER));
            if (found)
                QVERIFY(c.a <= DWORD(expected));
        }
}

void TestUsbLink::noLibraryMeansNoDevice()
{
    VirtualClock clock;
    std::vector<std::string> alerts;
    UsbLink link(nullptr, clock, [&](const std::string &t) { alerts.push_back(t); });
    DWORD index = 0;
    QVERIFY(!link.FindDevice("2023", index));
    QVERIFY(!link.OpenDevice(0));
    uint8_t reply[UsbLink::kMaxReply] = {kUntouched};
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QVERIFY(link.Transact(reply, request, 8, 4));
    QCOMPARE(reply[0], kUntouched);
    link.CloseDevice();
    QCOMPARE(alerts, (std::vector<std::string>{kNotConnected, "Usb device open error!"}));
    QVERIFY(!link.busy());
}

void TestUsbLink::openFailureLeavesNoHandle()
{
    Rig rig;
    rig.fake.openFails = true;
    DWORD index = 0;
    QVERIFY(rig.link.FindDevice("2023", index));
    QVERIFY(!rig.link.OpenDevice(index));
    QVERIFY(!rig.link.isOpen());
    QCOMPARE(rig.link.handle(), UsbLink::noDevice());
    QCOMPARE(rig.alerts, (std::vector<std::string>{"Usb device open error!"}));

    rig.fake.openFails = false;
    QVERIFY(rig.link.OpenDevice(index));
    QCOMPARE(rig.link.handle(), rig.fake.openHandle());
}

void TestUsbLink::closeOnceAndReportFailedClose()
{
    Rig rig;
    QVERIFY(rig.connect());
    rig.link.CloseDevice();
    rig.link.CloseDevice();
    QCOMPARE(rig.fake.count("SI_Close"), 1);
    QVERIFY(rig.alerts.empty());
    QVERIFY(!rig.link.isOpen());

    Rig failing;
    QVERIFY(failing.connect());
    failing.fake.closeFails = true;
    failing.link.CloseDevice();
    QCOMPARE(failing.alerts, (std::vector<std::string>{"Unable to close device handle!"}));
    QVERIFY(!failing.link.isOpen());
    failing.link.CloseDevice();
    QCOMPARE(failing.alerts.size(), size_t(1));
}

void TestUsbLink::transactOutcomes_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("readFails");
    QTest::addColumn<bool>("failWrites");
    QTest::addColumn<int>("failQueries");
    QTest::addColumn<int>("minReply");
    QTest::addColumn<bool>("result");
    QTest::addColumn<QByteArray>("copied"); // the rest of the area stays untouched
    QTest::addColumn<int>("queueAlerts");

    const QByteArray eight = QByteArray::fromHex("e001020304050607");
    QTest::newRow("full reply") << eight << false << false << 0 << 8 << true << eight << 0;
    QTest::newRow("longer than asked") << eight << false << false << 0 << 2 << true << eight << 0;
    QTest::newRow("one byte of two") << QByteArray::fromHex("e0") << false << false << 0 << 2 << false
                                     << QByteArray::fromHex("e0") << 0;
    QTest::newRow("read fails, bytes copied") << QByteArray::fromHex("e00005") << true << false << 0 << 2 << false
                                              << QByteArray::fromHex("e00005") << 0;
    QTest::newRow("write fails") << eight << false << true << 0 << 2 << false << QByteArray() << 0;
    QTest::newRow("queue query fails twice") << eight << false << false << 2 << 2 << false << QByteArray() << 2;
    const QByteArray seventy(70, '\x5C');
    QTest::newRow("more than 64 offered") << seventy << false << false << 0 << 2 << true << seventy.left(64) << 0;
}

void TestUsbLink::transactOutcomes()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, readFails);
    QFETCH(bool, failWrites);
    QFETCH(int, failQueries);
    QFETCH(int, minReply);
    QFETCH(bool, result);
    QFETCH(QByteArray, copied);
    QFETCH(int, queueAlerts);

    Rig rig;
    QVERIFY(rig.connect());
    FakeReply r = FakeUsb::echo(toBytes(reply));
    r.readFails = readFails;
    rig.fake.responder = [&](const Bytes &) { return r; };
    rig.fake.failWrites = failWrites;
    rig.fake.failQueueQueries = failQueries;
    rig.fake.readTimeout = 1234;
    rig.fake.writeTimeout = 567;

    uint8_t area[96];
    std::memset(area, kUntouched, sizeof area);
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QCOMPARE(rig.link.Transact(area, request, DWORD(minReply), 4), result);

    QCOMPARE(Bytes(area, area + copied.size()), toBytes(copied));
    for (size_t i = size_t(copied.size()); i < sizeof area; ++i)
        QCOMPARE(area[i], kUntouched);
    QCOMPARE(rig.alertCount("Error Checking RX Queue"), queueAlerts);
    QCOMPARE(int(rig.alerts.size()), queueAlerts);
    // A failing query does not end the wait: the query after it still finds the reply.
    if (failQueries)
        QCOMPARE(rig.fake.count("SI_CheckRXQueue"), failQueries + 1);
    if (failWrites)
        QCOMPARE(rig.fake.count("SI_CheckRXQueue"), 0);
    QVERIFY(!rig.link.busy());
    QCOMPARE(rig.fake.readTimeout, 1234u);
    QCOMPARE(rig.fake.writeTimeout, 567u);
}

void TestUsbLink::transactWithoutDeviceSendsNothing()
{
    Rig rig;
    DWORD index = 0;
    QVERIFY(rig.link.FindDevice("2023", index)); // found, never opened
    rig.fake.clearRecord();
    uint8_t area[UsbLink::kMaxReply];
    std::memset(area, kUntouched, sizeof area);
    const uint8_t request[] = {0x10, 0x04, 0xE0, 0x16, 0x01};
    QVERIFY(rig.link.Transact(area, request, 2, 5));
    QVERIFY(rig.fake.calls.empty());
    QCOMPARE(area[0], kUntouched);
    QVERIFY(!rig.link.busy());
}

void TestUsbLink::silentBoxEndsAfterTheBound()
{
    Rig rig;
    QVERIFY(rig.connect());
    rig.fake.responder = [](const Bytes &) { return FakeUsb::silent(); };
    rig.fake.readTimeout = 10;
    rig.fake.writeTimeout = 20;
    rig.clock.now = 5000;
    uint8_t area[UsbLink::kMaxReply];
    std::memset(area, kUntouched, sizeof area);
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QVERIFY(rig.link.Transact(area, request, 8, 4));
    QCOMPARE(rig.clock.now - 5000, 4000u);
    QCOMPARE(area[0], kUntouched);
    QCOMPARE(rig.fake.count("SI_Read"), 0);
    QVERIFY(rig.alerts.empty());
    QCOMPARE(rig.fake.readTimeout, 10u);
    QCOMPARE(rig.fake.writeTimeout, 20u);
}

// A library whose query returns at once must not spin a core for the bound;
// one that waits by itself is not slowed down further. With hold on, the
// first unanswered exchange makes the next ones fail without sending.
void TestUsbLink::queueQueriesArePacedAndSilenceHolds()
{
    for (uint32_t cost : {0u, 1u}) {
        Rig rig;
        QVERIFY(rig.connect());
        rig.fake.queueQueryCostMs = cost;
        rig.fake.responder = [](const Bytes &) { return FakeUsb::silent(); };
        rig.link.setHoldWhenSilent(true);
        uint8_t area[UsbLink::kMaxReply];
        const uint8_t request[] = {0x11, 0x2A, 0xE1};
        QVERIFY(rig.link.Transact(area, request, 42, 3));
        QVERIFY(rig.link.silent());
        QCOMPARE(rig.fake.count("SI_CheckRXQueue"), 4000);
        QCOMPARE(rig.clock.sleeps.size(), size_t(cost ? 0 : 4000));
        QCOMPARE(rig.link.unanswered(), 1u);

        rig.fake.clearRecord();
        rig.fake.responder = nullptr;
        QVERIFY(!rig.link.Transact(area, request, 42, 3));
        QVERIFY(rig.fake.calls.empty());
        rig.link.resume();
        QVERIFY(rig.link.Transact(area, request, 42, 3));
        QCOMPARE(rig.link.unanswered(), 1u);
    }
    // A reply that is queued while the link paces is taken on the next query.
    Rig rig;
    QVERIFY(rig.connect());
    rig.fake.queueQueryCostMs = 0;
    rig.fake.bySubCode[0xE1] = {settingsBlockReply({}), false, 7};
    uint8_t area[UsbLink::kMaxReply];
    const uint8_t request[] = {0x11, 0x2A, 0xE1};
    QVERIFY(rig.link.Transact(area, request, 42, 3));
    QCOMPARE(rig.clock.now, 7u);
}

void TestUsbLink::boundCountsFromTheStart()
{
    // A write that takes 3000 ms leaves 1000 ms for the reply.
    for (uint32_t delay : {900u, 1500u}) {
        Rig rig;
        QVERIFY(rig.connect());
        rig.fake.writeCostMs = 3000;
        rig.fake.responder = [delay](const Bytes &) {
            FakeReply r = FakeUsb::echo({0xE0, 0x00});
            r.delayMs = delay;
            return r;
        };
        uint8_t area[UsbLink::kMaxReply];
        std::memset(area, kUntouched, sizeof area);
        const uint8_t request[] = {0x10, 0x04, 0xE0, 0x16, 0x01};
        QVERIFY(rig.link.Transact(area, request, 2, 5));
        if (delay < 1000) {
            QCOMPARE(area[0], uint8_t(0xE0));
            QCOMPARE(rig.clock.now, 3000u + delay);
        } else {
            QCOMPARE(area[0], kUntouched);
            QCOMPARE(rig.clock.now, 4000u);
        }
    }
}

void TestUsbLink::boundSurvivesTickWrap()
{
    Rig rig;
    QVERIFY(rig.connect());
    const uint32_t start = 0xFFFFFFFFu - 1500;
    rig.clock.now = start;
    rig.fake.responder = [](const Bytes &) { return FakeUsb::silent(); };
    uint8_t area[UsbLink::kMaxReply];
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QVERIFY(rig.link.Transact(area, request, 8, 4));
    QCOMPARE(static_cast<uint32_t>(rig.clock.now - start), 4000u);

    // A reply due after the wrap is still picked up.
    rig.clock.now = start;
    rig.fake.responder = [](const Bytes &) {
        FakeReply r = FakeUsb::echo({0xE0, 0x00, 1, 2, 3, 4, 5, 6});
        r.delayMs = 2500;
        return r;
    };
    QVERIFY(rig.link.Transact(area, request, 8, 4));
    QCOMPARE(area[2], uint8_t(1));
    QCOMPARE(static_cast<uint32_t>(rig.clock.now - start), 2500u);
}

void TestUsbLink::busyOnlyDuringTheExchange()
{
    Rig rig;
    QVERIFY(rig.connect());
    bool busyInside = false;
    rig.fake.responder = [&](const Bytes &request) {
        busyInside = rig.link.busy();
        return FakeUsb::idleReply(request, rig.fake.edid);
    };
    uint8_t area[UsbLink::kMaxReply];
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QVERIFY(!rig.link.busy());
    QVERIFY(rig.link.Transact(area, request, 8, 4));
    QVERIFY(busyInside);
    QVERIFY(!rig.link.busy());
}

void TestUsbLink::exchangeCallOrder()
{
    Rig rig;
    QVERIFY(rig.connect());
    rig.fake.readTimeout = 7;
    rig.fake.writeTimeout = 9;
    rig.fake.responder = [](const Bytes &) {
        FakeReply r = FakeUsb::echo({0xE0, 0x00, 0x11});
        r.delayMs = 2; // the first query finds nothing yet
        return r;
    };
    uint8_t area[UsbLink::kMaxReply];
    const uint8_t request[] = {0x10, 0x04, 0xE0, 0x19, 0x03};
    QVERIFY(rig.link.Transact(area, request, 2, 5));

    struct Want {
        const char *name;
        uint32_t a, b;
    };
    const Want want[] = {
        {"SI_FlushBuffers", 1, 1}, {"SI_GetTimeouts", 7, 9}, {"SI_SetTimeouts", 0, 4000}, {"SI_Write", 0, 0},
        {"SI_SetTimeouts", 7, 9},  {"SI_CheckRXQueue", 0, 0}, {"SI_CheckRXQueue", 3, 0},  {"SI_GetTimeouts", 7, 9},
        {"SI_SetTimeouts", 4000, 0}, {"SI_Read", 64, 0},      {"SI_SetTimeouts", 7, 9},
    };
    const auto &calls = rig.fake.calls;
    QCOMPARE(calls.size(), std::size(want));
    for (size_t i = 0; i < calls.size(); ++i) {
        QCOMPARE(calls[i].name, std::string(want[i].name));
        QCOMPARE(calls[i].a, want[i].a);
        QCOMPARE(calls[i].b, want[i].b);
    }
    QCOMPARE(calls[3].data, bytesFromHex("10 04 E0 19 03"));
    QCOMPARE(calls[9].data, bytesFromHex("E0 00 11"));
}

QTEST_APPLESS_MAIN(TestUsbLink)
#include "tst_usb_link.moc"
