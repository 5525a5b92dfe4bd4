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

} // namespace vantrel
