// SPDX-License-Identifier: GPL-3.0-or-later
// The one link to the box: picks it among the attached devices, keeps the one
// handle open and runs every request/reply exchange (Transact).
#pragma once

#include "clock.h"
#include "usbxpress.h"

#include <cstdint>
#include <functional>
#include <string>

namespace vantrel {

// The serial number of the box: the window and every vantrelctl command use
// the first device that reports it.
constexpr const char *kBoxSerial = "2023";

class UsbLink {
public:
    // A plain alert box (title " ", warning icon, OK, no owner).
    using Alert = std::function<void(const std::string &text)>;

    static constexpr uint32_t kReplyBoundMs = 4000;
    static constexpr uint32_t kMaxReply = 64;

    // api may be null (no usable library): the link then finds no device.
    UsbLink(const UsbApi *api, Clock &clock, Alert alert);

    bool FindDevice(const std::string &idString, DWORD &index);
    // FindDevice without its alert: for looking again while no box is open,
    // and for telling an unplugged box from a silent one.
    bool listed(const std::string &idString, DWORD &index);
    bool OpenDevice(DWORD index);
    // Whether the last OpenDevice failed because this user may not open the box.
    bool lastOpenDenied() const { return lastOpenDenied_; }
    void CloseDevice();
    bool ReadData(void *buffer, DWORD count, DWORD *got, DWORD timeoutMs);
    bool WriteData(const void *buffer, DWORD count, DWORD *put, DWORD timeoutMs);
    // reply must have room for 64 bytes.
    bool Transact(uint8_t *reply, const uint8_t *request, DWORD minReply, DWORD requestLength);

    // Bytes the last Transact handed over; 0 when nothing arrived.
    DWORD lastReplyLength() const { return lastReplyLength_; }
    // Whether the last Transact got no answer at all: the write failed or no
    // reply came within the bound. A box that does this is not worth retrying.
    bool lastTimedOut() const { return lastTimedOut_; }
    // Exchanges since the link was made that got no answer at all.
    uint32_t unanswered() const { return unanswered_; }

    // With hold on, the first unanswered exchange makes the box count as
    // silent: later exchanges fail at once, sending nothing, until resume().
    // One silent box then costs one bound, not one per request of a tick.
    void setHoldWhenSilent(bool hold) { hold_ = hold; }
    bool silent() const { return silent_; }
    void resume() { silent_ = false; }

    // While refused() holds, Transact fails at once, sending nothing and
    // leaving the link as it is: the window refuses an exchange begun while
    // it waits on another one.
    void setRefused(std::function<bool()> refused) { refused_ = std::move(refused); }

    bool isOpen() const { return handle_ != noDevice(); }
    bool busy() const { return busy_; }
    HANDLE handle() const { return handle_; }
    DWORD deviceIndex() const { return index_; }
    const UsbApi *api() const { return api_; }
    Clock &clock() { return clock_; }

    static HANDLE noDevice() { return reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1)); }

private:
    void alert(const char *text);
    void noAnswer();

    const UsbApi *api_;
    Clock &clock_;
    Alert alert_;
    HANDLE handle_ = noDevice();
    DWORD index_ = 0;
    bool busy_ = false;
    DWORD lastReplyLength_ = 0;
    bool lastTimedOut_ = false;
    uint32_t unanswered_ = 0;
    bool lastOpenDenied_ = false;
    bool hold_ = false;
    bool silent_ = false;
    std::function<bool()> refused_;
};

} // namespace vantrel
