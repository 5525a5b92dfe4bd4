// SPDX-License-Identifier: GPL-3.0-or-later
#include "sample_tables.h"

namespace edidtest {

Bytes fullTable()
{
    Dtd d720;
    d720.pixelClockKHz = 74250;
    d720.hActive = 1280; d720.hBlank = 370; d720.hFront = 110; d720.hSync = 40;
    d720.vActive = 720; d720.vBlank = 30; d720.vFront = 5; d720.vSync = 5;
    Dtd d4k;
    d4k.pixelClockKHz = 594000;
    d4k.hActive = 3840; d4k.hBlank = 560; d4k.hFront = 176; d4k.hSync = 88;
    d4k.vActive = 2160; d4k.vBlank = 90; d4k.vFront = 8; d4k.vSync = 10;
    const Bytes cta = CtaBuilder(0xF1)
        .block(2, {0x90, 4, 3, 31, 95, 97})                         // 16 native, 4, 3, 31, 95, 97
        .block(1, {0x09, 0x07, 0x07, 0x15, 0x07, 0x50, 0x3D, 0x1E, 0xC0})  // L-PCM 2ch, AC-3 6ch, DTS 6ch
        .block(4, {0x0F, 0x00, 0x00})                               // FL/FR, LFE1, FC, BL/BR
        .block(3, {0x03, 0x0C, 0x00, 0x12, 0x34, 0xB8, 0x3C})       // HDMI 1.2.3.4, 300 MHz
        .block(3, {0xD8, 0x5D, 0xC4, 0x01, 0x78, 0x80, 0x03})       // HDMI Forum 600 MHz, SCDC
        .extended(6, {0x07, 0x01, 0x60, 0x48, 0x20})                // SDR, HDR, PQ; 400/237.8/0.063
        .extended(5, {0xC3, 0x00})                                  // xvYCC601/709, BT2020YCC/RGB
        .extended(0, {0x4B})                                        // QS, IT under, CE both
        .extended(15, {0x03})                                       // 4:2:0 also for 16 and 4
        .extended(14, {96, 101})                                    // 4:2:0 only
        .dtd(d720)
        .dtd(d4k)
        .bytes();
    return table(baseBlock(), {cta});
}

Bytes hdmi21Table()
{
    const Bytes cta = CtaBuilder(0xE0)
        .block(2, {0x90, 97, 117, 118, 199, 200})
        .block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0x78, 0x44})       // 1.0.0.0, 340 MHz
        .extended(0x79, {0x00, 0x00, 0x01, 0x78, 0x80, 0x33})       // SCDB: 600 MHz, SCDC, FRL 3
        .extended(6, {0x0D, 0x01})                                  // SDR, PQ, HLG; no luminance
        .extended(15, {})                                           // all VICs also 4:2:0
        .block(1, {0x0F, 0x7F, 0x07, 0x57, 0x06, 0x01, 0x5F, 0x7E, 0x01}) // L-PCM 8ch, DD+, DTS-HD
        .block(4, {0xFF, 0x0F, 0x00})
        .bytes();
    return table(baseBlock(), {cta});
}

Bytes interlacedTable()
{
    Bytes base = baseBlock();
    Dtd i1080;
    i1080.pixelClockKHz = 74250;
    i1080.vActive = 540; i1080.vBlank = 22; i1080.vFront = 2; i1080.vSync = 5;
    i1080.interlaced = true;
    setDescriptor(base, 0, dtdBytes(i1080));
    Dtd d576;
    d576.pixelClockKHz = 27000;
    d576.hActive = 720; d576.hBlank = 144; d576.hFront = 12; d576.hSync = 64;
    d576.vActive = 576; d576.vBlank = 49; d576.vFront = 5; d576.vSync = 5;
    d576.widthMm = 0; d576.heightMm = 0;
    const Bytes cta = CtaBuilder(0x40)
        .block(2, {5, 20, 0x91, 39})
        .block(1, {0x09, 0x07, 0x01})
        .dtd(d576)
        .bytes();
    return table(base, {cta});
}

namespace {

// A DisplayID extension: the section header, the blocks, the section sum.
Bytes displayId(uint8_t version, const Bytes &blocks)
{
    Bytes s = {0x70, version, uint8_t(blocks.size()), 0x01, 0};
    s.insert(s.end(), blocks.begin(), blocks.end());
    unsigned sum = 0;
    for (size_t i = 1; i < s.size(); ++i)
        sum += s[i];
    s.push_back(uint8_t(0x100 - (sum & 0xFF)));
    s.resize(128, 0);
    return s;
}

Bytes joined(Bytes a, const Bytes &b)
{
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

} // namespace

std::vector<NamedTable> gapTables()
{
    Bytes v14 = baseBlock(0);
    v14[19] = 4;
    v14[20] = 0xA5; // digital, 8 bits, DisplayPort
    setDescriptor(v14, 1, rangeDescriptor(48, 144, 30, 255, 600));
    v14[54 + 18 + 4] = 0x08; // maximum line rate + 255 kHz
    fixChecksum(v14, 0);
    // HDR static (SDR, PQ, HLG), colorimetry (BT.2020), speakers (FL/FR).
    const Bytes hdrInDisplayId = {0x81, 0, 12, 0xE3, 0x06, 0x0D, 0x01, 0xE3, 0x05, 0xC0, 0x00, 0x83, 0x01, 0x00, 0x00};
    // 6-10 bpc RGB and 4:4:4, 8-10 4:2:2, 8 4:2:0 from 148.5 MHz, 32-48 kHz,
    // BT.709 and BT.2020 PQ, two more pairs.
    const Bytes features = {0x26, 0, 11, 0x07, 0x07, 0x03, 0x01, 0x02, 0xE0, 0x44, 0x00, 0x02, 0x68, 0x38};
    const Bytes typeIvVics = {0x06, 0x40, 2, 16, 97};                      // VIC codes, not DMT
    const Bytes dmtBitmap = {0x07, 0, 12, 0x08, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xFF, 0xFF}; // 2 bytes past the ids
    const Bytes latency = CtaBuilder(0xF0)
        .block(2, {0x90, 4})
        .block(3, {0x03, 0x0C, 0x00, 0x10, 0x00, 0x00, 0x2D, 0xC0, 0x00, 0xFF, 0x15, 0x00})
        .bytes();
    return {{"range offsets", v14},
            {"DisplayID 2.0 CTA blocks and interface features", table(baseBlock(), {displayId(0x20, joined(hdrInDisplayId, features))})},
            {"DisplayID 1.3 timing codes", table(baseBlock(), {displayId(0x13, joined(typeIvVics, dmtBitmap))})},
            {"HDMI latency names", table(baseBlock(), {latency})}};
}

std::vector<NamedTable> sampleTables()
{
    Bytes baseOnly = baseBlock(0);
    std::vector<NamedTable> out = {{"full", fullTable()},
                                   {"hdmi21", hdmi21Table()},
                                   {"interlaced", interlacedTable()},
                                   {"base only", baseOnly}};
    for (const NamedTable &t : gapTables())
        out.push_back(t);
    return out;
}

} // namespace edidtest
