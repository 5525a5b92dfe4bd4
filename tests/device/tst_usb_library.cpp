// SPDX-License-Identifier: GPL-3.0-or-later
// Choosing the USB library: a library loaded by path carries the link's
// calls through unchanged; an incomplete or missing one is refused by name.
#include "libusb_backend.h"
#include "usb_library.h"
#include "usb_link.h"

#include <QtTest/QtTest>

#include <dlfcn.h>

using namespace vantrel;

class TestUsbLibrary : public QObject {
    Q_OBJECT
private slots:
    void loadedLibraryCarriesTheLinkCalls();
    void libraryLackingACallIsRefused();
    void missingFileIsNamed();
    void builtInChoices();
};

void TestUsbLibrary::loadedLibraryCarriesTheLinkCalls()
{
    const UsbLibraryChoice choice = chooseUsbLibrary(FAKELIB_PATH, nullptr);
    QVERIFY2(choice.api, choice.error.c_str());
    QVERIFY(choice.error.empty());
    QCOMPARE(QString::fromStdString(choice.name), QStringLiteral(FAKELIB_PATH));

    std::vector<std::string> alerts;
    UsbLink link(choice.api, systemClock(), [&](const std::string &t) { alerts.push_back(t); });
    DWORD index = 9;
    QVERIFY(link.FindDevice("2023", index));
    QCOMPARE(index, DWORD(0));
    QVERIFY(link.OpenDevice(index));
    uint8_t reply[UsbLink::kMaxReply] = {};
    const uint8_t request[] = {0x11, 0x08, 0xE0, 0x07};
    QVERIFY(link.Transact(reply, request, 8, 4));
    QCOMPARE(reply[0], uint8_t(0xE0));
    link.CloseDevice();
    QVERIFY(alerts.empty());

    // The same module, already loaded: read what it was asked to do.
    void *lib = dlopen(FAKELIB_PATH, RTLD_NOW | RTLD_NOLOAD);
    QVERIFY(lib);
    auto calls = reinterpret_cast<const char *(*)()>(dlsym(lib, "fakelib_calls"));
    QVERIFY(calls);
    QCOMPARE(QString::fromLatin1(calls()),
             QStringLiteral("GetNumDevices GetProductString(0,0) Open(0) FlushBuffers(1,1) GetTimeouts "
                            "SetTimeouts(0,4000) Write(1108E007) SetTimeouts(0,0) CheckRXQueue GetTimeouts "
                            "SetTimeouts(4000,0) Read(64) SetTimeouts(0,0) Close"));
    dlclose(lib);
}

void TestUsbLibrary::libraryLackingACallIsRefused()
{
    const UsbLibraryChoice choice = chooseUsbLibrary(FAKELIB_PARTIAL_PATH, nullptr);
    QVERIFY(!choice.api);
    QVERIFY2(choice.error.find("SI_CheckRXQueue") != std::string::npos, choice.error.c_str());
    QVERIFY2(choice.error.find(FAKELIB_PARTIAL_PATH) != std::string::npos, choice.error.c_str());
}

void TestUsbLibrary::missingFileIsNamed()
{
    const std::string path = "/nonexistent/libno-such-usb.so";
    const UsbLibraryChoice choice = chooseUsbLibrary(path.c_str(), nullptr);
    QVERIFY(!choice.api);
    QVERIFY2(choice.error.find(path) != std::string::npos, choice.error.c_str());
}

void TestUsbLibrary::builtInChoices()
{
    for (const char *value : {static_cast<const char *>(nullptr), ""}) {
        const UsbLibraryChoice choice = chooseUsbLibrary(value, nullptr);
        QCOMPARE(choice.api, libusbApi());
        QVERIFY(choice.error.empty());
    }
    const UsbLibraryChoice noSim = chooseUsbLibrary("simulator", nullptr);
    QVERIFY(!noSim.api);
    QVERIFY(!noSim.error.empty());
    const UsbApi table{};
    QCOMPARE(chooseUsbLibrary("simulator", &table).api, &table);
}

QTEST_APPLESS_MAIN(TestUsbLibrary)
#include "tst_usb_library.moc"
