// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_common.h"

namespace vantrel::packets {

void addNotes(Json &doc, const std::vector<Note> &notes)
{
    doc["conforms"] = conforms(notes);
    doc["problems"] = report::findingsJson(notes);
}

std::string summaryLine(const std::vector<std::string> &parts, bool conforming)
{
    std::string text;
    for (const std::string &p : parts)
        text += (text.empty() ? "" : ", ") + p;
    if (text.empty())
        text = "nothing decoded";
    if (!conforming)
        text += "; does not conform";
    return text;
}

} // namespace vantrel::packets
