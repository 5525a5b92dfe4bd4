// SPDX-License-Identifier: GPL-3.0-or-later
// A table in the forms other systems read: the binary the Linux kernel loads
// as EDID firmware, a Windows registry file of a display's EDID override, a
// C array, hex text and base64; each with the steps that put it to use.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::edid {

enum class ExportFormat { Linux, Windows, CArray, Hex, Base64 };

struct ExportRequest {
    ExportFormat format = ExportFormat::Hex;
    std::string name;      // Linux: the firmware file's name without .bin (default: the display's id)
    std::string connector; // Linux: "HDMI-A-1"; empty: a placeholder in the steps
    std::string instance;  // Windows: the display's device instance; empty: a placeholder
    std::string path;      // where the file is written, as the steps name it; empty: fileName
};

struct ExportResult {
    std::vector<uint8_t> bytes;     // what the file holds
    std::string fileName;           // the name it is proposed under ("SAM7256.bin")
    std::vector<std::string> steps; // what to do with it, nothing of it done
};

// The table's own blocks: trailing blocks of zeros (a 256-byte file's
// padding) are left out.
std::vector<uint8_t> tableBlocks(const std::vector<uint8_t> &bytes);
// "SAM7256": the maker's three letters and the product code, as Windows names
// the display; "EDID" when the table has no base block.
std::string displayId(const std::vector<uint8_t> &table);

ExportResult exportTable(const std::vector<uint8_t> &bytes, const ExportRequest &request);

} // namespace vantrel::edid
