// SPDX-License-Identifier: GPL-3.0-or-later
// The chain planner's terms: a candidate signal (a mode in a colour format,
// a depth and a transfer function), what each table of the chain accepts,
// the box's settings that change the picture, and the answer per link.
// Plain C++, no Qt.
#pragma once

#include "edid_report.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::chain {

enum class Format { Rgb, Ycbcr444, Ycbcr422, Ycbcr420 };
enum class Eotf { Sdr, Pq, Hlg };
constexpr std::array<Format, 4> kFormats{Format::Rgb, Format::Ycbcr444, Format::Ycbcr422, Format::Ycbcr420};
constexpr std::array<unsigned, 3> kDepths{8, 10, 12};

const char *formatKey(Format f);   // "rgb", "ycbcr444", ...
const char *formatLabel(Format f); // "RGB", "YCbCr 4:4:4", ...
const char *eotfKey(Eotf e);       // "sdr", "pq", "hlg"
std::optional<Format> parseFormat(const std::string &text);
std::optional<Eotf> parseEotf(const std::string &text);

// A timing as it travels: the pixel clock is the one on the link, so a
// code whose pixels are sent twice or four times has its repetition in it.
struct Mode {
    unsigned vic = 0;           // 0: a detailed timing
    unsigned width = 0, height = 0;
    bool interlaced = false;
    double refreshHz = 0;
    uint32_t pixelClockKHz = 0;
    unsigned repetition = 1;    // how often each pixel is sent
    std::string name;           // "3840x2160p60", or the timing's own name

    double pixelClockMHz() const { return pixelClockKHz / 1000.0; }
    bool sameTiming(const Mode &other) const;
};

struct Signal {
    Mode mode;
    Format format = Format::Rgb;
    unsigned bpc = 8;
    Eotf eotf = Eotf::Sdr;
};

// The TMDS character rate of the signal in MHz.
double tmdsCharacterRateMHz(const Signal &s);
// "3840x2160p60 RGB 8-bit", "... 10-bit PQ"
std::string signalText(const Signal &s);

// One listed video code with what the 4:2:0 blocks say of it.
struct ListedVic {
    unsigned vic = 0;
    bool only420 = false, also420 = false;
};

struct AudioFormat {
    unsigned format = 0, extendedType = 0, channels = 0;
    bool atmos = false;
    std::string name;          // "LPCM 7.1", "Dolby TrueHD with Atmos"
};

// What a table lets a source send, taken from the decoder's report.
struct SinkFacts {
    bool cta = false;          // a CTA-861 extension
    bool hdmi = false;         // an HDMI block; without one the sink is DVI
    bool hdmiForum = false;
    std::string product;       // display name, else the maker's code
    unsigned limitMHz = 165;   // the highest TMDS character rate it takes
    std::string limitFrom;     // "HDMI Forum block", "HDMI block", "DVI"
    bool limitAssumed = false; // an HDMI block without a maximum
    bool scdc = false;
    unsigned maxFrlRate = 0;   // 0 none, 1..6 as the HDMI Forum block codes it
    bool dsc = false;
    bool ycbcr444 = false, ycbcr422 = false;
    bool dc30 = false, dc36 = false, dcY444 = false, dc30_420 = false, dc36_420 = false;
    bool hdrBlock = false;
    uint8_t eotfs = 0;         // bit 0 SDR, 1 HDR gamma, 2 PQ, 3 HLG
    bool dolbyVision = false, hdr10Plus = false;
    std::vector<ListedVic> vics;
    bool y420AllVics = false;
    std::vector<Mode> timings; // detailed timings
    std::vector<AudioFormat> audio;
};

SinkFacts sinkFacts(const edid::EdidReport &report);
// A code from common/'s table (name empty for an undefined one), a detailed timing.
Mode vicMode(unsigned vic);
Mode timingMode(const edid::DetailedTiming &t);
// "LPCM 7.1", "Dolby TrueHD with Atmos"
std::string audioName(const AudioFormat &a);
// "594", "742.5", "222.75"
std::string mhzText(double mhz);

