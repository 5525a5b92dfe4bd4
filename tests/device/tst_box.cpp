// SPDX-License-Identifier: GPL-3.0-or-later
// Opening the box by its serial, and the four register and block
// operations: the frames they send, how they judge the reply, what they
// report and return.
#include "box.h"
#include "bytes_print.h"
#include "device_log.h"
#include "fake_usb.h"
#include "presence_monitor.h"

#include <QtTest/QtTest>

using namespace vantrel;
using namespace vantrel::test;

namespace {

struct Message {
    std::string text;
    int ms;
    bool operator==(const Message &o) const { return text == o.text && ms == o.ms; }
};

struct Rig {
    VirtualClock clock;
    FakeUsb fake{clock};
    std::vector<std::string> alerts;
    std::vector<Message> messages;
    Box box{fake.api(), clock, [this](const std::string &t) { alerts.push_back(t); },
            [this](const Outcome &o) { messages.push_back({o.message, o.ms}); }};

    explicit Rig(bool connected = true)
    {
        if (connected && box.open() != Box::Opening::Opened)
            qFatal("the stand-in box did not connect");
        fake.clearRecord();
    }
    std::vector<Message> only(const char *text, int ms) const { return {{text, ms}}; }
};

} // namespace

namespace QTest {
template <> inline char *toString<std::vector<Message>>(const std::vector<Message> &m)
{
    std::string out;
    for (const Message &x : m)
        out += "(\"" + x.text + "\", " + std::to_string(x.ms) + ") ";
    return qstrdup(out.c_str());
}
} // namespace QTest

class TestBox : public QObject {
    Q_OBJECT
private slots:
    void readRegister();
    void readRegisterWrongCode();
    void writeRegisterJudgesTheEcho();
    void writeToSilentBox();
    void readBlockNeedsTheFullBlock();
    void writeBlockSendsTheImage();
    void withoutDeviceEveryOperationFails();
    void openSaysWhyNot();
    void presenceMonitorAsServeDrivesIt();
};

void TestBox::readRegister()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E0 00 01 0A 02 03 04 05"));
    uint8_t reply[UsbLink::kMaxReply];
    QVERIFY(rig.box.readRegister(7, reply, 8).done());
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("11 08 E0 07")});
    QCOMPARE(Bytes(reply + 2, reply + 8), bytesFromHex("01 0A 02 03 04 05"));
    QVERIFY(rig.messages.empty());
}

void TestBox::readRegisterWrongCode()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E1 00 01 02 03 04 05 06"));
    uint8_t reply[UsbLink::kMaxReply];
    const Outcome o = rig.box.readRegister(7, reply, 8);
    QVERIFY(o.verdict == Verdict::Failed && o.message == "..." && o.ms == 2000 && o.wordless);
    QCOMPARE(rig.messages, rig.only("...", 2000));

    // Asked for 8, given 7: the transport already fails it.
    Rig shortRig;
    shortRig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E0 00 01 02 03 04 05"));
    QVERIFY(!shortRig.box.readRegister(7, reply, 8).done());
    QCOMPARE(shortRig.messages, shortRig.only("...", 2000));
}

void TestBox::writeRegisterJudgesTheEcho()
{
    Rig rig;
    QVERIFY(rig.box.writeRegister(0x19, 3).done());
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("10 04 E0 19 03")});
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E2 00"));
    // Answered but not acknowledged: failed, with the message the user saw.
    const Outcome o = rig.box.writeRegister(0x19, 3);
    QVERIFY(o.verdict == Verdict::Failed && o.message == "Error Writing values" && o.ms == 4000 && !o.wordless);
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBox::writeToSilentBox()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::silent();
    rig.box.writeRegister(0x16, 1);
    QCOMPARE(rig.clock.now, 4000u);
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBox::readBlockNeedsTheFullBlock()
{
    std::array<uint8_t, frame::kSettingsSize> settings{};
    for (size_t i = 0; i < settings.size(); ++i)
        settings[i] = static_cast<uint8_t>(0x40 + i);
    const Bytes block = settingsBlockReply(settings, 0x01);

    Rig rig;
    rig.fake.bySubCode[frame::kBlock] = FakeUsb::echo(block);
    uint8_t reply[UsbLink::kMaxReply];
    QVERIFY(rig.box.readBlock(reply, frame::kSettingsBlockLength).done());
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("11 2A E1")});
    QCOMPARE(Bytes(reply, reply + block.size()), block);
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kBlock] = FakeUsb::echo(Bytes(block.begin(), block.end() - 1));
    QVERIFY(!rig.box.readBlock(reply, frame::kSettingsBlockLength).done());
    QCOMPARE(rig.messages, rig.only("Error Reading values", 4000));
}

