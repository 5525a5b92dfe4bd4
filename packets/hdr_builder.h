// SPDX-License-Identifier: GPL-3.0-or-later
// The HDR infoframe (Dynamic Range and Mastering, static metadata type 1)
// built from named fields and templates, as the HDR IF box takes it: header
// 87 01 1A, the checksum, then the 26 payload bytes.
#pragma once

#include "hdr_infoframe.h"
#include "packet_fields.h"

#include <array>
#include <string>
#include <vector>

namespace vantrel::packets {

constexpr size_t kHdrFrameBytes = 4 + kStaticMetadataLength;

struct HdrMetadata {
    unsigned eotf = 0;                       // 0 SDR, 1 HDR gamma, 2 PQ, 3 HLG
    std::array<Chromaticity, 3> primaries{}; // green, blue, red: the frame's order
    Chromaticity whitePoint{};               // all zero: not known
    unsigned maxLuminance = 0;               // cd/m2
    unsigned minLuminanceCode = 0;           // 0.0001 cd/m2
    unsigned maxCll = 0, maxFall = 0;        // cd/m2; 0 = not known
};

std::vector<uint8_t> hdrFrameBytes(const HdrMetadata &m);

struct HdrTemplate {
    const char *name; // "hdr10-1000"
    const char *description;
    HdrMetadata metadata;
};
const std::vector<HdrTemplate> &hdrTemplates();

// A gamut's primaries and its white point, by the name the fields take.
struct HdrPrimariesPreset {
    const char *name;                      // "p3-d65"
    std::array<Chromaticity, 3> primaries; // green, blue, red
    Chromaticity whitePoint;
};
const std::vector<HdrPrimariesPreset> &hdrPrimariesPresets();
const std::vector<NamedValue> &hdrEotfNames(); // sdr, hdr, pq, hlg

// The fields as typed; empty means not given. A template is the start and
// the fields given replace its values; without one everything starts at 0
// (SDR, metadata not known).
struct HdrRequest {
    std::string templateName;
    std::string eotf;
    std::string primaries;  // a preset, or three x,y pairs in any order
    std::string whitePoint; // d65, dci, or x,y
    std::string maxLuminance, minLuminance, maxCll, maxFall;
};

struct HdrBuilt : Built {
    HdrMetadata metadata;
};
HdrBuilt buildHdrInfoframe(const HdrRequest &request);

} // namespace vantrel::packets
