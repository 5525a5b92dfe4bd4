// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_transfer.h"

#include <algorithm>
#include <cstring>

namespace vantrel::edid {

namespace {

constexpr int kChunkRead = 16;
constexpr int kChunkWrite = 8;
constexpr int kMaxBusyCount = kMaxBusyReads - 2; // the wait ends after count 501

// The chunk reply carries no echo byte, and Transact reports success without
// a reply (no device, or no answer within its bound): only the bytes that
// actually arrived tell whether the chunk came.
bool readChunk(Session &s, uint8_t offset, uint8_t *reply)
{
    const Bytes request = frame::edidChunkRead(offset);
    return s.box.exchange(reply, request, kChunkRead) && s.box.link().lastReplyLength() >= kChunkRead;
}

struct Wait {
    int reads = 0;
    Outcome readFailure; // the first failed status read
    bool stayedBusy = false;
};

Wait waitWhileBusy(Session &s)
{
    uint8_t reply[UsbLink::kMaxReply];
    uint32_t counter = 0;
    Wait wait;
    for (;;) {
        wait.readFailure.fold(s.box.readBlock(reply, frame::kSettingsBlockLength));
        ++wait.reads;
        // A box that does not answer is not busy: waiting on it would only
        // repeat the 4000 ms bound.
        if (s.box.link().lastTimedOut())
            break;
        s.clock.sleepMs(10);
        const uint32_t k = counter++;
        if (!(reply[1] & frame::kBusyBit))
            break;
        if (k > kMaxBusyCount) {
            wait.stayedBusy = true;
            break;
        }
    }
    return wait;
}

} // namespace

EdidWait waitEdidReady(Session &s)
{
    const Wait w = waitWhileBusy(s);
    EdidWait wait{w.reads, w.readFailure};
    if (w.stayedBusy)
        wait.outcome.fold({Verdict::Failed, "the box never reported ready", 0});
    return wait;
}

EdidReadout readEdid(Session &s, uint8_t fetchCode)
{
    EdidReadout out;
    uint8_t reply[UsbLink::kMaxReply];
    // Without the fetch the buffer holds an older table, or none at all.
    if (!s.box.exchange(reply, frame::edidFetch(fetchCode), 2) || reply[0] != fetchCode) {
        out.outcome = s.fail("Error Writing values", 4000);
        return out;
    }
    s.clock.sleepMs(100);
    const Wait wait = waitWhileBusy(s);

    for (int off = 0; off < kEdidSize; off += kChunkRead) {
        s.setProgress(off, 255);
        if (!readChunk(s, static_cast<uint8_t>(off), reply)) {
            out.outcome = wait.readFailure;
            out.outcome.fold({Verdict::Failed, "the box did not send the whole table", 0});
            return out;
        }
        std::copy(reply, reply + kChunkRead, out.image.begin() + off);
    }
    s.setProgress(0, 0);
    out.outcome = wait.readFailure;
    if (wait.stayedBusy)
        out.outcome.fold(s.fail("The box never reported ready: the table may be stale.", 4000));
    else
        s.status(fetchCode == frame::kFetchBoxEdid ? "EDID values read." : "TV EDID values read.", 2000);
    out.text = canonicalEdidText(out.image);
    return out;
}

Outcome uploadEdid(Session &s, const EdidImage &image)
{
    uint8_t reply[UsbLink::kMaxReply];
    for (int i = 0; i < kEdidSize / kChunkWrite; ++i) {
        s.setProgress(i, kEdidSize / kChunkWrite);
        const uint8_t offset = static_cast<uint8_t>(i * kChunkWrite);
        if (!s.box.exchange(reply, frame::edidChunkWrite(offset, image.data() + offset), 2) ||
            reply[0] != frame::kEdidChunk) {
            // Storing a buffer with a hole would give the box a table nobody wrote.
            const Outcome failed = s.fail("Error Writing EDID values.", 2000);
            s.setProgress(0, 0);
            return failed;
        }
        s.clock.sleepMs(30);
    }
    const bool stored = s.box.exchange(reply, frame::edidStore(), 2) && reply[0] == frame::kEdidStore;
    const Outcome o = stored ? s.status("EDID values written...", 2000) : s.fail("Error Populating EDID values.", 2000);
    s.setProgress(0, 0);
    return o;
}

} // namespace vantrel::edid
