// SPDX-License-Identifier: GPL-3.0-or-later
// Requests in, replies out: identity, settings registers, block, status
// records, CEC and infoframes, all through UsbLink and Box.
#include "settings_table.h"
#include "sim_fixture.h"

#include <algorithm>
#include <set>

#include <QtTest>

using namespace vantrel;

class SimProtocol : public QObject {
    Q_OBJECT
private slots:
    void identity();
    void serialsPickTheRightDevice();
    void versionAndStoredInfoframes();
    void registerWritesLandAtTheirPositions();
    void outOfRangeAndForbiddenWritesAreRefused();
    void factoryReset_data();
    void factoryReset();
    void blockWriteKeepsFirmwareFlags();
    void replyLengthsFollowTheLengthByte();
    void unknownRequests();
    void statusRecordsFromTheSignal();
    void outputsFollowTheInput();
    void noSource();
    void cecSendAndStoredTexts();
    void infoframesLoadActivateAndReadBack();
    void forcedHdrReportsTheInjectedFrame();
};

void SimProtocol::identity()
{
    SimBox box("product=Test Box");
    QVERIFY(box.found);
    QVERIFY(box.alerts.empty());
    char text[SI_MAX_DEVICE_STRLEN] = {};
    const UsbApi *api = sim::simulatorApi();
    QCOMPARE(api->GetProductString(0, text, SI_RETURN_DESCRIPTION), SI_SUCCESS);
    QCOMPARE(QString(text), QString("Test Box"));
    QCOMPARE(api->GetProductString(0, text, SI_RETURN_SERIAL_NUMBER), SI_SUCCESS);
    QCOMPARE(QString(text), QString("2023"));
    QCOMPARE(api->GetProductString(1, text, SI_RETURN_SERIAL_NUMBER), SI_DEVICE_NOT_FOUND);
}

void SimProtocol::serialsPickTheRightDevice()
{
    {
        SimBox box("serials=2024,2023");
        QVERIFY(box.found);
        QCOMPARE(box.link->deviceIndex(), DWORD(1));
        // Each device is its own box.
        QVERIFY(box.write(0, 3));
        QCOMPARE(sim::box(1).block()[0], uint8_t(3));
        QCOMPARE(sim::box(0).block()[0], uint8_t(1));
    }
    SimBox none("serials=");
    QVERIFY(!none.found);
    QCOMPARE(none.alerts, std::vector<std::string>{"VANTREL USB not connected!"});
}

void SimProtocol::versionAndStoredInfoframes()
{
    SimBox box("firmware=2.10.0.255");
    auto v = box.readItem(7, 8);
    QVERIFY(box.ok);
    QCOMPARE(v[0], uint8_t(0xE0));
    QCOMPARE(std::vector<uint8_t>(v.begin() + 2, v.begin() + 6), (std::vector<uint8_t>{2, 10, 0, 255}));

    auto hdr = box.readItem(35, 33);
    QVERIFY(box.ok);
    QCOMPARE(std::vector<uint8_t>(hdr.begin() + 2, hdr.begin() + 5), (std::vector<uint8_t>{0x87, 0x01, 0x1A}));
    uint8_t sum = 0;
    for (int i = 2; i < 2 + 4 + 0x1A; ++i)
        sum = static_cast<uint8_t>(sum + hdr[i]);
    QCOMPARE(sum, uint8_t(0)); // a well-formed infoframe
    auto avi = box.readItem(36, 15);
    QVERIFY(box.ok);
    QCOMPARE(std::vector<uint8_t>(avi.begin() + 2, avi.end()), box.model().storedAvi());
}

