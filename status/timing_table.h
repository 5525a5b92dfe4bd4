// SPDX-License-Identifier: GPL-3.0-or-later
// Names of the video timing codes the box reports (CTA-861 video
// identification codes), as the status lines show them.
#pragma once

#include <cstdint>
#include <string>

namespace vantrel::status {

struct VideoTimingRow {
    const char *shortName; // at most 10 characters
    const char *longName;  // at most 13 characters; empty for code 0
    uint16_t code;         // equal to the row's position
};

constexpr uint16_t kLastTimingCode = 107;

// Rows 0..107 in code order, then a closing row named "END" with code 0 that
// the lookup never returns. Some rows deliberately differ from CTA-861 (65-80
// repeat 64, 87/88/90 read 2650x1080, 103-107 repeat 93-97); they are kept
// as the box names them.
extern const VideoTimingRow VideoTimingTable[kLastTimingCode + 2];

// Copies both names, with their terminating zero, into caller buffers of at
// least 20 bytes. Codes above 107 give two empty texts.
void LookupTimingName(uint16_t code, char *shortName, char *longName);

std::string timingShortName(unsigned code);
std::string timingLongName(unsigned code);

} // namespace vantrel::status
