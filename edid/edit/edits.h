// SPDX-License-Identifier: GPL-3.0-or-later
// The single edits applyEdits() runs. Each changes the model and adds a
// line per change to notes; one that cannot be made throws EditError.
#pragma once

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

// The CTA-861 extensions; throws when there is none.
std::vector<CtaModel *> editableCtas(TableModel &t, const std::string &edit);

// "VIC 97 (3840x2160p60)"
std::string vicLabel(unsigned vic);

} // namespace vantrel::edid::edit::detail
