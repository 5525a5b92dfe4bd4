// SPDX-License-Identifier: GPL-3.0-or-later
#include "usbfs_box.h"

#include <linux/usbdevice_fs.h>
#include <sys/ioctl.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstddef>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace vantrel::usbrig {

namespace {

constexpr uint32_t kCapabilities = USBDEVFS_CAP_ZERO_PACKET | USBDEVFS_CAP_BULK_CONTINUATION |
                                   USBDEVFS_CAP_NO_PACKET_SIZE_LIM | USBDEVFS_CAP_REAP_AFTER_DISCONNECT;

// The monotonic clock every process shares, so a program's times can be set
// against the rig's.
uint64_t nowUs()
{
    using namespace std::chrono;
    return static_cast<uint64_t>(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

usbdevfs_urb *fields(UMockdevIoctlData *d) { return reinterpret_cast<usbdevfs_urb *>(d->data); }

std::string hex2(unsigned v, int width)
{
    char b[16];
    std::snprintf(b, sizeof b, "%0*x", width, v);
    return b;
}

} // namespace

UsbfsBox::UsbfsBox(UMockdevTestbed *testbed, BoxIdentity identity, RigOptions options, const UsbApi *sim,
                   HANDLE simHandle)
    : testbed_(testbed), identity_(std::move(identity)), options_(std::move(options)), sim_(sim),
      simHandle_(simHandle), driverBound_(!options_.driver.empty())
{
}

UsbfsBox::~UsbfsBox()
{
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stop_ = true;
    }
    wake_.notify_all();
    if (pump_.joinable())
        pump_.join();
    if (unplugged_)
        log("refused after unplug: " + std::to_string(refusedAfterUnplug_));
    if (handler_) {
        umockdev_testbed_detach_ioctl(testbed_, kDevNode, nullptr);
        g_object_unref(handler_);
    }
    dropUrbs();
    if (fifo_ >= 0)
        ::close(fifo_);
    if (log_)
        std::fclose(log_);
}

std::string UsbfsBox::nodePath() const
{
    gchar *root = umockdev_testbed_get_root_dir(testbed_);
    std::string path = std::string(root) + kDevNode;
    g_free(root);
    return path;
}

bool UsbfsBox::attach(std::string &error)
{
    GError *err = nullptr;
    if (!umockdev_testbed_add_from_string(testbed_, umockdevDescription(identity_).c_str(), &err)) {
        error = std::string("umockdev would not take the device: ") + (err ? err->message : "?");
        g_clear_error(&err);
        return false;
    }
    // A FIFO instead of the plain file umockdev makes: libusb polls the node
    // for writing, and a FIFO is writable only while it has room.
    const std::string node = nodePath();
    ::unlink(node.c_str());
    if (::mkfifo(node.c_str(), 0666) != 0 || ::chmod(node.c_str(), options_.noPermission ? 0 : 0666) != 0) {
        error = "cannot make the device node " + node + ": " + std::strerror(errno);
        return false;
    }
    fifo_ = ::open(node.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fifo_ < 0 || ::fcntl(fifo_, F_SETPIPE_SZ, 4096) < 0) {
        error = "cannot open the device node " + node + ": " + std::strerror(errno);
        return false;
    }
    setReady(false);
    if (!options_.logPath.empty() && !(log_ = std::fopen(options_.logPath.c_str(), "a"))) {
        error = "cannot write " + options_.logPath;
        return false;
    }
    handler_ = umockdev_ioctl_base_new();
    g_signal_connect(handler_, "handle-ioctl", G_CALLBACK(onIoctl), this);
    g_signal_connect(handler_, "client-connected", G_CALLBACK(onConnected), this);
    if (!umockdev_testbed_attach_ioctl(testbed_, kDevNode, handler_, &err)) {
        error = std::string("umockdev would not attach the handler: ") + (err ? err->message : "?");
        g_clear_error(&err);
        return false;
    }
    pump_ = std::thread([this] { pumpLoop(); });
    return true;
}

void UsbfsBox::log(const std::string &line)
{
    if (!log_)
        return;
    std::fputs((line + "\n").c_str(), log_);
    std::fflush(log_);
}

// Not writable (one byte fills the one-page pipe) until a URB can be reaped.
void UsbfsBox::setReady(bool ready)
{
    if (ready == ready_)
        return;
    ready_ = ready;
    char b[64];
    if (ready) {
        while (::read(fifo_, b, sizeof b) > 0) {
        }
    } else {
        b[0] = 0;
        (void)!::write(fifo_, b, 1);
    }
}

void UsbfsBox::onConnected(UMockdevIoctlBase *, UMockdevIoctlClient *, gpointer self)
{
    auto *box = static_cast<UsbfsBox *>(self);
    std::lock_guard<std::mutex> lock(box->mutex_);
    // URBs of a client that went away can never be reaped.
    box->dropUrbs();
    box->setReady(false);
    box->log("open");
}

void UsbfsBox::dropUrbs()
{
    for (auto *list : {&inWaiting_, &done_}) {
        for (Urb &u : *list) {
            g_object_unref(u.urb);
            if (u.buffer)
                g_object_unref(u.buffer);
        }
        list->clear();
    }
}

gboolean UsbfsBox::onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self)
{
    static_cast<UsbfsBox *>(self)->handle(client);
    return TRUE;
}

