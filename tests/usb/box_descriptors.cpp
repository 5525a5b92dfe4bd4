// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_descriptors.h"

#include <cstdio>

namespace vantrel::usbrig {

namespace {

void put16(std::vector<uint8_t> &v, uint16_t x)
{
    v.push_back(static_cast<uint8_t>(x & 0xFF));
    v.push_back(static_cast<uint8_t>(x >> 8));
}

std::string hex(const std::vector<uint8_t> &bytes)
{
    std::string out;
    char b[3];
    for (uint8_t x : bytes) {
        std::snprintf(b, sizeof b, "%02X", x);
        out += b;
    }
    return out;
}

} // namespace

std::vector<uint8_t> descriptors(const BoxIdentity &box)
{
    std::vector<uint8_t> d{18, 1};
    put16(d, 0x0200);                  // USB 2.0
    d.insert(d.end(), {0x00, 0x00, 0x00, 64});
    put16(d, box.vendor);
    put16(d, box.product);
    put16(d, 0x0100);                  // device release
    d.insert(d.end(), {1, 2, 3, 1});   // manufacturer, product, serial, one configuration
    const uint16_t total = 9 + 9 + 7 + 7;
    d.insert(d.end(), {9, 2});
    put16(d, total);
    d.insert(d.end(), {1, 1, 0, 0x80, 50});          // one interface, bus powered, 100 mA
    d.insert(d.end(), {9, 4, 0, 0, 2, 0xFF, 0, 0, 0}); // interface 0, two endpoints, vendor class
    d.insert(d.end(), {7, 5, kEndpointIn, 2});
    put16(d, box.packetSize);
    d.push_back(0);
    d.insert(d.end(), {7, 5, kEndpointOut, 2});
    put16(d, box.packetSize);
    d.push_back(0);
    return d;
}

std::vector<uint8_t> stringDescriptor(const BoxIdentity &box, uint8_t index)
{
    if (index == 0)
        return {4, 3, 0x09, 0x04}; // English (United States)
    const std::string *text = index == 1 ? &box.manufacturer : index == 2 ? &box.productName
                                         : index == 3 ? &box.serial : nullptr;
    if (!text)
        return {};
    std::vector<uint8_t> d{static_cast<uint8_t>(2 + 2 * text->size()), 3};
    for (char c : *text)
        put16(d, static_cast<uint8_t>(c));
    return d;
}

std::string umockdevDescription(const BoxIdentity &box)
{
    char ids[64];
    std::snprintf(ids, sizeof ids, "%04x/%04x/100", box.vendor, box.product);
    char vendor[8], product[8];
    std::snprintf(vendor, sizeof vendor, "%04x", box.vendor);
    std::snprintf(product, sizeof product, "%04x", box.product);
    std::string t = std::string("P: ") + (kSysPath + 4) + "\n";
    t += "N: bus/usb/001/002\n";
    t += "E: DEVNAME=/dev/bus/usb/001/002\nE: DEVTYPE=usb_device\nE: DRIVER=usb\n";
    t += std::string("E: PRODUCT=") + ids + "\nE: TYPE=0/0/0\nE: BUSNUM=001\nE: DEVNUM=002\n";
    t += "E: MAJOR=189\nE: MINOR=1\nE: SUBSYSTEM=usb\n";
    t += "A: busnum=1\nA: devnum=2\nA: devpath=2\nA: dev=189:1\nA: speed=12\nA: maxchild=0\n";
    t += std::string("A: idVendor=") + vendor + "\nA: idProduct=" + product + "\n";
    t += "A: serial=" + box.serial + "\nA: product=" + box.productName + "\nA: manufacturer=" + box.manufacturer + "\n";
    t += "A: bConfigurationValue=1\nA: bNumConfigurations=1\nA: bNumInterfaces= 1\nA: bDeviceClass=00\n";
    t += "A: bMaxPacketSize0=64\nA: version= 2.00\n";
    t += "H: descriptors=" + hex(descriptors(box)) + "\n";
    return t;
}

} // namespace vantrel::usbrig
