// SPDX-License-Identifier: GPL-3.0-or-later
// One reading of the signal status for the tool's commands: the one status
// read (status/box_status.h) taken whole.
#pragma once

#include "box_connection.h"
#include "status_decoder.h"
#include "status_facts.h"

#include <array>

namespace vantrel::cli {

struct StatusRead {
    status::StatusTexts texts;
    status::StatusFacts facts;
    std::array<uint8_t, UsbLink::kMaxReply> hdr{}; // the record, for the infoframe's decoding
};

// False when any of the four reads failed.
bool readStatus(BoxConnection &b, StatusRead &out);

} // namespace vantrel::cli