void UsbfsBox::handle(UMockdevIoctlClient *client)
{
    const gulong request = umockdev_ioctl_client_get_request(client);
    UMockdevIoctlData *arg = umockdev_ioctl_client_get_arg(client);
    const size_t size = _IOC_SIZE(request);
    UMockdevIoctlData *data = size ? umockdev_ioctl_data_resolve(arg, 0, size, nullptr) : nullptr;
    if (size && !data) {
        umockdev_ioctl_client_complete(client, -1, EFAULT);
        return;
    }
    long result = 0;
    int error = 0;
    std::unique_lock<std::mutex> lock(mutex_);
    const bool reap = request == USBDEVFS_REAPURB || request == USBDEVFS_REAPURBNDELAY;
    if (unplugged_ && !(reap && !done_.empty())) {
        result = -1;
        error = ENODEV;
        ++refusedAfterUnplug_;
    } else if (request == USBDEVFS_SUBMITURB) {
        submit(data);
        data = nullptr; // kept with the URB
    } else if (reap) {
        if (done_.empty()) {
            result = -1;
            error = EAGAIN;
        } else {
            Urb u = done_.front();
            done_.pop_front();
            umockdev_ioctl_data_set_ptr(data, 0, u.urb);
            g_object_unref(u.urb);
            if (u.buffer)
                g_object_unref(u.buffer);
            setReady(!done_.empty() || unplugged_);
        }
    } else if (request == USBDEVFS_DISCARDURB) {
        const gulong addr = *reinterpret_cast<const gulong *>(arg->data);
        auto it = std::find_if(inWaiting_.begin(), inWaiting_.end(), [&](const Urb &u) { return u.urb->client_addr == addr; });
        if (it == inWaiting_.end()) {
            result = -1;
            error = EINVAL; // already done: the caller reaps it
        } else {
            Urb u = *it;
            inWaiting_.erase(it);
            finish(u, -ENOENT, 0);
        }
    } else if (request == USBDEVFS_GET_CAPABILITIES) {
        *reinterpret_cast<uint32_t *>(data->data) = kCapabilities;
    } else if (request == USBDEVFS_GETDRIVER) {
        auto *g = reinterpret_cast<usbdevfs_getdriver *>(data->data);
        if (driverBound_ && g->interface == 0) {
            std::snprintf(g->driver, sizeof g->driver, "%s", options_.driver.c_str());
        } else {
            result = -1;
            error = ENODATA;
        }
    } else if (request == USBDEVFS_CLAIMINTERFACE) {
        if (driverBound_) {
            log("claim refused: " + options_.driver + " is bound");
            result = -1;
            error = EBUSY;
        } else {
            log("claim " + std::to_string(*reinterpret_cast<unsigned *>(data->data)));
        }
    } else if (request == USBDEVFS_DISCONNECT_CLAIM) {
        auto *c = reinterpret_cast<usbdevfs_disconnect_claim *>(data->data);
        log("disconnect-claim " + std::to_string(c->interface) + (driverBound_ ? " unbinding " + options_.driver : ""));
        driverBound_ = false;
    } else if (request == USBDEVFS_RELEASEINTERFACE) {
        log("release " + std::to_string(*reinterpret_cast<unsigned *>(data->data)));
    } else if (request == USBDEVFS_IOCTL) {
        auto *c = reinterpret_cast<usbdevfs_ioctl *>(data->data);
        if (c->ioctl_code == static_cast<int>(USBDEVFS_DISCONNECT)) {
            if (driverBound_) {
                log("detach " + options_.driver);
                driverBound_ = false;
            } else {
                result = -1;
                error = ENODATA;
            }
        } else if (c->ioctl_code == static_cast<int>(USBDEVFS_CONNECT)) {
            driverBound_ = !options_.driver.empty();
            log("attach" + (driverBound_ ? " " + options_.driver : std::string()));
        } else {
            result = -1;
            error = ENOTTY;
        }
    } else if (request == USBDEVFS_CLEAR_HALT) {
        log("clear-halt " + hex2(*reinterpret_cast<unsigned *>(data->data), 2));
    } else if (request == USBDEVFS_RESET || request == USBDEVFS_RESETEP || request == USBDEVFS_SETCONFIGURATION ||
               request == USBDEVFS_SETINTERFACE) {
    } else {
        result = -1;
        error = ENOTTY;
    }
    lock.unlock();
    wake_.notify_all();
    umockdev_ioctl_client_complete(client, result, error);
    if (data)
        g_object_unref(data);
}

