// SPDX-License-Identifier: GPL-3.0-or-later
// The CEC message as one line, as a report and as JSON.
#include "cec_message.h"


namespace vantrel::packets {

namespace {

std::string who(unsigned address, bool destination)
{
    return format("%s (%u)", logicalAddressName(address, destination).c_str(), address);
}

} // namespace

std::string cecSummary(const CecMessage &m)
{
    if (m.bytes.empty())
        return "empty message";
    std::string text = logicalAddressName(m.initiator, false) + " to " + logicalAddressName(m.destination, true) +
                       ": " + m.opcodeName();
    std::string operands;
    for (const CecOperand &o : m.operands)
        operands += (operands.empty() ? "" : ", ") + o.text;
    if (!operands.empty())
        text += " (" + operands + ")";
    return text;
}

std::string cecMessageText(const CecMessage &m)
{
    TextReport w;
    w.line(0, format("CEC message (%u byte%s): %s", unsigned(m.bytes.size()), m.bytes.size() == 1 ? "" : "s",
                     hex::colonHexText(m.bytes).c_str()));
    if (!m.bytes.empty()) {
        w.line(1, "From: " + who(m.initiator, false));
        w.line(1, "To: " + who(m.destination, true));
    }
    if (m.opcode) {
        if (m.known)
            w.line(1,
                   format("Opcode: 0x%02x %s (%s%s)", *m.opcode, m.known->name, cecAddressingName(m.known->addressing),
                          std::string(m.known->since) == "2.0" ? ", added in CEC 2.0" : ""));
        else
            w.line(1, format("Opcode: 0x%02x (not defined by CEC)", *m.opcode));
    } else if (!m.bytes.empty()) {
        w.line(1, "Polling message (header only)");
    }
    if (!m.operandBytes.empty())
        w.line(1, "Operands: " + hex::colonHexText(m.operandBytes));
    for (const CecOperand &o : m.operands)
        w.line(2, o.label + ": " + o.text);
    w.findings(m.notes);
    return w.take();
}

std::string cecMessageJson(const CecMessage &m)
{
    using report::latin1;
    Json j{{"packet", "cecMessage"}, {"bytes", hex::colonHexText(m.bytes)}};
    if (m.bytes.empty()) {
        j["initiator"] = nullptr;
        j["destination"] = nullptr;
    } else {
        j["initiator"] = Json{{"address", m.initiator}, {"name", latin1(logicalAddressName(m.initiator, false))}};
        j["destination"] = Json{{"address", m.destination}, {"name", latin1(logicalAddressName(m.destination, true))}};
    }
    j["broadcast"] = !m.bytes.empty() && m.broadcast();
    if (m.opcode) {
        Json op{{"code", unsigned(*m.opcode)}, {"name", latin1(m.opcodeName())}, {"known", m.known != nullptr}};
        if (m.known) {
            op["addressing"] = latin1(cecAddressingName(m.known->addressing));
            op["since"] = latin1(m.known->since);
        }
        j["opcode"] = std::move(op);
    } else {
        j["opcode"] = nullptr;
    }
    j["operandBytes"] = hex::colonHexText(m.operandBytes);
    Json operands = Json::array();
    for (const CecOperand &o : m.operands) {
        Json each{{"name", latin1(o.key)}, {"label", latin1(o.label)}, {"text", latin1(o.text)}};
        if (o.value)
            each["value"] = *o.value;
        operands.push_back(std::move(each));
    }
    j["operands"] = std::move(operands);
    j["summary"] = latin1(cecSummary(m));
    addNotes(j, m.notes);
    return report::compactText(j);
}

} // namespace vantrel::packets
