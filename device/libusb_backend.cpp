// SPDX-License-Identifier: GPL-3.0-or-later
#include "libusb_backend.h"

#include "device_log.h"
#include "libusb_support.h"

#include <libusb.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace vantrel {

namespace {

using usb::UsbOp;

constexpr unsigned kControlMs = 1000;
constexpr uint8_t kVendorOut = LIBUSB_REQUEST_TYPE_VENDOR | LIBUSB_RECIPIENT_DEVICE | LIBUSB_ENDPOINT_OUT; // 0x40
constexpr uint8_t kReqEnable = 0x00;
constexpr uint8_t kReqLineControl = 0x02;
constexpr uint16_t kEnable = 0xFFFF;
constexpr uint16_t kClearToSend = 0x0002;
constexpr uint16_t kNotClearToSend = 0x0004;

struct Device {
    libusb_device *dev = nullptr;
    libusb_device_handle *handle = nullptr;
    uint8_t in = 0, out = 0;
    uint16_t inPacket = 64;
    usb::ReceiveBuffer rx;
};

struct State {
    std::mutex mutex;
    bool initTried = false;
    libusb_context *ctx = nullptr;
    usb::UsbIdList ids;
    std::vector<libusb_device *> list; // the last enumeration, referenced
    std::set<Device *> open;
    DWORD readMs = 1000, writeMs = 1000;
    bool permissionExplained = false;
    ~State();
};

State &state()
{
    static State s;
    return s;
}

void logError(const char *what, int err)
{
    deviceLog(DeviceLogKind::Diagnostic, std::string("vantrel: libusb ") + what + ": " + libusb_error_name(err) + "\n");
}

void explainPermission(State &s, libusb_device *dev)
{
    if (s.permissionExplained)
        return;
    s.permissionExplained = true;
    libusb_device_descriptor d{};
    libusb_get_device_descriptor(dev, &d);
    deviceLog(DeviceLogKind::NoPermission, usb::permissionHelp(d.idVendor, d.idProduct));
}

// libusb starts on the first call, so a program that never touches USB never
// opens it; a failed start means no devices, never a crash.
bool ready(State &s)
{
    if (!s.initTried) {
        s.initTried = true;
        s.ids = usb::parseUsbIds(std::getenv("VANTREL_USB_IDS"));
        if (!s.ids.error.empty())
            deviceLog(DeviceLogKind::Diagnostic, "vantrel: " + s.ids.error + "\n");
        int err = libusb_init(&s.ctx);
        if (err != LIBUSB_SUCCESS) {
            logError("init", err);
            s.ctx = nullptr;
        }
    }
    return s.ctx != nullptr;
}

void dropList(State &s)
{
    for (libusb_device *d : s.list)
        libusb_unref_device(d);
    s.list.clear();
}

// A device that was unplugged is no longer in libusb's own list: the last
// enumeration holds its last reference, to be given back at the end.
State::~State() { dropList(*this); }

int enumerate(State &s)
{
    libusb_device **all = nullptr;
    ssize_t n = libusb_get_device_list(s.ctx, &all);
    if (n < 0)
        return static_cast<int>(n);
    dropList(s);
    for (ssize_t i = 0; i < n; ++i) {
        libusb_device_descriptor d{};
        if (libusb_get_device_descriptor(all[i], &d) == LIBUSB_SUCCESS && s.ids.contains(d.idVendor, d.idProduct))
            s.list.push_back(libusb_ref_device(all[i]));
    }
    libusb_free_device_list(all, 1);
    return LIBUSB_SUCCESS;
}

Device *valid(State &s, HANDLE h)
{
    auto it = s.open.find(static_cast<Device *>(h));
    return it == s.open.end() ? nullptr : *it;
}

// A string from sysfs, for a device this user may not open.
bool sysfsString(libusb_device *dev, const char *attribute, std::string &out)
{
    uint8_t ports[8];
    int n = libusb_get_port_numbers(dev, ports, sizeof ports);
    if (n <= 0)
        return false;
    std::ifstream f(usb::sysfsAttributePath(libusb_get_bus_number(dev), ports, n, attribute));
    if (!f || !std::getline(f, out))
        return false;
    return true;
}

int readString(libusb_device_handle *h, uint8_t index, std::string &out)
{
    if (index == 0)
        return LIBUSB_ERROR_NOT_FOUND;
    unsigned char text[SI_MAX_DEVICE_STRLEN];
    int n = libusb_get_string_descriptor_ascii(h, index, text, sizeof text);
    if (n < 0)
        return n;
    out.assign(reinterpret_cast<char *>(text), static_cast<size_t>(n));
    return LIBUSB_SUCCESS;
}

bool findBulkEndpoints(libusb_device *dev, Device &d)
{
    libusb_config_descriptor *config = nullptr;
    if (libusb_get_active_config_descriptor(dev, &config) != LIBUSB_SUCCESS)
        return false;
    bool haveIn = false, haveOut = false;
    for (int i = 0; i < config->bNumInterfaces && !(haveIn && haveOut); ++i) {
        const libusb_interface &itf = config->interface[i];
        if (itf.num_altsetting < 1 || itf.altsetting[0].bInterfaceNumber != 0)
            continue;
        const libusb_interface_descriptor &alt = itf.altsetting[0];
        for (int e = 0; e < alt.bNumEndpoints; ++e) {
            const libusb_endpoint_descriptor &ep = alt.endpoint[e];
            if ((ep.bmAttributes & LIBUSB_TRANSFER_TYPE_MASK) != LIBUSB_TRANSFER_TYPE_BULK)
                continue;
            if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_IN && !haveIn) {
                d.in = ep.bEndpointAddress;
                d.inPacket = ep.wMaxPacketSize ? ep.wMaxPacketSize : 64;
                haveIn = true;
            } else if ((ep.bEndpointAddress & LIBUSB_ENDPOINT_DIR_MASK) == LIBUSB_ENDPOINT_OUT && !haveOut) {
                d.out = ep.bEndpointAddress;
                haveOut = true;
            }
        }
    }
    libusb_free_config_descriptor(config);
    return haveIn && haveOut;
}

