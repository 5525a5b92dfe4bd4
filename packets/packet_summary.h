// SPDX-License-Identifier: GPL-3.0-or-later
// One line on what the text of a CEC, HDR IF or AVI box holds, as its send
// would read it: shown beside the box as the user types.
#pragma once

#include <string>
#include <string_view>

namespace vantrel::packets {

enum class PacketKind { Cec, Hdr, Avi };

// Empty for an empty text; "Hex Format Error: ..." for a text the send
// refuses; otherwise the decoder's summary.
std::string boxTextSummary(PacketKind kind, std::string_view text);

} // namespace vantrel::packets
