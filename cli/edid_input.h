// EDID tables given on the command line: a 256-byte file, a hex text file in
// the window's layout, or standard input ("-").
#pragma once

#include "edid_text.h"

#include <QString>

#include <vector>

namespace vantrel::cli {

struct EdidInput {
    bool binary = false;
    edid::EdidImage image{};    // what the window would load: 256 bytes, zero past the end
    std::vector<uint8_t> bytes; // every byte the table holds (binary: the whole file)
};

// Throws CliError(kExitFailed) when the file can't be read, is empty, or its
// text is not EDID hex ("Hex Format Error").
EdidInput loadEdidInput(const QString &path);

// Writes the bytes through a temporary file and a rename; throws on failure.
void writeFileAtomically(const QString &path, const std::vector<uint8_t> &bytes);

} // namespace vantrel::cli
