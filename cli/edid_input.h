// SPDX-License-Identifier: GPL-3.0-or-later
// EDID tables given on the command line: a binary file (the window's 256
// bytes, a display's edid file of 128 to 512 bytes), hex text in any of the
// forms the importer reads, standard input ("-") or a library entry
// ("lib:NAME").
#pragma once

#include "edid_import.h"
#include "edid_text.h"

#include <string>
#include <vector>

namespace vantrel::cli {

// A table with every extension is 128 x 256 bytes; as hex text with a
// heading, spaces and line ends it stays well under four times that.
constexpr size_t kMaxTableFile = 4 * 128 * 256;

struct EdidInput {
    bool binary = false;
    edid::EdidImage image{};    // what the box would get: 256 bytes, zero past the table's end
    std::vector<uint8_t> bytes; // every byte the table holds
    std::vector<uint8_t> raw;   // the file as read, for writing it back in its own form
    edid::TableFile file;
};

// At most limit + 1 bytes of a file or of standard input ("-"); throws
// CliError(kExitFailed) when it cannot be read.
std::vector<uint8_t> readBounded(const std::string &path, size_t limit);

// Throws CliError(kExitFailed) when the file can't be read, is empty or too
// long for any table, or its text is not hex ("Hex Format Error" with the
// line and column).
// `output` names the output of an X server's output listing to take the
// EDID of (empty: the first connected one).
EdidInput loadEdidInput(const std::string &path, const std::string &output = {});
// The same for bytes already read; name is the file's name in the messages.
EdidInput edidInputFrom(std::vector<uint8_t> raw, const std::string &name, const std::string &output = {});

// Writes the bytes through a temporary file and a rename; throws on failure.
void writeFileAtomically(const std::string &path, const std::vector<uint8_t> &bytes);

} // namespace vantrel::cli
