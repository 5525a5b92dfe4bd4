// SPDX-License-Identifier: GPL-3.0-or-later
// What an EDID table advertises, decoded into plain values, and what in it
// does not conform. Filled by decodeEdid(); read by the text and JSON reports.
#pragma once

#include "finding.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::edid {

// Where: the 128-byte block and the absolute byte offset in the input
// (-1 when the problem concerns the table as a whole), plus the structure.
using report::Severity;
using Problem = report::Finding;

struct DetailedTiming {
    int offset = 0;              // absolute offset of the 18-byte descriptor
    uint32_t pixelClockKHz = 0;  // stored in 10 kHz units
    unsigned hActive = 0, hBlank = 0, hFront = 0, hSync = 0, hBorder = 0;
    unsigned vActive = 0, vBlank = 0, vFront = 0, vSync = 0, vBorder = 0;
    unsigned widthMm = 0, heightMm = 0;
    bool interlaced = false;
    unsigned stereo = 0;         // flag bits 6, 5 and 0
    unsigned syncKind = 0;       // 0/1 analog, 2 digital composite, 3 digital separate
    bool hSyncPositive = false, vSyncPositive = false;

    unsigned frameHeight() const { return interlaced ? vActive * 2 : vActive; }
    double refreshHz() const;    // field rate for interlaced timings
    double hFreqKHz() const;
};

struct RangeLimits {
    unsigned minVHz = 0, maxVHz = 0, minHKHz = 0, maxHKHz = 0;
    unsigned maxPixelClockMHz = 0; // 0 when not given
    unsigned timingSupport = 0;    // byte 10: 0 default GTF, 1 range only, 2 secondary GTF, 4 CVT
};

struct BaseBlock {
    bool headerOk = false;
    std::string manufacturer;      // three letters; '@' or '[' to '_' where a letter is invalid
    uint16_t productCode = 0;
    uint32_t serialNumber = 0;
    unsigned week = 0;             // 0 = not given; 0xFF = year is the model year
    unsigned year = 0;
    bool modelYear = false;
    unsigned version = 0, revision = 0;
    bool digital = false;
    unsigned bitsPerColor = 0;     // 0 = not given (digital, EDID 1.4)
    unsigned interfaceType = 0;    // digital, EDID 1.4: 1 DVI, 2/3 HDMI, 4 MDDI, 5 DisplayPort
    unsigned widthCm = 0, heightCm = 0;
    unsigned gammaHundredths = 0;  // 0 = given elsewhere (byte 0xFF)
    uint8_t features = 0;
    std::vector<std::string> displayNames; // every product name descriptor, in order
    std::string serialText;
    std::vector<std::string> dataStrings;
    std::optional<RangeLimits> rangeLimits;
    std::vector<DetailedTiming> timings;
    unsigned extensionCount = 0;
    uint8_t checksum = 0;
    bool checksumOk = false;
};

struct Vic {
    unsigned vic = 0;
    bool native = false;
    bool ycbcr420Only = false;     // listed in a YCbCr 4:2:0 Video Data Block
    bool ycbcr420Also = false;     // marked by the YCbCr 4:2:0 Capability Map
    std::string name;              // "1920x1080p60"; empty where only the number is known
};

struct ShortAudio {
    unsigned format = 0;           // 1 L-PCM ... 14 WMA Pro, 15 extended
    unsigned extendedType = 0;     // for format 15
    std::string name;
    unsigned channels = 0;
    uint8_t rates = 0;             // bit 0 32 kHz ... bit 6 192 kHz
    uint8_t sizes = 0;             // L-PCM: bit 0 16, bit 1 20, bit 2 24 bits
    unsigned maxBitrateKbps = 0;   // formats 2 to 8
    std::vector<double> ratesKHz() const;
    std::vector<unsigned> sizesBits() const;
};

struct HdmiVsdb {
    unsigned physA = 0, physB = 0, physC = 0, physD = 0;
    bool supportsAI = false, dc48 = false, dc36 = false, dc30 = false, dcY444 = false, dviDual = false;
    unsigned maxTmdsMHz = 0;       // 0 = not given
    std::optional<unsigned> videoLatency, audioLatency; // raw byte values
    std::vector<unsigned> hdmiVics; // 1 3840x2160p30, 2 p25, 3 p24, 4 4096x2160p24
};

struct HdmiForumVsdb {
    bool sinkCapabilityBlock = false; // the extended-tag form instead of the vendor form
    unsigned version = 0;
    unsigned maxTmdsCharRateMHz = 0;  // 0 = at most 340 MHz
    bool scdcPresent = false, rrCapable = false, lte340Scramble = false;
    bool independentView = false, dualView = false, osdDisparity = false;
    unsigned maxFrlRate = 0;
    bool dc48_420 = false, dc36_420 = false, dc30_420 = false;
    bool allm = false, cinemaVrr = false;
    unsigned vrrMinHz = 0, vrrMaxHz = 0; // 0 = not given
};

struct HdrStaticMetadata {
    uint8_t eotfs = 0;             // bit 0 SDR gamma, 1 HDR gamma, 2 SMPTE ST 2084, 3 HLG
    uint8_t descriptors = 0;       // bit 0 static metadata type 1
    std::optional<unsigned> maxLuminanceCode, maxFrameAvgCode, minLuminanceCode;
    double maxLuminance() const;   // cd/m^2
    double maxFrameAvg() const;
    double minLuminance() const;
};