// One bulk IN transfer into the receive buffer; what arrived before a
// time-out counts.
int fill(Device &d, unsigned timeoutMs)
{
    // A whole number of packets, so a full packet never overflows the transfer.
    std::vector<uint8_t> chunk(static_cast<size_t>(d.inPacket) * 8);
    int got = 0;
    int err = libusb_bulk_transfer(d.handle, d.in, chunk.data(), static_cast<int>(chunk.size()), &got, timeoutMs);
    if (got > 0)
        d.rx.append(chunk.data(), static_cast<size_t>(got));
    if (err == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(d.handle, d.in);
    return err;
}

int vendorRequest(libusb_device_handle *h, uint8_t request, uint16_t value)
{
    int n = libusb_control_transfer(h, kVendorOut, request, value, 0, nullptr, 0, kControlMs);
    return n < 0 ? n : LIBUSB_SUCCESS;
}

SI_STATUS SI_API lGetNumDevices(DWORD *count)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!count)
        return SI_INVALID_PARAMETER;
    *count = 0;
    if (!ready(s))
        return SI_SYSTEM_ERROR_CODE;
    int err = enumerate(s);
    if (err != LIBUSB_SUCCESS) {
        logError("device list", err);
        return usb::statusFromLibusb(err, UsbOp::Query);
    }
    *count = static_cast<DWORD>(s.list.size());
    return SI_SUCCESS;
}

SI_STATUS SI_API lGetProductString(DWORD index, void *buffer, DWORD flags)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!buffer || (flags != SI_RETURN_SERIAL_NUMBER && flags != SI_RETURN_DESCRIPTION))
        return SI_INVALID_PARAMETER;
    if (!ready(s))
        return SI_SYSTEM_ERROR_CODE;
    if (s.list.empty() && enumerate(s) != LIBUSB_SUCCESS)
        return SI_DEVICE_NOT_FOUND;
    if (index >= s.list.size())
        return SI_DEVICE_NOT_FOUND;
    libusb_device *dev = s.list[index];
    libusb_device_descriptor desc{};
    int err = libusb_get_device_descriptor(dev, &desc);
    if (err != LIBUSB_SUCCESS)
        return usb::statusFromLibusb(err, UsbOp::Query);
    const uint8_t which = flags == SI_RETURN_SERIAL_NUMBER ? desc.iSerialNumber : desc.iProduct;

    // Ask through the handle already open on it, if any.
    libusb_device_handle *h = nullptr;
    for (Device *d : s.open)
        if (d->dev == dev)
            h = d->handle;
    bool own = false;
    if (!h) {
        err = libusb_open(dev, &h);
        if (err == LIBUSB_SUCCESS) {
            own = true;
        } else {
            std::string text;
            if (sysfsString(dev, flags == SI_RETURN_SERIAL_NUMBER ? "serial" : "product", text)) {
                usb::copyDeviceString(text, static_cast<char *>(buffer));
                return SI_SUCCESS;
            }
            if (err == LIBUSB_ERROR_ACCESS)
                explainPermission(s, dev);
            return usb::statusFromLibusb(err, UsbOp::Open);
        }
    }
    std::string text;
    err = readString(h, which, text);
    if (own)
        libusb_close(h);
    if (err != LIBUSB_SUCCESS)
        return usb::statusFromLibusb(err, UsbOp::Control);
    usb::copyDeviceString(text, static_cast<char *>(buffer));
    return SI_SUCCESS;
}

