// SPDX-License-Identifier: GPL-3.0-or-later
// The parts of the libusb implementation that need no hardware: the device
// id list, the host-side receive buffer, the mapping of libusb errors onto the
// library's status codes, and the texts and paths it uses.
#pragma once

#include "usbxpress.h"

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

namespace vantrel::usb {

struct UsbId {
    uint16_t vendor = 0;
    uint16_t product = 0;
    bool operator==(const UsbId &o) const { return vendor == o.vendor && product == o.product; }
};

// The ids the box answers to out of the box.
constexpr UsbId kDefaultId{0x10C4, 0xEA61};

struct UsbIdList {
    std::vector<UsbId> ids; // never empty: the default when the text is unusable
    std::string error;      // why the text was refused, empty when it was used
    bool contains(uint16_t vendor, uint16_t product) const;
};

// "vvvv:pppp[,vvvv:pppp...]" in hex, blanks around items allowed. Null or
// blank text gives the default; a malformed text gives the default and an
// error naming the offending item.
UsbIdList parseUsbIds(const char *text);

// Bytes that came in from the bulk IN endpoint and were not read yet. A host
// that never reads must not grow it without bound: beyond capacity the new
// bytes are dropped and the overrun is remembered until the next clear.
class ReceiveBuffer {
public:
    explicit ReceiveBuffer(size_t capacity = 4096) : capacity_(capacity) {}
    void append(const uint8_t *data, size_t n);
    // Moves up to n bytes into out and returns how many.
    size_t take(uint8_t *out, size_t n);
    void clear();
    size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    bool overrun() const { return overrun_; }
    // SI_CheckRXQueue's queue status bits.
    DWORD queueStatus() const;

private:
    std::deque<uint8_t> bytes_;
    size_t capacity_;
    bool overrun_ = false;
};

// What a libusb call was doing when it failed, for the timed-out and I/O codes.
enum class UsbOp { Open, Read, Write, Control, Query };

SI_STATUS statusFromLibusb(int libusbError, UsbOp op);

// A libusb time-out in ms for the library's time-out value: 0 stands for a
// short poll on reads (libusb reads 0 as "wait for ever"), and for a bounded
// wait on writes.
constexpr unsigned kPollMs = 1;
constexpr unsigned kWriteDefaultMs = 1000;
// Flush reads at most this many times what the device still sends, so a
// device that never stops talking cannot hold it for ever.
constexpr unsigned kMaxDrainReads = 64;
unsigned bulkTimeoutMs(DWORD libraryTimeoutMs, UsbOp op);

// The rule file that grants access, relative to the source tree, and where it
// is installed.
constexpr const char *kRuleFile = "packaging/linux/70-vantrel.rules";
constexpr const char *kInstalledRule = "/etc/udev/rules.d/70-vantrel.rules";

// The explanation printed when the device cannot be opened for lack of rights.
std::string permissionHelp(uint16_t vendor, uint16_t product);

// Where Linux publishes a device's strings without opening it:
// /sys/bus/usb/devices/<bus>-<port>[.<port>...]/<attribute>.
std::string sysfsAttributePath(uint8_t bus, const uint8_t *ports, int portCount, const char *attribute);

// A string descriptor as the library hands it out: printable ASCII only
// (anything else becomes '?'), NUL-terminated, cut to fit SI_MAX_DEVICE_STRLEN.
void copyDeviceString(const std::string &text, char *buffer);

} // namespace vantrel::usb
