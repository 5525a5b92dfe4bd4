// SPDX-License-Identifier: GPL-3.0-or-later
// Setting the box up: the loadable module, configuration text and files, and
// the state file that carries settings across a restart.
#include "sim_fixture.h"
#include "usb_library.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace vantrel;

class SimSetup : public QObject {
    Q_OBJECT
private slots:
    void moduleLoadsByPath();
    void configurationFile();
    void configurationErrorsAreReported();
    void displayFilesThatAreNotTables();
    void factoryOverrides();
    void stateSurvivesARestart();
};

void SimSetup::moduleLoadsByPath()
{
    UsbLibraryChoice choice = chooseUsbLibrary(VANTREL_SIM_MODULE, sim::simulatorApi());
    QVERIFY2(choice.api, choice.error.c_str());
    QVERIFY(choice.api != sim::simulatorApi()); // its own copy of the box
    // Known by its own export, whatever it is called; other libraries are not.
    QVERIFY(isSimulatedBox(choice.api) && isSimulatedBox(sim::simulatorApi()));
    QVERIFY(!isSimulatedBox(chooseUsbLibrary(nullptr, nullptr).api));
    VirtualClock clock;
    std::vector<std::string> alerts;
    Box box(choice.api, clock, [&](const std::string &t) { alerts.push_back(t); }, nullptr);
    QVERIFY(box.open() == Box::Opening::Opened);
    QCOMPARE(box.link().deviceIndex(), DWORD(0));
    uint8_t reply[64];
    QVERIFY(box.readBlock(reply, 42).done());
    QCOMPARE(reply[2], uint8_t(1));
    QVERIFY(box.writeRegister(0, 2).done());
    QVERIFY(box.readBlock(reply, 42).done());
    QCOMPARE(reply[2], uint8_t(2));
    box.link().CloseDevice();
    QVERIFY(alerts.empty());

    QCOMPARE(chooseUsbLibrary("simulator", sim::simulatorApi()).api, sim::simulatorApi());
}

void SimSetup::configurationFile()
{
    QTemporaryDir dir;
    const std::string path = dir.filePath("box.conf").toStdString();
    std::ofstream(path) << "# a second box\nserials = 2024, 2023\n\nfirmware=3.1.4.1\nvic=16\n";
    SimBox box(path);
    QVERIFY(box.errors.empty());
    QCOMPARE(sim::deviceCount(), size_t(2));
    QCOMPARE(box.link->deviceIndex(), DWORD(1));
    QCOMPARE(box.readItem(7, 8)[2], uint8_t(3));
    QCOMPARE(box.readItem(6, 15)[2], uint8_t(16));
}

void SimSetup::configurationErrorsAreReported()
{
    auto errors = sim::reset("colour=purple;nonsense=1;firmware=1.2;p40=1;fault=B0:nope;latency=5");
    QCOMPARE(errors.size(), size_t(5));
    QVERIFY(QString::fromStdString(errors[1]).startsWith("nonsense"));
    QCOMPARE(sim::reset("missing-file.conf").size(), size_t(1));
}

void SimSetup::displayFilesThatAreNotTables()
{
    QTemporaryDir dir;
    const auto file = [&](const char *name, size_t size) {
        const std::string path = dir.filePath(name).toStdString();
        std::ofstream(path, std::ios::binary) << std::string(size, '\x01');
        return path;
    };
    const std::string folder = dir.path().toStdString();
    const std::string small = file("small.bin", 100), big = file("big.bin", 300), table = file("table.bin", 256);

    // A folder named by mistake is reported, not a crash; the display keeps
    // its built-in table.
    std::vector<std::string> errors = sim::reset("txa_edid=" + folder);
    QCOMPARE(errors.size(), size_t(1));
    QVERIFY(QString::fromStdString(errors[0]).contains("cannot read"));
    QCOMPARE(*sim::box().displayTable(false), sim::buildEdid(sim::topDisplayCaps()));

    errors = sim::reset("txa_edid=" + small + ";txb_edid=" + big);
    QCOMPARE(errors.size(), size_t(2));
    QVERIFY(QString::fromStdString(errors[0]).contains("holds 100 bytes"));
    QVERIFY(QString::fromStdString(errors[1]).contains("more than 256 bytes"));

    QVERIFY(sim::reset("txb_edid=" + table).empty());
    QCOMPARE(int((*sim::box().displayTable(true))[200]), 1);
    sim::reset();
}

void SimSetup::factoryOverrides()
{
    SimBox box("p0=3;p10=0;p32=0");
    auto b = box.readBlock();
    QCOMPARE(b[2 + 0], uint8_t(3));
    QCOMPARE(b[2 + 10], uint8_t(0));
    box.write(0, 1);
    box.write(25, 2);
    QCOMPARE(box.model().block()[0], uint8_t(3)); // the reset goes back to the configured default
    auto r = box.exchange(frame::registerWrite(3, 3)); // HDCP may not be changed
    QCOMPARE(r[1] & sim::kStatusRefused, int(sim::kStatusRefused));
}

void SimSetup::stateSurvivesARestart()
{
    QTemporaryDir dir;
    const std::string config = "state=" + dir.filePath("box.state").toStdString();
    sim::EdidTable upload = sim::presetTable(9);
    {
        SimBox box(config);
        box.write(14, 9);
        box.write(23, 0);
        for (int i = 0; i < 32; ++i)
            box.exchange(frame::edidChunkWrite(static_cast<uint8_t>(8 * i), upload.data() + 8 * i));
        box.exchange(frame::edidStore());
        const char text[] = "CEC 4F:82:10:00\r";
        box.exchange(frame::sendPayload(frame::kStoreCecSp, 20, reinterpret_cast<const uint8_t *>(text), 16));
        const uint8_t avi[] = {0x40, 0x88};
        box.exchange(frame::sendPayload(frame::kAviLoad, 2, avi, 2));
        box.exchange(frame::activate(2, frame::kActivateAvi));
        const uint8_t cec[] = {0x40, 0x01, 0x36};
        box.exchange(frame::sendPayload(frame::kCecMessage, 3, cec, 3));
        box.exchange(frame::activate(3, frame::kActivateCec));
    }
    SimBox again(config);
    QCOMPARE(again.model().block()[19], uint8_t(9));
    QCOMPARE(again.model().block()[27], uint8_t(0));
    QVERIFY(again.model().customUploaded());
    QCOMPARE(again.model().customTable(), upload);
    QCOMPARE(again.model().storedCommand(1), std::string("CEC 4F:82:10:00\r"));
    QCOMPARE(again.readItem(36, 15)[2], uint8_t(0x40));
    QCOMPARE(again.model().cecLog().size(), size_t(1));
    QCOMPARE(again.model().cecLog()[0].bytes, (std::vector<uint8_t>{0x40, 0x36}));

    // Without the state file the box starts from its factory settings.
    SimBox fresh;
    QCOMPARE(fresh.model().block()[19], uint8_t(1));
}

QTEST_GUILESS_MAIN(SimSetup)
#include "tst_sim_setup.moc"
