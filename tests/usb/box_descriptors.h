// SPDX-License-Identifier: GPL-3.0-or-later
// What the emulated box shows of itself on the bus: the descriptors as
// sysfs publishes them, its string descriptors and the umockdev text that
// puts it in the fake sysfs and /dev.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::usbrig {

struct BoxIdentity {
    uint16_t vendor = 0x10C4;
    uint16_t product = 0xEA61;
    std::string serial = "2023";
    std::string productName = "VANTREL HDMI Processor";
    std::string manufacturer = "VANTREL";
    uint16_t packetSize = 64;
};

constexpr uint8_t kEndpointIn = 0x81;
constexpr uint8_t kEndpointOut = 0x01;
constexpr const char *kDevNode = "/dev/bus/usb/001/002";
constexpr const char *kSysPath = "/sys/devices/pci0000:00/0000:00:14.0/usb1/1-2";

// Device descriptor followed by the one configuration (interface 0 with a
// bulk IN and a bulk OUT endpoint), as the sysfs "descriptors" file holds them.
std::vector<uint8_t> descriptors(const BoxIdentity &box);

// String descriptor `index` (0: the language list; 1 manufacturer, 2
// product, 3 serial), UTF-16LE; empty for an index the box does not have.
std::vector<uint8_t> stringDescriptor(const BoxIdentity &box, uint8_t index);

// The device in umockdev's add_from_string form.
std::string umockdevDescription(const BoxIdentity &box);

} // namespace vantrel::usbrig
