// SPDX-License-Identifier: GPL-3.0-or-later
// The settings readback: whether a block reply is taken, and the two reads
// that fetch it. What the window's controls then show is form_binding.h's.
#pragma once

#include "box.h"
#include "settings_table.h"

#include <cstddef>
#include <cstdint>

namespace vantrel::config {

enum class ReadbackVerdict {
    Accept,
    Busy,             // the box is busy (status bit 0): change nothing
    StatusReadFailed, // the item-6 read failed
    NoEcho,           // no complete block reply beginning with 0xE1
};

constexpr uint8_t kBlockEcho = 0xE1;
constexpr uint8_t kBusyBit = 0x01;
constexpr std::size_t kBlockReplyLength = kBlockSize + 2;

// reply/length: the block reply area as received (bytes past length count as
// zero). blockRead/statusRead: the results of the block read and the item-6
// read. On Accept the settings are reply bytes 2 to 41.
ReadbackVerdict readbackVerdict(const uint8_t *reply, std::size_t length, bool blockRead,
                                bool statusRead);

// The readback's two reads (the block, then item 6) and their verdict; on
// Accept, settings gets the block's 40 bytes and is left alone otherwise.
ReadbackVerdict readSettingsBlock(Box &box, uint8_t settings[kBlockSize]);

// What a verdict other than Accept means, in the tool's words; null for Accept.
const char *readbackProblem(ReadbackVerdict v);

} // namespace vantrel::config
