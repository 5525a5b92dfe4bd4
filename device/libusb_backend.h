// SPDX-License-Identifier: GPL-3.0-or-later
// The built-in implementation of the ten calls on top of libusb-1.0: the
// devices whose vid:pid is in VANTREL_USB_IDS (default 10C4:EA61), reached
// through their bulk endpoints on interface 0.
//
// Time-outs (SI_SetTimeouts) apply per call: a read waits up to the read
// time-out for the first bytes and returns as soon as any are buffered; a
// read time-out of 0 is one short poll (about 1 ms), a write time-out of 0 a
// wait of at most 1000 ms. The pair starts as 1000/1000. A receive flush
// also reads away what the device still holds (1 ms reads until nothing
// comes), and a receive-queue query that fails still takes about 1 ms.
#pragma once

#include "usbxpress.h"

namespace vantrel {

const UsbApi *libusbApi();

} // namespace vantrel
