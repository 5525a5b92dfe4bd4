// SPDX-License-Identifier: GPL-3.0-or-later
// The timing blocks of a DisplayID section: whole timings (types I, II,
// VII), formula timings (III, IX, X) and timing codes (IV, VIII, the DMT and
// CTA-861 bitmaps).
#include "displayid_blocks.h"
#include "legacy_timings.h"
#include "vic_names.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::edid::detail {
namespace {

// Height from width by the aspect code of types I to III; 0 when unknown.
unsigned heightForAspect(unsigned width, unsigned aspect)
{
    static const unsigned ratios[8][2] = {{1, 1}, {5, 4}, {4, 3}, {15, 9}, {16, 9}, {16, 10}, {64, 27}, {256, 135}};
    return aspect < 8 ? width * ratios[aspect][1] / ratios[aspect][0] : 0;
}

// The size and rate come from the whole timing; its sync is digital separate.
DisplayIdTiming withDetail(DisplayIdTiming t, DetailedTiming d)
{
    d.interlaced = t.interlaced;
    d.syncKind = 3;
    t.width = d.hActive;
    t.height = d.frameHeight();
    t.refreshHz = d.refreshHz();
    t.detail = d;
    return t;
}

// Types I and VII: 20 bytes, values stored less one; the pixel clock in
// 10 kHz (I) or 1 kHz (VII) units.
DisplayIdTiming wholeTiming(DecodeContext &ctx, size_t o, unsigned type)
{
    DisplayIdTiming t;
    t.offset = int(o);
    t.length = 20;
    t.type = type;
    const uint8_t flags = ctx.at(o + 3);
    t.preferred = flags & 0x80;
    t.interlaced = flags & 0x10;
    t.aspect = flags & 0x0F;
    DetailedTiming d;
    d.offset = int(o);
    const uint32_t clock = uint32_t(ctx.at(o) | (ctx.at(o + 1) << 8) | (ctx.at(o + 2) << 16)) + 1;
    d.pixelClockKHz = type == 7 ? clock : clock * 10;
    d.hActive = ctx.le16(o + 4) + 1u;
    d.hBlank = ctx.le16(o + 6) + 1u;
    d.hFront = (ctx.le16(o + 8) & 0x7FFF) + 1u;
    d.hSyncPositive = ctx.at(o + 9) & 0x80;
    d.hSync = ctx.le16(o + 10) + 1u;
    d.vActive = ctx.le16(o + 12) + 1u;
    d.vBlank = ctx.le16(o + 14) + 1u;
    d.vFront = (ctx.le16(o + 16) & 0x7FFF) + 1u;
    d.vSyncPositive = ctx.at(o + 17) & 0x80;
    d.vSync = ctx.le16(o + 18) + 1u;
    return withDetail(t, d);
}

// Type II: 11 bytes, horizontal values in 8-pixel cells.
DisplayIdTiming cellTiming(DecodeContext &ctx, size_t o)
{
    DisplayIdTiming t;
    t.offset = int(o);
    t.length = 11;
    t.type = 2;
    const uint8_t flags = ctx.at(o + 3);
    t.preferred = flags & 0x80;
    t.interlaced = flags & 0x10;
    DetailedTiming d;
    d.offset = int(o);
    d.pixelClockKHz = (uint32_t(ctx.at(o) | (ctx.at(o + 1) << 8) | (ctx.at(o + 2) << 16)) + 1) * 10;
    d.hSyncPositive = flags & 0x08;
    d.vSyncPositive = flags & 0x04;
    d.hActive = ((ctx.at(o + 4) | ((ctx.at(o + 5) & 1u) << 8)) + 1) * 8;
    d.hBlank = ((ctx.at(o + 5) >> 1) + 1u) * 8;
    d.hFront = ((ctx.at(o + 6) >> 4) + 1u) * 8;
    d.hSync = ((ctx.at(o + 6) & 0x0F) + 1u) * 8;
    d.vActive = (ctx.at(o + 7) | ((ctx.at(o + 8) & 0x0Fu) << 8)) + 1;
    d.vBlank = ctx.at(o + 9) + 1u;
    d.vFront = (ctx.at(o + 10) >> 4) + 1u;
    d.vSync = (ctx.at(o + 10) & 0x0F) + 1u;
    return withDetail(t, d);
}

DisplayIdTiming codeTiming(size_t o, unsigned length, unsigned type, const std::string &code, unsigned width,
                           unsigned height, bool interlaced, double hz)
{
    DisplayIdTiming t;
    t.offset = int(o);
    t.length = length;
    t.type = type;
    t.code = code;
    t.width = width;
    t.height = height;
    t.interlaced = interlaced;
    t.refreshHz = hz;
    return t;
}

std::string hexCode(const char *kind, unsigned value)
{
    char text[16];
    std::snprintf(text, sizeof text, "%s 0x%02X", kind, value);
    return text;
}

void addDmt(BlockReader &r, size_t o, unsigned length, unsigned type, unsigned id)
{
    if (const auto t = dmtTiming(id))
        r.block.timings.push_back(
            codeTiming(o, length, type, hexCode("DMT", id), t->hActive, t->vActive, t->interlaced, t->refreshHz));
    else
        r.error("unknown DMT id " + hex2(id));
}

void addVic(BlockReader &r, size_t o, unsigned length, unsigned type, unsigned vic)
{
    if (const VicFormat *f = vicFormat(vic))
        r.block.timings.push_back(codeTiming(o, length, type, "VIC " + std::to_string(vic), f->hActive, f->vActive,
                                             f->interlaced, f->refreshHz()));
    else
        r.error("unknown VIC " + std::to_string(vic));
}

// Kind 0 DMT ids, 1 VICs, 2 HDMI VICs (types IV and VIII).
void addCode(BlockReader &r, size_t o, unsigned length, unsigned type, unsigned kind, unsigned code)
{
    if (kind == 0)
        addDmt(r, o, length, type, code);
    else if (kind == 1)
        addVic(r, o, length, type, code);
    else if (kind == 2)
        r.block.timings.push_back(codeTiming(o, length, type, "HDMI VIC " + std::to_string(code), 0, 0, false, 0));
    else
        r.error("reserved timing code kind 3");
}

} // namespace

