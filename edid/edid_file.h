// SPDX-License-Identifier: GPL-3.0-or-later
// EDID files as the window's text box meets them: a raw 256-byte table, or on
// loading also a hex text file (its own layout or another tool's). The
// conversions work on bytes already read; atomicWriteFile is a plain writer
// for callers without QSaveFile.
#pragma once

#include "edid_import.h"
#include "edid_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::edid {

constexpr size_t kMaxFileRead = 1024;
constexpr const char *kProposedFileName = "VANTREL_edid0.bin";

struct LoadedEdidFile {
    bool binary = false; // the first byte was 0 (or the file was empty)
    EdidImage image{};   // binary: the first 256 bytes, zero past the file's end
    std::string text;    // text: the converted text, not yet parsed
};

// data: the file's first bytes (only the first 1024 are looked at). A text
// file has its lines of 16 groups, each group followed by a space, brought to
// the canonical layout: while the 48th byte since the start or since the last
// such change is a space before CR LF or LF, those bytes become one LF. The
// text ends at the first NUL.
LoadedEdidFile convertEdidFile(const uint8_t *data, size_t size);

// What the window's Load puts in its text box. A file in the box's own
// format loads as it always did (a binary table through showEdidHex, a text
// unparsed); a text in another tool's form is brought to the box's layout; a
// table longer than the box's two blocks is refused.
constexpr size_t kMaxTextFileRead = 64 * 1024; // a hex dump with its whole report
struct TextBoxLoad {
    enum Kind { Binary, Text, Refused } kind = Binary;
    EdidImage image{};   // Binary
    std::string text;    // Text
    std::string problem; // Refused: why; Text: the format error to tell (the text is the file's own)
};
TextBoxLoad loadForTextBox(const uint8_t *data, size_t size);

// What saving writes: the 256 table bytes, nothing else.
std::vector<uint8_t> edidFileBytes(const EdidImage &image);

// Writes through a temporary file in the same folder and a rename, so the
// old file stays intact on any failure; a device or pipe is written in
// place. A symbolic link is followed (its target is replaced, the link
// stays); a file that is not writable is refused, as the window's save
// refuses it. error: the system's description.
bool atomicWriteFile(const std::string &path, const std::vector<uint8_t> &bytes, std::string &error);

} // namespace vantrel::edid