SI_STATUS SI_API lOpen(DWORD index, HANDLE *handle)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!handle)
        return SI_INVALID_PARAMETER;
    if (!ready(s))
        return SI_SYSTEM_ERROR_CODE;
    if (s.list.empty() && enumerate(s) != LIBUSB_SUCCESS)
        return SI_DEVICE_NOT_FOUND;
    if (index >= s.list.size())
        return SI_DEVICE_NOT_FOUND;
    libusb_device *dev = s.list[index];
    for (Device *d : s.open)
        if (d->dev == dev)
            return SI_DEVICE_IO_FAILED; // one handle per device, as the vendor library

    auto *d = new Device;
    d->dev = libusb_ref_device(dev);
    auto fail = [&](int err, const char *what) {
        logError(what, err);
        if (d->handle)
            libusb_close(d->handle);
        libusb_unref_device(d->dev);
        delete d;
        return usb::statusFromLibusb(err, UsbOp::Open);
    };

    int err = libusb_open(dev, &d->handle);
    if (err != LIBUSB_SUCCESS) {
        if (err == LIBUSB_ERROR_ACCESS)
            explainPermission(s, dev);
        d->handle = nullptr;
        const SI_STATUS status = fail(err, "open");
        return err == LIBUSB_ERROR_ACCESS ? SI_ACCESS_DENIED : status;
    }
    if (!findBulkEndpoints(dev, *d)) {
        deviceLog(DeviceLogKind::Diagnostic, "vantrel: the USB device has no bulk IN and OUT endpoints on interface 0\n");
        libusb_close(d->handle);
        libusb_unref_device(d->dev);
        delete d;
        return SI_DEVICE_IO_FAILED;
    }
    libusb_set_auto_detach_kernel_driver(d->handle, 1); // not supported everywhere; claim tells
    err = libusb_claim_interface(d->handle, 0);
    if (err != LIBUSB_SUCCESS)
        return fail(err, "claim interface 0");
    libusb_clear_halt(d->handle, d->in);
    libusb_clear_halt(d->handle, d->out);

    const struct {
        uint8_t request;
        uint16_t value;
        const char *what;
    } steps[] = {{kReqEnable, kEnable, "enable request"}, {kReqLineControl, kClearToSend, "clear-to-send request"}};
    for (const auto &step : steps) {
        err = vendorRequest(d->handle, step.request, step.value);
        if (err == LIBUSB_ERROR_PIPE) {
            logError(step.what, err); // some firmware stalls it and works anyway
        } else if (err != LIBUSB_SUCCESS) {
            libusb_release_interface(d->handle, 0);
            return fail(err, step.what);
        }
    }
    s.open.insert(d);
    *handle = d;
    return SI_SUCCESS;
}

SI_STATUS SI_API lClose(HANDLE handle)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    Device *d = valid(s, handle);
    if (!d)
        return SI_INVALID_HANDLE;
    int err = vendorRequest(d->handle, kReqLineControl, kNotClearToSend);
    if (err != LIBUSB_SUCCESS && err != LIBUSB_ERROR_NO_DEVICE)
        logError("not-clear-to-send request", err);
    err = libusb_release_interface(d->handle, 0);
    libusb_close(d->handle);
    libusb_unref_device(d->dev);
    s.open.erase(d);
    delete d;
    return err == LIBUSB_SUCCESS || err == LIBUSB_ERROR_NO_DEVICE ? SI_SUCCESS : usb::statusFromLibusb(err, UsbOp::Control);
}