void decodeDisplayIdTimings(BlockReader &r)
{
    DisplayIdBlock &b = r.block;
    const size_t p = r.payload();
    switch (b.tag) {
    case 0x03: // type I
    case 0x22: // type VII
        if (b.length % 20)
            r.error("length " + std::to_string(b.length) + " is not a multiple of 20");
        for (unsigned i = 0; i + 20 <= b.length; i += 20)
            b.timings.push_back(wholeTiming(r.ctx, p + i, b.tag == 0x03 ? 1 : 7));
        break;
    case 0x04: // type II
        if (b.length % 11)
            r.error("length " + std::to_string(b.length) + " is not a multiple of 11");
        for (unsigned i = 0; i + 11 <= b.length; i += 11)
            b.timings.push_back(cellTiming(r.ctx, p + i));
        break;
    case 0x05: // type III: CVT by width, aspect and rate
        if (b.length % 3)
            r.error("length " + std::to_string(b.length) + " is not a multiple of 3");
        for (unsigned i = 0; i + 3 <= b.length; i += 3) {
            const uint8_t f = r.at(i), w = r.at(i + 1), v = r.at(i + 2);
            const unsigned width = (w + 1u) * 8;
            DisplayIdTiming t =
                codeTiming(p + i, 3, 3, "", width, heightForAspect(width, f & 0x0F), v & 0x80, (v & 0x7F) + 1.0);
            t.preferred = f & 0x80;
            t.aspect = f & 0x0F;
            t.formula = (f >> 4) & 7;
            b.timings.push_back(t);
        }
        break;
    case 0x06: { // type IV: one-byte codes, their kind in the revision byte as in type VIII
        const unsigned kind = r.ctx.at(size_t(b.offset) + 1) >> 6;
        for (unsigned i = 0; i < b.length; ++i)
            addCode(r, p + i, 1, 4, kind, r.at(i));
        break;
    }
    case 0x07: // the DMT bitmap: bit n for id n + 1, ten bytes cover every id
    case 0x08: { // the CTA-861 bitmap: bit n for VIC n + 1, eight bytes
        const unsigned bytes = b.tag == 0x07 ? 10 : 8;
        if (b.length > bytes)
            r.warning("length " + std::to_string(b.length) + ": the bytes after the first " +
                      std::to_string(bytes) + " stand for no timing");
        for (unsigned i = 0; i < std::min(b.length, bytes) * 8; ++i)
            if ((r.at(i / 8) >> (i % 8)) & 1)
                addCode(r, p + i / 8, 0, b.tag == 0x07 ? 4 : 8, b.tag == 0x07 ? 0 : 1, i + 1);
        break;
    }
    case 0x23: { // type VIII: one- or two-byte codes of DMT, VIC or HDMI VIC
        const uint8_t rev = r.ctx.at(size_t(b.offset) + 1);
        const unsigned kind = rev >> 6, size = (rev & 0x08) ? 2 : 1;
        for (unsigned i = 0; i + size <= b.length; i += size) {
            addCode(r, p + i, size, 8, kind, size == 2 ? r.ctx.le16(p + i) : r.at(i));
        }
        break;
    }
    case 0x24:   // type IX: 6 bytes, CVT
    case 0x2A: { // type X: 6 or 7 bytes, CVT with a 10-bit rate
        const unsigned size = b.tag == 0x24 ? 6 : 6 + ((r.ctx.at(size_t(b.offset) + 1) >> 4) & 7);
        if (size < 6 || size > 7 || b.length % size)
            r.error("length " + std::to_string(b.length) + " is not a multiple of " + std::to_string(size));
        for (unsigned i = 0; size >= 6 && size <= 7 && i + size <= b.length; i += size) {
            const uint8_t f = r.at(i);
            const unsigned rate = size == 7 ? (r.at(i + 5) | ((r.at(i + 6) & 3u) << 8)) + 1 : r.at(i + 5) + 1u;
            DisplayIdTiming t = codeTiming(p + i, size, b.tag == 0x24 ? 9 : 10, "", r.ctx.le16(p + i + 1) + 1u,
                                           r.ctx.le16(p + i + 3) + 1u, false, rate);
            t.preferred = f & 0x80;
            t.formula = f & 7;
            b.timings.push_back(t);
        }
        break;
    }
    default:
        break;
    }
}

} // namespace vantrel::edid::detail
