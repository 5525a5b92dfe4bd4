// SPDX-License-Identifier: GPL-3.0-or-later
// Hand-built EDID tables for the decoder tests: a base block with sane
// defaults and CTA-861 extensions assembled from data blocks.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace edidtest {

using Bytes = std::vector<uint8_t>;

struct Dtd {
    uint32_t pixelClockKHz = 148500;
    unsigned hActive = 1920, hBlank = 280, hFront = 88, hSync = 44;
    unsigned vActive = 1080, vBlank = 45, vFront = 4, vSync = 5;
    unsigned widthMm = 600, heightMm = 340;
    bool interlaced = false;
};

Bytes dtdBytes(const Dtd &t);
Bytes textDescriptor(uint8_t tag, const std::string &text); // 0xFC name, 0xFF serial, 0xFE data
Bytes rangeDescriptor(unsigned minV, unsigned maxV, unsigned minH, unsigned maxH, unsigned maxClockMHz);

// 128 bytes: manufacturer VTL, product 0x1234, serial 16909060, week 12 of
// 2021, EDID 1.3, descriptors 1080p60, range limits, name, serial text.
Bytes baseBlock(unsigned extensionCount = 1);
void setDescriptor(Bytes &table, unsigned slot, const Bytes &descriptor);

class CtaBuilder {
public:
    explicit CtaBuilder(uint8_t flags = 0xF1) : flags_(flags) {}
    CtaBuilder &block(unsigned tag, const Bytes &payload);
    CtaBuilder &extended(unsigned extendedTag, const Bytes &payload);
    CtaBuilder &raw(const Bytes &bytes); // header bytes written as given
    CtaBuilder &dtd(const Dtd &t);
    Bytes bytes() const; // 128 bytes with offset and checksum filled in

private:
    uint8_t flags_;
    Bytes blocks_;
    Bytes dtds_;
};

Bytes table(const Bytes &base, const std::vector<Bytes> &extensions); // counts and checksums set
void fixChecksum(Bytes &table, size_t block);

} // namespace edidtest
