// SPDX-License-Identifier: GPL-3.0-or-later
// The base block, detailed timings, and the walk over the blocks of a table.
#include "decode_context.h"

#include <cstdio>

namespace vantrel::edid {
namespace detail {

std::string hex2(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%02X", value & 0xFF);
    return text;
}

std::string hex4(unsigned value)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04X", value & 0xFFFF);
    return text;
}

DetailedTiming decodeDetailedTiming(DecodeContext &ctx, int block, size_t o,
                                    const std::string &context)
{
    DetailedTiming t;
    t.offset = int(o);
    t.pixelClockKHz = uint32_t(ctx.le16(o)) * 10;
    t.hActive = ctx.at(o + 2) | ((ctx.at(o + 4) >> 4) << 8);
    t.hBlank = ctx.at(o + 3) | ((ctx.at(o + 4) & 0x0F) << 8);
    t.vActive = ctx.at(o + 5) | ((ctx.at(o + 7) >> 4) << 8);
    t.vBlank = ctx.at(o + 6) | ((ctx.at(o + 7) & 0x0F) << 8);
    const uint8_t low = ctx.at(o + 11);
    t.hFront = ctx.at(o + 8) | ((low >> 6) << 8);
    t.hSync = ctx.at(o + 9) | (((low >> 4) & 3) << 8);
    t.vFront = (ctx.at(o + 10) >> 4) | (((low >> 2) & 3) << 4);
    t.vSync = (ctx.at(o + 10) & 0x0F) | ((low & 3) << 4);
    t.widthMm = ctx.at(o + 12) | ((ctx.at(o + 14) >> 4) << 8);
    t.heightMm = ctx.at(o + 13) | ((ctx.at(o + 14) & 0x0F) << 8);
    t.hBorder = ctx.at(o + 15);
    t.vBorder = ctx.at(o + 16);
    const uint8_t flags = ctx.at(o + 17);
    t.interlaced = flags & 0x80;
    t.stereo = ((flags >> 4) & 6) | (flags & 1);
    t.syncKind = (flags >> 3) & 3;
    t.vSyncPositive = t.syncKind == 3 && (flags & 0x04);
    t.hSyncPositive = t.syncKind >= 2 && (flags & 0x02);

    if (t.hActive == 0 || t.vActive == 0)
        ctx.error(block, o, context, "detailed timing with no active area");
    else if (!t.hBlank || !t.hFront || !t.hSync || !t.vBlank || !t.vSync || (!t.vFront && !t.interlaced))
        ctx.error(block, o, context, "a blanking, porch or sync width is 0");
    if (t.hFront + t.hSync >= t.hBlank)
        ctx.error(block, o, context, "no horizontal back porch: front porch and sync fill the blanking");
    if (t.vFront + t.vSync >= t.vBlank)
        ctx.error(block, o, context, "no vertical back porch: front porch and sync fill the blanking");
    return t;
}

namespace {

// Text ends at the first line feed or NUL; a line feed is followed only by
// spaces. Other control or non-ASCII bytes show as '?'.
std::string descriptorText(DecodeContext &ctx, int block, size_t o, const std::string &context)
{
    std::string text;
    size_t i = 5;
    for (; i < 18; ++i) {
        const uint8_t c = ctx.at(o + i);
        if (c == 0x0A || c == 0x00)
            break;
        text += c < 0x20 || c > 0x7E ? '?' : char(c);
    }
    const bool ended = i < 18;
    const uint8_t end = ended ? ctx.at(o + i) : 0x0A;
    if (text.find('?') != std::string::npos || end == 0x00)
        ctx.error(block, o, context, "text holds a character that is not printable ASCII");
    else if (end == 0x0A && i == 5)
        ctx.error(block, o, context, "empty text");
    else if (!text.empty() && text.back() == ' ')
        ctx.error(block, o, context, "text ends in spaces");
    if (ended && end == 0x0A)
        for (size_t k = i + 1; k < 18; ++k)
            if (ctx.at(o + k) != 0x20) {
                ctx.error(block, o, context, "bytes after the line feed are not spaces");
                break;
            }
    return text;
}

void decodeRangeLimits(DecodeContext &ctx, int block, size_t o, BaseBlock &base)
{
    const std::string context = "Display Range Limits";
    const uint8_t flags = ctx.at(o + 4);
    RangeLimits r;
    // The offsets for rates above 255 exist from EDID 1.4 on.
    const unsigned f = base.revision >= 4 ? flags : 0;
    r.minVHz = ctx.at(o + 5) + ((f & 3) == 3 ? 255 : 0);
    r.maxVHz = ctx.at(o + 6) + ((f & 3) >= 2 ? 255 : 0);
    r.minHKHz = ctx.at(o + 7) + (((f >> 2) & 3) == 3 ? 255 : 0);
    r.maxHKHz = ctx.at(o + 8) + (((f >> 2) & 3) >= 2 ? 255 : 0);
    r.maxPixelClockMHz = ctx.at(o + 9) * 10u;
    r.timingSupport = ctx.at(o + 10);
    if (r.minVHz > r.maxVHz)
        ctx.error(block, o, context, "minimum vertical rate above the maximum");
    if (r.minHKHz > r.maxHKHz)
        ctx.error(block, o, context, "minimum horizontal rate above the maximum");
    if (base.rangeLimits)
        ctx.error(block, o, context, "more than one range limits descriptor");
    // Without a secondary curve or CVT data the rest is a line feed and spaces.
    if (r.timingSupport == 0 || r.timingSupport == 1) {
        bool padded = ctx.at(o + 11) == 0x0A;
        for (size_t i = 12; i < 18; ++i)
            padded = padded && ctx.at(o + i) == 0x20;
        if (!padded)
            ctx.error(block, o + 11, context, "bytes 11 to 17 are not a line feed and spaces");
    }
    base.rangeLimits = r;
}

} // namespace

void decodeDisplayDescriptor(DecodeContext &ctx, int block, size_t o, BaseBlock &base)
{
    const std::string context = "Display Descriptor";
    const uint8_t tag = ctx.at(o + 3);
    bool allZero = true;
    for (size_t i = 0; i < 18; ++i)
        allZero = allZero && ctx.at(o + i) == 0;
    if (allZero) {
        ctx.error(block, o, context, "all bytes 0: an unused descriptor is a dummy descriptor (tag 0x10)");
        return;
    }
    if (ctx.at(o + 2) != 0)
        ctx.error(block, o + 2, context, "byte 2 is " + hex2(ctx.at(o + 2)) + ", not 0");
    if (ctx.at(o + 4) != 0 && (base.revision < 4 || tag != 0xFD))
        ctx.error(block, o + 4, context, "byte 4 is " + hex2(ctx.at(o + 4)) + ", not 0");
    switch (tag) {
    case 0xFF:
        base.serialText = descriptorText(ctx, block, o, "Display Product Serial Number");
        base.texts.push_back({block, tag, base.serialText});
        break;
    case 0xFE:
        base.dataStrings.push_back(descriptorText(ctx, block, o, "Alphanumeric Data String"));
        base.texts.push_back({block, tag, base.dataStrings.back()});
        break;
    case 0xFC:
        base.displayNames.push_back(descriptorText(ctx, block, o, "Display Product Name"));
        base.texts.push_back({block, tag, base.displayNames.back()});
        break;
    case 0xFD:
        decodeRangeLimits(ctx, block, o, base);
        break;
    case 0x10:
        for (size_t i = 5; i < 18; ++i)
            if (ctx.at(o + i) != 0) {
                ctx.error(block, o + i, "Dummy Descriptor", "bytes 5 to 17 of a dummy descriptor must be 0");
                break;
            }
        break;
    case 0xFB: case 0xFA: case 0xF9: case 0xF8: case 0xF7:
        break; // colour points and timings: known, not shown
    default:
        if (tag > 0x0F)
            ctx.error(block, o, context, "reserved display descriptor tag " + hex2(tag));
        break;
    }
}

namespace {

void decodeDescriptor(DecodeContext &ctx, size_t o, unsigned slot, BaseBlock &base)
{
    if (ctx.le16(o) != 0) {
        base.timings.push_back(decodeDetailedTiming(ctx, 0, o, "Detailed Timing Descriptor"));
        return;
    }
    if (slot == 0)
        ctx.error(0, o, "Display Descriptor", "the first descriptor must be the preferred detailed timing");
    decodeDisplayDescriptor(ctx, 0, o, base);
}

void decodeBase(DecodeContext &ctx, BaseBlock &base)
{
    const std::string context = "Base block";
    static const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    base.headerOk = true;
    for (size_t i = 0; i < 8; ++i)
        base.headerOk = base.headerOk && ctx.at(i) == header[i];
    if (!base.headerOk)
        ctx.error(0, 0, context, "header is not 00 FF FF FF FF FF FF 00");

    // Letters 1 to 26 are A to Z; other values print as the characters next
    // to them ('@' for 0, '[' to '_' for 27 to 31), as other tools show them.
    const unsigned id = (unsigned(ctx.at(8)) << 8) | ctx.at(9);
    bool lettersOk = true;
    for (int shift = 10; shift >= 0; shift -= 5) {
        const unsigned letter = (id >> shift) & 0x1F;
        lettersOk = lettersOk && letter >= 1 && letter <= 26;
        base.manufacturer += char('@' + letter);
    }
    if (!lettersOk)
        ctx.error(0, 8, context, "manufacturer id " + hex4(id) + " is not three letters");
    else if (id & 0x8000)
        ctx.warning(0, 8, context, "reserved bit 7 of the manufacturer id is set");
    base.productCode = ctx.le16(10);
    base.serialNumber = uint32_t(ctx.le16(12)) | (uint32_t(ctx.le16(14)) << 16);
    base.week = ctx.at(16);
    base.year = 1990 + ctx.at(17);
    base.modelYear = base.week == 0xFF;
    if (base.week > 54 && !base.modelYear)
        ctx.error(0, 16, context, "week of manufacture " + std::to_string(base.week) + " is out of range");

    base.version = ctx.at(18);
    base.revision = ctx.at(19);
    if (base.version != 1)
        ctx.error(0, 18, context, "EDID version " + std::to_string(base.version) + " is not 1");
    else if (base.revision > 4)
        ctx.warning(0, 19, context, "EDID revision 1." + std::to_string(base.revision) + " is newer than 1.4");

    const uint8_t input = ctx.at(20);
    base.digital = input & 0x80;
    if (base.digital && base.revision >= 4) {
        static const unsigned depths[8] = {0, 6, 8, 10, 12, 14, 16, 0};
        base.bitsPerColor = depths[(input >> 4) & 7];
        base.interfaceType = input & 0x0F;
        if (((input >> 4) & 7) == 7)
            ctx.error(0, 20, context, "reserved colour bit depth");
        if (base.interfaceType > 5)
            ctx.error(0, 20, context, "reserved digital interface " + hex2(base.interfaceType));
    } else if (base.digital && (input & (base.revision >= 2 ? 0x7E : 0x7F))) {
        // Before EDID 1.4 only bit 0 (DFP 1.x) has a meaning.
        ctx.error(0, 20, context, "reserved digital interface bits " + hex2(input & 0x7F));
    }
    base.widthCm = ctx.at(21);
    base.heightCm = ctx.at(22);
    base.gammaHundredths = ctx.at(23) == 0xFF ? 0 : ctx.at(23) + 100u;
    base.features = ctx.at(24);

    // Ten bits each: the high eight in bytes 0x1B to 0x22, the low two
    // packed in 0x19 and 0x1A.
    for (unsigned i = 0; i < 8; ++i) {
        const unsigned low = (ctx.at(0x19 + i / 4) >> (6 - 2 * (i % 4))) & 3;
        base.chromaticity[i / 2][i % 2] = ((unsigned(ctx.at(0x1B + i)) << 2) | low) / 1024.0;
    }
    const uint8_t established[3] = {ctx.at(0x23), ctx.at(0x24), ctx.at(0x25)};
    base.establishedTimings = establishedTimings(established);
    for (size_t o = 0x26; o < 0x36; o += 2)
        if (const auto t = standardTiming(ctx.at(o), ctx.at(o + 1), base.revision))
            base.standardTimings.push_back(*t);

    for (unsigned slot = 0; slot < 4; ++slot)
        decodeDescriptor(ctx, 54 + 18 * slot, slot, base);

    base.extensionCount = ctx.at(126);
    base.checksum = ctx.at(127);
}

bool blockChecksumOk(const DecodeContext &ctx, size_t start)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 128; ++i)
        sum += ctx.at(start + i);
    return (sum & 0xFF) == 0;
}

