// SPDX-License-Identifier: GPL-3.0-or-later
// The incoming signal the simulated box reports, and the status records it
// builds from it (register items 6, 21, 30 and 31).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

struct Signal {
    bool connected = true;
    uint8_t vic = 97;          // timing code
    bool hdmi = true;
    uint8_t clockClass = 1;    // 1 = 375 MHz, 2 = 600 MHz, 3 = 450 MHz, 0 = none
    uint8_t colour = 0x60;     // AVI Y bits: 0x00 RGB, 0x20 4:2:2, 0x40 4:4:4, 0x60 4:2:0
    uint8_t colorimetry = 0xC0; // AVI C bits: 0x00 none, 0x40 170M, 0x80 709, 0xC0 extended
    uint8_t extColorimetry = 0x60; // AVI EC bits (0x00 to 0x70)
    uint8_t hdcp = 2;          // 0 none, 1 HDCP 1.4, 2 HDCP 2.2
    uint8_t vsifFormat = 0;    // vendor infoframe byte 4: 0x20 extended resolution, 0x40 3D, 0 none
    uint8_t vsifDetail = 0;    // byte 5: HDMI_VIC, or the 3D structure in bits 7 to 4
    std::string vendor = "ORBITAL";        // up to 8 characters
    std::string product = "StreamBox 4K";  // up to 16 characters
    // Dynamic range infoframe payload from the source (first byte the EOTF);
    // empty: the source sends none.
    std::vector<uint8_t> hdrPayload;
};

// The source's HDR10 infoframe payload (26 bytes) with the given EOTF.
std::vector<uint8_t> hdrPayloadFor(uint8_t eotf);
Signal defaultSignal();

// Records of 64 bytes (the most a reply carries); byte 0 is 0xE0, byte 1 is
// left for the status byte. outputs: the byte 5 mask (0x20 TX A, 0x40 TX B).
std::vector<uint8_t> videoRecord(const Signal &s, uint8_t outputs);
std::vector<uint8_t> sourceRecord(const Signal &s);
// forced: the box's own stored HDR infoframe (type, version, length,
// checksum, payload) replaces what the source sends; null for the source's.
std::vector<uint8_t> hdrRecord(const Signal &s, const std::vector<uint8_t> *forced);
// The AVI infoframe the box receives: type 0x82, length 13, data bytes 1 on.
std::vector<uint8_t> aviRecord(const Signal &s);

} // namespace vantrel::sim
