// SPDX-License-Identifier: GPL-3.0-or-later
// What changes between two tables: first in decoded terms (modes, audio,
// HDR, limits, identity, blocks, conformity errors), then byte by byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::edid::edit {

struct FactChange {
    std::string category; // "modes", "audio", "hdr", "limits", ...
    bool added = false;   // in B and not in A; else in A and not in B
    std::string fact;     // "VIC 97 (3840x2160p60)"
};

struct ByteChange {
    size_t offset = 0;
    int a = -1, b = -1; // -1: past that table's end
};

struct TableDiff {
    std::vector<FactChange> facts;
    std::vector<ByteChange> bytes;
    bool equal() const { return facts.empty() && bytes.empty(); }
};

TableDiff diffTables(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b);
// Readable lines: "modes: - VIC 97 (3840x2160p60)", then "bytes: 0x084 03 -> 0C".
std::vector<std::string> diffLines(const TableDiff &diff);

} // namespace vantrel::edid::edit