std::string expectedChecksum(const DecodeContext &ctx, size_t start)
{
    unsigned sum = 0;
    for (size_t i = 0; i < 127; ++i)
        sum += ctx.at(start + i);
    return hex2((0x100 - (sum & 0xFF)) & 0xFF);
}

std::string extensionName(uint8_t tag)
{
    switch (tag) {
    case 0x02: return "CTA-861 Extension Block";
    case 0x10: return "Video Timing Extension Block";
    case 0x20: return "EDID 2.0 Extension Block";
    case 0x40: return "Display Information Extension Block";
    case 0x50: return "Localized String Extension Block";
    case 0x60: return "Microdisplay Interface Extension Block";
    case 0x70: return "DisplayID Extension Block";
    case 0xA7: case 0xAF: case 0xBF: return "Display Transfer Characteristics Data Block";
    case 0xF0: return "Block Map Extension Block";
    case 0xFF: return "Manufacturer-Specific Extension Block";
    default: return std::string();
    }
}

bool allBytesAre(const DecodeContext &ctx, size_t start, size_t count, uint8_t value)
{
    for (size_t i = 0; i < count; ++i)
        if (ctx.at(start + i) != value)
            return false;
    return true;
}

void decodeExtension(DecodeContext &ctx, unsigned index, ExtensionBlock &ext, BaseBlock &base,
                     bool firstDisplayId)
{
    const size_t start = size_t(index) * 128;
    ext.index = index;
    ext.tag = ctx.at(start);
    ext.name = extensionName(ext.tag);
    ext.checksum = ctx.at(start + 127);
    ext.checksumOk = blockChecksumOk(ctx, start);
    if (ext.name.empty()) {
        ext.name = "Unknown Extension Block";
        ctx.error(int(index), start, ext.name, "unknown extension block tag " + hex2(ext.tag));
    }
    if (!ext.checksumOk)
        ctx.error(int(index), start + 127, ext.name,
                  "bad checksum " + hex2(ext.checksum) + ", should be " + expectedChecksum(ctx, start));
    if (ext.tag == 0x02)
        decodeCtaExtension(ctx, int(index), start, ext, base);
    else if (ext.tag == 0x70)
        decodeDisplayIdExtension(ctx, int(index), start, ext, firstDisplayId);
}

