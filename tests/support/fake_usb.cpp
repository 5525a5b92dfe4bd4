// SPDX-License-Identifier: GPL-3.0-or-later
#include "fake_usb.h"

#include "device_log.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

namespace vantrel::test {

namespace {

FakeUsb *g_active = nullptr;

SI_STATUS SI_API fGetNumDevices(DWORD *count)
{
    return g_active ? g_active->getNumDevices(count) : SI_DEVICE_NOT_FOUND;
}
SI_STATUS SI_API fGetProductString(DWORD index, void *buffer, DWORD flags)
{
    return g_active ? g_active->getProductString(index, buffer, flags) : SI_DEVICE_NOT_FOUND;
}
SI_STATUS SI_API fOpen(DWORD index, HANDLE *handle)
{
    return g_active ? g_active->openDevice(index, handle) : SI_DEVICE_NOT_FOUND;
}
SI_STATUS SI_API fClose(HANDLE handle) { return g_active ? g_active->closeDevice(handle) : SI_INVALID_HANDLE; }
SI_STATUS SI_API fRead(HANDLE handle, void *buffer, DWORD n, DWORD *got, void *)
{
    return g_active ? g_active->read(handle, buffer, n, got) : SI_INVALID_HANDLE;
}
SI_STATUS SI_API fWrite(HANDLE handle, void *buffer, DWORD n, DWORD *put, void *)
{
    return g_active ? g_active->write(handle, buffer, n, put) : SI_INVALID_HANDLE;
}
SI_STATUS SI_API fFlush(HANDLE handle, BYTE tx, BYTE rx)
{
    return g_active ? g_active->flush(handle, tx, rx) : SI_INVALID_HANDLE;
}
SI_STATUS SI_API fSetTimeouts(DWORD r, DWORD w) { return g_active ? g_active->setTimeouts(r, w) : SI_SUCCESS; }
SI_STATUS SI_API fGetTimeouts(DWORD *r, DWORD *w) { return g_active ? g_active->getTimeouts(r, w) : SI_SUCCESS; }
SI_STATUS SI_API fCheckRXQueue(HANDLE handle, DWORD *waiting, DWORD *status)
{
    return g_active ? g_active->checkQueue(handle, waiting, status) : SI_INVALID_HANDLE;
}

const UsbApi kFakeApi = {fGetNumDevices, fGetProductString, fOpen,         fClose,        fRead,
                         fWrite,         fFlush,            fSetTimeouts, fGetTimeouts, fCheckRXQueue};

} // namespace

FakeUsb::FakeUsb(VirtualClock &clock) : clock_(clock), previous_(g_active)
{
    responder = [this](const Bytes &request) {
        if (request.size() >= 3) {
            auto it = bySubCode.find(request[2]);
            if (it != bySubCode.end())
                return it->second;
        }
        return idleReply(request, edid);
    };
    g_active = this;
}

FakeUsb::~FakeUsb() { g_active = previous_; }

FakeUsb *FakeUsb::active() { return g_active; }

const UsbApi *FakeUsb::api() const { return &kFakeApi; }

HANDLE FakeUsb::openHandle() const
{
    return reinterpret_cast<HANDLE>(static_cast<uintptr_t>(0x5A00 + openIndex_));
}

std::vector<Bytes> FakeUsb::frames() const
{
    std::vector<Bytes> out;
    for (const UsbCall &c : calls)
        if (c.name == "SI_Write")
            out.push_back(c.data);
    return out;
}

std::vector<std::string> FakeUsb::callNames() const
{
    std::vector<std::string> out;
    for (const UsbCall &c : calls)
        out.push_back(c.name);
    return out;
}

int FakeUsb::count(const std::string &name) const
{
    return static_cast<int>(std::count_if(calls.begin(), calls.end(), [&](const UsbCall &c) { return c.name == name; }));
}

void FakeUsb::clearRecord() { calls.clear(); }

FakeReply FakeUsb::echo(Bytes bytes)
{
    FakeReply r;
    r.bytes = std::move(bytes);
    return r;
}

FakeReply FakeUsb::silent()
{
    FakeReply r;
    r.never = true;
    return r;
}

FakeReply FakeUsb::idleReply(const Bytes &request, const std::array<uint8_t, 256> &edid)
{
    if (request.size() < 3)
        return silent();
    const uint8_t code = request[2];
    if (request[0] == frame::kAsk) {
        const uint8_t n = request[1];
        Bytes out(n, 0x00);
        if (code == frame::kEdidChunk) {
            const size_t off = request.size() > 3 ? request[3] : 0;
            for (size_t i = 0; i < n; ++i)
                out[i] = edid[(off + i) % edid.size()];
        } else if (n > 0) {
            out[0] = code;
        }
        return echo(out);
    }
    if (request[0] == frame::kSend)
        return echo({code, 0x00});
    return silent();
}

SI_STATUS FakeUsb::getNumDevices(DWORD *count)
{
    if (countFails) {
        calls.push_back({"SI_GetNumDevices", {}, 0, 0});
        return SI_DEVICE_NOT_FOUND;
    }
    *count = static_cast<DWORD>(serials.size());
    calls.push_back({"SI_GetNumDevices", {}, *count, 0});
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::getProductString(DWORD index, void *buffer, DWORD flags)
{
    calls.push_back({"SI_GetProductString", {}, index, flags});
    if (index >= serials.size() || failingStringQuery.count(index))
        return SI_DEVICE_NOT_FOUND;
    const std::string &text = flags == SI_RETURN_SERIAL_NUMBER ? serials[index] : product;
    const size_t n = std::min<size_t>(text.size(), SI_MAX_DEVICE_STRLEN - 1);
    std::memcpy(buffer, text.data(), n);
    static_cast<char *>(buffer)[n] = '\0';
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::openDevice(DWORD index, HANDLE *handle)
{
    calls.push_back({"SI_Open", {}, index, 0});
    if (openDenied) {
        deviceLog(DeviceLogKind::NoPermission, "no permission to open the box\n");
        return SI_ACCESS_DENIED;
    }
    if (openFails || index >= serials.size() || open_)
        return SI_DEVICE_NOT_FOUND;
    open_ = true;
    openIndex_ = index;
    *handle = openHandle();
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::closeDevice(HANDLE handle)
{
    const bool valid = validHandle(handle);
    calls.push_back({"SI_Close", {}, valid ? 1u : 0u, 0});
    if (!valid)
        return SI_INVALID_HANDLE;
    open_ = false;
    rx_.clear();
    pending_ = false;
    return closeFails ? SI_INVALID_HANDLE : SI_SUCCESS;
}

void FakeUsb::deliver()
{
    if (!pending_ || static_cast<uint32_t>(clock_.now - writtenAt_) < pendingReply_.delayMs)
        return;
    rx_.insert(rx_.end(), pendingReply_.bytes.begin(), pendingReply_.bytes.end());
    readFails_ = pendingReply_.readFails;
    pending_ = false;
}

SI_STATUS FakeUsb::read(HANDLE handle, void *buffer, DWORD n, DWORD *got)
{
    *got = 0;
    if (!validHandle(handle)) {
        calls.push_back({"SI_Read", {}, n, 0});
        return SI_INVALID_HANDLE;
    }
    deliver();
    const size_t take = std::min<size_t>(n, rx_.size());
    Bytes handed(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(take));
    rx_.erase(rx_.begin(), rx_.begin() + static_cast<std::ptrdiff_t>(take));
    if (take)
        std::memcpy(buffer, handed.data(), take);
    *got = static_cast<DWORD>(take);
    calls.push_back({"SI_Read", handed, n, 0});
    if (readFails_) {
        readFails_ = false;
        return SI_READ_ERROR;
    }
    return take ? SI_SUCCESS : SI_READ_TIMED_OUT;
}

SI_STATUS FakeUsb::write(HANDLE handle, const void *buffer, DWORD n, DWORD *put)
{
    const auto *p = static_cast<const uint8_t *>(buffer);
    Bytes request(p, p + n);
    calls.push_back({"SI_Write", request, 0, 0});
    queriesSinceWrite_ = 0;
    clock_.advance(writeCostMs);
    *put = 0;
    if (!validHandle(handle))
        return SI_INVALID_HANDLE;
    if (failWrites)
        return SI_WRITE_ERROR;
    *put = n;
    FakeReply reply = responder ? responder(request) : idleReply(request, edid);
    if (!reply.never) {
        pending_ = true;
        pendingReply_ = std::move(reply);
        writtenAt_ = clock_.now;
    }
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::flush(HANDLE handle, BYTE tx, BYTE rx)
{
    calls.push_back({"SI_FlushBuffers", {}, tx, rx});
    if (!validHandle(handle))
        return SI_INVALID_HANDLE;
    if (rx) {
        rx_.clear();
        pending_ = false;
    }
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::setTimeouts(DWORD r, DWORD w)
{
    calls.push_back({"SI_SetTimeouts", {}, r, w});
    readTimeout = r;
    writeTimeout = w;
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::getTimeouts(DWORD *r, DWORD *w)
{
    *r = readTimeout;
    *w = writeTimeout;
    calls.push_back({"SI_GetTimeouts", {}, *r, *w});
    return SI_SUCCESS;
}

SI_STATUS FakeUsb::checkQueue(HANDLE handle, DWORD *waiting, DWORD *status)
{
    if (++queriesSinceWrite_ > maxQueriesPerWrite) {
        std::fprintf(stderr, "FakeUsb: %u queue queries since the last write (virtual time %u): the wait never ends\n",
                     queriesSinceWrite_ - 1, clock_.now);
        std::abort();
    }
    clock_.advance(queueQueryCostMs);
    if (failQueueQueries > 0 || !validHandle(handle)) {
        if (failQueueQueries > 0)
            --failQueueQueries;
        calls.push_back({"SI_CheckRXQueue", {}, 0, 0});
        return validHandle(handle) ? SI_RX_QUEUE_NOT_READY : SI_INVALID_HANDLE;
    }
    deliver();
    *waiting = static_cast<DWORD>(rx_.size());
    *status = rx_.empty() ? SI_RX_EMPTY : SI_RX_READY;
    calls.push_back({"SI_CheckRXQueue", {}, *waiting, 0});
    return SI_SUCCESS;
}

Bytes settingsBlockReply(const std::array<uint8_t, frame::kSettingsSize> &settings, uint8_t status)
{
    // Sized up front: g++ 12 misreads the insert into a two-byte vector as an overflow.
    Bytes out(2 + settings.size());
    out[0] = frame::kBlock;
    out[1] = status;
    std::copy(settings.begin(), settings.end(), out.begin() + 2);
    return out;
}

std::string hex(const Bytes &bytes)
{
    std::string out;
    char pair[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        if (i)
            out += ' ';
        out += pair;
    }
    return out;
}

Bytes bytesFromHex(const std::string &text)
{
    Bytes out;
    size_t i = 0;
    while (i < text.size()) {
        if (std::isspace(static_cast<unsigned char>(text[i]))) {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || !std::isxdigit(static_cast<unsigned char>(text[i])) ||
            !std::isxdigit(static_cast<unsigned char>(text[i + 1])) ||
            (i + 2 < text.size() && !std::isspace(static_cast<unsigned char>(text[i + 2]))))
            throw std::invalid_argument("not a list of hex pairs: " + text);
        out.push_back(static_cast<uint8_t>(std::stoul(text.substr(i, 2), nullptr, 16)));
        i += 2;
    }
    return out;
}

} // namespace vantrel::test
