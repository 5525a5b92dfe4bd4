// SPDX-License-Identifier: GPL-3.0-or-later
#include "usb_link.h"

#include <cstring>

namespace vantrel {

UsbLink::UsbLink(const UsbApi *api, Clock &clock, Alert alert) : api_(api), clock_(clock), alert_(std::move(alert)) {}

void UsbLink::noAnswer()
{
    lastTimedOut_ = true;
    ++unanswered_;
    if (hold_)
        silent_ = true;
}

void UsbLink::alert(const char *text)
{
    if (alert_)
        alert_(text);
}

bool UsbLink::FindDevice(const std::string &idString, DWORD &index)
{
    handle_ = noDevice();
    if (listed(idString, index))
        return true;
    alert("VANTREL USB not connected!");
    return false;
}

bool UsbLink::listed(const std::string &idString, DWORD &index)
{
    DWORD count = 0;
    if (!api_ || api_->GetNumDevices(&count) != SI_SUCCESS)
        return false;
    for (DWORD i = 0; i < count; ++i) {
        char text[SI_MAX_DEVICE_STRLEN];
        std::memset(text, 0, sizeof text);
        if (api_->GetProductString(i, text, SI_RETURN_SERIAL_NUMBER) != SI_SUCCESS)
            continue;
        // A library that fills the whole buffer gets no terminator past it.
        size_t len = strnlen(text, sizeof text);
        if (len == idString.size() && std::memcmp(text, idString.data(), len) == 0) {
            index = i;
            index_ = i;
            return true;
        }
    }
    return false;
}

bool UsbLink::OpenDevice(DWORD index)
{
    HANDLE h = noDevice();
    const SI_STATUS status = api_ ? api_->Open(index, &h) : SI_DEVICE_NOT_FOUND;
    lastOpenDenied_ = status == SI_ACCESS_DENIED;
    if (status != SI_SUCCESS) {
        alert("Usb device open error!");
        handle_ = noDevice();
        return false;
    }
    handle_ = h;
    silent_ = false;
    return true;
}

void UsbLink::CloseDevice()
{
    if (handle_ == noDevice())
        return;
    if (api_->Close(handle_) != SI_SUCCESS)
        alert("Unable to close device handle!");
    handle_ = noDevice();
}

bool UsbLink::ReadData(void *buffer, DWORD count, DWORD *got, DWORD timeoutMs)
{
    DWORD savedRead = 0, savedWrite = 0;
    api_->GetTimeouts(&savedRead, &savedWrite);
    api_->SetTimeouts(timeoutMs, 0);
    SI_STATUS status = api_->Read(handle_, buffer, count, got, nullptr);
    api_->SetTimeouts(savedRead, savedWrite);
    return status == SI_SUCCESS;
}

bool UsbLink::WriteData(const void *buffer, DWORD count, DWORD *put, DWORD timeoutMs)
{
    DWORD savedRead = 0, savedWrite = 0;
    api_->GetTimeouts(&savedRead, &savedWrite);
    api_->SetTimeouts(0, timeoutMs);
    SI_STATUS status = api_->Write(handle_, const_cast<void *>(buffer), count, put, nullptr);
    api_->SetTimeouts(savedRead, savedWrite);
    return status == SI_SUCCESS;
}

bool UsbLink::Transact(uint8_t *reply, const uint8_t *request, DWORD minReply, DWORD requestLength)
{
    if (refused_ && refused_())
        return false;
    const uint32_t start = clock_.tickMs();
    bool result = true;
    busy_ = true;
    lastReplyLength_ = 0;
    lastTimedOut_ = false;
    if (handle_ == noDevice()) {
        busy_ = false;
        return true;
    }
    if (silent_) {
        lastTimedOut_ = true;
        busy_ = false;
        return false;
    }
    api_->FlushBuffers(handle_, 1, 1);
    DWORD put = 0;
    if (!WriteData(request, requestLength, &put, kReplyBoundMs)) {
        noAnswer();
        busy_ = false;
        return false;
    }
    DWORD waiting = 0;
    while (waiting < 1 && static_cast<uint32_t>(clock_.tickMs() - start) < kReplyBoundMs) {
        const uint32_t before = clock_.tickMs();
        DWORD queueStatus = 0;
        if (api_->CheckRXQueue(handle_, &waiting, &queueStatus) != SI_SUCCESS) {
            alert("Error Checking RX Queue");
            result = false;
        }
        // A library whose query returns at once would spin a core for the
        // whole bound; one that waits by itself (libusb) is not slowed down.
        if (waiting < 1 && clock_.tickMs() == before)
            clock_.sleepMs(1);
    }
    if (waiting < 1)
        noAnswer();
    if (result && waiting >= 1) {
        uint8_t area[kMaxReply];
        std::memset(area, 0, sizeof area);
        DWORD got = 0;
        result = ReadData(area, kMaxReply, &got, kReplyBoundMs);
        if (got > kMaxReply)
            got = kMaxReply; // a library must not claim more than it was given room for
        std::memcpy(reply, area, got);
        lastReplyLength_ = got;
        if (got < minReply)
            result = false;
    }
    busy_ = false;
    return result;
}

} // namespace vantrel
