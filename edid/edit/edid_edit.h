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

struct EditList {
    std::vector<unsigned> dropVics;
    std::string preferred; // "97" or "3840x2160@60"; empty: unchanged
    bool hdrOff = false;
    std::optional<uint8_t> hdrEotfs; // bit 0 SDR, 1 HDR gamma, 2 PQ, 3 HLG
    bool dropDolbyVision = false, dropHdr10Plus = false;
    std::optional<unsigned> maxTmdsMHz;
    bool no420 = false, noDeepColour = false, no3d = false;
    std::optional<Bytes> audioFrom;   // the other table's bytes
    std::vector<unsigned> dropAudio;  // audioFormatId() values
    std::optional<uint32_t> speakers; // the three allocation bytes
    std::optional<std::string> name;
    std::optional<uint32_t> serial;
    bool fit = false;

    bool empty() const;
};

// What one edit did, in the order they ran.
struct EditStep {
    std::string edit;                 // "--drop-vic"
    std::vector<std::string> changes; // "VIC 97 (3840x2160p60) removed from the video data block"
};

struct EditResult {
    bool ok = false;     // bytes hold the edited table
    std::string refused; // why not: the edit that failed, or the new errors
    Bytes bytes;
    std::vector<EditStep> steps;
    std::vector<std::string> newErrors; // conformity errors the input did not have
    bool forced = false;                // made despite newErrors
};

// Applies every edit of the list in a fixed order (audio, video, HDR,
// preferred timing, identity, fit). An edit that cannot be made refuses
// the whole list; a result with a conformity error the input had not is
// refused unless force.
EditResult applyEdits(const Bytes &table, const EditList &edits, bool force);

// Parsing the edits' values as the tool and the window take them; false
// with why on a value that is not one.
bool parseVicList(const std::string &text, std::vector<unsigned> &vics, std::string &why);
bool parseEotfs(const std::string &text, uint8_t &eotfs, std::string &why);
bool parseAudioFormats(const std::string &text, std::vector<unsigned> &formats, std::string &why);
bool parseSpeakers(const std::string &text, uint32_t &allocation, std::string &why);

// A short audio descriptor's format as one number: the format code, or 100
// plus the extended type for format 15.
unsigned audioFormatId(unsigned format, unsigned extendedType);
// The names --drop-audio takes ("lpcm", "eac3", ...), and their ids.
struct AudioFormatName {
    const char *name;
    unsigned id;
};
const std::vector<AudioFormatName> &audioFormatNames();
// The speaker names --speakers takes ("fl/fr", "lfe1", ...): bit n of the allocation.
std::vector<std::string> speakerShortNames();

} // namespace vantrel::edid::edit
