// SPDX-License-Identifier: GPL-3.0-or-later
// The hardware-independent parts of the libusb implementation, and the
// implementation itself where no box is needed: bad handles and arguments.
#include "device_log.h"
#include "libusb_backend.h"
#include "libusb_support.h"

#include <libusb.h>

#include <QtTest/QtTest>

#include <fstream>
#include <sstream>

using namespace vantrel;
using namespace vantrel::usb;

Q_DECLARE_METATYPE(std::vector<vantrel::usb::UsbId>)

namespace {
using Ids = std::vector<UsbId>;
}

class TestLibusbSupport : public QObject {
    Q_OBJECT
private slots:
    // First: the implementation reads VANTREL_USB_IDS once, on its first call.
    void diagnosticsGoToTheChosenSink();
    void idList_data();
    void idList();
    void receiveBuffer();
    void receiveBufferOverrun();
    void noErrorPassesForSuccess();
    void statusByOperation();
    void zeroTimeoutNeverMeansForever();
    void texts();
    void ruleGrantsTheDefaultId();
    void backendRefusesBadHandlesAndArguments();
};

void TestLibusbSupport::diagnosticsGoToTheChosenSink()
{
    std::vector<std::pair<DeviceLogKind, std::string>> lines;
    const DeviceLog before = setDeviceLog([&](DeviceLogKind kind, const std::string &text) { lines.emplace_back(kind, text); });
    QVERIFY(!before); // nobody chose one: standard error
    qputenv("VANTREL_USB_IDS", "10C4-EA61");
    DWORD count = 0;
    libusbApi()->GetNumDevices(&count);
    qunsetenv("VANTREL_USB_IDS");
    QVERIFY(setDeviceLog(nullptr)); // the capture was in place, and is gone again
    QVERIFY(!lines.empty());
    QCOMPARE(int(lines.front().first), int(DeviceLogKind::Diagnostic));
    QCOMPARE(QString::fromStdString(lines.front().second),
             QStringLiteral("vantrel: VANTREL_USB_IDS: \"10C4-EA61\" is not vvvv:pppp in hex; using 10c4:ea61\n"));
}

void TestLibusbSupport::idList_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<bool>("isNull");
    QTest::addColumn<Ids>("ids");
    QTest::addColumn<QString>("badItem"); // empty: accepted

    const Ids def{kDefaultId};
    QTest::newRow("unset") << QByteArray() << true << def << QString();
    QTest::newRow("empty") << QByteArray("") << false << def << QString();
    QTest::newRow("blank") << QByteArray("  ") << false << def << QString();
    QTest::newRow("one") << QByteArray("10C4:EA61") << false << def << QString();
    QTest::newRow("lower case, two") << QByteArray("10c4:ea60,1234:abcd") << false
                                     << Ids{{0x10C4, 0xEA60}, {0x1234, 0xABCD}} << QString();
    QTest::newRow("blanks around items") << QByteArray(" 1234:5678 , abcd:ef01 ") << false
                                         << Ids{{0x1234, 0x5678}, {0xABCD, 0xEF01}} << QString();
    QTest::newRow("short digits") << QByteArray("1:2") << false << Ids{{1, 2}} << QString();
    QTest::newRow("repeat kept once") << QByteArray("1:2,1:2") << false << Ids{{1, 2}} << QString();
    QTest::newRow("no colon") << QByteArray("10C4EA61") << false << def << QString("10C4EA61");
    QTest::newRow("no product") << QByteArray("10C4:") << false << def << QString("10C4:");
    QTest::newRow("no vendor") << QByteArray(":EA61") << false << def << QString(":EA61");
    QTest::newRow("empty item") << QByteArray("10C4:EA61,") << false << def << QString("\"\"");
    QTest::newRow("five digits") << QByteArray("12345:0001") << false << def << QString("12345:0001");
    QTest::newRow("not hex") << QByteArray("10C4:EA6G") << false << def << QString("10C4:EA6G");
    QTest::newRow("0x prefix") << QByteArray("0x10C4:EA61") << false << def << QString("0x10C4:EA61");
    QTest::newRow("three parts") << QByteArray("10C4:EA61:1") << false << def << QString("10C4:EA61:1");
    QTest::newRow("bad second item") << QByteArray("1234:5678,zz:1") << false << def << QString("zz:1");
}

void TestLibusbSupport::idList()
{
    QFETCH(QByteArray, text);
    QFETCH(bool, isNull);
    QFETCH(Ids, ids);
    QFETCH(QString, badItem);

    const UsbIdList list = parseUsbIds(isNull ? nullptr : text.constData());
    QCOMPARE(list.ids.size(), ids.size());
    for (size_t i = 0; i < ids.size(); ++i) {
        QCOMPARE(list.ids[i].vendor, ids[i].vendor);
        QCOMPARE(list.ids[i].product, ids[i].product);
    }
    QCOMPARE(list.error.empty(), badItem.isEmpty());
    if (!badItem.isEmpty())
        QVERIFY2(list.error.find(badItem.toStdString()) != std::string::npos, list.error.c_str());
    QVERIFY(list.contains(ids[0].vendor, ids[0].product));
}

