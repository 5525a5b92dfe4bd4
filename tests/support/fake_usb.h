// SPDX-License-Identifier: GPL-3.0-or-later
// A scriptable stand-in for the USB library: attached devices by serial,
// per-call failures, replies decided per written request and delivered on
// virtual time, and a record of every call with its arguments.
#pragma once

#include "frames.h"
#include "usbxpress.h"
#include "virtual_clock.h"

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace vantrel::test {

struct FakeReply {
    Bytes bytes;            // what arrives (a read hands over at most its size)
    bool never = false;     // nothing ever arrives
    uint32_t delayMs = 0;   // virtual ms after the write before the bytes are queued
    bool readFails = false; // SI_Read reports failure (still hands over the bytes)
};

// One library call. a and b hold the scalar arguments or results:
//   SI_GetNumDevices     a = count reported
//   SI_GetProductString  a = index, b = flags
//   SI_Open              a = index
//   SI_Close             a = 1 when the handle was the open one
//   SI_Read              data = bytes handed over, a = bytes asked for
//   SI_Write             data = bytes written
//   SI_FlushBuffers      a = transmit flag, b = receive flag
//   SI_SetTimeouts       a = read ms, b = write ms
//   SI_GetTimeouts       a = read ms, b = write ms (as reported)
//   SI_CheckRXQueue      a = bytes waiting reported
struct UsbCall {
    std::string name;
    Bytes data;
    uint32_t a = 0, b = 0;
};

class FakeUsb {
public:
    explicit FakeUsb(VirtualClock &clock); // becomes the active instance
    ~FakeUsb();                            // the previous one becomes active again
    FakeUsb(const FakeUsb &) = delete;
    FakeUsb &operator=(const FakeUsb &) = delete;

    const UsbApi *api() const;

    std::vector<std::string> serials{"2023"}; // attached devices, index order
    std::string product = "VANTREL";         // the description string (flag 1)
    std::set<uint32_t> failingStringQuery;   // indices whose SI_GetProductString fails
    bool countFails = false, openFails = false, closeFails = false;
    bool openDenied = false; // SI_Open fails as for a user without permission, saying so in the device log
    bool failWrites = false;        // every SI_Write fails
    int failQueueQueries = 0;       // the next N SI_CheckRXQueue calls fail
    uint32_t queueQueryCostMs = 1;  // virtual time each queue query takes
    uint32_t writeCostMs = 0;       // virtual time each SI_Write takes
    // A wait that never ends on virtual time would hang the suite: past this
    // many queue queries since the last write the process aborts with a note.
    uint32_t maxQueriesPerWrite = 1000000;

    // Decides the reply to each written request. The default answers from
    // bySubCode (byte 2 of the request) and otherwise like an idle box.
    std::function<FakeReply(const Bytes &request)> responder;
    std::map<uint8_t, FakeReply> bySubCode;
    std::array<uint8_t, 256> edid{}; // served by the default responder's chunk reads

    std::vector<UsbCall> calls;
    std::vector<Bytes> frames() const;        // the requests written, in order
    std::vector<std::string> callNames() const;
    int count(const std::string &name) const; // calls of that name
    void clearRecord();

    uint32_t readTimeout = 0, writeTimeout = 0; // the library-wide pair
    bool isOpen() const { return open_; }
    HANDLE openHandle() const; // the handle SI_Open hands out

    static FakeReply echo(Bytes bytes);
    static FakeReply silent();
    // An idle box: 11 n code ...: n bytes {code, 0x00, zeros}; 10 ...:
    // {code, 0x00}; 11 n B0 off: n bytes of edid from off.
    static FakeReply idleReply(const Bytes &request, const std::array<uint8_t, 256> &edid);

    // The active instance (the C entry points need one).
    static FakeUsb *active();

    // Implementation of the entry points.
    SI_STATUS getNumDevices(DWORD *count);
    SI_STATUS getProductString(DWORD index, void *buffer, DWORD flags);
    SI_STATUS openDevice(DWORD index, HANDLE *handle);
    SI_STATUS closeDevice(HANDLE handle);
    SI_STATUS read(HANDLE handle, void *buffer, DWORD n, DWORD *got);
    SI_STATUS write(HANDLE handle, const void *buffer, DWORD n, DWORD *put);
    SI_STATUS flush(HANDLE handle, BYTE tx, BYTE rx);
    SI_STATUS setTimeouts(DWORD r, DWORD w);
    SI_STATUS getTimeouts(DWORD *r, DWORD *w);
    SI_STATUS checkQueue(HANDLE handle, DWORD *waiting, DWORD *status);

private:
    bool validHandle(HANDLE h) const { return open_ && h == openHandle(); }
    void deliver(); // queues the pending reply once its time has come

    VirtualClock &clock_;
    FakeUsb *previous_;
    bool open_ = false;
    DWORD openIndex_ = 0;
    Bytes rx_;                // bytes waiting on the host side
    bool pending_ = false;    // a reply is on its way
    FakeReply pendingReply_;
    uint32_t writtenAt_ = 0;
    uint32_t queriesSinceWrite_ = 0;
    bool readFails_ = false;  // the queued reply's read reports failure
};

// The 42-byte reply to the block read: E1, status, the 40 settings bytes.
Bytes settingsBlockReply(const std::array<uint8_t, frame::kSettingsSize> &settings, uint8_t status = 0x00);

// "11 08 E0 07": upper-case hex pairs joined by spaces.
std::string hex(const Bytes &bytes);
// The reverse, for writing expectations: "10 04 E0 19 03" -> bytes.
// Anything that is not a pair of hex digits separated by blanks throws.
Bytes bytesFromHex(const std::string &text);

} // namespace vantrel::test
