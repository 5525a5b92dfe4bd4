// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_builder.h"

namespace edidtest {

Bytes dtdBytes(const Dtd &t)
{
    Bytes d(18, 0);
    const unsigned clock = t.pixelClockKHz / 10;
    d[0] = clock & 0xFF;
    d[1] = clock >> 8;
    d[2] = t.hActive & 0xFF;
    d[3] = t.hBlank & 0xFF;
    d[4] = uint8_t(((t.hActive >> 8) << 4) | (t.hBlank >> 8));
    d[5] = t.vActive & 0xFF;
    d[6] = t.vBlank & 0xFF;
    d[7] = uint8_t(((t.vActive >> 8) << 4) | (t.vBlank >> 8));
    d[8] = t.hFront & 0xFF;
    d[9] = t.hSync & 0xFF;
    d[10] = uint8_t(((t.vFront & 0x0F) << 4) | (t.vSync & 0x0F));
    d[11] = uint8_t(((t.hFront >> 8) << 6) | ((t.hSync >> 8) << 4) | ((t.vFront >> 4) << 2) | (t.vSync >> 4));
    d[12] = t.widthMm & 0xFF;
    d[13] = t.heightMm & 0xFF;
    d[14] = uint8_t(((t.widthMm >> 8) << 4) | (t.heightMm >> 8));
    d[17] = uint8_t((t.interlaced ? 0x80 : 0) | 0x1E); // digital separate, both positive
    return d;
}

Bytes textDescriptor(uint8_t tag, const std::string &text)
{
    Bytes d(18, 0);
    d[3] = tag;
    size_t i = 0;
    for (; i < text.size() && i < 13; ++i)
        d[5 + i] = uint8_t(text[i]);
    if (i < 13)
        d[5 + i++] = 0x0A;
    for (; i < 13; ++i)
        d[5 + i] = 0x20;
    return d;
}

Bytes rangeDescriptor(unsigned minV, unsigned maxV, unsigned minH, unsigned maxH, unsigned maxClockMHz)
{
    Bytes d(18, 0x20);
    d[0] = d[1] = d[2] = d[4] = 0;
    d[3] = 0xFD;
    d[5] = uint8_t(minV);
    d[6] = uint8_t(maxV);
    d[7] = uint8_t(minH);
    d[8] = uint8_t(maxH);
    d[9] = uint8_t(maxClockMHz / 10);
    d[10] = 0x00;
    d[11] = 0x0A;
    return d;
}

Bytes baseBlock(unsigned extensionCount)
{
    Bytes b(128, 0);
    const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    for (int i = 0; i < 8; ++i)
        b[i] = header[i];
    const unsigned id = (('V' - 64) << 10) | (('T' - 64) << 5) | ('L' - 64);
    b[8] = id >> 8;
    b[9] = id & 0xFF;
    b[10] = 0x34; b[11] = 0x12;                      // product 0x1234
    b[12] = 0x04; b[13] = 0x03; b[14] = 0x02; b[15] = 0x01;
    b[16] = 12; b[17] = 2021 - 1990;
    b[18] = 1; b[19] = 3;
    b[20] = 0x80; b[21] = 60; b[22] = 34; b[23] = 120; b[24] = 0x0E;
    b[35] = 0x20;                                    // 640x480p60, which every CTA-861 sink takes
    const uint8_t chroma[10] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
    for (int i = 0; i < 10; ++i)
        b[25 + i] = chroma[i];
    for (int i = 38; i < 54; ++i)
        b[i] = 0x01;                                 // no standard timings
    setDescriptor(b, 0, dtdBytes(Dtd()));
    setDescriptor(b, 1, rangeDescriptor(24, 75, 15, 135, 600));
    setDescriptor(b, 2, textDescriptor(0xFC, "VANTREL TEST"));
    setDescriptor(b, 3, textDescriptor(0xFF, "SN0001"));
    b[126] = uint8_t(extensionCount);
    fixChecksum(b, 0);
    return b;
}

void setDescriptor(Bytes &table, unsigned slot, const Bytes &descriptor)
{
    for (size_t i = 0; i < 18; ++i)
        table[54 + 18 * slot + i] = descriptor[i];
}

CtaBuilder &CtaBuilder::block(unsigned tag, const Bytes &payload)
{
    blocks_.push_back(uint8_t((tag << 5) | (payload.size() & 0x1F)));
    blocks_.insert(blocks_.end(), payload.begin(), payload.end());
    return *this;
}

CtaBuilder &CtaBuilder::extended(unsigned extendedTag, const Bytes &payload)
{
    Bytes p{uint8_t(extendedTag)};
    p.insert(p.end(), payload.begin(), payload.end());
    return block(7, p);
}

CtaBuilder &CtaBuilder::raw(const Bytes &bytes)
{
    blocks_.insert(blocks_.end(), bytes.begin(), bytes.end());
    return *this;
}

CtaBuilder &CtaBuilder::dtd(const Dtd &t)
{
    const Bytes d = dtdBytes(t);
    dtds_.insert(dtds_.end(), d.begin(), d.end());
    return *this;
}

Bytes CtaBuilder::bytes() const
{
    Bytes e(128, 0);
    e[0] = 0x02;
    e[1] = 3;
    e[2] = uint8_t(4 + blocks_.size());
    e[3] = flags_;
    for (size_t i = 0; i < blocks_.size() && 4 + i < 127; ++i)
        e[4 + i] = blocks_[i];
    for (size_t i = 0; i < dtds_.size() && 4 + blocks_.size() + i < 127; ++i)
        e[4 + blocks_.size() + i] = dtds_[i];
    Bytes one = e;
    fixChecksum(one, 0);
    return one;
}

Bytes table(const Bytes &base, const std::vector<Bytes> &extensions)
{
    Bytes t = base;
    t.resize(128);
    t[126] = uint8_t(extensions.size());
    fixChecksum(t, 0);
    for (size_t i = 0; i < extensions.size(); ++i) {
        t.insert(t.end(), extensions[i].begin(), extensions[i].end());
        fixChecksum(t, i + 1);
    }
    return t;
}

void fixChecksum(Bytes &table, size_t block)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 127; ++i)
        sum += table[block * 128 + i];
    table[block * 128 + 127] = uint8_t(0x100 - (sum & 0xFF));
}

} // namespace edidtest
