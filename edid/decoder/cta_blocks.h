// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the CTA-861 block decoders: a cursor over one data block's payload.
#pragma once

#include "decode_context.h"

namespace vantrel::edid::detail {

struct BlockCursor {
    DecodeContext &ctx;
    int block;
    DataBlock &db;
    size_t payload() const { return size_t(db.offset) + 1; }
    uint8_t at(unsigned i) const { return ctx.at(payload() + i); }
    void error(const std::string &message) { ctx.error(block, size_t(db.offset), db.name, message); }
    void warning(const std::string &message) { ctx.warning(block, size_t(db.offset), db.name, message); }
    bool needs(unsigned length)
    {
        if (db.length >= length)
            return true;
        error("truncated block: " + std::to_string(db.length) + " payload bytes, at least " +
              std::to_string(length) + " needed");
        return false;
    }
};

// Tag 3 blocks: the OUI picks the decoder (HDMI, HDMI Forum, others by OUI).
void decodeVendor(BlockCursor &c);
// Extended vendor video and audio blocks (Dolby Vision, HDR10+, Dolby audio);
// the OUI is read already.
void decodeVendorPayload(BlockCursor &c);
// The HDMI Forum block in its vendor form or as the sink capability block.
void decodeHdmiForum(BlockCursor &c, bool sinkCapability);

} // namespace vantrel::edid::detail
