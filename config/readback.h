// SPDX-License-Identifier: GPL-3.0-or-later
// The settings readback as data: whether a block reply is taken, and the
// control updates it asks for, in the order the window applies them.
#pragma once

#include "box_requests.h"
#include "settings_table.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

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

struct ControlUpdate {
    enum Kind { Index, Checked, Enabled };
    Kind kind;
    std::string object; // the widget's object name
    int value;          // Index: the list index, -1 for no entry; Checked/Enabled: 0 or 1

    bool operator==(const ControlUpdate &o) const
    {
        return kind == o.kind && object == o.object && value == o.value;
    }
};

// Every update an accepted block asks for, in order. Values a radio group
// does not know leave it out (no update); "neither" values uncheck both
// buttons, which an exclusive group showing a selection will not do. The
// caller applies them with the toolkit's own setters, so its change
// notifications (and the writes they drive) follow.
std::vector<ControlUpdate> readbackUpdates(const uint8_t settings[kBlockSize]);

// The readback's two reads (the block, then item 6) and their verdict; on
// Accept, settings gets the block's 40 bytes and is left alone otherwise.
ReadbackVerdict readSettingsBlock(BoxRequests &box, uint8_t settings[kBlockSize]);

// The updates for one position alone, appended to out.
void appendUpdates(const Setting &s, uint8_t value, std::vector<ControlUpdate> &out);

} // namespace vantrel::config