// Where a table of the chain is and what it holds.
enum class LinkId { SourceBox, BoxTop, BoxBottom };
const char *linkKey(LinkId l);   // "source-box", "box-top", "box-bottom"
const char *linkLabel(LinkId l); // "the box's table", "TX A", "TX B"

struct Table {
    std::string origin;            // "box" (read through it) or the file's name
    std::vector<uint8_t> bytes;    // the table, for the designer's edits
    SinkFacts facts;
};

// The box's settings that change what the chain carries.
struct BoxSettings {
    bool out420 = false;           // 4:4:4/RGB above 300 MHz to TX A as 4:2:0, TX B bypassed
    bool avrAudio = false;         // audio to TX A, video to TX B
    unsigned hdcp = 0;             // the version the box announces: 0 none, 14, 22
    unsigned edidMode = 1;         // 1 automix, 2 fixed, 3 custom
    unsigned edidPreset = 1;
    std::string origin = "factory"; // "box", "factory" or the profile file
};
// The box's factory state.
BoxSettings factorySettings();
// From the box's 40-byte block.
BoxSettings settingsFromBlock(const uint8_t *block, size_t size);

// The whole chain: the table the box presents, and the displays on TX A and
// TX B where one is attached.
struct Chain {
    std::optional<Table> box, top, bottom;
    BoxSettings settings;
    unsigned inputHdcp = 0;        // HDCP in use on the input when the box said: 14, 22; 0 unknown
    const std::optional<Table> &table(LinkId l) const;
};

// The box carries TMDS only, up to this rate.
constexpr unsigned kBoxMaxMHz = 600;
// Above this, 4:2:0 output converts what goes to TX A.
constexpr unsigned kOut420AboveMHz = 300;

struct LinkResult {
    LinkId link = LinkId::SourceBox;
    bool present = false;          // a table to check against
    bool pass = false;
    std::vector<std::string> reasons; // why not, one plain sentence each
    unsigned limitMHz = 0;
    Signal arriving;               // what reaches this sink (4:2:0 output may convert it)
    double rateMHz = 0;            // its TMDS character rate
};

struct ModeCheck {
    Signal signal;
    double rateMHz = 0;
    std::vector<LinkResult> links;  // source-box, box-top, box-bottom
    bool toTop = false, toBottom = false; // reaches that output end to end
    LinkId display = LinkId::BoxTop;      // the output the picture is for
    bool pass() const { return display == LinkId::BoxTop ? toTop : toBottom; }
    // The first link that drops it, in one sentence; empty when it passes.
    std::string firstFailure() const;
};

// What one sink takes of the signal, with every reason it does not.
LinkResult checkLink(LinkId link, const SinkFacts &sink, const Signal &arriving);
// The signal through the whole chain.
ModeCheck checkMode(const Chain &chain, const Signal &signal);
// The output the picture is for: TX A, or TX B in the AVR test mode or
// without a display on TX A.
LinkId displayOutput(const Chain &chain);
// The output that carries the sound: TX A in the AVR test mode, else TX B
// when its table lists more audio than TX A's (an AVR), else TX A.
LinkId audioOutput(const Chain &chain);

} // namespace vantrel::chain

namespace vantrel::chain {
// From setting names and value texts as a profile holds them; a value that
// is not one is left at the factory state and named in bad.
BoxSettings settingsFromValues(const std::vector<std::pair<std::string, std::string>> &values,
                               std::vector<std::string> &bad);
// The bytes of the blocks the table declares (a 256-byte store pads with zeros).
std::vector<uint8_t> declaredBlocks(const std::vector<uint8_t> &bytes);
// A table from its bytes; nothing when they hold no EDID header.
std::optional<Table> tableOf(const std::string &origin, const std::vector<uint8_t> &bytes);
} // namespace vantrel::chain
