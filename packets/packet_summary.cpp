// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_summary.h"

#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"

namespace vantrel::packets {

std::string boxTextSummary(PacketKind kind, std::string_view text)
{
    if (text.find_first_not_of(" \t\r\n") == std::string_view::npos)
        return std::string();
    const PacketBytes p = parsePacketText(text);
    if (!p.ok)
        return "Hex Format Error: " + p.error;
    const uint8_t *b = p.bytes.data();
    const size_t n = p.bytes.size();
    switch (kind) {
    case PacketKind::Cec: {
        const CecMessage m = decodeCecMessage(b, n);
        return cecSummary(m) + (m.conforms() ? "" : "; does not conform");
    }
    case PacketKind::Hdr:
        return hdrInfoframeSummary(decodeHdrInfoframe(b, n));
    default:
        return aviInfoframeSummary(decodeAviInfoframe(b, n));
    }
}

} // namespace vantrel::packets
