// SPDX-License-Identifier: GPL-3.0-or-later
// The Windows path end to end: SiUSBXp.dll beside this program is the
// simulated box exporting the ten calls by ordinal only. It is loaded the way
// the window loads it (chooseUsbLibrary with the variable unset), then the
// window's start-up exchanges, an EDID read and a register write run through
// it. Every answer is compared with the same exchanges against the simulated
// box linked into this program, and checked on its own. One line per check;
// exit status 1 on any failure.
#include "box.h"
#include "edid_file.h"
#include "edid_transfer.h"
#include "injection.h"
#include "readback.h"
#include "session.h"
#include "settings_table.h"
#include "sim_api.h"
#include "status_decoder.h"
#include "usb_library.h"
#include "usb_link.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

using namespace vantrel;

namespace {

int failures = 0;

void check(bool ok, const std::string &what, const std::string &detail = "")
{
    std::printf("%s: %s%s%s\n", ok ? "ok" : "FAIL", what.c_str(), detail.empty() ? "" : " -- ", detail.c_str());
    std::fflush(stdout);
    if (!ok)
        ++failures;
}

std::string hex(const uint8_t *bytes, size_t n)
{
    std::string out;
    char pair[4];
    for (size_t i = 0; i < n; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        out += (i ? " " : "") + std::string(pair);
    }
    return out;
}

// What the window's start-up and one setting change learn from a box.
struct StartUp {
    bool found = false;
    bool opened = false;
    config::ReadbackVerdict verdict = config::ReadbackVerdict::NoEcho;
    uint8_t settings[config::kBlockSize] = {};
    bool versionRead = false;
    uint8_t version[UsbLink::kMaxReply] = {};
    bool hdrRead = false, aviRead = false;
    std::string hdr, avi;
    bool statusRead = false; // all four status records
    status::StatusTexts status;
    edid::EdidReadout edid;
    uint8_t ledValue = 0; // what the register write sent
    bool written = false;
    config::ReadbackVerdict verdictAfter = config::ReadbackVerdict::NoEcho;
    uint8_t settingsAfter[config::kBlockSize] = {};
    std::vector<std::string> alerts, messages;
};

StartUp startUp(const UsbApi *api, const config::Setting &led)
{
    StartUp r;
    Box box(api, systemClock(), [&r](const std::string &text) { r.alerts.push_back(text); },
            [&r](const Outcome &o) { r.messages.push_back(o.message); });
    UsbLink &link = box.link();
    const Box::Opening opening = box.open();
    r.found = opening != Box::Opening::NotListed;
    r.opened = opening == Box::Opening::Opened;
    if (!r.opened)
        return r;

    r.verdict = config::readSettingsBlock(box, r.settings);
    r.versionRead = box.readRegister(7, r.version, 8).done();
    r.hdrRead = inject::readStoredInfoframe(box, inject::kStoredHdr, r.hdr).done();
    r.aviRead = inject::readStoredInfoframe(box, inject::kStoredAvi, r.avi).done();

    uint8_t video[UsbLink::kMaxReply], source[UsbLink::kMaxReply], hdr[UsbLink::kMaxReply],
        gate[UsbLink::kMaxReply];
    r.statusRead = box.readRegister(6, video, status::kVideoRecordLength).done() &&
                   box.readRegister(0x15, source, status::kSourceRecordLength).done() &&
                   box.readRegister(0x1E, hdr, status::kHdrRecordLength).done() &&
                   box.readRegister(0x1F, gate, 31).done();
    r.status = status::decodeStatus({video, status::kVideoRecordLength}, {source, status::kSourceRecordLength},
                                    {hdr, status::kHdrRecordLength});

    Session session{box, link.clock(), nullptr, nullptr};
    r.edid = edid::readEdid(session, frame::kFetchBoxEdid);

    // Flip the green LED, as its two buttons do, and read the block back.
    r.ledValue = r.settings[led.position] == 1 ? 0 : 1;
    r.written = box.writeRegister(static_cast<uint8_t>(led.reg), r.ledValue).done();
    r.verdictAfter = config::readSettingsBlock(box, r.settingsAfter);
    link.CloseDevice();
    return r;
}

// The checks that need no reference: a working box answers like this.
void checkOnItsOwn(const StartUp &r, const config::Setting &led)
{
    check(r.found && r.opened, "finds the box with serial 2023 and opens it");
    check(r.verdict == config::ReadbackVerdict::Accept, "settings readback accepted");
    check(r.versionRead && r.version[0] == frame::kRegister, "firmware version read",
          hex(r.version, 8));
    check(r.hdrRead && r.aviRead, "stored HDR and AVI infoframes read", r.hdr + " / " + r.avi);
    check(r.statusRead, "the four status reads");
    static const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    const edid::ChecksumCheck sums = edid::checkChecksums(r.edid.image);
    check(r.edid.outcome.done() && std::memcmp(r.edid.image.data(), header, 8) == 0 && sums.ok(),
          "EDID read: 16 chunks, header and both checksums", hex(r.edid.image.data(), 16));
    check(r.written && r.verdictAfter == config::ReadbackVerdict::Accept &&
              r.settingsAfter[led.position] == r.ledValue,
          "register write shows in the next readback",
          "wrote " + std::to_string(r.ledValue) + ", read " + std::to_string(r.settingsAfter[led.position]));
    check(r.alerts.empty(), "no alert box", r.alerts.empty() ? "" : r.alerts[0]);
    check(r.messages == std::vector<std::string>{"EDID values read."}, "status bar: only the EDID confirmation",
          r.messages.empty() ? "" : r.messages.back());
}

void compare(const StartUp &dll, const StartUp &ref)
{
    check(std::memcmp(dll.settings, ref.settings, sizeof dll.settings) == 0, "settings block as the reference",
          hex(dll.settings, sizeof dll.settings));
    check(std::memcmp(dll.version, ref.version, 8) == 0, "firmware version as the reference");
    check(dll.hdr == ref.hdr && dll.avi == ref.avi, "stored infoframes as the reference");
    const status::StatusTexts &a = dll.status, &b = ref.status;
    check(a.input == b.input && a.output == b.output && a.colour == b.colour && a.source == b.source &&
              a.hdr == b.hdr && a.infoframe == b.infoframe,
          "status texts as the reference", a.input + " | " + a.output + " | " + a.source);
    check(dll.edid.image == ref.edid.image, "EDID as the reference");
    check(std::memcmp(dll.settingsAfter, ref.settingsAfter, sizeof dll.settingsAfter) == 0,
          "settings after the write as the reference");
}

std::string directoryOf(const std::string &path) { return path.substr(0, path.find_last_of("\\/") + 1); }

std::string modulePath(HMODULE module)
{
    char path[MAX_PATH] = {};
    GetModuleFileNameA(module, path, MAX_PATH);
    return path;
}

// The library exports by ordinal only, and the table holds those entries.
void checkExports(const UsbApi &api)
{
    HMODULE module = GetModuleHandleA("SiUSBXp.dll");
    check(module != nullptr, "SiUSBXp.dll is loaded");
    if (!module)
        return;
    check(directoryOf(modulePath(module)) == directoryOf(modulePath(nullptr)),
          "SiUSBXp.dll is the one beside the program", modulePath(module));
    static const char *const names[] = {"SI_GetNumDevices", "SI_GetProductString", "SI_Open",
                                        "SI_Close", "SI_Read", "SI_Write", "SI_FlushBuffers",
                                        "SI_SetTimeouts", "SI_GetTimeouts", "SI_CheckRXQueue"};
    bool named = false;
    for (const char *name : names)
        named = named || GetProcAddress(module, name) != nullptr;
    check(!named && !GetProcAddress(module, MAKEINTRESOURCEA(5)) && !GetProcAddress(module, MAKEINTRESOURCEA(8)),
          "no export by name, none at ordinals 5 and 8");
    const void *table[10] = {reinterpret_cast<const void *>(api.GetNumDevices),
                             reinterpret_cast<const void *>(api.GetProductString),
                             reinterpret_cast<const void *>(api.Open),
                             reinterpret_cast<const void *>(api.Close),
                             reinterpret_cast<const void *>(api.Read),
                             reinterpret_cast<const void *>(api.Write),
                             reinterpret_cast<const void *>(api.FlushBuffers),
                             reinterpret_cast<const void *>(api.SetTimeouts),
                             reinterpret_cast<const void *>(api.GetTimeouts),
                             reinterpret_cast<const void *>(api.CheckRXQueue)};
    static const int ordinals[10] = {1, 2, 3, 4, 6, 7, 9, 10, 11, 12};
    bool same = true;
    for (int i = 0; i < 10; ++i)
        same = same &&
               table[i] == reinterpret_cast<const void *>(GetProcAddress(module, MAKEINTRESOURCEA(ordinals[i])));
    check(same, "each table entry is the export at its ordinal");
}

// The window's icon and manifest, from the resource script this program shares.
void checkResources()
{
    HRSRC manifest = FindResourceA(nullptr, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24));
    std::string text;
    if (manifest) {
        HGLOBAL data = LoadResource(nullptr, manifest);
        text.assign(static_cast<const char *>(LockResource(data)), SizeofResource(nullptr, manifest));
    }
    check(text.find("level=\"asInvoker\"") != std::string::npos, "manifest asks for asInvoker");
    check(LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1)) != nullptr, "application icon present");
}

