// SPDX-License-Identifier: GPL-3.0-or-later
// The video timings the simulated box and its displays can announce, by
// CTA-861 video identification code, with what a detailed timing descriptor
// needs to describe them.
#pragma once

#include <cstdint>

namespace vantrel::sim {

struct VicTiming {
    uint8_t vic;
    uint32_t pixelKhz; // pixel clock
    uint16_t hActive, hBlank, hFront, hSync;
    uint16_t vActive, vBlank, vFront, vSync; // per field when interlaced
    bool interlaced;
    bool positiveSync;
    uint8_t refreshHz;
};

// Null for a code this table does not carry.
const VicTiming *vicTiming(uint8_t vic);

// Codes of the table in a fixed "best first" order (highest resolution and
// rate first), used to pick the preferred timing.
int vicRank(uint8_t vic);

} // namespace vantrel::sim
