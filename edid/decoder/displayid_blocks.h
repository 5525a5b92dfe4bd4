// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the DisplayID block decoders.
#pragma once

#include "decode_context.h"

namespace vantrel::edid::detail {

struct BlockReader {
    DecodeContext &ctx;
    DisplayIdBlock &block;
    size_t payload() const { return size_t(block.offset) + 3; }
    uint8_t at(unsigned i) const { return ctx.at(payload() + i); }
    void error(const std::string &message) { ctx.error(block.offset / 128, size_t(block.offset), block.name, message); }
    void warning(const std::string &message)
    {
        ctx.warning(block.offset / 128, size_t(block.offset), block.name, message);
    }
    bool needs(unsigned length)
    {
        if (block.length >= length)
            return true;
        error("truncated block: " + std::to_string(block.length) + " payload bytes, at least " +
              std::to_string(length) + " needed");
        return false;
    }
};

// Timing blocks of both versions; others are left alone.
void decodeDisplayIdTimings(BlockReader &r);

} // namespace vantrel::edid::detail
