// SPDX-License-Identifier: GPL-3.0-or-later
// Rules that span blocks: the display size against the timings, the range
// limits against every advertised timing, native timings, and the blocks a
// CTA-861 extension must or may only once carry. Severities follow what
// sources and checkers treat as breaking.
#include "decode_context.h"
#include "legacy_timings.h"
#include "vic_names.h"

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <set>

namespace vantrel::edid::detail {
namespace {

std::string rate(double value)
{
    char text[24];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

// Every DTD of the table, base block first, in order.
std::vector<const DetailedTiming *> allDtds(const EdidReport &r)
{
    std::vector<const DetailedTiming *> out;
    for (const DetailedTiming &t : r.base.timings)
        out.push_back(&t);
    for (const ExtensionBlock &ext : r.extensions)
        if (ext.cta)
            for (const DetailedTiming &t : ext.cta->timings)
                out.push_back(&t);
    return out;
}

int blockOf(int offset) { return offset / 128; }

void checkColourSpace(DecodeContext &ctx, const BaseBlock &b)
{
    static const uint8_t srgb[10] = {0xEE, 0x91, 0xA3, 0x54, 0x4C, 0x99, 0x26, 0x0F, 0x50, 0x54};
    bool matches = true;
    for (size_t i = 0; i < 10; ++i)
        matches = matches && ctx.at(0x19 + i) == srgb[i];
    const std::string context = "Colour characteristics";
    if ((b.features & 0x04) && !matches)
        ctx.error(0, 0x18, context, "sRGB is signalled, but the chromaticities are not those of sRGB");
    else if (!(b.features & 0x04) && matches)
        ctx.error(0, 0x19, context, "the chromaticities are those of sRGB, but sRGB is not signalled");
}

void checkBaseFields(DecodeContext &ctx, const BaseBlock &b)
{
    const std::string context = "Base block";
    const std::time_t now = std::time(nullptr);
    const std::tm *utc = std::gmtime(&now);
    if (utc && b.year > unsigned(utc->tm_year) + 1900)
        ctx.error(0, 17, context, "the year " + std::to_string(b.year) + " is in the future");
    // EDID 1.3 makes the first detailed timing the preferred one.
    if (b.version == 1 && b.revision == 3 && !(b.features & 0x02))
        ctx.error(0, 24, context, "EDID 1.3 requires the preferred timing bit (feature bit 1) to be set");
    if (b.version == 1 && b.revision <= 3 && b.week == 0xFF)
        ctx.error(0, 16, context, "EDID 1.3 has no model year (week 0xFF)");
    if (b.version == 1 && b.revision <= 3 && b.week == 54)
        ctx.error(0, 16, context, "EDID 1.3 has no week 54");
    for (size_t o = 0x26; o < 0x36; o += 2) {
        const uint8_t first = ctx.at(o), second = ctx.at(o + 1);
        if (first <= 0x01 && !(first == 0x01 && second == 0x01))
            ctx.error(0, o, "Standard timings",
                      "an unused standard timing is 01 01, not " + hex2(first).substr(2) + " " + hex2(second).substr(2));
    }
    if (b.version == 1 && b.revision >= 3) {
        if (b.displayNames.empty())
            ctx.error(0, 54, context, "no display product name descriptor");
        const bool continuous = b.features & 0x01;
        if (!b.rangeLimits && (b.revision == 3 || continuous))
            ctx.error(0, 54, context, "no display range limits descriptor");
    }
    // EDID 1.3 tables of more than two blocks start the extensions with a map.
    if (b.version == 1 && b.revision == 3 && b.extensionCount >= 2 && ctx.size() >= 256 && ctx.at(128) != 0xF0)
        ctx.error(0, 126, context, "EDID 1.3 needs a block map in block 1 when there are more than 2 blocks");
    if (b.rangeLimits && b.version == 1) {
        const bool v14 = b.revision >= 4, continuous = b.features & 0x01;
        const unsigned kind = b.rangeLimits->timingSupport;
        const std::string where = "Display Range Limits";
        if ((kind == 0 || kind == 2) && v14 && !continuous)
            ctx.error(0, 54, where, "GTF support with non-continuous frequencies");
        else if ((kind == 1 || kind == 4) && !v14)
            ctx.error(0, 54, where, "range class " + std::to_string(kind) + " needs EDID 1.4");
        else if (kind == 4 && !continuous)
            ctx.error(0, 54, where, "CVT support with non-continuous frequencies");
        else if (kind == 3 || kind > 4)
            ctx.error(0, 54, where, "unknown range class " + hex2(kind));
    }
}

// Sizes in whole millimetres, as the DTDs give them: "1210x680 mm".
std::string mmText(unsigned width, unsigned height)
{
    return std::to_string(width) + "x" + std::to_string(height) + " mm";
}

// The image size of each DTD should be that of the display (to 1 cm).
void checkImageSizes(DecodeContext &ctx, const EdidReport &r)
{
    const BaseBlock &b = r.base;
    const bool haveSize = b.widthCm && b.heightCm;
    const unsigned widthMm = haveSize ? b.widthCm * 10 : 0, heightMm = haveSize ? b.heightCm * 10 : 0;
    unsigned maxW = 0, maxH = 0;
    for (const DetailedTiming *t : allDtds(r)) {
        maxW = std::max(maxW, t->widthMm);
        maxH = std::max(maxH, t->heightMm);
        const std::string context = "Detailed Timing Descriptor";
        const std::string sizes = mmText(t->widthMm, t->heightMm) + " against " + mmText(widthMm, heightMm);
        if (!haveSize || (!t->widthMm && !t->heightMm)) {
            // nothing to compare
        } else if (t->widthMm > widthMm + 9 || t->heightMm > heightMm + 9 ||
                   (t->widthMm + 9 < widthMm && t->heightMm + 9 < heightMm)) {
            ctx.error(blockOf(t->offset), size_t(t->offset), context, "image size " + sizes + " of the display");
        }
        if (haveSize && (!t->widthMm || !t->heightMm))
            ctx.error(blockOf(t->offset), size_t(t->offset), context,
                      "no image size, while the display size is given");
    }
    if (haveSize && (maxW >= 10 + widthMm || maxH >= 10 + heightMm))
        ctx.error(0, 21, "Base block",
                  "the largest DTD image size " + mmText(maxW, maxH) + " exceeds the display size " +
                      mmText(widthMm, heightMm));
    if (!haveSize && (maxW || maxH))
        ctx.error(0, 21, "Base block",
                  "DTDs give an image size of up to " + mmText(maxW, maxH) + ", but the display size is not given");
}

struct RateSpan {
    bool any = false;
    double minV = 1e9, maxV = 0, minH = 1e9, maxH = 0;
    unsigned maxClockKHz = 0;
    void add(double vHz, double hKHz, unsigned clockKHz)
    {
        any = true;
        if (vHz > 0) {
            minV = std::min(minV, vHz);
            maxV = std::max(maxV, vHz);
        }
        if (hKHz > 0) {
            minH = std::min(minH, hKHz);
            maxH = std::max(maxH, hKHz);
            maxClockKHz = std::max(maxClockKHz, clockKHz);
        }
    }
};

// Every timing the table advertises, as rates.
RateSpan advertisedRates(DecodeContext &ctx, const EdidReport &r)
{
    RateSpan span;
    const uint8_t est[3] = {ctx.at(0x23), ctx.at(0x24), ctx.at(0x25)};
    for (const LegacyTiming &t : establishedTimings(est))
        span.add(t.refreshHz, t.hFreqKHz, t.pixelClockKHz);
    for (size_t o = 0x26; o < 0x36; o += 2)
        if (const auto t = standardTiming(ctx.at(o), ctx.at(o + 1), r.base.revision))
            span.add(t->refreshHz, t->hFreqKHz, t->pixelClockKHz);
    for (const DetailedTiming *t : allDtds(r))
        span.add(t->refreshHz(), t->hFreqKHz(), t->pixelClockKHz);
    for (const ExtensionBlock &ext : r.extensions)
        if (ext.displayId)
            for (const DisplayIdBlock &b : ext.displayId->blocks)
                for (const DisplayIdTiming &t : b.timings)
                    if (t.detail)
                        span.add(t.detail->refreshHz(), t.detail->hFreqKHz(), t.detail->pixelClockKHz);
    static const unsigned hdmiVicToVic[5] = {0, 95, 94, 93, 98};
    for (const ExtensionBlock &ext : r.extensions) {
        if (!ext.cta)
            continue;
        for (const DataBlock &db : ext.cta->dataBlocks) {
            // A 4:2:0 timing runs at half the pixel clock on the link, at
            // the same line rate.
            for (const Vic &v : db.vics)
                if (const VicFormat *f = vicFormat(v.vic))
                    span.add(f->refreshHz(), f->hFreqKHz(), f->pixelClockKHz / (v.ycbcr420Only ? 2 : 1));
            if (db.hdmi)
                for (unsigned h : db.hdmi->hdmiVics)
                    if (h >= 1 && h <= 4)
                        if (const VicFormat *f = vicFormat(hdmiVicToVic[h]))
                            span.add(f->refreshHz(), f->hFreqKHz(), f->pixelClockKHz);
        }
    }
    return span;
}

// Rates within half a unit of a limit count as rounding; a timing a whole
// unit beyond one is out of range, which EDID 1.4 allows for timings it
// lists explicitly.
void checkRangeLimits(DecodeContext &ctx, const EdidReport &r)
{
    if (!r.base.rangeLimits)
        return;
    const RangeLimits &m = *r.base.rangeLimits;
    const RateSpan s = advertisedRates(ctx, r);
    if (!s.any)
        return;
    const unsigned maxClock = m.maxPixelClockMHz * 1000;
    const bool vBeyond = s.minV + 0.5 < m.minVHz || (m.maxVHz && s.maxV >= m.maxVHz + 0.5);
    const bool hBeyond = s.minH + 0.5 < m.minHKHz || (m.maxHKHz && s.maxH >= m.maxHKHz + 0.5);
    const bool clockBeyond = maxClock && s.maxClockKHz > maxClock;
    if (!vBeyond && !hBeyond && !clockBeyond)
        return;
    const bool outOfRange = s.minV + 1 <= m.minVHz || (m.maxVHz && s.maxV >= m.maxVHz + 1.0) ||
                            s.minH + 1 <= m.minHKHz || (m.maxHKHz && s.maxH >= m.maxHKHz + 1.0) ||
                            (maxClock && s.maxClockKHz >= maxClock + 10000);
    std::string what = "timings outside the display range limits:";
    if (vBeyond)
        what += " vertical " + rate(s.minV) + "-" + rate(s.maxV) + " Hz (limits " + std::to_string(m.minVHz) + "-" +
                std::to_string(m.maxVHz) + " Hz)";
    if (hBeyond)
        what += std::string(vBeyond ? "," : "") + " horizontal " + rate(s.minH) + "-" + rate(s.maxH) + " kHz (limits " +
                std::to_string(m.minHKHz) + "-" + std::to_string(m.maxHKHz) + " kHz)";
    if (clockBeyond)
        what += std::string(vBeyond || hBeyond ? "," : "") + " pixel clock " + rate(s.maxClockKHz / 1000.0) +
                " MHz (limit " + std::to_string(m.maxPixelClockMHz) + " MHz)";
    if (!outOfRange)
        what += "; may be rounding";
    const bool error = outOfRange && r.base.revision < 4;
    ctx.problem(error ? Severity::Error : Severity::Warning, -1, -1, "Table", what);
}

// Native timings: the first DTDs the first CTA-861 extension counts as
// native, and the video codes flagged native. They should be one format.
void checkNativeTimings(DecodeContext &ctx, const EdidReport &r)
{
    const CtaExtension *first = nullptr;
    for (const ExtensionBlock &ext : r.extensions)
        if (ext.cta && !first)
            first = &*ext.cta;
    if (!first)
        return;
    struct Size {
        unsigned w, h;
        bool interlaced;
    };
    std::vector<Size> natives;
    const std::vector<const DetailedTiming *> dtds = allDtds(r);
    if (first->revision >= 2 && first->nativeDtds > dtds.size())
        ctx.error(-1, -1, "CTA-861", std::to_string(first->nativeDtds) + " native DTDs announced, but the table has " +
                                         std::to_string(dtds.size()) + " DTDs");
    const size_t count = first->revision >= 2 ? std::min<size_t>(first->nativeDtds, dtds.size()) : 0;
    for (size_t i = 0; i < count; ++i)
        natives.push_back({dtds[i]->hActive, dtds[i]->frameHeight(), dtds[i]->interlaced});
    for (const Vic &v : r.allVics())
        if (v.native)
            if (const VicFormat *f = vicFormat(v.vic))
                natives.push_back({f->hActive, f->vActive, f->interlaced});
    bool progressive = false, interlaced = false, mixedP = false, mixedI = false;
    Size p{0, 0, false}, i{0, 0, true};
    for (const Size &s : natives) {
        Size &seen = s.interlaced ? i : p;
        bool &any = s.interlaced ? interlaced : progressive;
        bool &mixed = s.interlaced ? mixedI : mixedP;
        if (any && (seen.w != s.w || seen.h != s.h))
            mixed = true;
        if (!any)
            seen = s;
        any = true;
    }
    if (mixedP)
        ctx.error(-1, -1, "CTA-861", "native progressive timings are of several resolutions");
    if (mixedI)
        ctx.error(-1, -1, "CTA-861", "native interlaced timings are of several resolutions");
    if (interlaced && !progressive)
        ctx.error(-1, -1, "CTA-861", "a native interlaced timing, but no native progressive one");
}

bool onlyOnce(const DataBlock &db)
{
    if (db.tag == 4 || db.tag == 5)
        return true;
    if (db.tag != 7)
        return false;
    static const unsigned once[] = {0, 2, 5, 6, 8, 13, 15, 18, 19, 120, 121};
    return std::find(std::begin(once), std::end(once), db.extendedTag) != std::end(once);
}

bool isAudioBlock(const DataBlock &db)
{
    return db.tag == 1 || db.tag == 4 || (db.tag == 7 && db.extendedTag >= 17 && db.extendedTag <= 20);
}

void checkCtaBlocks(DecodeContext &ctx, const EdidReport &r)
{
    std::set<unsigned> seenOnce;
    bool seenVcdb = false, seenHf = false, seenVic1 = false, firstCta = true;
    uint8_t byte3 = 0;
    unsigned hdmiVicsMissing = 0;
    std::set<unsigned> vdbVics;
    for (const Vic &v : r.allVics())
        vdbVics.insert(v.vic);
    for (const ExtensionBlock &ext : r.extensions) {
        if (!ext.cta)
            continue;
        const CtaExtension &c = *ext.cta;
        const int block = int(ext.index);
        const size_t start = size_t(ext.index) * 128;
        const uint8_t flags = ctx.at(start + 3);
        bool hasHdmi = false;
        if (c.revision == 0 || c.revision == 2)
            ctx.error(block, start + 1, ext.name, "CTA-861 revision " + std::to_string(c.revision) + " is not in use");
        if (c.revision >= 2) {
            if (firstCta)
                byte3 = flags;
            else if (flags != byte3)
                ctx.error(block, start + 3, ext.name, "byte 3 differs from that of the first CTA-861 extension");
        }
        const DataBlock *previous = nullptr;
        for (const DataBlock &db : c.dataBlocks) {
            const unsigned key = db.tag == 7 ? 0x700 | db.extendedTag : db.tag;
            if (onlyOnce(db) && !seenOnce.insert(key).second)
                ctx.error(block, size_t(db.offset), db.name, "only one block of this kind is allowed");
            if (isAudioBlock(db) && !(byte3 & 0x40))
                ctx.error(block, size_t(db.offset), db.name,
                          "audio is described, but byte 3 of the extension does not announce basic audio");
            if (db.hdmi)
                hasHdmi = true;
            const bool hf = db.hdmiForum.has_value() || db.kind == BlockKind::Scdb;
            if (hf) {
                if (!previous || !previous->hdmi)
                    ctx.error(block, size_t(db.offset), db.name, "does not follow the HDMI vendor block directly");
                if (seenHf)
                    ctx.error(block, size_t(db.offset), db.name, "a second HDMI Forum block");
                seenHf = true;
            }
            if (db.kind == BlockKind::VideoCapability && db.videoCapability) {
                seenVcdb = true;
                const VideoCapability &v = *db.videoCapability;
                if (!v.qs)
                    ctx.error(block, size_t(db.offset), db.name,
                              "RGB quantization range is not selectable (sources then guess the range)");
                if (v.it == 1 && (byte3 & 0x80))
                    ctx.error(block, size_t(db.offset), db.name,
                              "IT formats are always overscanned, but byte 3 says underscanned");
                if (v.it == 2 && !(byte3 & 0x80))
                    ctx.error(block, size_t(db.offset), db.name,
                              "IT formats are always underscanned, but byte 3 says overscanned");
            }
            if (db.kind == BlockKind::Video)
                for (const Vic &v : db.vics)
                    seenVic1 = seenVic1 || v.vic == 1;
            if (db.hdmi) {
                static const unsigned hdmiVicToVic[5] = {0, 95, 94, 93, 98};
                for (unsigned h : db.hdmi->hdmiVics)
                    if (h >= 1 && h <= 4 && !vdbVics.count(hdmiVicToVic[h]))
                        ++hdmiVicsMissing;
            }
            previous = &db;
        }
        if (hasHdmi && c.revision != 3)
            ctx.error(block, start + 1, ext.name, "HDMI needs CTA-861 revision 3");
        if (hasHdmi && r.base.revision != 3)
            ctx.error(block, start, ext.name,
                      "HDMI needs EDID 1.3, the table is EDID 1." + std::to_string(r.base.revision));
        if (!seenVic1 && !(ctx.at(0x23) & 0x20))
            ctx.error(block, start, ext.name, "640x480p60 is neither an established timing nor VIC 1");
        if (hdmiVicsMissing)
            ctx.error(block, start, ext.name, "HDMI VICs without their CTA-861 VIC in the video data block");
        if (!seenVcdb)
            ctx.error(block, start, ext.name,
                      "no Video Capability Data Block: sources cannot learn the RGB quantization range");
        hdmiVicsMissing = 0;
        firstCta = false;
    }
}

// A DisplayID table names its product once and prefers a timing; the first
// section counts the sections after it.
void checkDisplayId(DecodeContext &ctx, const EdidReport &r)
{
    const DisplayIdSection *first = nullptr;
    const ExtensionBlock *firstBlock = nullptr;
    unsigned later = 0;
    bool product = false, preferred = false;
    for (const ExtensionBlock &ext : r.extensions) {
        if (!ext.displayId)
            continue;
        const DisplayIdSection &s = *ext.displayId;
        if (!first) {
            first = &s;
            firstBlock = &ext;
        } else {
            ++later;
            if (s.version != first->version)
                ctx.error(int(ext.index), ext.index * 128 + 1, ext.name,
                          "DisplayID version " + s.versionText() + ", the first section has " + first->versionText());
        }
        for (const DisplayIdBlock &b : s.blocks) {
            product = product || b.product.has_value();
            for (const DisplayIdTiming &t : b.timings)
                preferred = preferred || t.preferred;
        }
    }
    if (!first)
        return;
    const std::string context = "DisplayID";
    if (first->extensionCount != later)
        ctx.error(int(firstBlock->index), firstBlock->index * 128 + 4, firstBlock->name,
                  "the first section announces " + std::to_string(first->extensionCount) +
                      " DisplayID extension sections, the table has " + std::to_string(later));
    if (!product)
        ctx.error(-1, -1, context, "no Product Identification Data Block");
    if (!preferred)
        ctx.error(-1, -1, context, "no DisplayID timing is marked preferred");
}

} // namespace

void checkConformity(DecodeContext &ctx, EdidReport &report)
{
    if (!report.hasBase)
        return;
    checkColourSpace(ctx, report.base);
    checkBaseFields(ctx, report.base);
    checkImageSizes(ctx, report);
    checkRangeLimits(ctx, report);
    checkNativeTimings(ctx, report);
    checkCtaBlocks(ctx, report);
    checkDisplayId(ctx, report);
}

} // namespace vantrel::edid::detail