std::string fileText(const std::string &path)
{
    std::string out;
    if (FILE *f = std::fopen(path.c_str(), "rb")) {
        char buffer[512];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
            out.append(buffer, n);
        std::fclose(f);
    }
    return out;
}

// The Windows file writer: a new file, a replaced one, nothing left behind,
// and a folder that does not exist.
void checkAtomicWrite()
{
    char base[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, base);
    const std::string dir = std::string(base) + "vantrel-loader-check-" + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(dir.c_str(), nullptr);
    const std::string path = dir + "\\edid.bin";
    std::string error;
    const bool first = edid::atomicWriteFile(path, {1, 2, 3}, error);
    const bool second = edid::atomicWriteFile(path, {'a', 'b'}, error);
    check(first && second && fileText(path) == "ab", "EDID file written, then replaced", error);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\*").c_str(), &found);
    int entries = 0;
    if (search != INVALID_HANDLE_VALUE) {
        do {
            if (std::strcmp(found.cFileName, ".") != 0 && std::strcmp(found.cFileName, "..") != 0)
                ++entries;
        } while (FindNextFileA(search, &found));
        FindClose(search);
    }
    check(entries == 1, "no temporary file left beside it", std::to_string(entries) + " entries");
    check(!edid::atomicWriteFile(dir + "\\missing\\edid.bin", {1}, error) && !error.empty(),
          "writing into a missing folder fails with a reason", error);
    DeleteFileA(path.c_str());
    RemoveDirectoryA(dir.c_str());
}

} // namespace