void UsbfsBox::submit(UMockdevIoctlData *data)
{
    usbdevfs_urb *f = fields(data);
    Urb u;
    u.urb = data;
    if (f->buffer_length > 0)
        u.buffer = umockdev_ioctl_data_resolve(data, offsetof(usbdevfs_urb, buffer), f->buffer_length, nullptr);
    f->status = 0;
    f->actual_length = 0;
    if (f->type == USBDEVFS_URB_TYPE_CONTROL && u.buffer && f->buffer_length >= 8)
        control(u);
    else if (f->type == USBDEVFS_URB_TYPE_BULK && f->endpoint == kEndpointOut)
        bulkOut(u);
    else if (f->type == USBDEVFS_URB_TYPE_BULK && f->endpoint == kEndpointIn && u.buffer)
        inWaiting_.push_back(u);
    else
        finish(u, -EINVAL, 0);
    service();
}

void UsbfsBox::finish(Urb &u, int status, int length)
{
    fields(u.urb)->status = status;
    fields(u.urb)->actual_length = length;
    done_.push_back(u);
    setReady(true);
}

void UsbfsBox::control(Urb &u)
{
    uint8_t *b = u.buffer->data;
    const uint8_t type = b[0], request = b[1];
    const uint16_t value = static_cast<uint16_t>(b[2] | b[3] << 8);
    const uint16_t length = static_cast<uint16_t>(b[6] | b[7] << 8);
    std::vector<uint8_t> reply;
    bool stall = true;
    if (type == 0x80 && request == 6) { // GET_DESCRIPTOR
        const uint8_t kind = value >> 8, index = value & 0xFF;
        const std::vector<uint8_t> all = descriptors(identity_);
        if (kind == 1)
            reply.assign(all.begin(), all.begin() + 18);
        else if (kind == 2 && index == 0)
            reply.assign(all.begin() + 18, all.end());
        else if (kind == 3)
            reply = stringDescriptor(identity_, index);
        stall = reply.empty();
    } else if (type == 0x40) {
        log("vendor " + hex2(request, 2) + " " + hex2(value, 4) + (options_.stallVendor ? " stalled" : ""));
        stall = options_.stallVendor;
    }
    const size_t n = std::min<size_t>({reply.size(), length, static_cast<size_t>(u.buffer->data_len - 8)});
    std::copy(reply.begin(), reply.begin() + static_cast<std::ptrdiff_t>(n), b + 8);
    finish(u, stall ? -EPIPE : 0, static_cast<int>(n));
}