// The box keeps its own register map; hold it against the program's table:
// every register the table writes lands at the table's position, and the box
// takes no register the table does not know (but the factory reset).
void SimProtocol::registerWritesLandAtTheirPositions()
{
    std::set<int> known{config::kFactoryResetRegister};
    for (const config::Setting &s : config::settingsTable()) {
        if (!s.writable())
            continue;
        known.insert(s.reg);
        std::vector<int> values;
        if (s.kind == config::Kind::Selector)
            for (size_t i = 0; i < s.list->size(); ++i)
                values.push_back(s.listBase + int(i));
        else if (s.kind == config::Kind::CheckBox)
            values = {0, 1};
        for (const config::Option &o : s.options)
            values.push_back(o.value);

        SimBox box;
        auto before = box.readBlock();
        auto other = std::find_if(values.begin(), values.end(), [&](int v) { return v != before[2 + s.position]; });
        QVERIFY2(other != values.end(), s.caption);
        QVERIFY2(box.write(uint8_t(s.reg), uint8_t(*other)), s.caption);
        QVERIFY2(box.messages.empty(), s.caption);
        box.clock.now += 5000; // past any busy time
        auto after = box.readBlock();
        QVERIFY(box.ok);
        for (int p = 0; p < 40; ++p) {
            uint8_t want = p == s.position ? uint8_t(*other) : before[2 + p];
            QVERIFY2(after[2 + p] == want, qPrintable(QString("register %1, position %2").arg(s.reg).arg(p)));
        }
    }
    for (int reg = 0; reg < 64; ++reg) {
        if (known.count(reg))
            continue;
        SimBox box;
        auto r = box.exchange(frame::registerWrite(uint8_t(reg), 0));
        QVERIFY2(r[1] & sim::kStatusRefused, qPrintable(QString("register %1 is not in the table").arg(reg)));
    }
}

void SimProtocol::outOfRangeAndForbiddenWritesAreRefused()
{
    SimBox box("p9=0");
    for (auto [reg, value] : {std::pair{0, 5}, {0, 0}, {14, 26}, {32, 4}, {28, 2}, {6, 1}, {5, 3}}) {
        auto r = box.exchange(frame::registerWrite(static_cast<uint8_t>(reg), static_cast<uint8_t>(value)));
        QCOMPARE(r[0], uint8_t(0xE0));
        QVERIFY2(r[1] & sim::kStatusRefused, qPrintable(QString("register %1 = %2").arg(reg).arg(value)));
    }
    QCOMPARE(box.model().block(), sim::factoryBlock(sim::parseConfig("p9=0")));
}

void SimProtocol::factoryReset_data()
{
    QTest::addColumn<int>("value");
    QTest::addColumn<bool>("edid");
    QTest::addColumn<bool>("settings");
    QTest::newRow("EDID only") << 1 << true << false;
    QTest::newRow("settings only") << 2 << false << true;
    QTest::newRow("both") << 3 << true << true;
}

void SimProtocol::factoryReset()
{
    QFETCH(int, value);
    QFETCH(bool, edid);
    QFETCH(bool, settings);
    SimBox box;
    box.write(5, 3);  // EDID mode custom
    box.write(14, 7); // preset
    box.write(0, 2);  // input
    box.write(22, 0); // green LED
    box.exchange(frame::sendPayload(frame::kStoreCecSp, 6, reinterpret_cast<const uint8_t *>("CEC 1\r"), 6));
    uint8_t chunk[8] = {9, 9, 9, 9, 9, 9, 9, 9};
    box.exchange(frame::edidChunkWrite(0, chunk));
    box.exchange(frame::edidStore());
    QVERIFY(box.model().customUploaded());
    box.clock.now += 5000; // past the busy time of the changes above

    QVERIFY(box.write(25, static_cast<uint8_t>(value)));
    const sim::Block &b = box.model().block();
    QCOMPARE(b[2] == 1 && b[19] == 1, edid);
    QCOMPARE(!box.model().customUploaded(), edid);
    QCOMPARE(b[0] == 1 && b[26] == 1, settings);
    QCOMPARE(box.model().storedCommand(1) != "CEC 1\r", settings);
    QCOMPARE(box.model().busy(box.clock.now), edid); // the box rebuilds its EDID
}

void SimProtocol::blockWriteKeepsFirmwareFlags()
{
    SimBox box;
    uint8_t image[40];
    for (int i = 0; i < 40; ++i)
        image[i] = static_cast<uint8_t>(i == 9 || i == 10 || i == 11 ? 0 : i % 4);
    QVERIFY(box.requests->writeBlock(image).done());
    QVERIFY(box.messages.empty());
    auto r = box.readBlock();
    for (int i = 0; i < 40; ++i)
        QCOMPARE(r[2 + i], uint8_t(i >= 9 && i <= 11 ? 1 : i % 4));
    QVERIFY(box.model().busy(box.clock.now)); // mode and preset changed
}

