// SPDX-License-Identifier: GPL-3.0-or-later
// The facts behind the status texts, for programs that read them rather
// than show them (vantrelctl status --json). Decoded from the same records
// as the texts; a fact the texts leave unsaid stays empty or zero here.
#pragma once

#include "status_decoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::status {

struct StatusFacts {
    bool signal = false; // the box names an incoming timing (code 0: no source)
    unsigned timingCode = 0;
    std::string timingName;      // the format shown: "3840x2160p60", or the vendor infoframe's
    std::string timingShortName; // "2160p60"
    int width = 0, height = 0;   // 0: not known
    bool interlaced = false;
    int refreshHz = 0;       // field or frame rate as named; 0: not known
    std::string structure3d; // "Top/Bottom 3D", or empty
    bool hdmi = false;       // false: DVI

    int clockClass = 0;       // as the box sends it (signed)
    int clockMHz = 0;         // the class's TMDS clock; 0 when the line names none
    std::string colourFormat; // "RGB", "YCbCr 4:2:2", "YCbCr 4:4:4", "YCbCr 4:2:0"
    int colourDepth = 0;      // bits per component the line names; 0 when it names none
    std::string hdcp;         // "none", "1.4", "2.2"
    bool txA = false, txB = false;

    std::string colorimetry; // "SMPTE 170M", "ITU-R BT.709", "xvYCC601", ...; empty: none
    int eotf = 0;            // the HDR record's EOTF byte
    std::string eotfName;    // "Not Active", "HDR Luminance Range", "SMPTE ST 2084"; empty: other

    std::string sourceVendor, sourceProduct;
    bool infoframeCaptured = false;
    std::vector<uint8_t> infoframe; // the captured HDR payload
    unsigned infoframeDeclared = 0; // the payload length the record gives
};

StatusFacts decodeFacts(const Record &video, const Record &source, const Record &hdr);

} // namespace vantrel::status
