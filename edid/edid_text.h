// SPDX-License-Identifier: GPL-3.0-or-later
// The two hex text forms of the window: the EDID text (two hex characters per
// byte, each followed by a space or a line feed) and the colon form used for
// CEC messages and infoframes ("50:04"). Plus the block checksum and the
// canonical 16 x 16 layout. Plain C++, no Qt.
#pragma once

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

// The text of a text box as the window hands it to the parsers: upper-cased,
// then converted to 8-bit (Latin-1) characters, a character outside Latin-1
// becoming '?'. Input is UTF-8; malformed sequences become '?' too.
std::string boxText(std::string_view utf8);

// Upper case of 8-bit Latin-1 text (a file read as text).
std::string upperLatin1(std::string_view latin1);

// CR LF and a lone CR become one LF, as the text box stores line breaks.
std::string normalizeLineBreaks(std::string_view text);

// (c1 - 0x30 or c1 - 0x37) * 16 + (the same for c2), modulo 256. Rejects
// nothing: callers that care test the characters themselves.
uint8_t hexPairValue(char c1, char c2);
bool isHexDigit(char c); // 0-9, A-F, a-f

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
constexpr int kColonHexArea = 100;

struct ColonHex {
    std::array<uint8_t, kColonHexArea> bytes{};
    int count = 0;          // bytes produced (with the length byte, if asked for)
    bool wellFormed = true; // false: no colon, an early colon, a pair that is
                            // not two hex digits or a pair cut off by the end
};

// text: upper-cased, with a carriage return appended; scanLength: its length
// including that CR. With withLength, position 1 holds the number of bytes
// after the first pair. Anything after the last pair is ignored.
ColonHex parseColonHex(std::string_view text, int scanLength, bool withLength);
// The box's stored frames as the window shows them: lower-case pairs joined
// by colons ("87:01:1a").
std::string colonHexText(const uint8_t *bytes, size_t count);

} // namespace vantrel::edid
