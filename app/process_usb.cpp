// SPDX-License-Identifier: GPL-3.0-or-later
#include "process_usb.h"

#include "sim_api.h"
#include "usb_library.h"

#include <cstdio>
#include <cstdlib>

const UsbApi *processUsbApi()
{
    static const UsbApi *api = [] {
        vantrel::UsbLibraryChoice choice =
            vantrel::chooseUsbLibrary(std::getenv("VANTREL_USB_LIBRARY"), vantrel::sim::simulatorApi());
        if (!choice.api)
            std::fprintf(stderr, "vantrel: %s; going on with no device\n", choice.error.c_str());
        return choice.api;
    }();
    return api;
}