SI_STATUS SI_API lRead(HANDLE handle, void *buffer, DWORD n, DWORD *got, void *)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (got)
        *got = 0;
    Device *d = valid(s, handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (!buffer || !got)
        return SI_INVALID_PARAMETER;
    if (n == 0)
        return SI_SUCCESS;
    int err = LIBUSB_SUCCESS;
    if (d->rx.empty())
        err = fill(*d, usb::bulkTimeoutMs(s.readMs, UsbOp::Read));
    *got = static_cast<DWORD>(d->rx.take(static_cast<uint8_t *>(buffer), n));
    if (*got > 0)
        return SI_SUCCESS;
    return err == LIBUSB_SUCCESS ? SI_READ_TIMED_OUT : usb::statusFromLibusb(err, UsbOp::Read);
}

SI_STATUS SI_API lWrite(HANDLE handle, void *buffer, DWORD n, DWORD *put, void *)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (put)
        *put = 0;
    Device *d = valid(s, handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (!buffer || !put)
        return SI_INVALID_PARAMETER;
    if (n == 0)
        return SI_SUCCESS;
    int sent = 0;
    int err = libusb_bulk_transfer(d->handle, d->out, static_cast<unsigned char *>(buffer), static_cast<int>(n), &sent,
                                   usb::bulkTimeoutMs(s.writeMs, UsbOp::Write));
    *put = static_cast<DWORD>(sent > 0 ? sent : 0);
    if (err == LIBUSB_ERROR_PIPE)
        libusb_clear_halt(d->handle, d->out);
    if (err != LIBUSB_SUCCESS)
        return usb::statusFromLibusb(err, UsbOp::Write);
    return *put == n ? SI_SUCCESS : SI_WRITE_ERROR;
}

SI_STATUS SI_API lFlush(HANDLE handle, BYTE, BYTE flushReceive)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    Device *d = valid(s, handle);
    if (!d)
        return SI_INVALID_HANDLE;
    // Writes complete before they return, so only the receive side holds
    // anything: the host buffer, and what the device still has pending. A
    // reply that came after its exchange gave up must not be taken for the
    // next one, so short reads go on until nothing arrives.
    if (flushReceive) {
        d->rx.clear();
        for (unsigned i = 0; i < usb::kMaxDrainReads; ++i) {
            const int err = fill(*d, usb::kPollMs);
            const bool arrived = !d->rx.empty();
            d->rx.clear();
            if (!arrived || (err != LIBUSB_SUCCESS && err != LIBUSB_ERROR_TIMEOUT))
                break;
        }
    }
    return SI_SUCCESS;
}

SI_STATUS SI_API lSetTimeouts(DWORD readMs, DWORD writeMs)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    s.readMs = readMs;
    s.writeMs = writeMs;
    return SI_SUCCESS;
}

SI_STATUS SI_API lGetTimeouts(DWORD *readMs, DWORD *writeMs)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    if (!readMs || !writeMs)
        return SI_INVALID_PARAMETER;
    *readMs = s.readMs;
    *writeMs = s.writeMs;
    return SI_SUCCESS;
}

SI_STATUS SI_API lCheckRXQueue(HANDLE handle, DWORD *waiting, DWORD *queueStatus)
{
    State &s = state();
    std::lock_guard<std::mutex> lock(s.mutex);
    Device *d = valid(s, handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (!waiting || !queueStatus)
        return SI_INVALID_PARAMETER;
    // The short transfer paces a caller that polls in a tight loop.
    int err = d->rx.empty() ? fill(*d, usb::kPollMs) : LIBUSB_SUCCESS;
    *waiting = static_cast<DWORD>(d->rx.size());
    *queueStatus = d->rx.queueStatus();
    if (err == LIBUSB_SUCCESS || err == LIBUSB_ERROR_TIMEOUT || *waiting > 0)
        return SI_SUCCESS;
    // A device that is gone fails at once; the caller polls until its bound,
    // so the failure takes as long as an empty poll instead of spinning.
    std::this_thread::sleep_for(std::chrono::milliseconds(usb::kPollMs));
    return usb::statusFromLibusb(err, UsbOp::Query);
}

const UsbApi kLibusbApi = {lGetNumDevices, lGetProductString, lOpen,         lClose,        lRead,
                           lWrite,         lFlush,            lSetTimeouts, lGetTimeouts, lCheckRXQueue};

} // namespace

const UsbApi *libusbApi() { return &kLibusbApi; }

} // namespace vantrel
