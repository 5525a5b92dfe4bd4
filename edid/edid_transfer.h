// SPDX-License-Identifier: GPL-3.0-or-later
// EDID tables between the box and the window: fetch one of the box's three
// tables into its transfer buffer, wait while it is busy, read the buffer in
// 16 chunks; or fill the buffer in 32 chunks and have the box store it.
#pragma once

#include "edid_text.h"
#include "session.h"

#include <cstdint>
#include <string>

namespace vantrel::edid {

// Fetch codes: frame::kFetchBoxEdid (the box's own table), kFetchTxAEdid,
// kFetchTxBEdid (the displays on TX A and TX B).
struct EdidReadout {
    // Done when the table came after the box reported ready. Otherwise the
    // first thing that went wrong: the fetch, a status read, a box that never
    // reported ready (the table came but may be stale), a missing chunk.
    Outcome outcome;
    EdidImage image{};
    std::string text; // canonicalEdidText(image) once all 16 chunks came; empty otherwise

    bool arrived() const { return !text.empty(); }
};

// Reads the 42-byte status block while its busy bit is set, at most
// kMaxBusyReads times, 10 ms apart.
constexpr int kMaxBusyReads = 502;
struct EdidWait {
    int reads = 0; // status reads made
    // The first failed read, or "never reported ready" (told to nobody: the
    // caller says what it means for its operation) when the box stayed busy.
    Outcome outcome;
};
EdidWait waitEdidReady(Session &s);

// Fetch, 100 ms, busy wait, 16 chunk reads. A fetch that is not acknowledged
// ends the read with "Error Writing values"; a chunk that does not arrive in
// full ends it with no message (the caller keeps its old text either way). A
// box that stays busy has its chunks read all the same (the protocol's rule),
// with a warning in place of the success message.
EdidReadout readEdid(Session &s, uint8_t fetchCode);

// The 32 chunk writes and the store request; the caller has parsed the text
// and settled the checksum question. The first unacknowledged chunk ends the
// upload with its failure, storing nothing. Otherwise the result is the
// store request's.
Outcome uploadEdid(Session &s, const EdidImage &image);

} // namespace vantrel::edid
