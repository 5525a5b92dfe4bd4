// The built-in implementation of the ten calls on top of libusb-1.0.
#pragma once

#include "usbxpress.h"

namespace vantrel {

const UsbApi *libusbApi();

} // namespace vantrel
