// SPDX-License-Identifier: GPL-3.0-or-later
// The answers over a whole chain: the modes each output gets, the best one,
// what is lost against the display alone, and the fixes that win it back,
// each re-checked through the model before it is offered. Plain C++, no Qt.
#pragma once

#include "chain_model.h"
#include "edid_edit.h"

#include <string>
#include <vector>

namespace vantrel::chain {

enum class FixKind { EdidEdit, Setting, Preset };
const char *fixKindKey(FixKind k); // "edid-edit", "setting", "preset"

struct Fix {
    FixKind kind = FixKind::Setting;
    std::string description;
    // edid-edit: the edid edit options; setting and preset: setting names
    // and values as set takes them ("out-420", "on").
    std::vector<std::string> arguments;
    LinkId base = LinkId::SourceBox;   // edid-edit: the table the edits start from
    edid::edit::EditList edits;        // edid-edit
    std::vector<uint8_t> result;       // edid-edit: the edited table
    // edid-edit: options for a copy of the --audio-from table, made first
    // (its extra formats dropped so the sound fits); empty when none.
    std::vector<std::string> prepare;
};

// The fixes that make the signal reach the display; each one re-checked.
std::vector<Fix> fixesFor(const Chain &chain, const Signal &signal);
std::vector<Fix> fixesFor(const Chain &chain, const Signal &signal, LinkId output);

// The box's fixed presets as the tables they state: "4k60-420 8-bit 300MHz".
struct Preset {
    unsigned number = 0;
    std::string name;
    SinkFacts facts;
};
const std::vector<Preset> &presets();

struct Row {
    Signal signal;
    double rateMHz = 0;
    bool toTop = false, toBottom = false;
    std::string reason;               // why it misses an output; empty when it reaches all
};

struct Best {
    LinkId output = LinkId::BoxTop;
    bool found = false;
    Signal chain;                     // the best the chain carries to it
    bool chainFound = false;
    Signal alone;                     // the best the display alone takes
    bool hdr = false;                 // the chain's best also goes as PQ
};

struct Loss {
    LinkId output = LinkId::BoxTop;
    std::string kind;                 // "mode", "depth", "hdr", "audio"
    std::string from, to;             // "3840x2160p120" -> "3840x2160p60"
    std::string why;                  // the first link that drops it
    std::optional<Signal> target;     // what the fixes make reach the output
    std::vector<Fix> fixes;
};

struct AudioPlan {
    LinkId output = LinkId::BoxTop;   // the output that carries the sound
    std::vector<std::string> offered; // what the box's table lets the source send
    std::vector<std::string> sink;    // what that output's table lists
    std::vector<std::string> undecoded; // offered, not listed by the sink
    std::string best, sinkBest;
};

struct Plan {
    std::vector<Mode> modes;          // the grid's rows: what the displays list
    std::vector<Row> rows;            // every mode by format and depth, SDR
    std::vector<Best> best;           // per present output
    std::vector<Loss> losses;
    AudioPlan audio;
};

Plan makePlan(const Chain &chain);

// The modes a table lists, largest first: codes and detailed timings.
std::vector<Mode> listedModes(const SinkFacts &sink);
// A mode by "vic:97", "3840x2160@60" or a timing's name among the chain's tables.
std::optional<Mode> findMode(const Chain &chain, const std::string &text);
// Ranks the audio a table lists: Atmos above lossless above lossy above LPCM.
int audioRank(const AudioFormat &a);

} // namespace vantrel::chain
