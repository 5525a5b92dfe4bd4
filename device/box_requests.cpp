// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_requests.h"

#include <cstring>

namespace vantrel {

void BoxRequests::report(const std::string &text, int ms, Verdict verdict)
{
    const Outcome message{verdict, text, ms};
    if (verdict != Verdict::Done && outcome_.done())
        outcome_ = message;
    reporter_.report(message);
}

Outcome BoxRequests::takeOutcome()
{
    Outcome o = std::move(outcome_);
    outcome_ = {};
    return o;
}

bool BoxRequests::exchange(uint8_t *reply, const Bytes &request, uint32_t minReply)
{
    // A missing reply then fails every echo test instead of reading stale bytes.
    std::memset(reply, 0, UsbLink::kMaxReply);
    return link_.Transact(reply, request.data(), minReply, static_cast<DWORD>(request.size()));
}

bool BoxRequests::ReadRegister(uint8_t item, uint8_t *reply, uint8_t length)
{
    bool ok = exchange(reply, frame::registerRead(item, length), length) && reply[0] == frame::kRegister;
    if (!ok)
        fail(kRegisterReadFailed, 2000);
    return ok;
}

bool BoxRequests::WriteRegister(uint8_t reg, uint8_t value)
{
    uint8_t reply[UsbLink::kMaxReply];
    bool result = exchange(reply, frame::registerWrite(reg, value), 2);
    if (!result || reply[0] != frame::kRegister)
        fail("Error Writing values", 4000);
    return result;
}

bool BoxRequests::ReadBlock(uint8_t *reply, uint8_t length)
{
    bool ok = exchange(reply, frame::blockRead(length), length) && reply[0] == frame::kBlock;
    if (!ok)
        fail("Error Reading values", 4000);
    return ok;
}

bool BoxRequests::WriteBlock(const uint8_t image[frame::kSettingsSize])
{
    uint8_t reply[UsbLink::kMaxReply];
    bool result = exchange(reply, frame::imageWrite(image), 2);
    if (!result || reply[0] != frame::kImageWrite)
        fail("Error Writing values", 4000);
    return result;
}

} // namespace vantrel