void UsbfsBox::bulkOut(Urb &u)
{
    const int length = fields(u.urb)->buffer_length;
    ++exchanges_;
    if (options_.unplugAfter >= 0 && exchanges_ > static_cast<uint32_t>(options_.unplugAfter)) {
        finish(u, 0, length);
        unplug();
        return;
    }
    DWORD put = 0;
    const bool taken = u.buffer && sim_->Write(simHandle_, u.buffer->data, static_cast<DWORD>(length), &put, nullptr) == SI_SUCCESS;
    const uint64_t now = nowUs();
    plannedReadyAt_ = now + 1000ull * (options_.latencyMs + (exchanges_ == options_.lateExchange ? options_.lateMs : 0));
    pullReplies(now);
    finish(u, taken ? 0 : -EPIPE, taken ? length : 0);
}

// What the model has answered goes into the device's IN queue, due at the
// time planned for this exchange.
void UsbfsBox::pullReplies(uint64_t now)
{
    uint8_t b[512];
    DWORD got = 0;
    if (sim_->Read(simHandle_, b, sizeof b, &got, nullptr) == SI_SUCCESS && got > 0) {
        replies_.push_back(Packet{std::vector<uint8_t>(b, b + got), std::max(now, plannedReadyAt_)});
        log("reply due " + std::to_string(replies_.back().readyAt));
    }
}

void UsbfsBox::service()
{
    if (unplugged_)
        return;
    const uint64_t now = nowUs();
    pullReplies(now);
    while (!inWaiting_.empty() && !replies_.empty() && replies_.front().readyAt <= now) {
        Urb u = inWaiting_.front();
        inWaiting_.pop_front();
        Packet &p = replies_.front();
        const size_t n = std::min<size_t>(p.bytes.size(), static_cast<size_t>(u.buffer->data_len));
        std::copy(p.bytes.begin(), p.bytes.begin() + static_cast<std::ptrdiff_t>(n), u.buffer->data);
        p.bytes.erase(p.bytes.begin(), p.bytes.begin() + static_cast<std::ptrdiff_t>(n));
        if (p.bytes.empty())
            replies_.pop_front();
        finish(u, 0, static_cast<int>(n));
    }
}

// As the kernel does it: the URBs in flight end with -ESHUTDOWN, every call
// after them fails with ENODEV, and udev hears "remove".
void UsbfsBox::unplug()
{
    unplugged_ = true;
    replies_.clear();
    while (!inWaiting_.empty()) {
        Urb u = inWaiting_.front();
        inWaiting_.pop_front();
        finish(u, -ESHUTDOWN, 0);
    }
    setReady(true);
    log("unplugged");
    umockdev_testbed_uevent(testbed_, kSysPath, "remove");
}

void UsbfsBox::pumpLoop()
{
    std::unique_lock<std::mutex> lock(mutex_);
    while (!stop_) {
        service();
        if (inWaiting_.empty() || (replies_.empty() && !unplugged_)) {
            // Nothing due: a model with its own latency is asked again soon.
            wake_.wait_for(lock, std::chrono::milliseconds(inWaiting_.empty() ? 50 : 1));
        } else {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.lock();
        }
    }
}

} // namespace vantrel::usbrig
