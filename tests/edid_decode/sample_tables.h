// SPDX-License-Identifier: GPL-3.0-or-later
// Tables both suites use: each one exercises a family of blocks.
#pragma once

#include "edid_builder.h"

#include <utility>

namespace edidtest {

using NamedTable = std::pair<std::string, Bytes>;

Bytes fullTable();          // every decoded block type once, two extension DTDs
Bytes hdmi21Table();        // sink capability form, HLG, 4:2:0 map for all, VICs above 107
Bytes interlacedTable();    // 1080i DTD in the base block, 720p and 576p in the extension
// One table per fact the reports once lost: range offsets, DisplayID's CTA-861
// and interface feature blocks, timing codes by kind, HDMI latency names.
std::vector<NamedTable> gapTables();
std::vector<NamedTable> sampleTables(); // the above plus the base block alone

} // namespace edidtest
