// SPDX-License-Identifier: GPL-3.0-or-later
// The video identification codes of CTA-861 and their timings: what an EDID
// advertises and an AVI infoframe announces by code.
#pragma once

#include <string>

namespace vantrel::cta {

struct VicFormat {
    unsigned vic;
    unsigned hActive, vActive;     // vActive: lines of a frame
    bool interlaced;
    unsigned hTotal, vTotal;       // vTotal: lines of a frame (an odd count splits in two fields)
    unsigned pixelClockKHz;
    unsigned aspectH, aspectV;
    double refreshHz() const;      // field rate for interlaced codes
    double hFreqKHz() const;
};

// nullptr for codes the standard does not define (0, 128 to 192, above 219).
const VicFormat *vicFormat(unsigned vic);

// "1920x1080p60", with the aspect ratio after it where it is neither 16:9
// nor 4:3 ("1920x1080p60 64:27"); empty for undefined codes.
std::string vicName(unsigned vic);

} // namespace vantrel::cta

namespace vantrel::edid {
using cta::VicFormat;
using cta::vicFormat;
using cta::vicName;
} // namespace vantrel::edid
