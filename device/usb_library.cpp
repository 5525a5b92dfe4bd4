// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_library.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "libusb_backend.h"

#include <dlfcn.h>
#endif

#include <memory>
#include <mutex>
#include <set>
#include <vector>

namespace vantrel {

namespace {

struct Symbol {
    const char *name;
    int ordinal;
};

// The ten calls in table order, with the ordinals the vendor library uses.
const Symbol kSymbols[10] = {
    {"SI_GetNumDevices", 1}, {"SI_GetProductString", 2}, {"SI_Open", 3},        {"SI_Close", 4},
    {"SI_Read", 6},          {"SI_Write", 7},            {"SI_FlushBuffers", 9}, {"SI_SetTimeouts", 10},
    {"SI_GetTimeouts", 11},  {"SI_CheckRXQueue", 12},
};

// Loaded tables stay alive for the whole process, like the library itself.
std::vector<std::unique_ptr<UsbApi>> &loadedTables()
{
    static std::vector<std::unique_ptr<UsbApi>> tables;
    return tables;
}

std::mutex &tablesMutex()
{
    static std::mutex mutex;
    return mutex;
}

std::set<const UsbApi *> &simulatedTables()
{
    static std::set<const UsbApi *> tables;
    return tables;
}

} // namespace

UsbLibraryChoice loadUsbLibrary(const std::string &path)
{
    UsbLibraryChoice choice;
    choice.name = path;
    void *fn[10] = {};
#ifdef _WIN32
    HMODULE lib = LoadLibraryA(path.c_str());
    if (!lib) {
        choice.error = "cannot load USB library " + path + ": error " + std::to_string(GetLastError());
        return choice;
    }
    for (int i = 0; i < 10; ++i) {
        fn[i] = reinterpret_cast<void *>(GetProcAddress(lib, MAKEINTRESOURCEA(kSymbols[i].ordinal)));
        if (!fn[i]) {
            choice.error = "USB library " + path + " lacks " + kSymbols[i].name + " (ordinal " +
                           std::to_string(kSymbols[i].ordinal) + ")";
            FreeLibrary(lib);
            return choice;
        }
    }
    const bool simulated = GetProcAddress(lib, MAKEINTRESOURCEA(kSimulatedBoxOrdinal)) != nullptr;
#else
    void *lib = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!lib) {
        const char *why = dlerror();
        choice.error = "cannot load USB library " + path + ": " + (why ? why : "unknown error");
        return choice;
    }
    for (int i = 0; i < 10; ++i) {
        fn[i] = dlsym(lib, kSymbols[i].name);
        if (!fn[i]) {
            choice.error = "USB library " + path + " lacks the function " + kSymbols[i].name;
            dlclose(lib);
            return choice;
        }
    }
    const bool simulated = dlsym(lib, kSimulatedBoxSymbol) != nullptr;
#endif
    auto api = std::make_unique<UsbApi>();
    api->GetNumDevices = reinterpret_cast<SI_GetNumDevices_t>(fn[0]);
    api->GetProductString = reinterpret_cast<SI_GetProductString_t>(fn[1]);
    api->Open = reinterpret_cast<SI_Open_t>(fn[2]);
    api->Close = reinterpret_cast<SI_Close_t>(fn[3]);
    api->Read = reinterpret_cast<SI_Read_t>(fn[4]);
    api->Write = reinterpret_cast<SI_Write_t>(fn[5]);
    api->FlushBuffers = reinterpret_cast<SI_FlushBuffers_t>(fn[6]);
    api->SetTimeouts = reinterpret_cast<SI_SetTimeouts_t>(fn[7]);
    api->GetTimeouts = reinterpret_cast<SI_GetTimeouts_t>(fn[8]);
    api->CheckRXQueue = reinterpret_cast<SI_CheckRXQueue_t>(fn[9]);
    std::lock_guard<std::mutex> lock(tablesMutex());
    loadedTables().push_back(std::move(api));
    choice.api = loadedTables().back().get();
    if (simulated)
        simulatedTables().insert(choice.api);
    return choice;
}

void markSimulatedBox(const UsbApi *api)
{
    std::lock_guard<std::mutex> lock(tablesMutex());
    simulatedTables().insert(api);
}

bool isSimulatedBox(const UsbApi *api)
{
    std::lock_guard<std::mutex> lock(tablesMutex());
    return api && simulatedTables().count(api) != 0;
}

UsbLibraryChoice chooseUsbLibrary(const char *value, const UsbApi *simulator)
{
    std::string v = value ? value : "";
    if (v.empty()) {
#ifdef _WIN32
        return loadUsbLibrary("SiUSBXp.dll");
#else
        UsbLibraryChoice choice;
        choice.name = "libusb";
        choice.api = libusbApi();
        return choice;
#endif
    }
    if (v == "simulator") {
        UsbLibraryChoice choice;
        choice.name = "simulator";
        choice.api = simulator;
        if (!simulator)
            choice.error = "the simulated box is not built into this program";
        return choice;
    }
    return loadUsbLibrary(v);
}

} // namespace vantrel
