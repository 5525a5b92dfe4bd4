// SPDX-License-Identifier: GPL-3.0-or-later
// Timings computed with the VESA coordinated video timings' reduced
// blanking (version 1 and 2), as a detailed timing descriptor.
#pragma once

#include "table_model.h"

namespace vantrel::edid::edit {

struct CvtTiming {
    unsigned hActive = 0, vActive = 0, hTotal = 0, vTotal = 0;
    unsigned hFront = 0, hSync = 0, vFront = 0, vSync = 0;
    unsigned pixelClockKHz = 0; // as the descriptor holds it: in steps of 10 kHz
    double refreshHz = 0;       // what that clock gives
};

// Nothing when the mode cannot be made (v1 needs a width in steps of 8).
std::optional<CvtTiming> cvtReducedBlanking(unsigned width, unsigned height, double refreshHz, bool v2);
// Positive horizontal and negative vertical sync, as reduced blanking has.
Descriptor cvtDescriptor(const CvtTiming &t, unsigned widthMm, unsigned heightMm);

} // namespace vantrel::edid::edit
