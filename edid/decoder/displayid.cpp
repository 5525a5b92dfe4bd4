// SPDX-License-Identifier: GPL-3.0-or-later
// A DisplayID section in an extension block: its header, the data blocks,
// the section checksum and the padding after it.
#include "displayid_blocks.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::edid {

std::string DisplayIdSection::versionText() const
{
    return std::to_string(version >> 4) + "." + std::to_string(version & 0x0F);
}

namespace detail {
namespace {

struct BlockInfo {
    unsigned tag;
    const char *name;
};

const BlockInfo kBlocks[] = {
    {0x00, "Product Identification Data Block"},
    {0x01, "Display Parameters Data Block"},
    {0x02, "Color Characteristics Data Block"},
    {0x03, "Type I Detailed Timing Data Block"},
    {0x04, "Type II Detailed Timing Data Block"},
    {0x05, "Type III Short Timing Data Block"},
    {0x06, "Type IV DMT ID Code Data Block"},
    {0x07, "VESA DMT Timings Data Block"},
    {0x08, "CTA-861 Timings Data Block"},
    {0x09, "Video Timing Range Data Block"},
    {0x0A, "Product Serial Number Data Block"},
    {0x0B, "ASCII String Data Block"},
    {0x0C, "Display Device Data Block"},
    {0x0D, "Interface Power Sequencing Data Block"},
    {0x0E, "Transfer Characteristics Data Block"},
    {0x0F, "Display Interface Data Block"},
    {0x10, "Stereo Display Interface Data Block"},
    {0x11, "Type V Short Timing Data Block"},
    {0x12, "Tiled Display Topology Data Block"},
    {0x13, "Type VI Detailed Timing Data Block"},
    {0x20, "Product Identification Data Block"},
    {0x21, "Display Parameters Data Block"},
    {0x22, "Type VII Detailed Timing Data Block"},
    {0x23, "Type VIII Enumerated Timing Code Data Block"},
    {0x24, "Type IX Formula-based Timing Data Block"},
    {0x25, "Dynamic Video Timing Range Limits Data Block"},
    {0x26, "Display Interface Features Data Block"},
    {0x27, "Stereo Display Interface Data Block"},
    {0x28, "Tiled Display Topology Data Block"},
    {0x29, "ContainerID Data Block"},
    {0x2A, "Type X Formula-based Timing Data Block"},
    {0x2B, "Adaptive-Sync Data Block"},
    {0x2C, "ARVR_HMD Data Block"},
    {0x2D, "ARVR_Layer Data Block"},
    {0x7E, "Vendor-Specific Data Block"},
    {0x7F, "Vendor-Specific Data Block"},
    {0x81, "CTA-861 DisplayID Data Block"},
};

std::string blockName(unsigned tag)
{
    for (const BlockInfo &info : kBlocks)
        if (info.tag == tag)
            return info.name;
    return "Unknown DisplayID Data Block (tag " + hex2(tag) + ")";
}

std::string ouiText(uint32_t oui)
{
    char text[12];
    std::snprintf(text, sizeof text, "%02X-%02X-%02X", (oui >> 16) & 0xFF, (oui >> 8) & 0xFF, oui & 0xFF);
    return text;
}

// 1.x names the vendor by three ASCII letters, 2.0 by an OUI.
void decodeProduct(BlockReader &r)
{
    if (!r.needs(12))
        return;
    DisplayIdProduct p;
    if (r.block.tag == 0x00) {
        for (unsigned i = 0; i < 3; ++i)
            p.vendor += r.at(i) >= 0x20 && r.at(i) < 0x7F ? char(r.at(i)) : '?';
    } else {
        p.vendor = ouiText((uint32_t(r.at(0)) << 16) | (uint32_t(r.at(1)) << 8) | r.at(2));
    }
    p.productCode = r.ctx.le16(r.payload() + 3);
    p.serialNumber = uint32_t(r.ctx.le16(r.payload() + 5)) | (uint32_t(r.ctx.le16(r.payload() + 7)) << 16);
    p.week = r.at(9);
    p.year = 2000 + r.at(10);
    const unsigned nameLength = r.at(11);
    if (12 + nameLength > r.block.length)
        r.error("the product name runs past the end of the block");
    for (unsigned i = 0; i < nameLength && 12 + i < r.block.length; ++i)
        p.name += r.at(12 + i) >= 0x20 && r.at(12 + i) < 0x7F ? char(r.at(12 + i)) : '?';
    r.block.product = p;
}

// Image size in 0.1 mm (2.0: in mm when bit 7 of the revision byte is set),
// then the native pixel count.
void decodeParameters(BlockReader &r)
{
    if (!r.needs(r.block.tag == 0x01 ? 12 : 29))
        return;
    const double unit = r.block.tag == 0x21 && (r.ctx.at(size_t(r.block.offset) + 1) & 0x80) ? 1.0 : 0.1;
    r.block.imageWidthMm = r.ctx.le16(r.payload()) * unit;
    r.block.imageHeightMm = r.ctx.le16(r.payload() + 2) * unit;
    // The count itself in both versions: real 2.0 panels give 3120 for the
    // 3120 pixels of their own timing.
    r.block.nativeWidth = r.ctx.le16(r.payload() + 4);
    r.block.nativeHeight = r.ctx.le16(r.payload() + 6);
}

// CIE coordinates in 12 bits of 1/4096 each, two to three bytes.
std::pair<double, double> cie(const BlockReader &r, unsigned i)
{
    const unsigned x = r.at(i) | ((r.at(i + 1) & 0x0Fu) << 8);
    const unsigned y = (r.at(i + 1) >> 4) | (unsigned(r.at(i + 2)) << 4);
    return {x / 4096.0, y / 4096.0};
}

void decodeColour(BlockReader &r)
{
    if (!r.needs(1))
        return;
    const unsigned whitePoints = r.at(0) & 0x0F, primaries = (r.at(0) >> 4) & 7;
    if (1 + 3 * (whitePoints + primaries) > r.block.length) {
        r.error("the colour points run past the end of the block");
        return;
    }
    for (unsigned i = 0; i < primaries; ++i)
        r.block.primaries.push_back(cie(r, 1 + 3 * i));
    for (unsigned i = 0; i < whitePoints; ++i)
        r.block.whitePoints.push_back(cie(r, 1 + 3 * (primaries + i)));
}

void decodeInterface(BlockReader &r)
{
    if (!r.needs(2))
        return;
    static const char *const types[12] = {"analog",        "LVDS",   "TMDS",   "RSDS", "DVI-D",       "DVI-I analog",
                                          "DVI-I digital", "HDMI-A", "HDMI-B", "MDDI", "DisplayPort", "proprietary"};
    const unsigned type = r.at(0) >> 4, links = r.at(0) & 0x0F;
    std::string text = type < 12 ? types[type] : "reserved interface " + std::to_string(type);
    text += ", " + std::to_string(links) + (links == 1 ? " link" : " links");
    text += ", version " + std::to_string(r.at(1) >> 4) + "." + std::to_string(r.at(1) & 0x0F);
    r.block.interfaceText = text;
}

// Bits per colour of each encoding, audio rates and colour space and EOTF
// pairs; more pairs follow their count, at most 7.
void decodeInterfaceFeatures(BlockReader &r)
{
    if (!r.needs(9))
        return;
    DisplayIdInterfaceFeatures f;
    f.rgbBpc = r.at(0);
    f.ycbcr444Bpc = r.at(1);
    f.ycbcr422Bpc = r.at(2);
    f.ycbcr420Bpc = r.at(3);
    f.min420PixelRateKHz = r.at(4) * 74250u;
    f.audioRates = r.at(5);
    f.colourEotf = r.at(6);
    if (r.at(7))
        r.error("reserved colour space and EOTF combinations are set");
    const unsigned count = r.at(8);
    if (count > 7)
        r.error(std::to_string(count) + " more colour space and EOTF combinations, at most 7 allowed");
    for (unsigned i = 0; i < count && i < 7 && 9 + i < r.block.length; ++i)
        f.additional.push_back(r.at(9 + i));
    if (9 + std::min(count, 7u) > r.block.length)
        r.error("the colour space and EOTF combinations run past the end of the block");
    else if (r.block.length != 9 + std::min(count, 7u))
        r.error("length " + std::to_string(r.block.length) + ", " + std::to_string(9 + std::min(count, 7u)) +
                " expected");
    r.block.features = f;
}

void decodeTiled(BlockReader &r)
{
    if (!r.needs(22))
        return;
    const uint8_t high = r.at(3);
    r.block.tilesH = ((r.at(1) >> 4) | ((high >> 6) << 4)) + 1u;
    r.block.tilesV = ((r.at(1) & 0x0F) | (((high >> 4) & 3) << 4)) + 1u;
    r.block.tileX = (r.at(2) >> 4) | (((high >> 2) & 3) << 4);
    r.block.tileY = (r.at(2) & 0x0F) | ((high & 3) << 4);
    r.block.tileWidth = r.ctx.le16(r.payload() + 4) + 1u;
    r.block.tileHeight = r.ctx.le16(r.payload() + 6) + 1u;
    if (r.block.tileX >= r.block.tilesH || r.block.tileY >= r.block.tilesV)
        r.error("the tile's location lies outside the tiled display");
}

void decodeBlock(DecodeContext &ctx, int block, DisplayIdBlock &b, const DisplayIdSection &section)
{
    BlockReader r{ctx, b};
    const bool v2 = section.version >= 0x20;
    if (v2 && (b.tag < 0x20 || b.tag == 0x7F))
        r.error("a DisplayID 1.x block in a DisplayID " + section.versionText() + " section");
    if (!v2 && b.tag >= 0x20 && b.tag <= 0x7E)
        r.error("a DisplayID 2.0 block in a DisplayID " + section.versionText() + " section");
    switch (b.tag) {
    case 0x00:
    case 0x20:
        decodeProduct(r);
        break;
    case 0x01:
    case 0x21:
        decodeParameters(r);
        break;
    case 0x02:
        decodeColour(r);
        break;
    case 0x0F:
        decodeInterface(r);
        break;
    case 0x26:
        decodeInterfaceFeatures(r);
        break;
    case 0x12:
    case 0x28:
        decodeTiled(r);
        break;
    case 0x7E:
    case 0x7F:
        if (r.needs(3))
            b.oui = (uint32_t(r.at(0)) << 16) | (uint32_t(r.at(1)) << 8) | r.at(2);
        b.name += ", OUI " + ouiText(b.oui);
        break;
    case 0x81:
        decodeCtaDataBlocks(ctx, block, r.payload(), r.payload() + b.length, false, b.cta);
        break;
    default:
        decodeDisplayIdTimings(r);
        break;
    }
}

} // namespace

void decodeDisplayIdExtension(DecodeContext &ctx, int block, size_t start, ExtensionBlock &out, bool base)
{
    DisplayIdSection s;
    const std::string context = "DisplayID Extension Block";
    s.baseSection = base;
    s.version = ctx.at(start + 1);
    s.length = ctx.at(start + 2);
    s.productType = ctx.at(start + 3);
    s.extensionCount = ctx.at(start + 4);
    if (base && s.productType == 0)
        ctx.error(block, start + 3, context, "the first DisplayID section has no product type");
    if (!base && s.productType != 0)
        ctx.error(block, start + 3, context, "a later DisplayID section has a product type");
    if (!base && s.extensionCount != 0)
        ctx.error(block, start + 4, context, "a later DisplayID section has an extension count");
    if (s.length > 121) {
        ctx.error(block, start + 2, context, "section length " + std::to_string(s.length) + " is above 121");
        s.length = 121;
    }

    const size_t end = start + 5 + s.length;
    size_t pos = start + 5;
    while (pos < end) {
        const size_t left = end - pos;
        if (left < 3 || (ctx.at(pos) == 0 && ctx.at(pos + 2) == 0)) {
            // Filler to the end of the section: zeros only.
            for (size_t i = pos; i < end; ++i)
                if (ctx.at(i) != 0) {
                    ctx.error(block, i, context, "the filler after the data blocks is not 0");
                    break;
                }
            break;
        }
        DisplayIdBlock b;
        b.offset = int(pos);
        b.tag = ctx.at(pos);
        b.revision = ctx.at(pos + 1) & 7;
        b.length = ctx.at(pos + 2);
        b.name = blockName(b.tag);
        if (3 + b.length > left) {
            ctx.error(block, pos, b.name,
                      "truncated block: " + std::to_string(b.length) + " payload bytes run past the section's end");
            break;
        }
        decodeBlock(ctx, block, b, s);
        if ((b.tag == 0x00 || b.tag == 0x20) && (!base || pos != start + 5))
            ctx.error(block, pos, b.name, "product identification must be the first block of the first section");
        s.blocks.push_back(std::move(b));
        pos += 3 + ctx.at(pos + 2);
    }

    // The checksum covers the section from its version byte on.
    unsigned sum = 0;
    for (size_t i = start + 1; i <= end; ++i)
        sum += ctx.at(i);
    s.checksum = ctx.at(end);
    s.checksumOk = (sum & 0xFF) == 0;
    if (!s.checksumOk)
        ctx.error(block, end, context,
                  "bad section checksum " + hex2(s.checksum) + ", should be " + hex2((s.checksum - sum) & 0xFF));
    for (size_t i = end + 1; i < start + 127; ++i)
        if (ctx.at(i) != 0) {
            ctx.error(block, i, context, "padding after the section is not 0");
            break;
        }
    out.displayId = std::move(s);
}

} // namespace detail
} // namespace vantrel::edid