struct VideoCapability {
    bool qy = false, qs = false;
    unsigned pt = 0, it = 0, ce = 0; // scan behaviour, 0..3
};

enum class BlockKind {
    Unknown, Audio, Video, Vendor, Speaker, VesaDtc, VideoCapability, VendorVideo, Colorimetry,
    HdrStatic, HdrDynamic, Y420Video, Y420CapabilityMap, VendorAudio, HdmiAudio, RoomConfig,
    SpeakerLocation, InfoFrame, Eeodb, Scdb, OtherExtended
};

struct DataBlock {
    int offset = 0;                // absolute offset of the header byte
    unsigned tag = 0;
    unsigned extendedTag = 0;      // tag 7 only
    unsigned length = 0;           // payload length from the header
    uint32_t oui = 0;              // vendor blocks, as written "00-0C-03"
    BlockKind kind = BlockKind::Unknown;
    std::string name;
    std::vector<Vic> vics;                 // Video, Y420Video
    std::vector<ShortAudio> audio;         // Audio
    uint32_t speakers = 0;                 // Speaker: the three allocation bytes
    std::optional<HdmiVsdb> hdmi;
    std::optional<HdmiForumVsdb> hdmiForum; // vendor form or sink capability block
    std::optional<HdrStaticMetadata> hdr;
    uint16_t colorimetry = 0;              // two bytes: first byte in bits 0-7
    std::optional<VideoCapability> videoCapability;
    bool y420AllVics = false;              // capability map with no bitmap
    std::vector<unsigned> y420MapVics;     // VICs the capability map marks
    unsigned eeodbCount = 0;
};

struct CtaExtension {
    unsigned revision = 0;
    unsigned dtdOffset = 0;        // byte 2
    bool underscan = false, basicAudio = false, ycbcr444 = false, ycbcr422 = false;
    unsigned nativeDtds = 0;
    std::vector<DataBlock> dataBlocks;
    std::vector<DetailedTiming> timings;
};

struct ExtensionBlock {
    unsigned index = 0;            // block number, 1 for the first extension
    uint8_t tag = 0;
    std::string name;
    uint8_t checksum = 0;
    bool checksumOk = false;
    std::optional<CtaExtension> cta;
};

struct EdidReport {
    size_t size = 0;               // input bytes
    bool hasBase = false;          // at least 128 bytes
    BaseBlock base;
    std::vector<ExtensionBlock> extensions;
    std::vector<Problem> problems;

    bool conforms() const;         // no problem of severity Error
    std::vector<Vic> allVics() const;
};

// What matters for an HDMI chain, for the top of the reports.
struct ModeSummary {
    unsigned width = 0, height = 0;
    bool interlaced = false;
    std::vector<double> ratesHz;     // highest first; VICs at their nominal rate
    std::vector<double> y420RatesHz; // rates also or only taken as YCbCr 4:2:0
    bool native = false;
};

struct EdidSummary {
    std::vector<ModeSummary> largestModes;   // up to three resolutions, largest first
    std::vector<unsigned> deepColourBits;    // RGB/4:4:4: 10, 12, 16
    std::vector<unsigned> deepColour420Bits;
    std::vector<std::string> hdrFormats;     // "HDR10 (PQ)", "HLG", "HDR10+", "Dolby Vision"...
    double maxLuminance = 0, maxFrameAvgLuminance = 0, minLuminance = 0; // cd/m^2, 0 = not given
    std::vector<std::string> audio;          // "Linear PCM, 2 ch, 32-48 kHz, 16/20/24 bit"
    bool hdmi = false, hdmiForum = false;
    unsigned maxTmdsMHz = 0;                 // 0 = not given
    unsigned maxFrlRate = 0;
    bool allm = false;
    unsigned vrrMinHz = 0, vrrMaxHz = 0;
    unsigned errors = 0, warnings = 0;
    std::vector<std::string> problems;       // the first errors
};

EdidSummary summarize(const EdidReport &report);
// "3840x2160 at 60/50/30 Hz, 4:2:0 at 60/50 Hz", "4096x2160 at 50 Hz, 4:2:0 only"
std::string modeText(const ModeSummary &mode);
std::string frlText(unsigned rate);            // "12 Gbps x 4 lanes (48 Gbps)"

// Decodes any number of bytes; never reads outside [data, data + size).
EdidReport decodeEdid(const uint8_t *data, size_t size);
inline EdidReport decodeEdid(const std::vector<uint8_t> &bytes)
{
    return decodeEdid(bytes.data(), bytes.size());
}

// The two renderings: a readable report and a JSON document.
std::string edidReportText(const EdidReport &report);
std::string edidReportJson(const EdidReport &report);

// Display texts shared by both renderings.
std::string audioFormatName(unsigned format, unsigned extendedType);
std::vector<std::string> speakerNames(uint32_t allocation);
std::vector<std::string> eotfNames(uint8_t eotfs);
std::vector<std::string> colorimetryNames(uint16_t bits);
std::string scanBehaviourText(const char *which, unsigned value);
std::string frlRateText(unsigned rate);

} // namespace vantrel::edid
