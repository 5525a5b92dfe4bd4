// SPDX-License-Identifier: GPL-3.0-or-later
#include "readback.h"

#include <cstring>

namespace vantrel::config {

ReadbackVerdict readbackVerdict(const uint8_t *reply, std::size_t length, bool blockRead,
                                bool statusRead)
{
    auto at = [&](std::size_t i) -> uint8_t { return reply && i < length ? reply[i] : 0; };
    if (at(1) & kBusyBit)
        return ReadbackVerdict::Busy;
    if (!statusRead)
        return ReadbackVerdict::StatusReadFailed;
    if (!blockRead || at(0) != kBlockEcho || length < kBlockReplyLength)
        return ReadbackVerdict::NoEcho;
    return ReadbackVerdict::Accept;
}

ReadbackVerdict readSettingsBlock(Box &box, uint8_t settings[kBlockSize])
{
    uint8_t block[UsbLink::kMaxReply];
    uint8_t status[UsbLink::kMaxReply];
    const bool blockRead = box.readBlock(block, frame::kSettingsBlockLength).done();
    // A box found silent would only fail this too, and its message would hide why.
    const bool statusRead = !box.link().silent() && box.readRegister(6, status, 14).done();
    const ReadbackVerdict verdict = readbackVerdict(block, kBlockReplyLength, blockRead, statusRead);
    if (verdict == ReadbackVerdict::Accept)
        std::memcpy(settings, block + 2, kBlockSize);
    return verdict;
}

const char *readbackProblem(ReadbackVerdict v)
{
    switch (v) {
    case ReadbackVerdict::Accept:
        return nullptr;
    case ReadbackVerdict::Busy:
        return "the box is busy; try again in a moment";
    case ReadbackVerdict::StatusReadFailed:
        return "reading the box's status failed";
    case ReadbackVerdict::NoEcho:
        break;
    }
    return "reading the settings block failed";
}

} // namespace vantrel::config
