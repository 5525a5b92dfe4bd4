// SPDX-License-Identifier: GPL-3.0-or-later
// The four register and block operations: the frames they send, how they
// judge the reply and what they report.
#include "box_requests.h"
#include "bytes_print.h"
#include "fake_usb.h"

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
    UsbLink link{fake.api(), clock, [this](const std::string &t) { alerts.push_back(t); }};
    BoxRequests box{link, [this](const Outcome &o) { messages.push_back({o.message, o.ms}); }};

    explicit Rig(bool connected = true)
    {
        DWORD index = 0;
        if (connected && !(link.FindDevice("2023", index) && link.OpenDevice(index)))
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

class TestBoxRequests : public QObject {
    Q_OBJECT
private slots:
    void readRegister();
    void readRegisterWrongCode();
    void writeRegisterJudgesTheEcho();
    void writeToSilentBox();
    void readBlockNeedsTheFullBlock();
    void writeBlockSendsTheImage();
    void withoutDeviceEveryOperationFails();
};

void TestBoxRequests::readRegister()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E0 00 01 0A 02 03 04 05"));
    uint8_t reply[UsbLink::kMaxReply];
    QVERIFY(rig.box.ReadRegister(7, reply, 8));
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("11 08 E0 07")});
    QCOMPARE(Bytes(reply + 2, reply + 8), bytesFromHex("01 0A 02 03 04 05"));
    QVERIFY(rig.messages.empty());
}

void TestBoxRequests::readRegisterWrongCode()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E1 00 01 02 03 04 05 06"));
    uint8_t reply[UsbLink::kMaxReply];
    QVERIFY(!rig.box.ReadRegister(7, reply, 8));
    QCOMPARE(rig.messages, rig.only("...", 2000));

    // Asked for 8, given 7: the transport already fails it.
    Rig shortRig;
    shortRig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E0 00 01 02 03 04 05"));
    QVERIFY(!shortRig.box.ReadRegister(7, reply, 8));
    QCOMPARE(shortRig.messages, shortRig.only("...", 2000));
}

void TestBoxRequests::writeRegisterJudgesTheEcho()
{
    Rig rig;
    QVERIFY(rig.box.WriteRegister(0x19, 3));
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("10 04 E0 19 03")});
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("E2 00"));
    // The transport worked, so the result says so; the message tells the user.
    QVERIFY(rig.box.WriteRegister(0x19, 3));
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBoxRequests::writeToSilentBox()
{
    Rig rig;
    rig.fake.bySubCode[frame::kRegister] = FakeUsb::silent();
    rig.box.WriteRegister(0x16, 1);
    QCOMPARE(rig.clock.now, 4000u);
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBoxRequests::readBlockNeedsTheFullBlock()
{
    std::array<uint8_t, frame::kSettingsSize> settings{};
    for (size_t i = 0; i < settings.size(); ++i)
        settings[i] = static_cast<uint8_t>(0x40 + i);
    const Bytes block = settingsBlockReply(settings, 0x01);

    Rig rig;
    rig.fake.bySubCode[frame::kBlock] = FakeUsb::echo(block);
    uint8_t reply[UsbLink::kMaxReply];
    QVERIFY(rig.box.ReadBlock(reply, frame::kSettingsBlockLength));
    QCOMPARE(rig.fake.frames(), std::vector<Bytes>{bytesFromHex("11 2A E1")});
    QCOMPARE(Bytes(reply, reply + block.size()), block);
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kBlock] = FakeUsb::echo(Bytes(block.begin(), block.end() - 1));
    QVERIFY(!rig.box.ReadBlock(reply, frame::kSettingsBlockLength));
    QCOMPARE(rig.messages, rig.only("Error Reading values", 4000));
}

void TestBoxRequests::writeBlockSendsTheImage()
{
    Rig rig;
    uint8_t image[frame::kSettingsSize];
    for (int i = 0; i < frame::kSettingsSize; ++i)
        image[i] = static_cast<uint8_t>(0xC0 ^ i);
    QVERIFY(rig.box.WriteBlock(image));
    const auto frames = rig.fake.frames();
    QCOMPARE(frames.size(), size_t(1));
    QCOMPARE(frames[0].size(), size_t(43));
    QCOMPARE(Bytes(frames[0].begin(), frames[0].begin() + 3), bytesFromHex("10 28 E2"));
    QCOMPARE(Bytes(frames[0].begin() + 3, frames[0].end()), Bytes(image, image + frame::kSettingsSize));
    QVERIFY(rig.messages.empty());

    rig.fake.bySubCode[frame::kImageWrite] = FakeUsb::echo(bytesFromHex("E0 00"));
    rig.box.WriteBlock(image);
    QCOMPARE(rig.messages, rig.only("Error Writing values", 4000));
}

void TestBoxRequests::withoutDeviceEveryOperationFails()
{
    // Reply areas are cleared first, so stale bytes that look like an echo
    // cannot pass for a reply the box never sent.
    Rig rig(false);
    uint8_t reply[UsbLink::kMaxReply];
    std::memset(reply, frame::kRegister, sizeof reply);
    QVERIFY(!rig.box.ReadRegister(7, reply, 8));
    std::memset(reply, frame::kBlock, sizeof reply);
    QVERIFY(!rig.box.ReadBlock(reply, frame::kSettingsBlockLength));
    rig.box.WriteRegister(0x16, 1);
    const uint8_t image[frame::kSettingsSize] = {};
    rig.box.WriteBlock(image);
    QCOMPARE(rig.messages, (std::vector<Message>{{"...", 2000},
                                                 {"Error Reading values", 4000},
                                                 {"Error Writing values", 4000},
                                                 {"Error Writing values", 4000}}));
    QVERIFY(rig.fake.calls.empty());
    QVERIFY(rig.alerts.empty());
}

QTEST_APPLESS_MAIN(TestBoxRequests)
#include "tst_box_requests.moc"