int main()
{
    // Both boxes start from the defaults, whatever the caller's environment.
    _putenv("VANTREL_SIM=");
    std::printf("loader check, %d-bit\n", static_cast<int>(sizeof(void *) * 8));

    const UsbLibraryChoice choice = chooseUsbLibrary(nullptr, nullptr);
    check(choice.api != nullptr && choice.name == "SiUSBXp.dll", "default library SiUSBXp.dll loaded by ordinal",
          choice.error);
    if (!choice.api)
        return 1;
    checkExports(*choice.api);

    const std::string fullPath = directoryOf(modulePath(nullptr)) + "SiUSBXp.dll";
    const UsbLibraryChoice byPath = chooseUsbLibrary(fullPath.c_str(), nullptr);
    check(byPath.api && byPath.api->Open == choice.api->Open, "the same library named by path");
    const UsbLibraryChoice partial = loadUsbLibrary("partial-usb.dll");
    check(!partial.api && partial.error == "USB library partial-usb.dll lacks SI_Read (ordinal 6)",
          "a library without ordinal 6 is refused", partial.error);
    const UsbLibraryChoice missing = loadUsbLibrary("no-such-usb-library.dll");
    check(!missing.api && missing.error.rfind("cannot load USB library no-such-usb-library.dll: error ", 0) == 0,
          "a missing library is refused", missing.error);

    const config::Setting *led = config::settingForRegister(22);
    if (!led || led->position == config::kNone)
        return 1;
    const StartUp dll = startUp(choice.api, *led);
    checkOnItsOwn(dll, *led);
    const StartUp ref = startUp(sim::simulatorApi(), *led);
    compare(dll, ref);

    checkResources();
    checkAtomicWrite();

    if (failures) {
        std::printf("loader check: %d check(s) failed\n", failures);
        return 1;
    }
    std::printf("loader check: all passed\n");
    return 0;
}
