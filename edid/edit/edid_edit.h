// SPDX-License-Identifier: GPL-3.0-or-later
// The edits owners of an HDMI chain make to a table, by name: video codes
// and the preferred timing, HDR blocks, the TMDS limit, 4:2:0, deep colour
// and 3D, the audio blocks (another table's among them), identity, and
// fitting a longer table into the box's 256 bytes. Each works on the
// table's decoded structures and re-encodes the blocks it changes; the
// result is decoded again and held to the input's conformity.
#pragma once

#include "table_model.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel::edid::edit {

// The edits, in the order applyEdits() runs them.
enum class Edit {
    DropVics,
    RangeLimits,
    AddVics,
    AddTiming,
    Preferred,
    HdrOff,
    HdrEotf,
    HdrFrom,
    HdrLuminance,
    DropDolbyVision,
    DolbyVisionFrom,
    DolbyVisionLldv,
    DropHdr10Plus,
    Hdr10PlusFrom,
    MaxTmds,
    No420,
    NoDeepColour,
    No3d,
    FreeSync,
    HfVrr,
    HfAllm,
    MaxFrl,
    AudioFrom,
    DropAudio,
    Speakers,
    Name,
    Serial,
    Fit
};

struct AddedVic {
    unsigned vic = 0;
    bool y420 = false; // also in the 4:2:0 capability map
};

struct TimingRequest {
    unsigned width = 0, height = 0;
    double refreshHz = 0;
    bool rb2 = false;   // CVT reduced blanking v2, else v1
    bool first = false; // the preferred timing, else after the others
};

struct Luminance {
    double max = 0, average = 0, min = 0; // cd/m2
};

struct RangeLimits {
    unsigned minV = 0, maxV = 0;   // Hz
    unsigned minH = 0, maxH = 0;   // kHz
    unsigned maxClockMHz = 0;
};

struct RateRange {
    unsigned min = 0, max = 0; // Hz
};

struct EditList {
    std::vector<unsigned> dropVics;
    std::vector<AddedVic> addVics;
    std::optional<TimingRequest> addTiming;
    std::string preferred; // "97" or "3840x2160@60"; empty: unchanged
    bool hdrOff = false;
    std::optional<uint8_t> hdrEotfs; // bit 0 SDR, 1 HDR gamma, 2 PQ, 3 HLG
    bool dropDolbyVision = false, dropHdr10Plus = false;
    std::optional<Bytes> hdrFrom, dolbyVisionFrom, hdr10PlusFrom; // other tables' bytes
    std::optional<Luminance> hdrLuminance;
    bool dolbyVisionLldv = false;
    std::optional<unsigned> maxTmdsMHz;
    bool no420 = false, noDeepColour = false, no3d = false;
    std::optional<RangeLimits> rangeLimits;
    std::optional<RateRange> freeSync, hfVrr;
    std::optional<bool> hfAllm;
    std::optional<unsigned> maxFrl; // 0 to 6, the HDMI Forum block's code
    std::optional<Bytes> audioFrom;   // the other table's bytes
    std::vector<unsigned> dropAudio;  // audioFormatId() values
    std::optional<uint32_t> speakers; // the three allocation bytes
    std::optional<std::string> name;
    std::optional<uint32_t> serial;
    bool fit = false;

    bool empty() const;
};

// What one edit did, in the order they ran. The tool and the window name
// the edit in their own words.
struct EditStep {
    Edit edit;
    std::vector<std::string> changes; // "VIC 97 (3840x2160p60) removed from the video data block"
};

struct EditResult {
    bool ok = false;               // bytes hold the edited table
    std::optional<Edit> refusedBy; // the edit that could not be made
    std::string refused;           // why not: that edit's reason, or the new errors
    Bytes bytes;
    std::vector<EditStep> steps;
    std::vector<std::string> newErrors; // conformity errors the input did not have
    bool forced = false;                // made despite newErrors
};

// Applies every edit of the list in the order of Edit. An edit that cannot
// be made refuses the whole list; a result with a conformity error the
// input had not is refused unless force (refusedBy empty, newErrors set).
EditResult applyEdits(const Bytes &table, const EditList &edits, bool force);

// Parsing the edits' values as the tool and the window take them; false
// with why on a value that is not one.
bool parseVicList(const std::string &text, std::vector<unsigned> &vics, std::string &why);
bool parseEotfs(const std::string &text, uint8_t &eotfs, std::string &why);
bool parseAudioFormats(const std::string &text, std::vector<unsigned> &formats, std::string &why);
bool parseSpeakers(const std::string &text, uint32_t &allocation, std::string &why);
bool parseAddedVics(const std::string &text, std::vector<AddedVic> &vics, std::string &why); // "97:420,16"
bool parseTiming(const std::string &text, TimingRequest &timing, std::string &why);      // "2560x1440@120,rb2"
bool parseLuminance(const std::string &text, Luminance &luminance, std::string &why);    // "1000,400,0.05"
bool parseRangeLimits(const std::string &text, RangeLimits &limits, std::string &why);   // "48-144,30-160,600"
bool parseRateRange(const std::string &text, RateRange &range, std::string &why);        // "48-120"
bool parseOnOff(const std::string &text, bool &on, std::string &why);
bool parseFrlRate(const std::string &text, unsigned &code, std::string &why);            // "48" Gbps: 6

// A short audio descriptor's format as one number: the format code, or 100
// plus the extended type for format 15.
unsigned audioFormatId(unsigned format, unsigned extendedType);
// The names the audio-format edit takes ("lpcm", "eac3", ...), and their ids.
struct AudioFormatName {
    const char *name;
    unsigned id;
};
const std::vector<AudioFormatName> &audioFormatNames();
// The speaker names the speakers edit takes ("fl/fr", "lfe1", ...): bit n of the allocation.
std::vector<std::string> speakerShortNames();

} // namespace vantrel::edid::edit
