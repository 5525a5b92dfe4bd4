// SPDX-License-Identifier: GPL-3.0-or-later
// One reading of the signal status, as the window's header reads it.
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

// The window's four reads in its order; false when any of them failed.
bool readStatus(BoxConnection &b, StatusRead &out);

} // namespace vantrel::cli
