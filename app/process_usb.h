// SPDX-License-Identifier: GPL-3.0-or-later
// The USB library this process uses, chosen once from VANTREL_USB_LIBRARY.
#pragma once

#include "usbxpress.h"

// Null when the chosen library could not be loaded (said on standard error).
const UsbApi *processUsbApi();