constexpr unsigned kMaxBlocks = 256; // the base block and up to 255 extensions

} // namespace
} // namespace detail

using namespace detail;

EdidReport decodeEdid(const uint8_t *data, size_t size)
{
    EdidReport report;
    if (!data)
        size = 0;
    report.size = size;
    DecodeContext ctx(data, size, report);
    if (size < 128) {
        ctx.error(0, size, "Base block",
                  size == 0 ? std::string("no data: the table is empty")
                            : "truncated block: " + std::to_string(size) + " of 128 bytes");
        return report;
    }
    report.hasBase = true;
    decodeBase(ctx, report.base);
    report.base.checksumOk = blockChecksumOk(ctx, 0);
    if (!report.base.checksumOk)
        ctx.error(0, 127, "Base block",
                  "bad checksum " + hex2(report.base.checksum) + ", should be " + expectedChecksum(ctx, 0));

    const size_t wholeBlocks = size / 128;
    unsigned declared = report.base.extensionCount;
    for (unsigned index = 1; index < wholeBlocks && index < kMaxBlocks; ++index) {
        if (index > declared)
            break;
        ExtensionBlock ext;
        bool firstDisplayId = true;
        for (const ExtensionBlock &e : report.extensions)
            firstDisplayId = firstDisplayId && !e.displayId;
        decodeExtension(ctx, index, ext, report.base, firstDisplayId);
        // An override block in the first extension replaces the count in the base block.
        if (index == 1 && ext.cta)
            for (const DataBlock &db : ext.cta->dataBlocks)
                if (db.kind == BlockKind::Eeodb && db.eeodbCount > declared)
                    declared = db.eeodbCount;
        report.extensions.push_back(std::move(ext));
    }

    checkConformity(ctx, report);

    const size_t declaredBytes = (size_t(declared) + 1) * 128;
    const size_t baseDeclaredBytes = (size_t(report.base.extensionCount) + 1) * 128;
    if (size < declaredBytes && size == baseDeclaredBytes && declared > report.base.extensionCount) {
        // The image legacy readers get, and what the box stores: the base
        // block's count, with the override block naming more.
        ctx.warning(int(wholeBlocks), size, "Table",
                    "the override data block declares " + std::to_string(declared) +
                        " extension blocks; only the " + std::to_string(wholeBlocks - 1) +
                        " the base block declares are present");
    } else if (size < declaredBytes) {
        const size_t missingFrom = wholeBlocks;
        const size_t partial = size % 128;
        ctx.error(int(missingFrom), size, "Table",
                  "truncated block: " + std::to_string(declared) + " extension blocks declared, " +
                      std::to_string(wholeBlocks - 1) + " complete" +
                      (partial ? " and " + std::to_string(partial) + " bytes of the next" : std::string()));
    } else if (size > declaredBytes) {
        const size_t extra = size - declaredBytes;
        std::string what = std::to_string(extra) + " bytes after the last declared block are not decoded";
        if (allBytesAre(ctx, declaredBytes, extra, 0x00))
            what += " (all 00)";
        else if (allBytesAre(ctx, declaredBytes, extra, 0xFF))
            what += " (all FF)";
        ctx.warning(int(declared + 1), declaredBytes, "Table", what);
    }
    return report;
}

} // namespace vantrel::edid
