// SPDX-License-Identifier: GPL-3.0-or-later
// The single edits applyEdits() runs. Each changes the model and adds a
// line per change to notes; one that cannot be made throws EditError.
#pragma once

#include "edid_edit.h"
#include "table_model.h"

#include <string>
#include <vector>

namespace vantrel::edid::edit::detail {

using Notes = std::vector<std::string>;

void dropVics(TableModel &t, const std::vector<unsigned> &vics, Notes &notes);
void setPreferred(TableModel &t, const std::string &mode, Notes &notes);
void capTmds(TableModel &t, unsigned mhz, Notes &notes);
void removeY420(TableModel &t, Notes &notes);
void removeDeepColour(TableModel &t, Notes &notes);
void remove3d(TableModel &t, Notes &notes);
void removeBlocks(TableModel &t, BlockType type, const std::string &what, Notes &notes);
void setEotfs(TableModel &t, uint8_t eotfs, Notes &notes);

void takeAudio(TableModel &t, const Bytes &source, Notes &notes);
void dropAudio(TableModel &t, const std::vector<unsigned> &formats, Notes &notes);
void setSpeakers(TableModel &t, uint32_t allocation, Notes &notes);

void setName(TableModel &t, const std::string &name, Notes &notes);
void setSerial(TableModel &t, uint32_t serial, Notes &notes);
void fitTable(TableModel &t, Notes &notes);

void addVics(TableModel &t, const std::vector<AddedVic> &vics, Notes &notes);
void addTiming(TableModel &t, const TimingRequest &timing, Notes &notes);
void setRangeLimits(TableModel &t, const RangeLimits &limits, Notes &notes);
void copyBlock(TableModel &t, const Bytes &source, BlockType type, Notes &notes);
void setLuminance(TableModel &t, const Luminance &l, Notes &notes);
void addLowLatencyDolbyVision(TableModel &t, Notes &notes);
void setFreeSync(TableModel &t, const RateRange &range, Notes &notes);
void setHfVrr(TableModel &t, const RateRange &range, Notes &notes);
void setHfAllm(TableModel &t, bool on, Notes &notes);
void setMaxFrl(TableModel &t, unsigned code, Notes &notes);

// The CTA-861 extensions; throws when there is none.
std::vector<CtaModel *> editableCtas(TableModel &t);

// Makes `more` bytes free in cta for what an edit adds: detailed timings
// that a listed VIC already describes go first (into a free slot of the
// base block where there is one). Throws, naming what would have to go,
// when that is not enough.
void makeRoom(TableModel &t, CtaModel &cta, size_t more, Notes &notes);
// The base block's slot a detailed timing may take; -1 for none.
int freeTimingSlot(const TableModel &t);
// Throws when a timing lies outside the base block's range limits.
void checkRangeLimits(const TableModel &t, unsigned clockKHz, double hKHz, double vHz, const std::string &what);
// Lowers the extensions' native timing count to the timings there are.
void clampNativeCount(TableModel &t);
// The image size of the preferred timing (or the base block's, in mm).
std::pair<unsigned, unsigned> imageSizeMm(const TableModel &t);
// "1920x1080 at 60.00 Hz"
std::string modeLabel(const Descriptor &d);

// "VIC 97 (3840x2160p60)"
std::string vicLabel(unsigned vic);

} // namespace vantrel::edid::edit::detail
