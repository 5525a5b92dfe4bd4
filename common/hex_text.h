// SPDX-License-Identifier: GPL-3.0-or-later
// Hex text as the box's text boxes hold it: the colon form of CEC messages
// and infoframes ("50:04"), read as the box's own send reads it and written
// as it shows stored frames; and the text box's upper-cased 8-bit text.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::hex {

// The text of a text box as the window hands it to the parsers: upper-cased,
// then converted to 8-bit (Latin-1) characters, a character outside Latin-1
// becoming '?'. Input is UTF-8; malformed sequences become '?' too.
std::string boxText(std::string_view utf8);

// Upper case of 8-bit Latin-1 text (a file read as text).
std::string upperLatin1(std::string_view latin1);

// (c1 - 0x30 or c1 - 0x37) * 16 + (the same for c2), modulo 256. Rejects
// nothing: callers that care test the characters themselves.
uint8_t hexPairValue(char c1, char c2);
bool isHexDigit(char c); // 0-9, A-F, a-f

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

// Lower-case pairs joined by colons ("87:01:1a"), as the box shows bytes.
std::string colonHexText(const uint8_t *bytes, size_t count);
inline std::string colonHexText(const std::vector<uint8_t> &bytes)
{
    return colonHexText(bytes.data(), bytes.size());
}

struct ColonHexBytes {
    bool ok = false;
    std::vector<uint8_t> bytes;
    std::string error;   // why the text was refused
    std::string ignored; // text after the last pair, which the box ignores too
};

// Typed or pasted colon hex (UTF-8, blank space around it dropped), read as
// the box's send reads it: upper-cased, pair by pair, anything after the last
// pair ignored. One pair alone is one byte (a CEC poll). A text the send
// would refuse as malformed is refused.
ColonHexBytes readColonHex(std::string_view utf8);

// What the box sends from a stored text, each with its own size bounds.
enum class FrameKind { Cec, Hdr, Avi };
// Why the box's send would not take text as a frame of this kind, in the
// tool's words; empty when it would.
std::string frameTextProblem(FrameKind kind, std::string_view text);

} // namespace vantrel::hex
