// SPDX-License-Identifier: GPL-3.0-or-later
// EDID tables given on the command line: a binary file (the window's 256
// bytes, a display's edid file of 128 to 512 bytes), hex text in any of the
// forms the importer reads, or standard input ("-").
#pragma once

#include "edid_import.h"
#include "edid_text.h"

#include <QByteArray>
#include <QString>

#include <vector>

namespace vantrel::cli {

struct EdidInput {
    bool binary = false;
    edid::EdidImage image{};    // what the box would get: 256 bytes, zero past the table's end
    std::vector<uint8_t> bytes; // every byte the table holds
    QByteArray raw;             // the file as read, for writing it back in its own form
    edid::TableFile file;
};

// Throws CliError(kExitFailed) when the file can't be read, is empty or too
// long for any table, or its text is not hex ("Hex Format Error" with the
// line and column).
EdidInput loadEdidInput(const QString &path);

// Writes the bytes through a temporary file and a rename; throws on failure.
void writeFileAtomically(const QString &path, const std::vector<uint8_t> &bytes);

} // namespace vantrel::cli
