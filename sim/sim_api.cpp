// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_api.h"

#include "usb_library.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <memory>
#include <mutex>

namespace vantrel::sim {

namespace {

struct Device {
    std::unique_ptr<BoxModel> model;
    bool open = false;
    std::deque<uint8_t> rx;          // reply bytes the host can read
    std::vector<uint8_t> pending;    // a reply still on its way
    bool hasPending = false;
    uint32_t readyAt = 0;
    bool queueFail = false;          // the next queue query fails
};

struct Sim {
    bool built = false;
    SimConfig config;
    std::vector<std::unique_ptr<Device>> devices;
    FaultPlan faults;
    Clock *clock = nullptr;
    DWORD readTimeout = 1000, writeTimeout = 1000;
    bool gone = false;
    bool goneNext = false; // gone once the exchange under way has ended
    std::vector<std::vector<uint8_t>> requests;
};

std::recursive_mutex &lockObject()
{
    static std::recursive_mutex m;
    return m;
}

Sim &sim()
{
    static Sim s;
    return s;
}

Clock &now() { return sim().clock ? *sim().clock : systemClock(); }

std::vector<std::string> rebuild(const std::string &text)
{
    Sim &s = sim();
    s.config = parseConfig(text);
    s.devices.clear();
    s.faults.clear();
    for (const FaultRule &r : s.config.faults)
        s.faults.add(r);
    s.gone = s.goneNext = false;
    s.requests.clear();
    for (size_t i = 0; i < s.config.serials.size(); ++i) {
        auto d = std::make_unique<Device>();
        std::string state = s.config.statePath;
        if (!state.empty() && i > 0)
            state += "." + s.config.serials[i];
        d->model = std::make_unique<BoxModel>(s.config, s.config.serials[i], state);
        s.devices.push_back(std::move(d));
    }
    s.built = true;
    return s.config.errors;
}

void ensureBuilt()
{
    if (sim().built)
        return;
    const char *env = std::getenv("VANTREL_SIM");
    for (const std::string &e : rebuild(env ? env : ""))
        reportSimProblem(e);
}

// One line per request, "11 0F E0 06", so another process can see what was sent.
void appendWireLog(const std::string &path, const uint8_t *req, DWORD count)
{
    FILE *f = std::fopen(path.c_str(), "a");
    if (!f) {
        reportSimProblem("wire_log " + path + ": " + std::strerror(errno));
        return;
    }
    for (DWORD i = 0; i < count; ++i)
        std::fprintf(f, i ? " %02X" : "%02X", req[i]);
    std::fputc('\n', f);
    std::fclose(f);
}

// A device that goes away does so between exchanges, not inside one.
void settleGone()
{
    if (sim().goneNext) {
        sim().gone = true;
        sim().goneNext = false;
    }
}

Device *deviceOf(HANDLE h)
{
    for (auto &d : sim().devices)
        if (static_cast<HANDLE>(d.get()) == h && d->open)
            return d.get();
    return nullptr;
}

// Moves a reply whose time has come into the receive queue.
void deliver(Device &d)
{
    if (d.hasPending && static_cast<int32_t>(now().tickMs() - d.readyAt) >= 0) {
        d.rx.insert(d.rx.end(), d.pending.begin(), d.pending.end());
        d.pending.clear();
        d.hasPending = false;
    }
}

SI_STATUS SI_API getNumDevices(DWORD *count)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    settleGone();
    if (!count)
        return SI_INVALID_PARAMETER;
    if (sim().gone)
        return SI_DEVICE_NOT_FOUND;
    *count = static_cast<DWORD>(sim().devices.size());
    return SI_SUCCESS;
}

SI_STATUS SI_API getProductString(DWORD index, void *buffer, DWORD flags)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    settleGone();
    if (sim().gone || index >= sim().devices.size())
        return SI_DEVICE_NOT_FOUND;
    if (!buffer)
        return SI_INVALID_PARAMETER;
    std::string text;
    if (flags == SI_RETURN_SERIAL_NUMBER)
        text = sim().devices[index]->model->serial();
    else if (flags == SI_RETURN_DESCRIPTION)
        text = sim().config.product;
    else
        return SI_INVALID_PARAMETER;
    text.resize(std::min<size_t>(text.size(), SI_MAX_DEVICE_STRLEN - 1));
    std::memcpy(buffer, text.c_str(), text.size() + 1);
    return SI_SUCCESS;
}

