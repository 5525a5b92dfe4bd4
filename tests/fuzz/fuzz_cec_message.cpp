// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: the CEC message decoder on any bytes, raw or typed as the
// CEC box's text.
#include "cec_message.h"
#include "fuzz_packets.h"

using namespace vantrel::packets;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) && !vantrel::fuzz::boxTextBytes(data + 1, size - 1, bytes))
        return 0;
    const CecMessage m = decodeCecMessage(bytes.data(), bytes.size());
    require(m.initiator < 16 && m.destination < 16, "logical address out of range");
    require(bool(m.opcode) == (bytes.size() >= 2), "opcode present without its byte");
    if (m.opcode) {
        require(m.operandBytes.size() == bytes.size() - 2, "operand bytes");
        require(bool(m.known) == (findCecOpcode(*m.opcode) != nullptr), "opcode lookup");
        // Operands are read only when the message has as many as the opcode needs.
        if (m.known && m.operandBytes.size() < m.known->minOperands)
            require(m.operands.empty() && !m.conforms(), "operands decoded from too few bytes");
    }
    require(bytes.size() <= kCecMaxMessage || !m.conforms(), "an overlong message conforms");
    const std::string summary = cecSummary(m);
    require(vantrel::fuzz::printable(summary), "summary not printable");
    for (const CecOperand &o : m.operands)
        require(vantrel::fuzz::printable(o.text) && !o.key.empty(), "operand text");
    vantrel::fuzz::checkReports(cecMessageText(m), cecMessageJson(m), m.conforms());
    return 0;
}
