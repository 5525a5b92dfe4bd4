// SPDX-License-Identifier: GPL-3.0-or-later
// What an EDID announces, in the terms the box mixes and the presets are
// described in, and the two directions: building a 256-byte table (base block
// and one CTA-861 extension) from it, and reading it back from a table.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::sim {

using EdidTable = std::array<uint8_t, 256>;

// One short audio descriptor of the CTA-861 audio data block.
struct AudioFormat {
    uint8_t code = 1;     // 1 LPCM, 2 AC-3, 7 DTS, 10 E-AC-3, 11 DTS-HD, 12 MAT
    uint8_t channels = 2; // 1 to 8
    uint8_t rates = 0x07; // bit 0 32 kHz ... bit 6 192 kHz
    uint8_t detail = 0;   // byte 3: LPCM sizes, bit rate / 8 kHz, or format flags
};

// HDMI Vendor-Specific Data Block deep colour flags (byte 6).
constexpr uint8_t kDc30 = 0x10, kDc36 = 0x20, kDc48 = 0x40, kDcY444 = 0x08;
// HDMI Forum block 4:2:0 deep colour flags.
constexpr uint8_t kDc420_30 = 0x01, kDc420_36 = 0x02, kDc420_48 = 0x04;
// Static HDR metadata EOTFs.
constexpr uint8_t kEotfSdr = 0x01, kEotfHdr = 0x02, kEotfPq = 0x04, kEotfHlg = 0x08;

struct EdidCaps {
    // Identity of the base block.
    std::string vendor = "VNT"; // three letters A to Z
    uint16_t product = 0x2023;
    uint32_t serial = 0;
    uint8_t week = 1;
    uint16_t year = 2023;
    std::string name = "VANTREL";  // up to 13 characters
    uint8_t widthCm = 0, heightCm = 0; // 0: derived from the preferred timing

    // Video.
    std::vector<uint8_t> vics;         // short video descriptors, in order
    std::vector<uint8_t> vics420Only;  // timings only in YCbCr 4:2:0
    std::vector<uint8_t> vics420Also;  // listed timings that also carry 4:2:0
    std::vector<uint8_t> hdmiVics;     // 1 to 4: 4k30, 4k25, 4k24, 4096x2160p24
    bool stereo3d = false;             // the mandatory 3D formats
    bool ycbcr444 = true, ycbcr422 = true;
    uint8_t deepColor = 0;   // kDc* bits
    uint8_t deepColor420 = 0; // kDc420_* bits
    int maxTmdsMhz = 165;
    uint8_t preferredVic = 0; // 0: the best listed timing

    // Colour and HDR.
    bool bt2020 = false;
    uint8_t eotfs = 0;       // kEotf* bits; 0 = no HDR static metadata block
    uint8_t maxLuminance = 0, maxFrameAvg = 0, minLuminance = 0;

    // Audio.
    std::vector<AudioFormat> audio;
    uint8_t speakers = 0x01; // speaker allocation byte 1 (bit 0 FL/FR)
};

// Brings the capabilities into a state every rule of the format allows:
// timings the clock cannot carry become 4:2:0-only or are dropped, the 4:2:0
// lists only name listed timings, stereo LPCM is always present.
void normalise(EdidCaps &caps);

// A complete table with both checksums set. The caps are normalised first.
EdidTable buildEdid(EdidCaps caps);

// Reads what a table announces. Unknown blocks are skipped; a table without a
// CTA-861 extension gives its base-block identity and no CTA features.
EdidCaps readEdidCaps(const EdidTable &table);

// The two checksum bytes of a 256-byte table.
void fixChecksums(EdidTable &table);
bool checksumsValid(const EdidTable &table);

} // namespace vantrel::sim
