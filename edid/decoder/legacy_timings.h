// SPDX-License-Identifier: GPL-3.0-or-later
// Timings the base block names by established timing bit or standard
// timing code, with the rates the range limits are checked against.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace vantrel::edid {

struct LegacyTiming {
    unsigned hActive = 0, vActive = 0;
    bool interlaced = false;
    double refreshHz = 0, hFreqKHz = 0;
    unsigned pixelClockKHz = 0;
};

// The timings bytes 0x23 to 0x25 of the base block mark.
std::vector<LegacyTiming> establishedTimings(const uint8_t bytes[3]);

// One standard timing code: the VESA timing it names, else the GTF timing
// for its size and rate; nothing for an unused code.
std::optional<LegacyTiming> standardTiming(uint8_t first, uint8_t second, unsigned edidRevision);

// A VESA DMT timing by its id (0x01 to 0x58): size and nominal frame rate.
std::optional<LegacyTiming> dmtTiming(unsigned id);

} // namespace vantrel::edid
