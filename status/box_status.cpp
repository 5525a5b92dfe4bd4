// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_status.h"

namespace vantrel::status {

StatusRead readStatus(Box &box)
{
    StatusRead r;
    uint8_t video[UsbLink::kMaxReply], source[UsbLink::kMaxReply], gate[UsbLink::kMaxReply];
    r.outcome.fold(box.readRegister(6, video, kVideoRecordLength));
    r.outcome.fold(box.readRegister(0x15, source, kSourceRecordLength));
    r.outcome.fold(box.readRegister(0x1E, r.hdr.data(), kHdrRecordLength));
    const Outcome last = box.readRegister(0x1F, gate, 31);
    if (!last.done()) {
        r.outcome.fold(last);
        return r;
    }
    const Record v{video, kVideoRecordLength}, s{source, kSourceRecordLength}, h{r.hdr.data(), kHdrRecordLength};
    r.texts = decodeStatus(v, s, h);
    if (r.outcome.done())
        r.facts = decodeFacts(v, s, h);
    return r;
}

} // namespace vantrel::status
