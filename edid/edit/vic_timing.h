// SPDX-License-Identifier: GPL-3.0-or-later
// Detailed timing descriptors for the video codes owners pick as the
// preferred timing, and matching descriptors to modes.
#pragma once

#include "table_model.h"

namespace vantrel::edid::edit {

// The 18-byte detailed timing of a VIC with the given image size; nothing
// for codes whose porches are not known here.
std::optional<Descriptor> vicDescriptor(unsigned vic, unsigned widthMm, unsigned heightMm);

struct ModeKey {
    unsigned width = 0, height = 0; // frame lines for interlaced modes
    bool interlaced = false;
    double refreshHz = 0; // field rate for interlaced modes
    bool matches(const ModeKey &other) const;
};
ModeKey descriptorMode(const Descriptor &d);
unsigned descriptorClockKHz(const Descriptor &d);
std::optional<ModeKey> vicMode(unsigned vic);

} // namespace vantrel::edid::edit
