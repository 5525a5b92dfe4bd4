// SPDX-License-Identifier: GPL-3.0-or-later
// The Dynamic Range and Mastering InfoFrame (type 0x87): the EOTF and, for
// static metadata type 1, the mastering display and the content light levels.
#pragma once

#include "packet_common.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::packets {

constexpr uint8_t kHdrInfoframeType = 0x87;
constexpr unsigned kStaticMetadataLength = 26; // EOTF, descriptor id, 24 bytes

// A chromaticity coordinate pair in the frame's units of 0.00002.
struct Chromaticity {
    uint16_t xCode = 0, yCode = 0;
    double x() const { return xCode * 0.00002; }
    double y() const { return yCode * 0.00002; }
};

struct HdrInfoframe {
    // Whole frame (the HDR IF box): type, version, length and checksum were
    // there. Payload only (the captured infoframe of the status): they were not.
    bool withHeader = false;
    bool headerComplete = false; // all four header bytes were there
    uint8_t type = kHdrInfoframeType;
    uint8_t version = 0;
    unsigned length = 0; // payload length as declared
    uint8_t checksum = 0;
    uint8_t checksumExpected = 0;
    bool checksumOk = false;
    std::vector<uint8_t> payload; // the payload bytes present, at most `length`

    std::optional<uint8_t> eotf;         // data byte 1, bits 2-0
    std::optional<uint8_t> descriptorId; // data byte 2, bits 2-0; 0 = static metadata type 1
    // Static metadata type 1, each field only when all its bytes are present.
    std::array<std::optional<Chromaticity>, 3> primaries; // in frame order
    std::optional<Chromaticity> whitePoint;
    std::optional<unsigned> maxMasteringLuminance; // cd/m2
    std::optional<unsigned> minMasteringCode;      // units of 0.0001 cd/m2
    std::optional<unsigned> maxCll, maxFall;       // cd/m2; 0 = not known

    std::vector<Note> notes;
    bool conforms() const { return packets::conforms(notes); }
    std::optional<double> minMasteringLuminance() const
    {
        return minMasteringCode ? std::optional<double>(*minMasteringCode * 0.0001) : std::nullopt;
    }
};

// The whole frame: type, version, length, checksum, payload. Bytes past the
// declared payload (the box's store is 31 bytes) are not part of it.
HdrInfoframe decodeHdrInfoframe(const uint8_t *data, size_t size);
// The payload alone, as the status shows a captured infoframe; declaredLength
// is the length the record gave (it may exceed what the record could hold).
HdrInfoframe decodeHdrPayload(const uint8_t *payload, size_t size, unsigned declaredLength);

std::string eotfName(unsigned eotf);
// "red", "green" or "blue" for each primary in frame order: the order is not
// fixed, so the colours are told by their coordinates.
std::array<const char *, 3> primaryColours(const HdrInfoframe &frame);
// "DCI-P3", "ITU-R BT.2020", "ITU-R BT.709" or empty; "D65", "DCI" or empty.
std::string gamutName(const HdrInfoframe &frame);
std::string whitePointName(const Chromaticity &white);

// One line: "SMPTE ST 2084, DCI-P3, D65, mastering 1000 / 0.0050 cd/m2,
// MaxCLL 1000 cd/m2, MaxFALL 400 cd/m2".
std::string hdrInfoframeSummary(const HdrInfoframe &frame);
std::string hdrInfoframeText(const HdrInfoframe &frame);
std::string hdrInfoframeJson(const HdrInfoframe &frame);

} // namespace vantrel::packets
