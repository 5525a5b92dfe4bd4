// SPDX-License-Identifier: GPL-3.0-or-later
// A CEC message as the CEC box holds it ("50:04"): the header block
// (initiator, destination), the opcode and its operands.
#pragma once

#include "cec_names.h"
#include "packet_common.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::packets {

constexpr size_t kCecMaxMessage = 16; // header, opcode and 14 operand bytes

// One decoded operand: a key for JSON, a label and text for people, and the
// number it carries where it is one.
struct CecOperand {
    std::string key;   // "physicalAddress"
    std::string label; // "Physical address"
    std::string text;  // "1.0.0.0"
    std::optional<unsigned> value;
};

struct CecMessage {
    std::vector<uint8_t> bytes;
    unsigned initiator = 0, destination = 0;
    std::optional<uint8_t> opcode;    // none: a polling message (the header alone)
    const CecOpcode *known = nullptr; // null for an opcode CEC does not define
    std::vector<uint8_t> operandBytes;
    std::vector<CecOperand> operands; // what the operand bytes say, where decoded
    std::vector<Note> notes;

    bool broadcast() const { return destination == 15; }
    std::string opcodeName() const; // "Image View On", or "unknown opcode 0x12"
    bool conforms() const { return packets::conforms(notes); }
};

CecMessage decodeCecMessage(const uint8_t *data, size_t size);

// One line: "Audio System to TV: Image View On" and the operands after a colon.
std::string cecSummary(const CecMessage &message);
std::string cecMessageText(const CecMessage &message);
std::string cecMessageJson(const CecMessage &message);

} // namespace vantrel::packets
