// SPDX-License-Identifier: GPL-3.0-or-later
// The box at the kernel's usbfs interface, for umockdev: answers the ioctls
// libusb sends to /dev/bus/usb/001/002 (URBs on endpoint 0 and the two bulk
// endpoints, claims, the kernel driver) and carries the bulk frames to the
// simulated box model. The device node is a FIFO whose write readiness
// follows the URBs, so libusb's poll() sleeps until one can be reaped.
#pragma once

#include "box_descriptors.h"
#include "usbxpress.h"

#include <umockdev.h>

#include <condition_variable>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vantrel::usbrig {

struct RigOptions {
    uint32_t latencyMs = 0;    // every reply reaches the IN endpoint this late
    uint32_t lateExchange = 0; // this exchange (counted from 1) ...
    uint32_t lateMs = 0;       // ... gets its reply this much later still
    bool stallVendor = false;  // endpoint 0 stalls the vendor requests
    bool noPermission = false; // the device node may not be opened
    int unplugAfter = -1;      // after this many answered exchanges the next request is taken and the box goes
    std::string driver;        // a kernel driver bound to interface 0 ("" none)
    std::string logPath;       // one line per control request, claim and driver change
};

class UsbfsBox {
public:
    // sim is the simulated box's library, the device already open as simHandle.
    UsbfsBox(UMockdevTestbed *testbed, BoxIdentity identity, RigOptions options, const UsbApi *sim, HANDLE simHandle);
    ~UsbfsBox();
    UsbfsBox(const UsbfsBox &) = delete;
    UsbfsBox &operator=(const UsbfsBox &) = delete;

    // Puts the device into the testbed and starts answering. False with a reason.
    bool attach(std::string &error);
    // The device node's path in the testbed.
    std::string nodePath() const;

private:
    struct Urb {
        UMockdevIoctlData *urb = nullptr;
        UMockdevIoctlData *buffer = nullptr;
    };
    struct Packet {
        std::vector<uint8_t> bytes;
        uint64_t readyAt = 0; // steady clock, microseconds
    };

    static gboolean onIoctl(UMockdevIoctlBase *, UMockdevIoctlClient *client, gpointer self);
    static void onConnected(UMockdevIoctlBase *, UMockdevIoctlClient *, gpointer self);
    void handle(UMockdevIoctlClient *client);
    void submit(UMockdevIoctlData *data);
    void control(Urb &urb);
    void bulkOut(Urb &urb);
    void finish(Urb &urb, int status, int length);
    void pullReplies(uint64_t now);
    void service();
    void unplug();
    void dropUrbs();
    void setReady(bool ready);
    void log(const std::string &line);
    void pumpLoop();

    UMockdevTestbed *testbed_;
    BoxIdentity identity_;
    RigOptions options_;
    const UsbApi *sim_;
    HANDLE simHandle_;
    UMockdevIoctlBase *handler_ = nullptr;
    FILE *log_ = nullptr;
    int fifo_ = -1;
    bool ready_ = true;

    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Urb> inWaiting_; // bulk IN URBs the device has not answered yet
    std::deque<Urb> done_;      // URBs the host may reap
    std::deque<Packet> replies_; // what the device holds for its IN endpoint
    uint64_t plannedReadyAt_ = 0; // microseconds
    uint32_t exchanges_ = 0;
    bool driverBound_ = false;
    bool unplugged_ = false;
    uint32_t refusedAfterUnplug_ = 0;
    bool stop_ = false;
    std::thread pump_;
};

} // namespace vantrel::usbrig