void TestBox::writeBlockSendsTheImage()
{
    Rig rig;
    uint8_t image[frame::kSettingsSize];
    for (int i = 0; i < frame::kSettingsSize; ++i)
        image[i] = static_cast<uint8_t>(0xC0 ^ i);
    QVERIFY(rig.box.writeBlock(image).done());
    const auto frames = rig.fake.frames();
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0].size(), size_t(43));
    QCOMPARE(Bytes(frames[0].begin(), frames[0].begin() + 3), bytesFromHex("10 28 E2"));
    QCOMPARE(Bytes(frames[0].begin() + 3, frames[0].end()), Bytes(image, image + frame::kSettingsSize));
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kImageWrite] = FakeUsb::echo(bytesFromHex("E0 00"));
    rig.box.writeBlock(image);
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBox::withoutDeviceEveryOperationFails()
{
    // Reply areas are cleared first, so stale bytes that look like an echo
    // cannot pass for a reply the box never sent.
    Rig rig(false);
    uint8_t reply[UsbLink::kMaxReply];
    std::memset(reply, frame::kRegister, sizeof reply);
    QVERIFY(!rig.box.readRegister(7, reply, 8).done());
    std::memset(reply, frame::kBlock, sizeof reply);
    QVERIFY(!rig.box.readBlock(reply, frame::kSettingsBlockLength).done());
    rig.box.writeRegister(0x16, 1);
    const uint8_t image[frame::kSettingsSize] = {};
    rig.box.writeBlock(image);
    QCOMPARE(rig.messages, (std::vector<Message>{{"...", 2000},
                                                 {"Error Reading values", 4000},
                                                 {"Error Writing values", 4000},
                                                 {"Error Writing values", 4000}}));
    QVERIFY(rig.fake.calls.empty());
    QVERIFY(rig.alerts.empty());
}

// Each caller words these its own way: the window alerts, the tool names the cause.
void TestBox::openSaysWhyNot()
{
    const struct {
        const char *name;
        std::function<void(FakeUsb &)> setUp;
        Box::Opening expected;
        std::vector<std::string> alerts;
    } cases[] = {
        {"attached", [](FakeUsb &) {}, Box::Opening::Opened, {}},
        {"other serial", [](FakeUsb &f) { f.serials = {"2022"}; }, Box::Opening::NotListed,
         {"VANTREL USB not connected!"}},
        {"open fails", [](FakeUsb &f) { f.openFails = true; }, Box::Opening::WouldNotOpen,
         {"Usb device open error!"}},
        {"no permission", [](FakeUsb &f) { f.openDenied = true; }, Box::Opening::NoPermission,
         {"Usb device open error!"}},
    };
    for (const auto &c : cases) {
        Rig rig(false);
        c.setUp(rig.fake);
        std::vector<std::string> logged;
        const DeviceLog before = setDeviceLog([&](DeviceLogKind, const std::string &t) { logged.push_back(t); });
        QVERIFY2(rig.box.open() == c.expected, c.name);
        setDeviceLog(before);
        QCOMPARE(rig.alerts, c.alerts);
        QCOMPARE(logged.size(), size_t(c.expected == Box::Opening::NoPermission)); // passed on, not swallowed
    }
}

// Ticks as serve runs them, without a window: what the monitor runs and
// tells at each, while the box answers, goes silent, comes back, is unplugged
// and plugged in again.
void TestBox::presenceMonitorAsServeDrivesIt()
{
    Rig rig(false);
    std::string ran;
    PresenceMonitor::Steps steps;
    steps.startupSteps = 2;
    steps.startup = [&](int step) {
        ran += "s" + std::to_string(step);
        uint8_t reply[UsbLink::kMaxReply];
        rig.box.readRegister(7, reply, 8);
    };
    steps.probe = [&] {
        ran += "p";
        uint8_t reply[UsbLink::kMaxReply];
        rig.box.readRegister(6, reply, 10);
    };
    steps.poll = [&] {
        ran += "t";
        uint8_t reply[UsbLink::kMaxReply];
        rig.box.readRegister(6, reply, 10);
    };
    steps.lost = [&] { ran += "L"; };
    steps.unanswered = [&](bool listed) { ran += listed ? "U" : "G"; };
    PresenceMonitor monitor(rig.box, steps);
    using S = PresenceMonitor::State;
    const struct {
        const char *what;
        std::function<void()> change;
        const char *ran;
        S state;
        bool started;
    } ticks[] = {
        {"found", [] {}, "s0s1", S::Answering, true},
        {"polled", [] {}, "t", S::Answering, true},
        {"silent", [&] { rig.fake.responder = [](const Bytes &) { return FakeUsb::silent(); }; }, "tU", S::Silent, true},
        {"probed", [] {}, "pU", S::Silent, true},
        {"back-off", [] {}, "", S::Silent, true},
        {"answers", [&] { rig.fake.responder = nullptr; }, "p", S::Answering, true},
        {"closed under it", [&] { rig.box.link().CloseDevice(); }, "tLG", S::Looking, false},
        {"opened again", [] {}, "s0s1", S::Answering, true},
        {"unplugged", [&] { rig.fake.serials.clear(); rig.fake.failWrites = true; }, "tLG", S::Looking, false},
        {"absent", [] {}, "", S::Looking, false},
        {"plugged", [&] { rig.fake.serials = {"2023"}; rig.fake.failWrites = false; }, "s0s1", S::Answering, true},
    };
    for (const auto &t : ticks) {
        t.change();
        ran.clear();
        rig.clock.advance(3000);
        monitor.tick();
        QVERIFY2(ran == t.ran, (std::string(t.what) + ": " + ran).c_str());
        QVERIFY2(monitor.state() == t.state && monitor.started() == t.started, t.what);
    }
    QVERIFY(rig.alerts.empty()); // looking again keeps the link's alerts back
}

QTEST_APPLESS_MAIN(TestBox)
#include "tst_box.moc"
