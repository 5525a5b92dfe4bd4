// SPDX-License-Identifier: GPL-3.0-or-later
// Requests of the CEC tab and the HDR / IF tab, built from the typed text.
#pragma once

#include "edid_text.h"
#include "frames.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel::inject {

// The typed text as the box gets it: upper-cased, 8-bit, with a carriage
// return appended; length() is what the length limits are measured on (L).
struct BoxLine {
    std::string text;
    int length() const { return static_cast<int>(text.size()); }
};
BoxLine boxLine(std::string_view typedUtf8);

// 10 e B2, header, count of the bytes after it, opcode and operands
// (parsed with the length byte).
Bytes cecMessageFrame(const edid::ColonHex &withLength);

// The activation after a load: 10, the load's length byte, B3, selector
// (frame::kActivateCec, kActivateHdr, kActivateAvi).
Bytes activationFrame(const Bytes &load, uint8_t selector);

// 10, L + 4, E3 or E4, "CEC ", the line with its CR: the text is not parsed.
Bytes storedCommandFrame(uint8_t code, const BoxLine &line);

// 10 n E5|E6 b0 ... b(n-1) (parsed without the length byte).
Bytes infoframeLoadFrame(uint8_t code, const edid::ColonHex &bytes);

} // namespace vantrel::inject
