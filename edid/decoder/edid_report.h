// SPDX-License-Identifier: GPL-3.0-or-later
// What an EDID table advertises, decoded into plain values, and what in it
// does not conform. Filled by decodeEdid(); read by the text and JSON reports.
#pragma once

#include "finding.h"
#include "legacy_timings.h"

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
    // The same texts with the block that holds them (a CTA extension may
    // carry display descriptors too): the text report shows them there.
    struct Text {
        int block = 0;
        uint8_t tag = 0; // 0xFC name, 0xFE data string, 0xFF serial
        std::string text;
    };
    std::vector<Text> texts;
    std::optional<RangeLimits> rangeLimits;
    std::vector<DetailedTiming> timings;
    std::vector<LegacyTiming> establishedTimings; // bytes 0x23 to 0x25, in bit order
    std::vector<LegacyTiming> standardTimings;    // bytes 0x26 to 0x35, unused codes left out
    double chromaticity[4][2] = {};               // red, green, blue, white: CIE x, y
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
    bool atmos = false;            // Dolby Atmos: E-AC-3 with joint object coding, MAT with object audio
    std::vector<double> ratesKHz() const;
    std::vector<unsigned> sizesBits() const;
};

struct HdmiVsdb {
    unsigned physA = 0, physB = 0, physC = 0, physD = 0;
    bool supportsAI = false, dc48 = false, dc36 = false, dc30 = false, dcY444 = false, dviDual = false;
    unsigned maxTmdsMHz = 0;       // 0 = not given
    std::optional<unsigned> videoLatency, audioLatency; // raw byte values
    std::optional<unsigned> interlacedVideoLatency, interlacedAudioLatency;
    bool contentGraphics = false, contentPhoto = false, contentCinema = false, contentGame = false;
    bool present3d = false;
    // Milliseconds from a latency byte: nothing for 0 (unknown) or 255
    // (that path carries no video or audio).
    static std::optional<unsigned> latencyMs(const std::optional<unsigned> &code);
    // "Unknown" (0), "Video not supported" or "Audio not supported" (255),
    // else "N ms"; empty when the byte is absent.
    static std::string latencyText(const std::optional<unsigned> &code, bool video);
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
    bool qms = false, fva = false, cnmVrr = false, mDelta = false, qmsTfrMin = false, qmsTfrMax = false;
    unsigned vrrMinHz = 0, vrrMaxHz = 0; // 0 = not given
    bool dsc = false, dsc10bpc = false, dsc12bpc = false, dscAllBpp = false, dscNative420 = false;
    unsigned dscMaxSlices = 0, dscMaxFrlRate = 0, dscTotalChunkKBytes = 0;
};

// Vendor video blocks of the HDR formats.
struct DolbyVision {
    unsigned version = 0;
    unsigned dmVersion = 0;        // version 1 and 2: display management major version
    bool lowLatency = false;       // version 1 and 2: low-latency (YCbCr 4:2:2 12-bit) interface
    unsigned interfaceType = 0;    // version 2: 0-3
    double minLuminance = 0, maxLuminance = 0; // cd/m^2, 0 when not given
};

struct Hdr10Plus {
    unsigned applicationVersion = 0;
};

// Dolby's vendor audio block: the speaker zones of its renderer.
struct DolbyAudio {
    unsigned version = 0;
    bool headphoneOnly = false, heightZone = false, surroundZone = false, centreZone = false;
    bool matPcm48Only = false;     // MAT decodes PCM at 48 kHz only, no TrueHD
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
    std::optional<DolbyVision> dolbyVision;
    std::optional<Hdr10Plus> hdr10Plus;
    std::optional<DolbyAudio> dolbyAudio;
};

struct CtaExtension {
    unsigned revision = 0;
    unsigned dtdOffset = 0;        // byte 2
    bool underscan = false, basicAudio = false, ycbcr444 = false, ycbcr422 = false;
    unsigned nativeDtds = 0;
    std::vector<DataBlock> dataBlocks;
    std::vector<DetailedTiming> timings;
};

