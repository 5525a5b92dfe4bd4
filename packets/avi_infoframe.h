// SPDX-License-Identifier: GPL-3.0-or-later
// The AVI infoframe's data bytes as the AVI box holds them: no header and
// no checksum, data byte 1 first.
#pragma once

#include "packet_common.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::packets {

constexpr size_t kAviDataBytes = 13; // version 2: five field bytes, eight bar bytes

struct AviInfoframe {
    std::vector<uint8_t> bytes; // as given
    // Each field is there when its data byte is.
    std::optional<unsigned> colourFormat;        // Y2..Y0: 0 RGB, 1 4:2:2, 2 4:4:4, 3 4:2:0
    std::optional<bool> activeFormatPresent;     // A0
    std::optional<unsigned> barInfo;             // B1 B0: bit 1 top/bottom bars, bit 0 left/right bars
    std::optional<unsigned> scanInfo;            // S1 S0
    std::optional<unsigned> colorimetry;         // C1 C0
    std::optional<unsigned> pictureAspect;       // M1 M0
    std::optional<unsigned> activeFormat;        // R3..R0
    std::optional<bool> itContent;               // ITC
    std::optional<unsigned> extendedColorimetry; // EC2..EC0
    std::optional<unsigned> rgbQuantization;     // Q1 Q0
    std::optional<unsigned> scaling;             // SC1 SC0
    std::optional<unsigned> vic;
    std::optional<unsigned> yccQuantization; // YQ1 YQ0
    std::optional<unsigned> contentType;     // CN1 CN0
    std::optional<unsigned> pixelRepetition; // PR3..PR0: sent (value + 1) times
    std::optional<unsigned> topBarEnd, bottomBarStart, leftBarEnd, rightBarStart;

    std::vector<Note> notes;
    bool conforms() const { return packets::conforms(notes); }
};

AviInfoframe decodeAviInfoframe(const uint8_t *data, size_t size);

std::string colourFormatName(unsigned y);
std::string colorimetryName(unsigned c);
std::string extendedColorimetryName(unsigned ec);
std::string pictureAspectName(unsigned m);
std::string activeFormatName(unsigned r);
std::string scanInfoName(unsigned s);
std::string rgbQuantizationName(unsigned q);
std::string yccQuantizationName(unsigned yq);
std::string contentTypeName(unsigned cn);
std::string scalingName(unsigned sc);
std::string barInfoName(unsigned b);
std::string pixelRepetitionName(unsigned pr);
std::string aviVicName(unsigned vic); // "3840x2160p60", or empty for a code CTA-861 does not define

// One line: "YCbCr 4:2:0, ITU-R BT.2020, 3840x2160p60 (VIC 97)".
std::string aviInfoframeSummary(const AviInfoframe &frame);
std::string aviInfoframeText(const AviInfoframe &frame);
std::string aviInfoframeJson(const AviInfoframe &frame);

} // namespace vantrel::packets
