// SPDX-License-Identifier: GPL-3.0-or-later
// The AVI infoframe built from named fields, in the AVI box's 13-byte form
// (data bytes 1 to 13, no header, no checksum, no bars).
#pragma once

#include "avi_infoframe.h"
#include "packet_fields.h"

#include <string>
#include <vector>

namespace vantrel::packets {

// The words each field takes.
const std::vector<NamedValue> &aviColourNames();      // rgb, yuv422, yuv444, yuv420
const std::vector<NamedValue> &aviColorimetryNames(); // value: C1 C0 << 4 | EC2..EC0
const std::vector<NamedValue> &aviRangeNames();       // default, limited, full
const std::vector<NamedValue> &aviAspectNames();      // none, 4:3, 16:9
const std::vector<NamedValue> &aviActiveFormatNames();
const std::vector<NamedValue> &aviContentTypeNames(); // graphics, photo, cinema, game

// The fields as typed; empty means not given. Not given: RGB, no
// colorimetry, default range, VIC 0, the VIC's own picture aspect, no
// active format, no IT content.
struct AviRequest {
    std::string colour, colorimetry, range, vic, aspect, activeFormat, itContent, contentType;
};

Built buildAviInfoframe(const AviRequest &request);

// The words that build the frame again, where the builder has a word for a
// field's value; a field without one is left empty (not given).
AviRequest aviRequestOf(const AviInfoframe &frame);

} // namespace vantrel::packets