// One timing a DisplayID block lists: a whole timing (types I, II, VII),
// or a size and rate by formula or by code (types III, IV, VIII, IX, X).
struct DisplayIdTiming {
    int offset = 0;                // absolute offset of the descriptor or code
    unsigned length = 0;           // its bytes (0 for one bit of a bitmap)
    unsigned type = 0;             // 1 to 10, the block's timing type
    std::string code;              // "DMT 0x52", "VIC 16"; empty for descriptors
    bool preferred = false;
    unsigned aspect = 0;           // aspect code of types I to III, VII
    unsigned formula = 0;          // types III, IX, X: 0 CVT, 1 CVT-RB, 2 CVT-RB2
    unsigned width = 0, height = 0;
    bool interlaced = false;
    double refreshHz = 0;
    std::optional<DetailedTiming> detail; // types I, II, VII
};

struct DisplayIdProduct {
    std::string vendor;            // three letters (1.x) or an OUI "00-11-22"
    unsigned productCode = 0;
    uint32_t serialNumber = 0;
    unsigned week = 0, year = 0;   // week 0xFF: year is the model year
    std::string name;
};

// The DisplayID 2.0 Display Interface Features block, as stored.
struct DisplayIdInterfaceFeatures {
    uint8_t rgbBpc = 0, ycbcr444Bpc = 0;     // bit 0 6 bpc, bit 1 8 bpc, ... bit 5 16 bpc
    uint8_t ycbcr422Bpc = 0, ycbcr420Bpc = 0; // bit 0 8 bpc, ... bit 4 16 bpc
    unsigned min420PixelRateKHz = 0;          // 0: no minimum
    uint8_t audioRates = 0;                   // bit 7 32 kHz, bit 6 44.1 kHz, bit 5 48 kHz
    uint8_t colourEotf = 0;                   // bit 0 sRGB ... bit 6 BT.2020/SMPTE ST 2084
    std::vector<uint8_t> additional;          // colour space in the high nibble, EOTF in the low
    // "RGB: 6, 8, 10" and the like, one line per field given.
    std::vector<std::string> lines() const;
};

struct DisplayIdBlock {
    int offset = 0;                // absolute offset of the tag byte
    unsigned tag = 0, revision = 0;
    unsigned length = 0;           // payload bytes after the 3-byte header
    std::string name;
    uint32_t oui = 0;              // vendor-specific blocks
    std::optional<DisplayIdProduct> product;
    std::vector<DisplayIdTiming> timings;
    std::vector<std::pair<double, double>> primaries, whitePoints; // CIE x, y
    double imageWidthMm = 0, imageHeightMm = 0;
    unsigned nativeWidth = 0, nativeHeight = 0;
    std::string interfaceText;     // "DisplayPort, 1 link, version 1.2"
    unsigned tilesH = 0, tilesV = 0, tileX = 0, tileY = 0, tileWidth = 0, tileHeight = 0;
    std::vector<DataBlock> cta;    // CTA-861 data blocks carried in the block
    std::optional<DisplayIdInterfaceFeatures> features;
};

// A DisplayID section in an extension block (tag 0x70).
struct DisplayIdSection {
    unsigned version = 0;          // 0x12, 0x13, 0x20, ...
    unsigned length = 0;           // bytes of data blocks
    unsigned productType = 0;
    unsigned extensionCount = 0;
    bool baseSection = false;      // the table's first DisplayID section
    uint8_t checksum = 0;          // the section's own checksum byte
    bool checksumOk = false;
    std::vector<DisplayIdBlock> blocks;
    std::string versionText() const; // "1.3"
};

struct ExtensionBlock {
    unsigned index = 0;            // block number, 1 for the first extension
    uint8_t tag = 0;
    std::string name;
    uint8_t checksum = 0;
    bool checksumOk = false;
    std::optional<CtaExtension> cta;
    std::optional<DisplayIdSection> displayId;
};

struct EdidReport {
    size_t size = 0;               // input bytes
    bool hasBase = false;          // at least 128 bytes
    BaseBlock base;
    std::vector<ExtensionBlock> extensions;
    std::vector<Problem> problems;

    bool conforms() const;         // no problem of severity Error
    std::vector<Vic> allVics() const;
    // The CTA-861 data blocks of every extension, those a DisplayID block
    // carries included, in table order.
    std::vector<const DataBlock *> ctaDataBlocks() const;
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
    std::string preferredTiming;             // "3840x2160 at 60.00 Hz"; empty when none is given
    std::string physicalAddress;             // "1.0.0.0"; empty without an HDMI block
    std::vector<std::string> speakers;       // "FL/FR", "LFE1", ...
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
