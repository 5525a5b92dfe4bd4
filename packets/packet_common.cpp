// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_common.h"

namespace vantrel::packets {

void addNotes(Json &doc, const std::vector<Note> &notes)
{
    doc["conforms"] = conforms(notes);
    doc["problems"] = report::findingsJson(notes);
}

} // namespace vantrel::packets
