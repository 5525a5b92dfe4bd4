// SPDX-License-Identifier: GPL-3.0-or-later
// Which implementation of the USB library the process talks to, chosen once
// from VANTREL_USB_LIBRARY (or vantrelctl's --usb-library).
#pragma once

#include "usbxpress.h"

#include <string>

namespace vantrel {

struct UsbLibraryChoice {
    // The table to use, or null: no library, the program runs as with no box.
    const UsbApi *api = nullptr;
    // What went wrong, for standard error; empty when api is set.
    std::string error;
    // Human-readable name of what was chosen ("libusb", "simulator", a path).
    std::string name;
};

// value: the variable's text (null or empty: built-in default). simulator:
// the in-process simulated box, or null when this program does not carry one.
UsbLibraryChoice chooseUsbLibrary(const char *value, const UsbApi *simulator);

// Loads a shared library that exports the ten calls by name (by ordinal on
// Windows). On failure api is null and error names the library and the
// missing symbol or the loader's reason.
UsbLibraryChoice loadUsbLibrary(const std::string &path);

// The simulated box is known by what it carries, not by the name it was
// loaded under: its in-process table marks itself, and a loaded library that
// exports kSimulatedBoxSymbol (on Windows: kSimulatedBoxOrdinal) is marked
// when it is loaded.
constexpr const char *kSimulatedBoxSymbol = "vantrel_simulated_box";
constexpr int kSimulatedBoxOrdinal = 901;
void markSimulatedBox(const UsbApi *api);
bool isSimulatedBox(const UsbApi *api);

} // namespace vantrel
