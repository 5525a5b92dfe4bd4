// SPDX-License-Identifier: GPL-3.0-or-later
// Shared by the block decoders: bounded byte access and the problem list.
#pragma once

#include "edid_report.h"

#include <string>

namespace vantrel::edid::detail {

class DecodeContext {
public:
    DecodeContext(const uint8_t *data, size_t size, EdidReport &report)
        : data_(data), size_(size), report_(report) {}

    size_t size() const { return size_; }
    // Reads outside the input give 0; decoders check lengths first, this is
    // the last line against a miscounted length.
    uint8_t at(size_t offset) const { return offset < size_ ? data_[offset] : 0; }
    uint16_t le16(size_t offset) const { return uint16_t(at(offset) | (at(offset + 1) << 8)); }

    void problem(Severity severity, int block, size_t offset, const std::string &context,
                 const std::string &message)
    {
        report_.problems.push_back({severity, block, int(offset), context, message});
    }
    void error(int block, size_t offset, const std::string &context, const std::string &message)
    {
        problem(Severity::Error, block, offset, context, message);
    }
    void warning(int block, size_t offset, const std::string &context, const std::string &message)
    {
        problem(Severity::Warning, block, offset, context, message);
    }

    EdidReport &report() { return report_; }

private:
    const uint8_t *data_;
    size_t size_;
    EdidReport &report_;
};

// An 18-byte detailed timing descriptor at offset (pixel clock not 0).
DetailedTiming decodeDetailedTiming(DecodeContext &ctx, int block, size_t offset,
                                    const std::string &context);

// Rules across blocks; runs once every block is decoded.
void checkConformity(DecodeContext &ctx, EdidReport &report);

// An 18-byte display descriptor (pixel clock 0): texts and range limits go
// to the base block's fields wherever the descriptor sits.
void decodeDisplayDescriptor(DecodeContext &ctx, int block, size_t offset, BaseBlock &base);

void decodeCtaExtension(DecodeContext &ctx, int block, size_t start, ExtensionBlock &out, BaseBlock &base);
// The data blocks in [pos, end); overrideAllowed: the first may be the
// override block (the first extension's collection).
void decodeCtaDataBlocks(DecodeContext &ctx, int block, size_t pos, size_t end, bool overrideAllowed,
                         std::vector<DataBlock> &out);
// A DisplayID section in the extension block starting at start; base: the
// table's first section.
void decodeDisplayIdExtension(DecodeContext &ctx, int block, size_t start, ExtensionBlock &out, bool base);

std::string hex2(unsigned value);
std::string hex4(unsigned value);

} // namespace vantrel::edid::detail