void SimProtocol::replyLengthsFollowTheLengthByte()
{
    SimBox box;
    DWORD got = 0;
    uint8_t area[64];
    auto replyLength = [&](const Bytes &request) {
        DWORD put = 0;
        box.link->api()->Write(box.link->handle(), const_cast<uint8_t *>(request.data()),
                               static_cast<DWORD>(request.size()), &put, nullptr);
        box.link->api()->Read(box.link->handle(), area, 64, &got, nullptr);
        return got;
    };
    QCOMPARE(replyLength(frame::registerRead(6, 14)), DWORD(14)); // the readback's short read
    QCOMPARE(replyLength(frame::registerRead(6, 15)), DWORD(15));
    QCOMPARE(replyLength(frame::blockRead(42)), DWORD(42));
    QCOMPARE(replyLength(frame::registerRead(7, 200)), DWORD(64)); // never more than one transfer
    QCOMPARE(replyLength(frame::edidChunkRead(0x10)), DWORD(16));
    QCOMPARE(replyLength(frame::registerWrite(22, 1)), DWORD(2));
    QCOMPARE(replyLength(frame::edidFetch(frame::kFetchTxAEdid)), DWORD(2));
    QCOMPARE(replyLength(Bytes{0x10, 0x04}), DWORD(0)); // too short to mean anything
}

void SimProtocol::unknownRequests()
{
    SimBox box;
    auto r = box.exchange(Bytes{0x10, 0x02, 0xC7, 0x00});
    QCOMPARE(r[0], uint8_t(0xC7));
    QCOMPARE(r[1], sim::kStatusUnknown);
    r = box.exchange(Bytes{0x11, 0x08, 0xC7}, 8);
    QVERIFY(box.ok);
    QCOMPARE(r[1], sim::kStatusUnknown);
    r = box.readItem(99, 10);
    QVERIFY(box.ok);
    QCOMPARE(r[1], sim::kStatusUnknown);
}

void SimProtocol::statusRecordsFromTheSignal()
{
    SimBox box("vic=4;hdmi=0;clock=450;color=444;ext_colorimetry=bt2020;hdcp=1.4;3d=tb;"
               "source_vendor=ABCDEFGHIJ;source_product=Player;hdr=hlg");
    auto v = box.readItem(6, 15);
    QVERIFY(box.ok);
    QCOMPARE(v[2], uint8_t(4));
    QCOMPARE(v[3] & 0x10, 0);
    QCOMPARE(v[4], uint8_t(3));
    QCOMPARE(v[9], uint8_t(0x60));
    QCOMPARE(v[10], uint8_t(0x40));
    QCOMPARE(v[11], uint8_t(0xC0));
    QCOMPARE(v[12], uint8_t(0x60));
    QCOMPARE((v[13] & 0x06) >> 1, 1);
    QCOMPARE(v[14], uint8_t(0x40));

    auto s = box.readItem(21, 31);
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&s[4]), 8), QByteArray("ABCDEFGH"));
    QCOMPARE(QByteArray(reinterpret_cast<const char *>(&s[12])), QByteArray("Player"));

    auto h = box.readItem(30, 31);
    QCOMPARE(h[2], uint8_t(0x87));
    QCOMPARE(h[3], uint8_t(26));
    QCOMPARE(h[4], uint8_t(3)); // EOTF
    QVERIFY(box.readItem(31, 31)[0] == 0xE0 && box.ok);

    SimBox ext("hdmi_vic=4");
    v = ext.readItem(6, 15);
    QCOMPARE(v[14], uint8_t(0x20));
    QCOMPARE(v[9], uint8_t(4));
}

void SimProtocol::outputsFollowTheInput()
{
    SimBox box;
    for (auto [input, outputs] : {std::pair{1, 0x20}, {2, 0x40}, {3, 0x60}, {4, 0x60}}) {
        box.write(0, static_cast<uint8_t>(input));
        QCOMPARE(int(box.readItem(6, 15)[5]), outputs);
    }
    SimBox oneDisplay("txb_edid=none");
    oneDisplay.write(0, 3);
    QCOMPARE(int(oneDisplay.readItem(6, 15)[5]), 0x20);
}

