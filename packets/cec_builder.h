// SPDX-License-Identifier: GPL-3.0-or-later
// CEC messages by name ("image-view-on", "active-source 1.0.0.0") and the
// checks a send makes first: what the decoder notes about a message.
#pragma once

#include "cec_names.h"
#include "packet_fields.h"

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::packets {

// tv, recorder1, ..., playback1, audio, ..., broadcast (15).
const std::vector<NamedValue> &cecAddressNames();
// A name, "unregistered" (15) or a number 0 to 15.
bool readLogicalAddress(std::string_view text, const char *field, unsigned &address, std::string &error);

// "image-view-on": an opcode's name as the command line spells it.
std::string cecOpcodeWord(const CecOpcode &op);

// The header block, the opcode (its word, or 0xNN) and the operands. Each
// operand word is a physical address (1.0.0.0), a vendor id (00-E0-91), a
// byte (0x6d or 109), colon hex (6d:01), a name the decoder gives that
// operand (power-on-function, standby), or the text of a name or title.
Built buildCecMessage(unsigned from, unsigned to, std::string_view opcode, const std::vector<std::string> &operands);

// Why a send should not go out as it is (a directly addressed opcode
// broadcast, a broadcast one directed, a wrong operand count ...): the
// decoder's notes on the message; empty when it has none.
std::vector<std::string> cecSendProblems(const std::vector<uint8_t> &message);

} // namespace vantrel::packets