void TestLibusbSupport::receiveBuffer()
{
    ReceiveBuffer rx;
    QVERIFY(rx.empty());
    QCOMPARE(rx.queueStatus(), DWORD(SI_RX_EMPTY));
    const uint8_t first[] = {1, 2, 3}, second[] = {4, 5};
    rx.append(first, 3);
    rx.append(second, 2);
    QCOMPARE(rx.size(), size_t(5));
    QCOMPARE(rx.queueStatus(), DWORD(SI_RX_READY));

    uint8_t out[8] = {};
    QCOMPARE(rx.take(out, 2), size_t(2));
    QCOMPARE(out[0], uint8_t(1));
    QCOMPARE(out[1], uint8_t(2));
    QCOMPARE(rx.take(out, 8), size_t(3)); // the rest, in arrival order
    QCOMPARE(out[0], uint8_t(3));
    QCOMPARE(out[2], uint8_t(5));
    QCOMPARE(rx.take(out, 8), size_t(0));

    rx.append(first, 3);
    rx.clear();
    QVERIFY(rx.empty());
}

void TestLibusbSupport::receiveBufferOverrun()
{
    ReceiveBuffer rx(4);
    const uint8_t bytes[] = {1, 2, 3, 4, 5, 6};
    rx.append(bytes, 3);
    rx.append(bytes + 3, 3);
    QCOMPARE(rx.size(), size_t(4));
    QVERIFY(rx.overrun());
    QCOMPARE(rx.queueStatus(), DWORD(SI_RX_READY | SI_RX_OVERRUN));
    uint8_t out[4];
    rx.take(out, 4);
    QCOMPARE(out[3], uint8_t(4)); // the oldest bytes are the ones kept
    QVERIFY(rx.overrun());        // remembered until cleared
    rx.clear();
    QVERIFY(!rx.overrun());
}

void TestLibusbSupport::noErrorPassesForSuccess()
{
    const int errors[] = {LIBUSB_ERROR_IO,        LIBUSB_ERROR_INVALID_PARAM, LIBUSB_ERROR_ACCESS,
                          LIBUSB_ERROR_NO_DEVICE, LIBUSB_ERROR_NOT_FOUND,     LIBUSB_ERROR_BUSY,
                          LIBUSB_ERROR_TIMEOUT,   LIBUSB_ERROR_OVERFLOW,      LIBUSB_ERROR_PIPE,
                          LIBUSB_ERROR_INTERRUPTED, LIBUSB_ERROR_NO_MEM,      LIBUSB_ERROR_NOT_SUPPORTED,
                          LIBUSB_ERROR_OTHER,     -1234};
    for (UsbOp op : {UsbOp::Open, UsbOp::Read, UsbOp::Write, UsbOp::Control, UsbOp::Query}) {
        QCOMPARE(statusFromLibusb(LIBUSB_SUCCESS, op), SI_SUCCESS);
        for (int err : errors)
            QVERIFY2(statusFromLibusb(err, op) != SI_SUCCESS, libusb_error_name(err));
    }
}

void TestLibusbSupport::statusByOperation()
{
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_TIMEOUT, UsbOp::Read), SI_READ_TIMED_OUT);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_TIMEOUT, UsbOp::Write), SI_WRITE_TIMED_OUT);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_PIPE, UsbOp::Read), SI_READ_ERROR);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_IO, UsbOp::Write), SI_WRITE_ERROR);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_IO, UsbOp::Query), SI_RX_QUEUE_NOT_READY);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_NO_DEVICE, UsbOp::Read), SI_DEVICE_NOT_FOUND);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_NO_DEVICE, UsbOp::Open), SI_DEVICE_NOT_FOUND);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_ACCESS, UsbOp::Open), SI_SYSTEM_ERROR_CODE);
    QCOMPARE(statusFromLibusb(LIBUSB_ERROR_INVALID_PARAM, UsbOp::Write), SI_INVALID_PARAMETER);
}

void TestLibusbSupport::zeroTimeoutNeverMeansForever()
{
    // libusb takes 0 as "no time-out": a read of 0 must stay a short poll.
    QCOMPARE(bulkTimeoutMs(0, UsbOp::Read), kPollMs);
    QCOMPARE(bulkTimeoutMs(0, UsbOp::Query), kPollMs);
    QCOMPARE(bulkTimeoutMs(0, UsbOp::Write), kWriteDefaultMs);
    QVERIFY(kPollMs > 0 && kWriteDefaultMs > 0);
    QCOMPARE(bulkTimeoutMs(4000, UsbOp::Read), 4000u);
    QCOMPARE(bulkTimeoutMs(4000, UsbOp::Write), 4000u);
}

