#include "edid_transfer.h"

#include <algorithm>
#include <cstring>

namespace vantrel::edid {

namespace {

constexpr int kChunkRead = 16;
constexpr int kChunkWrite = 8;
constexpr int kMaxBusyCount = 500; // the wait ends after count 501: 502 reads

// Fill for the chunk read's reply area. Transact reports success without
// touching the area when nothing arrives (no device, or no answer within its
// bound), and the chunk reply carries no echo byte to test; an area that
// still holds this fill therefore means no data came.
constexpr uint8_t kUnanswered[kChunkRead] = {0xA5, 0x5A, 0xC3, 0x3C, 0x96, 0x69, 0x0F, 0xF0,
                                             0x5A, 0xA5, 0x3C, 0xC3, 0x69, 0x96, 0xF0, 0x0F};

bool readChunk(Session &s, uint8_t offset, uint8_t *reply)
{
    if (!s.box.link().isOpen())
        return false;
    std::memset(reply, 0, UsbLink::kMaxReply);
    std::memcpy(reply, kUnanswered, kChunkRead);
    const Bytes request = frame::edidChunkRead(offset);
    if (!s.box.link().Transact(reply, request.data(), kChunkRead, static_cast<DWORD>(request.size())))
        return false;
    return std::memcmp(reply, kUnanswered, kChunkRead) != 0;
}

} // namespace

int waitEdidReady(Session &s)
{
    uint8_t reply[UsbLink::kMaxReply];
    uint32_t counter = 0;
    int reads = 0;
    for (;;) {
        s.box.ReadBlock(reply, frame::kSettingsBlockLength);
        ++reads;
        s.clock.sleepMs(10);
        const uint32_t k = counter++;
        if (!(k <= kMaxBusyCount && (reply[1] & frame::kBusyBit)))
            break;
    }
    return reads;
}

EdidReadout readEdid(Session &s, uint8_t fetchCode)
{
    EdidReadout out;
    uint8_t reply[UsbLink::kMaxReply];
    if (!s.box.exchange(reply, frame::edidFetch(fetchCode), 2) || reply[0] != fetchCode)
        s.status("Error Writing values", 4000);
    s.clock.sleepMs(100);
    waitEdidReady(s);

    for (int off = 0; off < kEdidSize; off += kChunkRead) {
        s.setProgress(off, 255);
        if (!readChunk(s, static_cast<uint8_t>(off), reply))
            return out;
        std::copy(reply, reply + kChunkRead, out.image.begin() + off);
    }
    s.setProgress(0, 0);
    s.status(fetchCode == frame::kFetchBoxEdid ? "EDID values read." : "TV EDID values read.", 2000);
    out.ok = true;
    out.text = canonicalEdidText(out.image);
    return out;
}

bool uploadEdid(Session &s, const EdidImage &image)
{
    uint8_t reply[UsbLink::kMaxReply];
    for (int i = 0; i < kEdidSize / kChunkWrite; ++i) {
        s.setProgress(i, kEdidSize / kChunkWrite);
        const uint8_t offset = static_cast<uint8_t>(i * kChunkWrite);
        if (!s.box.exchange(reply, frame::edidChunkWrite(offset, image.data() + offset), 2)
            || reply[0] != frame::kEdidChunk)
            s.status("Error Writing EDID values.", 2000);
        s.clock.sleepMs(30);
    }
    const bool stored = s.box.exchange(reply, frame::edidStore(), 2);
    if (stored && reply[0] == frame::kEdidStore)
        s.status("EDID values written...", 2000);
    else
        s.status("Error Populating EDID values.", 2000);
    s.setProgress(0, 0);
    return stored;
}

} // namespace vantrel::edid
