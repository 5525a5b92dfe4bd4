// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID text of the window (two hex characters per byte, each followed by
// a space or a line feed), the block checksum and the canonical 16 x 16
// layout; the colon form ("50:04") lives in hex_text.h. Plain C++, no Qt.
#pragma once

#include "hex_text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::edid {

constexpr int kEdidSize = 256;
constexpr int kBlockSize = 128;
constexpr int kMaxEdidText = 1023; // what the parse area holds
constexpr int kFormatError = -1;

using EdidImage = std::array<uint8_t, kEdidSize>;

using hex::boxText;
using hex::hexPairValue;
using hex::isHexDigit;
using hex::upperLatin1;

// CR LF and a lone CR become one LF, as the text box stores line breaks.
std::string normalizeLineBreaks(std::string_view text);

struct EdidText {
    int count = 0;     // values in the text (at most 341), or kFormatError
    EdidImage image{}; // the first 256 values, zero past the last one
    size_t errorAt = 0; // on a format error: the offset of the first wrong character
    bool ok() const { return count != kFormatError; }
};

// Text already upper-cased and 8-bit (boxText). Groups start at 0, 3, 6 ...;
// each is two hex digits followed by a space, a line feed or the end. Longer
// than 1023 characters, a last group of one character or a non-hex digit in a
// group is the format error; the empty text holds 0 values.
EdidText parseEdidText(std::string_view text);

// Checksum byte of a 128-byte block: 0 minus the sum of bytes 0 to 126.
uint8_t edidBlockChecksum(const uint8_t *block);

struct ChecksumCheck {
    uint8_t computed[2]; // what bytes 127 and 255 should hold
    bool valid[2];
    bool ok() const { return valid[0] && valid[1]; }
};
ChecksumCheck checkChecksums(const EdidImage &image);
// Rewrites both checksum bytes (a block that was right keeps its byte).
void repairChecksums(EdidImage &image);

// 16 lines of 16 "%02X" groups joined by single spaces, each line ended by
// a line feed: 768 characters.
std::string canonicalEdidText(const EdidImage &image);
// The same layout for any number of values; the last line may be short.
std::string edidTextOf(const uint8_t *bytes, size_t count);

// Colon hex text.
using hex::ColonHex;
using hex::kColonHexArea;
using hex::parseColonHex;

} // namespace vantrel::edid
