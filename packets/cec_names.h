// SPDX-License-Identifier: GPL-3.0-or-later
// The names of CEC's logical addresses, opcodes and common operand values.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::packets {

// How an opcode may be addressed: followers ignore it when it arrives the
// other way.
enum class CecAddressing { Direct, Broadcast, Either };

struct CecOpcode {
    uint8_t code;
    const char *name; // "Image View On"
    CecAddressing addressing;
    uint8_t minOperands; // operand bytes the message needs
    uint8_t maxOperands; // 14 where the operands run to the end of the message
    const char *since;   // "1.4" (or older) or "2.0"
};

const char *cecAddressingName(CecAddressing a); // "directly addressed", "broadcast", ...

// Every opcode of CEC 1.4 and the 2.0 additions, in code order.
const std::vector<CecOpcode> &cecOpcodes();
const CecOpcode *findCecOpcode(uint8_t code);

// "TV", "Playback Device 1" ...; address 15 is "Unregistered" as the
// initiator and "Broadcast" as the destination.
std::string logicalAddressName(unsigned address, bool asDestination);
std::string uiCommandName(uint8_t code); // User Control Pressed
std::string powerStatusName(uint8_t status);
std::string deviceTypeName(uint8_t type); // Report Physical Address
std::string abortReasonName(uint8_t reason);
std::string cecVersionName(uint8_t version);
std::string deckInfoName(uint8_t info);
std::string playModeName(uint8_t mode);
// "00-E0-91", with the vendor's name after it where known.
std::string vendorIdText(uint32_t id);
std::string vendorName(uint32_t id); // empty where not known
// "1.0.0.0"
std::string physicalAddressText(uint16_t address);

} // namespace vantrel::packets
