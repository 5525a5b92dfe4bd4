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
    Outcome outcome;   // the fetch and the busy wait's reads
    bool ok = false;   // all 16 chunks arrived in full
    EdidImage image{};
    std::string text;  // canonicalEdidText(image) when ok
};

// Reads the 42-byte status block while its busy bit is set, at most
// kMaxBusyReads times, 10 ms apart.
constexpr int kMaxBusyReads = 502;
struct EdidWait {
    int reads = 0;   // status reads made
    Outcome outcome; // the first failed read, if any
};
EdidWait waitEdidReady(Session &s);

// Fetch, 100 ms, busy wait, 16 chunk reads. A fetch that is not acknowledged
// ends the read with "Error Writing values" and ok false; a chunk that does
// not arrive in full ends it with ok false and no message (the caller keeps
// its old text either way).
EdidReadout readEdid(Session &s, uint8_t fetchCode);

// The 32 chunk writes and the store request; the caller has parsed the text
// and settled the checksum question. The first unacknowledged chunk ends the
// upload with its failure, storing nothing. Otherwise the result is the
// store request's.
Outcome uploadEdid(Session &s, const EdidImage &image);

} // namespace vantrel::edid
