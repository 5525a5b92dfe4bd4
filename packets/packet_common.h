// SPDX-License-Identifier: GPL-3.0-or-later
// What the packet decoders share: the text a box holds turned into bytes, and
// the notes a decode leaves on what does not conform.
#pragma once

#include "finding.h"
#include "hex_text.h"
#include "json_support.h"
#include "text_report.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::packets {

using report::conforms;
using report::format;
using report::Severity;
using Note = report::Finding;
using TextReport = report::TextReport;
using report::Json;

using PacketBytes = hex::ColonHexBytes;

// The colon hex text of a CEC, HDR IF or AVI box ("50:04"), read as the box's
// own send reads it.
inline PacketBytes parsePacketText(std::string_view utf8)
{
    return hex::readColonHex(utf8);
}

// The report's closing members: "conforms" and the "problems" array.
void addNotes(Json &doc, const std::vector<Note> &notes);

// A one-line summary: the parts joined by commas, "nothing decoded" when
// there are none, and a mark when the packet does not conform.
std::string summaryLine(const std::vector<std::string> &parts, bool conforming);

} // namespace vantrel::packets
