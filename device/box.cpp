// SPDX-License-Identifier: GPL-3.0-or-later
#include "box.h"

#include <cstring>

namespace vantrel {

Box::Box(const UsbApi *api, Clock &clock, UsbLink::Alert alert, Reporter &reporter)
    : link_(api, clock, std::move(alert)), reporter_(reporter)
{}

Box::Box(const UsbApi *api, Clock &clock, UsbLink::Alert alert, std::function<void(const Outcome &)> to)
    : link_(api, clock, std::move(alert)), owned_(std::make_unique<ReportTo>(std::move(to))), reporter_(*owned_)
{}

Box::Opening Box::open(bool quiet)
{
    DWORD index = 0;
    if (!(quiet ? link_.listed(kBoxSerial, index) : link_.FindDevice(kBoxSerial, index)))
        return Opening::NotListed;
    if (link_.OpenDevice(index))
        return Opening::Opened;
    return link_.lastOpenDenied() ? Opening::NoPermission : Opening::WouldNotOpen;
}

bool Box::listed()
{
    DWORD index = 0;
    return link_.listed(kBoxSerial, index);
}

Outcome Box::report(const std::string &text, int ms, Verdict verdict)
{
    Outcome message{verdict, text, ms};
    reporter_.report(message);
    return message;
}

bool Box::exchange(uint8_t *reply, const Bytes &request, uint32_t minReply)
{
    // A missing reply then fails every echo test instead of reading stale bytes.
    std::memset(reply, 0, UsbLink::kMaxReply);
    return link_.Transact(reply, request.data(), minReply, static_cast<DWORD>(request.size()));
}

Outcome Box::readRegister(uint8_t item, uint8_t *reply, uint8_t length)
{
    if (exchange(reply, frame::registerRead(item, length), length) && reply[0] == frame::kRegister)
        return {};
    Outcome o{Verdict::Failed, "...", 2000, true};
    reporter_.report(o);
    return o;
}

Outcome Box::writeRegister(uint8_t reg, uint8_t value)
{
    uint8_t reply[UsbLink::kMaxReply];
    if (exchange(reply, frame::registerWrite(reg, value), 2) && reply[0] == frame::kRegister)
        return {};
    return fail("Error Writing values", 4000);
}

Outcome Box::readBlock(uint8_t *reply, uint8_t length)
{
    if (exchange(reply, frame::blockRead(length), length) && reply[0] == frame::kBlock)
        return {};
    return fail("Error Reading values", 4000);
}

Outcome Box::writeBlock(const uint8_t image[frame::kSettingsSize])
{
    uint8_t reply[UsbLink::kMaxReply];
    if (exchange(reply, frame::imageWrite(image), 2) && reply[0] == frame::kImageWrite)
        return {};
    return fail("Error Writing values", 4000);
}

std::string Box::firmwareText()
{
    uint8_t version[UsbLink::kMaxReply] = {};
    if (!readRegister(7, version, 8).done())
        return {};
    return std::to_string(version[2]) + "." + std::to_string(version[3]) + "." + std::to_string(version[4]) + "." +
           std::to_string(version[5]);
}

} // namespace vantrel