void TestLibusbSupport::texts()
{
    const std::string help = permissionHelp(0x10C4, 0xEA61);
    QVERIFY(help.find("10c4:ea61") != std::string::npos);
    QVERIFY(help.find(kRuleFile) != std::string::npos);
    QVERIFY(help.find("sudo install -m 644 " + std::string(kRuleFile)) != std::string::npos);
    QVERIFY(help.find("udevadm control --reload-rules") != std::string::npos);

    const uint8_t ports[] = {2, 3};
    QCOMPARE(sysfsAttributePath(1, ports, 2, "serial"), std::string("/sys/bus/usb/devices/1-2.3/serial"));
    QCOMPARE(sysfsAttributePath(3, ports, 1, "product"), std::string("/sys/bus/usb/devices/3-2/product"));

    char buffer[SI_MAX_DEVICE_STRLEN + 8];
    std::memset(buffer, 'x', sizeof buffer);
    copyDeviceString(std::string(300, 'A'), buffer);
    QCOMPARE(std::strlen(buffer), size_t(SI_MAX_DEVICE_STRLEN - 1));
    QCOMPARE(buffer[SI_MAX_DEVICE_STRLEN], 'x'); // nothing past the library's buffer
    copyDeviceString(std::string("20\x01" "3\xE9", 5), buffer);
    QCOMPARE(std::string(buffer), std::string("20?3?"));
}

void TestLibusbSupport::ruleGrantsTheDefaultId()
{
    std::ifstream f(VANTREL_RULE_FILE);
    QVERIFY(f);
    std::string line;
    bool found = false;
    while (std::getline(f, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        found = found || (line.find("SUBSYSTEM==\"usb\"") != std::string::npos &&
                          line.find("ATTR{idVendor}==\"10c4\"") != std::string::npos &&
                          line.find("ATTR{idProduct}==\"ea61\"") != std::string::npos &&
                          line.find("TAG+=\"uaccess\"") != std::string::npos);
    }
    QVERIFY(found);
}

void TestLibusbSupport::backendRefusesBadHandlesAndArguments()
{
    const UsbApi *api = libusbApi();
    DWORD count = 99;
    const SI_STATUS s = api->GetNumDevices(&count);
    // Wherever this runs, an answer: a count, or a failure with none.
    QVERIFY(s == SI_SUCCESS || count == 0);

    char text[SI_MAX_DEVICE_STRLEN];
    QVERIFY(api->GetProductString(100000, text, SI_RETURN_SERIAL_NUMBER) != SI_SUCCESS);
    QCOMPARE(api->GetProductString(0, nullptr, SI_RETURN_SERIAL_NUMBER), SI_INVALID_PARAMETER);
    QCOMPARE(api->GetProductString(0, text, 7), SI_INVALID_PARAMETER);
    HANDLE h = reinterpret_cast<HANDLE>(0x1234);
    QVERIFY(api->Open(100000, &h) != SI_SUCCESS);
    QCOMPARE(h, reinterpret_cast<HANDLE>(0x1234));
    QCOMPARE(api->Open(0, nullptr), SI_INVALID_PARAMETER);

    // Handles it never gave out, including the link's "no device".
    uint8_t buf[64];
    DWORD n = 5, status = 0;
    for (HANDLE bad : {static_cast<HANDLE>(nullptr), reinterpret_cast<HANDLE>(intptr_t(-1)), static_cast<HANDLE>(buf)}) {
        QCOMPARE(api->Close(bad), SI_INVALID_HANDLE);
        QCOMPARE(api->Read(bad, buf, 64, &n, nullptr), SI_INVALID_HANDLE);
        QCOMPARE(n, DWORD(0));
        n = 5;
        QCOMPARE(api->Write(bad, buf, 4, &n, nullptr), SI_INVALID_HANDLE);
        QCOMPARE(n, DWORD(0));
        QCOMPARE(api->FlushBuffers(bad, 1, 1), SI_INVALID_HANDLE);
        QCOMPARE(api->CheckRXQueue(bad, &n, &status), SI_INVALID_HANDLE);
    }

    DWORD r = 0, w = 0;
    QCOMPARE(api->SetTimeouts(4000, 0), SI_SUCCESS);
    QCOMPARE(api->GetTimeouts(&r, &w), SI_SUCCESS);
    QCOMPARE(r, DWORD(4000));
    QCOMPARE(w, DWORD(0));
    QCOMPARE(api->GetTimeouts(nullptr, &w), SI_INVALID_PARAMETER);
}

QTEST_APPLESS_MAIN(TestLibusbSupport)
#include "tst_libusb_support.moc"
