// SPDX-License-Identifier: GPL-3.0-or-later
// One reading of the signal status, the same for the window's header, the
// tool's status command and serve: the four reads in the window's order
// (items 6, 0x15, 0x1E, 0x1F), then the decoders.
#pragma once

#include "status_decoder.h"
#include "status_facts.h"

#include "box.h"

#include <array>
#include <optional>

namespace vantrel::status {

struct StatusRead {
    Outcome outcome; // the first of the four reads that failed
    // The header lines from what was read; none when the last read failed
    // (the window then leaves its labels as they are).
    std::optional<StatusTexts> texts;
    // The decoded facts, only when all four records were read.
    std::optional<StatusFacts> facts;
    std::array<uint8_t, UsbLink::kMaxReply> hdr{}; // the HDR record, for the infoframe's decoding
};

StatusRead readStatus(Box &box);

} // namespace vantrel::status
