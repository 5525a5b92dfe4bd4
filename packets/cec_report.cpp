// SPDX-License-Identifier: GPL-3.0-or-later
// The CEC message as one line, as a report and as JSON.
#include "cec_message.h"

#include "json_writer.h"

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
                     hexText(m.bytes).c_str()));
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
        w.line(1, "Operands: " + hexText(m.operandBytes));
    for (const CecOperand &o : m.operands)
        w.line(2, o.label + ": " + o.text);
    w.notes(m.notes);
    return w.take();
}

std::string cecMessageJson(const CecMessage &m)
{
    JsonWriter j;
    j.object().value("packet", "cecMessage").bytes("bytes", m.bytes);
    if (m.bytes.empty()) {
        j.null("initiator").null("destination");
    } else {
        j.object("initiator")
            .value("address", m.initiator)
            .value("name", logicalAddressName(m.initiator, false))
            .endObject();
        j.object("destination")
            .value("address", m.destination)
            .value("name", logicalAddressName(m.destination, true))
            .endObject();
    }
    j.value("broadcast", !m.bytes.empty() && m.broadcast());
    if (m.opcode) {
        j.object("opcode")
            .value("code", unsigned(*m.opcode))
            .value("name", m.opcodeName())
            .value("known", m.known != nullptr);
        if (m.known)
            j.value("addressing", cecAddressingName(m.known->addressing)).value("since", m.known->since);
        j.endObject();
    } else {
        j.null("opcode");
    }
    j.bytes("operandBytes", m.operandBytes).array("operands");
    for (const CecOperand &o : m.operands) {
        j.object().value("name", o.key).value("label", o.label).value("text", o.text);
        if (o.value)
            j.value("value", *o.value);
        j.endObject();
    }
    j.endArray().value("summary", cecSummary(m));
    jsonNotes(j, m.notes);
    return j.endObject().take();
}

} // namespace vantrel::packets