void SimProtocol::noSource()
{
    SimBox box("source=off");
    auto v = box.readItem(6, 15);
    QVERIFY(box.ok);
    QVERIFY(std::all_of(v.begin() + 2, v.end(), [](uint8_t b) { return b == 0; }));
    auto s = box.readItem(21, 31);
    QCOMPARE(s[4], uint8_t(0));
    QCOMPARE(box.readItem(30, 31)[2], uint8_t(0));
}

void SimProtocol::cecSendAndStoredTexts()
{
    SimBox box;
    // "50:04" as the CEC page sends it: header, count, opcode.
    const uint8_t msg[] = {0x50, 0x01, 0x04};
    auto r = box.exchange(frame::sendPayload(frame::kCecMessage, 3, msg, 3));
    QCOMPARE(r[0], frame::kCecMessage);
    QVERIFY(box.model().cecLog().empty()); // loaded, not yet sent
    r = box.exchange(frame::activate(3, frame::kActivateCec));
    QCOMPARE(r[0], frame::kActivate);
    QCOMPARE(r[1], uint8_t(0));
    QCOMPARE(box.model().cecLog().size(), size_t(1));
    QCOMPARE(box.model().cecLog()[0].bytes, (std::vector<uint8_t>{0x50, 0x04}));
    QVERIFY(box.model().cecLog()[0].sent);

    // A second activation has nothing loaded.
    r = box.exchange(frame::activate(3, frame::kActivateCec));
    QCOMPARE(r[1], sim::kStatusRefused);

    // With CEC processing off the message is logged as not sent.
    box.write(27, 0);
    box.exchange(frame::sendPayload(frame::kCecMessage, 3, msg, 3));
    box.exchange(frame::activate(3, frame::kActivateCec));
    QVERIFY(!box.model().cecLog().back().sent);

    const char text[] = "CEC 50:04\r";
    r = box.exchange(frame::sendPayload(frame::kStoreCecLp, 14, reinterpret_cast<const uint8_t *>(text), 10));
    QCOMPARE(r[0], frame::kStoreCecLp);
    QCOMPARE(box.model().storedCommand(2), std::string(text));
}

void SimProtocol::infoframesLoadActivateAndReadBack()
{
    SimBox box;
    const uint8_t hdr[] = {0x87, 0x01, 0x02, 0x75, 0x02, 0x00};
    auto r = box.exchange(frame::sendPayload(frame::kHdrLoad, 6, hdr, 6));
    QCOMPARE(r[0], frame::kHdrLoad);
    QVERIFY(box.readItem(35, 33)[4] == 0x1A); // not active before the trigger
    box.exchange(frame::activate(6, frame::kActivateHdr));
    auto back = box.readItem(35, 33);
    QCOMPARE(std::vector<uint8_t>(back.begin() + 2, back.begin() + 8), std::vector<uint8_t>(hdr, hdr + 6));
    QCOMPARE(back[8], uint8_t(0)); // the rest of the 31 bytes cleared

    const uint8_t avi[] = {0x60, 0xC8, 0x60, 0x61, 0x00};
    box.exchange(frame::sendPayload(frame::kAviLoad, 5, avi, 5));
    box.exchange(frame::activate(5, frame::kActivateAvi));
    back = box.readItem(36, 15);
    QCOMPARE(std::vector<uint8_t>(back.begin() + 2, back.begin() + 7), std::vector<uint8_t>(avi, avi + 5));

    // More than the stores hold is refused.
    std::vector<uint8_t> big(14, 1);
    r = box.exchange(frame::sendPayload(frame::kAviLoad, 14, big.data(), 14));
    QCOMPARE(r[1], sim::kStatusRefused);
}

void SimProtocol::forcedHdrReportsTheInjectedFrame()
{
    SimBox box("hdr=none");
    QCOMPARE(box.readItem(30, 31)[2], uint8_t(0));
    box.write(17, 1);
    auto h = box.readItem(30, 31);
    const auto &stored = box.model().storedHdr();
    QCOMPARE(h[2], stored[0]);
    QCOMPARE(h[3], stored[2]);
    QCOMPARE(std::vector<uint8_t>(h.begin() + 4, h.begin() + 4 + 26),
             std::vector<uint8_t>(stored.begin() + 4, stored.begin() + 30));
}

QTEST_GUILESS_MAIN(SimProtocol)
#include "tst_sim_protocol.moc"
