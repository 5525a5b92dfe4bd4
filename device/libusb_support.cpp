// SPDX-License-Identifier: GPL-3.0-or-later
#include "libusb_support.h"

#include <libusb.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

namespace vantrel::usb {

namespace {

std::string trim(const std::string &s)
{
    size_t b = s.find_first_not_of(" \t");
    if (b == std::string::npos)
        return {};
    size_t e = s.find_last_not_of(" \t");
    return s.substr(b, e - b + 1);
}

// 1 to 4 hex digits, nothing else.
bool parseHex16(const std::string &s, uint16_t &out)
{
    if (s.empty() || s.size() > 4)
        return false;
    unsigned v = 0;
    for (char c : s) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        v = v * 16 + static_cast<unsigned>(std::isdigit(static_cast<unsigned char>(c))
                                               ? c - '0'
                                               : std::tolower(static_cast<unsigned char>(c)) - 'a' + 10);
    }
    out = static_cast<uint16_t>(v);
    return true;
}

} // namespace

bool UsbIdList::contains(uint16_t vendor, uint16_t product) const
{
    return std::find(ids.begin(), ids.end(), UsbId{vendor, product}) != ids.end();
}

UsbIdList parseUsbIds(const char *text)
{
    UsbIdList list;
    const std::string all = text ? text : "";
    if (trim(all).empty()) {
        list.ids.push_back(kDefaultId);
        return list;
    }
    size_t start = 0;
    while (true) {
        const size_t comma = all.find(',', start);
        const std::string item = trim(all.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        const size_t colon = item.find(':');
        UsbId id;
        if (colon == std::string::npos || !parseHex16(item.substr(0, colon), id.vendor) ||
            !parseHex16(item.substr(colon + 1), id.product)) {
            list.ids.assign(1, kDefaultId);
            list.error = "VANTREL_USB_IDS: \"" + item + "\" is not vvvv:pppp in hex; using 10c4:ea61";
            return list;
        }
        if (!list.contains(id.vendor, id.product))
            list.ids.push_back(id);
        if (comma == std::string::npos)
            break;
        start = comma + 1;
    }
    return list;
}

void ReceiveBuffer::append(const uint8_t *data, size_t n)
{
    const size_t room = capacity_ - std::min(capacity_, bytes_.size());
    if (n > room)
        overrun_ = true;
    bytes_.insert(bytes_.end(), data, data + std::min(n, room));
}

size_t ReceiveBuffer::take(uint8_t *out, size_t n)
{
    const size_t k = std::min(n, bytes_.size());
    std::copy(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(k), out);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(k));
    return k;
}

void ReceiveBuffer::clear()
{
    bytes_.clear();
    overrun_ = false;
}

DWORD ReceiveBuffer::queueStatus() const
{
    return (bytes_.empty() ? SI_RX_EMPTY : SI_RX_READY) | (overrun_ ? SI_RX_OVERRUN : SI_RX_NO_OVERRUN);
}

SI_STATUS statusFromLibusb(int err, UsbOp op)
{
    switch (err) {
    case LIBUSB_SUCCESS:
        return SI_SUCCESS;
    case LIBUSB_ERROR_TIMEOUT:
        if (op == UsbOp::Read)
            return SI_READ_TIMED_OUT;
        if (op == UsbOp::Write)
            return SI_WRITE_TIMED_OUT;
        return SI_DEVICE_IO_FAILED;
    case LIBUSB_ERROR_NO_DEVICE:
    case LIBUSB_ERROR_NOT_FOUND:
        return SI_DEVICE_NOT_FOUND;
    case LIBUSB_ERROR_INVALID_PARAM:
        return SI_INVALID_PARAMETER;
    case LIBUSB_ERROR_NOT_SUPPORTED:
        return SI_FUNCTION_NOT_SUPPORTED;
    case LIBUSB_ERROR_NO_MEM:
        return SI_GLOBAL_DATA_ERROR;
    case LIBUSB_ERROR_ACCESS:
    case LIBUSB_ERROR_BUSY:
        return SI_SYSTEM_ERROR_CODE;
    case LIBUSB_ERROR_IO:
    case LIBUSB_ERROR_PIPE:
    case LIBUSB_ERROR_OVERFLOW:
    case LIBUSB_ERROR_INTERRUPTED:
    default:
        if (op == UsbOp::Read)
            return SI_READ_ERROR;
        if (op == UsbOp::Write)
            return SI_WRITE_ERROR;
        if (op == UsbOp::Query)
            return SI_RX_QUEUE_NOT_READY;
        return SI_DEVICE_IO_FAILED;
    }
}

unsigned bulkTimeoutMs(DWORD t, UsbOp op)
{
    if (t == 0)
        return op == UsbOp::Write ? kWriteDefaultMs : kPollMs;
    return static_cast<unsigned>(t);
}

std::string permissionHelp(uint16_t vendor, uint16_t product)
{
    char id[16];
    std::snprintf(id, sizeof id, "%04x:%04x", vendor, product);
    return std::string("vantrel: no permission to open the USB device ") + id +
           ".\n"
           "  Install the udev rule " + kRuleFile + " (installed builds: lib/udev/rules.d/70-vantrel.rules),\n"
           "  then unplug the box and plug it in again:\n"
           "    sudo install -m 644 " + kRuleFile + " " + kInstalledRule + "\n"
           "    sudo udevadm control --reload-rules && sudo udevadm trigger\n";
}

std::string sysfsAttributePath(uint8_t bus, const uint8_t *ports, int portCount, const char *attribute)
{
    std::string path = "/sys/bus/usb/devices/" + std::to_string(bus) + "-";
    for (int i = 0; i < portCount; ++i) {
        if (i)
            path += '.';
        path += std::to_string(ports[i]);
    }
    return path + "/" + attribute;
}

void copyDeviceString(const std::string &text, char *buffer)
{
    const size_t n = std::min<size_t>(text.size(), SI_MAX_DEVICE_STRLEN - 1);
    for (size_t i = 0; i < n; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        buffer[i] = (c >= 0x20 && c < 0x7F) ? static_cast<char>(c) : '?';
    }
    buffer[n] = '\0';
}

} // namespace vantrel::usb