SI_STATUS SI_API openDevice(DWORD index, HANDLE *handle)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    settleGone();
    if (!handle)
        return SI_INVALID_PARAMETER;
    if (sim().gone || index >= sim().devices.size())
        return SI_DEVICE_NOT_FOUND;
    Device &d = *sim().devices[index];
    d.open = true;
    d.rx.clear();
    d.hasPending = false;
    *handle = &d;
    return SI_SUCCESS;
}

SI_STATUS SI_API closeDevice(HANDLE handle)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    settleGone();
    Device *d = deviceOf(handle);
    if (!d)
        return SI_INVALID_HANDLE;
    d->open = false;
    d->rx.clear();
    d->hasPending = false;
    return sim().gone ? SI_DEVICE_IO_FAILED : SI_SUCCESS;
}

SI_STATUS SI_API readData(HANDLE handle, void *buffer, DWORD count, DWORD *got, void *)
{
    std::unique_lock<std::recursive_mutex> lock(lockObject());
    if (got)
        *got = 0;
    Device *d = deviceOf(handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (sim().gone)
        return SI_DEVICE_IO_FAILED;
    if (!buffer || !got)
        return SI_INVALID_PARAMETER;
    const uint32_t start = now().tickMs();
    deliver(*d);
    while (d->rx.empty() && d->hasPending && now().tickMs() - start < sim().readTimeout) {
        lock.unlock();
        now().sleepMs(1);
        lock.lock();
        if (!(d = deviceOf(handle)))
            return SI_INVALID_HANDLE;
        deliver(*d);
    }
    DWORD n = std::min<DWORD>(count, static_cast<DWORD>(d->rx.size()));
    auto *out = static_cast<uint8_t *>(buffer);
    for (DWORD i = 0; i < n; ++i) {
        out[i] = d->rx.front();
        d->rx.pop_front();
    }
    *got = n;
    return n > 0 || count == 0 ? SI_SUCCESS : SI_READ_TIMED_OUT;
}

SI_STATUS SI_API writeData(HANDLE handle, void *buffer, DWORD count, DWORD *put, void *)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    settleGone();
    if (put)
        *put = 0;
    Device *d = deviceOf(handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (sim().gone)
        return SI_DEVICE_IO_FAILED;
    if (!buffer || !put)
        return SI_INVALID_PARAMETER;
    const auto *req = static_cast<const uint8_t *>(buffer);
    Sim &s = sim();
    if (s.requests.size() >= 100000)
        s.requests.erase(s.requests.begin(), s.requests.begin() + 50000);
    s.requests.emplace_back(req, req + count);
    if (!s.config.wireLogPath.empty())
        appendWireLog(s.config.wireLogPath, req, count);

    FaultEffects fx = count >= 3 ? s.faults.onRequest(req[0], req[2]) : FaultEffects{};
    if (fx.writeFail)
        return SI_WRITE_ERROR;
    const uint32_t t = now().tickMs();
    std::vector<uint8_t> reply = d->model->handle(req, count, t);
    const bool raw = count >= 3 && req[0] == 0x11 && req[2] == 0xB0;
    if (fx.busy && !raw && reply.size() >= 2)
        reply[1] |= kStatusBusy;
    if (fx.wrongCode && !reply.empty())
        reply[0] ^= 0x01;
    if (fx.shortReply && !reply.empty())
        reply.pop_back();
    if (fx.noReply)
        reply.clear();
    if (!reply.empty()) {
        d->pending = reply;
        d->hasPending = true;
        d->readyAt = t + s.config.latencyMs + fx.latencyMs;
    }
    d->queueFail = fx.queueFail;
    if (fx.goneAfter)
        s.goneNext = true;
    *put = count;
    return SI_SUCCESS;
}

SI_STATUS SI_API flushBuffers(HANDLE handle, BYTE, BYTE flushReceive)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    settleGone();
    Device *d = deviceOf(handle);
    if (!d)
        return SI_INVALID_HANDLE;
    if (sim().gone)
        return SI_DEVICE_IO_FAILED;
    if (flushReceive) {
        d->rx.clear();
        d->hasPending = false;
    }
    return SI_SUCCESS;
}

