// SPDX-License-Identifier: GPL-3.0-or-later
// The tables the box knows: the two displays it is attached to, the 24
// built-in presets, the fixed table, the custom store's default, and the
// automix table it builds from the displays and its EDID options.
#pragma once

#include "edid_caps.h"

namespace vantrel::sim {

// The automix choices of the settings block.
struct MixOptions {
    int algorithm = 1;      // 0 min mixed, 1 max audio/min video, 2 TOP priority, 3 max/max
    bool stereoOnly = false; // "2.0"
    bool cap51 = false;      // "5.1"
    bool no3d = false;       // "No 3D"
    bool hdr = false;        // "HDR"
    bool fullAudio = false;  // "FULL Audio"
    bool bt2020 = false;     // "BT.2020"
    bool ycbcr = false;      // "YCbCr"
};

constexpr int kFirstPreset = 2;
constexpr int kLastPreset = 25;

// The televisions on TX A (a 4K HDR set) and TX B (an older 4K set behind a
// surround receiver).
EdidCaps topDisplayCaps();
EdidCaps bottomDisplayCaps();

// A built-in preset, 2 to 25, as its list text describes it.
EdidCaps presetCaps(int preset);
EdidTable presetTable(int preset);

EdidTable fixedTable();
EdidTable defaultCustomTable();

// Mixes the displays' capabilities; a missing display (null) leaves the other.
// With neither, the fixed table's capabilities.
EdidCaps mixCaps(const EdidCaps *top, const EdidCaps *bottom, const MixOptions &options);
EdidTable automixTable(const EdidTable *top, const EdidTable *bottom, const MixOptions &options);

} // namespace vantrel::sim
