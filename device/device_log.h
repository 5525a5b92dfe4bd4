// SPDX-License-Identifier: GPL-3.0-or-later
// Where the USB layer's diagnostics go. device/ never prints itself: the
// window, vantrelctl and the tests choose the sink; without one the lines go
// to standard error as they are.
#pragma once

#include <functional>
#include <string>

namespace vantrel {

enum class DeviceLogKind {
    Diagnostic,   // a failed libusb call, an unusable id list, a device without endpoints
    NoPermission, // the box is attached but this user may not open it (the udev rule text)
};

// text is whole lines, each ending in '\n'.
using DeviceLog = std::function<void(DeviceLogKind kind, const std::string &text)>;

// Replaces the sink; an empty one goes back to standard error. Returns the old one.
DeviceLog setDeviceLog(DeviceLog log);
void deviceLog(DeviceLogKind kind, const std::string &text);

} // namespace vantrel