SI_STATUS SI_API setTimeouts(DWORD readMs, DWORD writeMs)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    sim().readTimeout = readMs;
    sim().writeTimeout = writeMs;
    return SI_SUCCESS;
}

SI_STATUS SI_API getTimeouts(DWORD *readMs, DWORD *writeMs)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    if (readMs)
        *readMs = sim().readTimeout;
    if (writeMs)
        *writeMs = sim().writeTimeout;
    return SI_SUCCESS;
}

SI_STATUS SI_API checkRxQueue(HANDLE handle, DWORD *bytes, DWORD *status)
{
    std::unique_lock<std::recursive_mutex> lock(lockObject());
    SI_STATUS result = SI_SUCCESS;
    DWORD waiting = 0;
    Device *d = deviceOf(handle);
    if (!d)
        result = SI_INVALID_HANDLE;
    else if (sim().gone)
        result = SI_DEVICE_IO_FAILED;
    else if (!bytes || !status)
        result = SI_INVALID_PARAMETER;
    else if (d->queueFail) {
        d->queueFail = false;
        result = SI_RX_QUEUE_NOT_READY;
    } else {
        deliver(*d);
        waiting = static_cast<DWORD>(d->rx.size());
    }
    if (bytes)
        *bytes = waiting;
    if (status)
        *status = waiting ? SI_RX_READY : SI_RX_EMPTY;
    if (waiting == 0) {
        // A caller that polls in a tight loop gives the time a chance to pass.
        lock.unlock();
        now().sleepMs(1);
    }
    return result;
}

const UsbApi kApi = {getNumDevices, getProductString, openDevice,  closeDevice, readData,
                     writeData,     flushBuffers,     setTimeouts, getTimeouts, checkRxQueue};

} // namespace

const UsbApi *simulatorApi()
{
    static const bool marked = (markSimulatedBox(&kApi), true);
    (void)marked;
    return &kApi;
}

std::vector<std::string> reset(const std::string &config)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    return rebuild(config);
}

void setClock(Clock *clock)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    sim().clock = clock;
}

BoxModel &box(int device)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    auto &devices = sim().devices;
    if (devices.empty()) {
        // No device attached: a detached model, so callers still get one.
        static BoxModel detached(SimConfig{}, "", "");
        return detached;
    }
    if (device >= 0 && static_cast<size_t>(device) < devices.size())
        return *devices[device]->model;
    for (auto &d : devices)
        if (d->model->serial() == "2023")
            return *d->model;
    return *devices.front()->model;
}

size_t deviceCount()
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    return sim().devices.size();
}

void addFault(const FaultRule &rule)
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    ensureBuilt();
    sim().faults.add(rule);
}

void clearFaults()
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    sim().faults.clear();
    sim().gone = sim().goneNext = false;
}

bool deviceGone()
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    return sim().gone || sim().goneNext;
}

const std::vector<std::vector<uint8_t>> &requestLog()
{
    std::lock_guard<std::recursive_mutex> lock(lockObject());
    return sim().requests;
}

} // namespace vantrel::sim
