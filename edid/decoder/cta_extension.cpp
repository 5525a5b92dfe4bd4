// SPDX-License-Identifier: GPL-3.0-or-later
// The CTA-861 extension: header flags, the data block collection and the
// detailed timings after it.
#include "cta_blocks.h"
#include "vic_names.h"

#include <algorithm>

namespace vantrel::edid::detail {
namespace {

// Bytes 129 to 192 are codes 1 to 64 with the native flag; the 4:2:0-only
// list uses the same form, where the flag means nothing. Bytes 0 and 128
// stand for no code and are left out.
std::optional<Vic> decodeSvd(BlockCursor &c, uint8_t value, bool nativeAllowed)
{
    if (value == 0 || value == 128) {
        c.warning("reserved video code byte " + hex2(value));
        return std::nullopt;
    }
    Vic v;
    if (value >= 129 && value <= 192) {
        v.vic = value & 0x7F;
        v.native = nativeAllowed;
    } else {
        v.vic = value;
    }
    if (!vicFormat(v.vic))
        c.error("unknown VIC " + std::to_string(v.vic));
    v.name = vicName(v.vic);
    return v;
}

// The 4:2:0-only list follows its extended tag byte and has no native flag.
void decodeVideo(BlockCursor &c, bool y420Only)
{
    const unsigned first = y420Only ? 1 : 0;
    if (c.db.length <= first)
        c.warning("empty block");
    for (unsigned i = first; i < c.db.length; ++i) {
        std::optional<Vic> v = decodeSvd(c, c.at(i), !y420Only);
        if (!v)
            continue;
        v->ycbcr420Only = y420Only;
        c.db.vics.push_back(*v);
    }
}

ShortAudio decodeSad(const BlockCursor &c, unsigned i)
{
    const uint8_t b0 = c.at(i), b1 = c.at(i + 1), b2 = c.at(i + 2);
    ShortAudio a;
    a.format = (b0 >> 3) & 0x0F;
    a.rates = b1 & 0x7F;
    if (a.format == 15) {
        a.extendedType = b2 >> 3;
        if (a.extendedType == 13) // L-PCM 3D: the count spreads over three bytes
            a.channels = ((b0 & 7) | ((b1 & 0x80) >> 4) | ((b2 & 0x80) >> 3)) + 1;
        else if (a.extendedType != 11 && a.extendedType != 12 && a.extendedType != 14)
            a.channels = (b0 & 7) + 1;
    } else if (a.format != 0) {
        a.channels = (b0 & 7) + 1;
    }
    if (a.format == 1)
        a.sizes = b2 & 7;
    else if (a.format == 10)
        a.atmos = b2 & 1; // joint object coding
    else if (a.format == 12)
        a.atmos = b2 & 1; // object audio besides TrueHD
    else if (a.format >= 2 && a.format <= 8)
        a.maxBitrateKbps = b2 * 8u;
    a.name = audioFormatName(a.format, a.extendedType);
    return a;
}

void decodeAudio(BlockCursor &c)
{
    if (c.db.length == 0)
        c.warning("empty block");
    if (c.db.length % 3) {
        c.error("length " + std::to_string(c.db.length) + " is not a multiple of 3");
        return; // no telling where the descriptors start
    }
    for (unsigned i = 0; i + 3 <= c.db.length; i += 3) {
        ShortAudio a = decodeSad(c, i);
        if (!(a.format == 15 && a.extendedType == 13) && (c.at(i + 1) & 0x80))
            c.error(a.name + ": reserved bit 7 of the rate byte is set");
        if (a.format == 1 && (c.at(i + 2) & 0xF8))
            c.error(a.name + ": reserved bits 3-7 of the sample size byte are set");
        if (a.format == 0)
            c.error("reserved audio format code 0");
        else if (a.format == 15 && a.name.rfind("Unknown", 0) == 0)
            c.error("reserved extended audio type " + std::to_string(a.extendedType));
        if (a.rates == 0)
            c.error(a.name + " lists no sample rate");
        c.db.audio.push_back(a);
    }
}

void decodeSpeakers(BlockCursor &c)
{
    if (!c.needs(3))
        return;
    c.db.speakers = c.at(0) | (uint32_t(c.at(1)) << 8) | (uint32_t(c.at(2)) << 16);
    if (c.db.speakers == 0)
        c.warning("no speaker is allocated");
    if (c.db.speakers & 0xE00000)
        c.warning("reserved speaker bits are set");
}

void decodeHdrStatic(BlockCursor &c)
{
    if (!c.needs(3))
        return;
    HdrStaticMetadata h;
    h.eotfs = c.at(1);
    h.descriptors = c.at(2);
    if (h.eotfs & 0xF0)
        c.warning("reserved transfer function bits are set");
    if (c.db.length >= 4)
        h.maxLuminanceCode = c.at(3);
    if (c.db.length >= 5)
        h.maxFrameAvgCode = c.at(4);
    if (c.db.length >= 6)
        h.minLuminanceCode = c.at(5);
    c.db.hdr = h;
}

void decodeColorimetry(BlockCursor &c)
{
    if (!c.needs(3))
        return;
    c.db.colorimetry = uint16_t(c.at(1) | (c.at(2) << 8));
    if (c.at(2) & 0x0F)
        c.error("reserved bits MD0-MD3 must be 0");
}

void decodeVideoCapability(BlockCursor &c)
{
    if (!c.needs(2))
        return;
    const uint8_t b = c.at(1);
    VideoCapability v;
    v.qy = b & 0x80;
    v.qs = b & 0x40;
    v.pt = (b >> 4) & 3;
    v.it = (b >> 2) & 3;
    v.ce = b & 3;
    c.db.videoCapability = v;
}

void decodeEeodb(BlockCursor &c, bool firstBlockOfFirstExtension)
{
    if (!c.needs(2))
        return;
    c.db.eeodbCount = c.at(1);
    if (!firstBlockOfFirstExtension)
        c.error("the override block must be the first data block of the first extension");
}

struct ExtendedInfo {
    unsigned tag;
    BlockKind kind;
    const char *name;
};

const ExtendedInfo kExtended[] = {
    {0, BlockKind::VideoCapability, "Video Capability Data Block"},
    {1, BlockKind::VendorVideo, "Vendor-Specific Video Data Block"},
    {2, BlockKind::OtherExtended, "VESA Video Display Device Data Block"},
    {3, BlockKind::OtherExtended, "VESA Video Timing Block Extension"},
    {5, BlockKind::Colorimetry, "Colorimetry Data Block"},
    {6, BlockKind::HdrStatic, "HDR Static Metadata Data Block"},
    {7, BlockKind::HdrDynamic, "HDR Dynamic Metadata Data Block"},
    {13, BlockKind::OtherExtended, "Video Format Preference Data Block"},
    {14, BlockKind::Y420Video, "YCbCr 4:2:0 Video Data Block"},
    {15, BlockKind::Y420CapabilityMap, "YCbCr 4:2:0 Capability Map Data Block"},
    {17, BlockKind::VendorAudio, "Vendor-Specific Audio Data Block"},
    {18, BlockKind::HdmiAudio, "HDMI Audio Data Block"},
    {19, BlockKind::RoomConfig, "Room Configuration Data Block"},
    {20, BlockKind::SpeakerLocation, "Speaker Location Data Block"},
    {32, BlockKind::InfoFrame, "InfoFrame Data Block"},
    {34, BlockKind::OtherExtended, "DisplayID Type VII Video Timing Data Block"},
    {35, BlockKind::OtherExtended, "DisplayID Type VIII Video Timing Data Block"},
    {42, BlockKind::OtherExtended, "DisplayID Type X Video Timing Data Block"},
    {120, BlockKind::Eeodb, "HDMI Forum EDID Extension Override Data Block"},
    {121, BlockKind::Scdb, "HDMI Forum Sink Capability Data Block"},
};

void decodeExtended(BlockCursor &c, bool firstBlockOfFirstExtension)
{
    if (c.db.length == 0) {
        c.db.name = "Extended Data Block";
        c.error("extended block without its extended tag byte");
        return;
    }
    c.db.extendedTag = c.at(0);
    for (const ExtendedInfo &info : kExtended) {
        if (info.tag != c.db.extendedTag)
            continue;
        c.db.kind = info.kind;
        c.db.name = info.name;
        switch (info.kind) {
        case BlockKind::VideoCapability: decodeVideoCapability(c); break;
        case BlockKind::Colorimetry: decodeColorimetry(c); break;
        case BlockKind::HdrStatic: decodeHdrStatic(c); break;
        case BlockKind::Y420Video: decodeVideo(c, true); break;
        case BlockKind::Y420CapabilityMap: break; // resolved once all video blocks are known
        case BlockKind::Eeodb: decodeEeodb(c, firstBlockOfFirstExtension); break;
        case BlockKind::Scdb: decodeHdmiForum(c, true); break;
        case BlockKind::VendorVideo:
        case BlockKind::VendorAudio:
            if (c.needs(4))
                c.db.oui = (uint32_t(c.at(3)) << 16) | (uint32_t(c.at(2)) << 8) | c.at(1);
            decodeVendorPayload(c);
            break;
        default: break;
        }
        return;
    }
    c.db.name = "Unknown Extended Data Block (extended tag " + std::to_string(c.db.extendedTag) + ")";
    c.warning("unknown extended tag " + std::to_string(c.db.extendedTag));
}

void decodeDataBlock(DecodeContext &ctx, int block, DataBlock &db, bool firstOfFirst)
{
    BlockCursor c{ctx, block, db};
    switch (db.tag) {
    case 1: db.kind = BlockKind::Audio; db.name = "Audio Data Block"; decodeAudio(c); break;
    case 2: db.kind = BlockKind::Video; db.name = "Video Data Block"; decodeVideo(c, false); break;
    case 3: db.kind = BlockKind::Vendor; decodeVendor(c); break;
    case 4: db.kind = BlockKind::Speaker; db.name = "Speaker Allocation Data Block"; decodeSpeakers(c); break;
    case 5: db.kind = BlockKind::VesaDtc; db.name = "VESA Display Transfer Characteristics Data Block"; break;
    case 6: db.kind = BlockKind::OtherExtended; db.name = "Video Format Data Block"; break;
    case 7: decodeExtended(c, firstOfFirst); break;
    default:
        db.name = "Unknown Data Block (tag " + std::to_string(db.tag) + ")";
        c.warning("unknown data block tag " + std::to_string(db.tag));
        break;
    }
}

bool y420Only(const CtaExtension &cta, unsigned vic)
{
    for (const DataBlock &db : cta.dataBlocks)
        if (db.kind == BlockKind::Y420Video)
            for (const Vic &v : db.vics)
                if (v.vic == vic)
                    return true;
    return false;
}

// Bit n of the map stands for the n-th short video descriptor byte of the
// video blocks, counted over all of them in order, reserved bytes included:
// a bit on a reserved byte marks no format.
void resolveY420Map(DecodeContext &ctx, int block, CtaExtension &cta)
{
    std::vector<Vic *> svds; // nullptr for a reserved byte
    for (DataBlock &db : cta.dataBlocks) {
        if (db.kind != BlockKind::Video)
            continue;
        auto next = db.vics.begin();
        for (unsigned i = 0; i < db.length; ++i) {
            const uint8_t value = ctx.at(size_t(db.offset) + 1 + i);
            const bool reserved = value == 0 || value == 128;
            svds.push_back(reserved || next == db.vics.end() ? nullptr : &*next++);
        }
    }
    for (DataBlock &db : cta.dataBlocks) {
        if (db.kind != BlockKind::Y420CapabilityMap)
            continue;
        if (svds.empty())
            ctx.error(block, size_t(db.offset), db.name, "no video data block to refer to");
        db.y420AllVics = db.length == 1;
        bool anyBit = false;
        for (unsigned byte = 2; byte <= db.length; ++byte)
            anyBit = anyBit || ctx.at(size_t(db.offset) + byte);
        if (db.length > 1 && !anyBit)
            ctx.error(block, size_t(db.offset), db.name, "empty capability map");
        for (unsigned i = 0; i < svds.size(); ++i) {
            const unsigned byte = i / 8 + 2; // after the header and the extended tag
            const bool marked = db.y420AllVics || (byte <= db.length && (ctx.at(size_t(db.offset) + byte) >> (i % 8)) & 1);
            if (marked && svds[i] && y420Only(cta, svds[i]->vic))
                ctx.error(block, size_t(db.offset), db.name,
                          "VIC " + std::to_string(svds[i]->vic) + " is also a 4:2:0-only VIC");
            if (marked && svds[i]) {
                svds[i]->ycbcr420Also = true;
                db.y420MapVics.push_back(svds[i]->vic);
            }
        }
        for (unsigned byte = 2; byte <= db.length; ++byte) {
            const uint8_t bits = ctx.at(size_t(db.offset) + byte);
            for (unsigned bit = 0; bit < 8; ++bit)
                if ((bits >> bit) & 1 && (byte - 2) * 8 + bit >= svds.size()) {
                    ctx.error(block, size_t(db.offset), db.name,
                              "bit for video descriptor " + std::to_string((byte - 2) * 8 + bit + 1) +
                                  " of " + std::to_string(svds.size()));
                    byte = db.length + 1;
                    break;
                }
        }
    }
}

// A code listed twice, or listed both as a regular and as a 4:2:0-only code,
// leaves the source two answers for one format.
void checkVicLists(DecodeContext &ctx, int block, const CtaExtension &cta)
{
    std::vector<bool> regular(256, false), only(256, false);
    for (const DataBlock &db : cta.dataBlocks) {
        const bool isVideo = db.kind == BlockKind::Video;
        if (!isVideo && db.kind != BlockKind::Y420Video)
            continue;
        std::vector<bool> &seen = isVideo ? regular : only;
        for (const Vic &v : db.vics) {
            if (v.vic == 0 || v.vic > 255)
                continue;
            if (seen[v.vic])
                ctx.error(block, size_t(db.offset), db.name, "duplicate VIC " + std::to_string(v.vic));
            seen[v.vic] = true;
        }
    }
    for (const DataBlock &db : cta.dataBlocks)
        if (db.kind == BlockKind::Y420Video)
            for (const Vic &v : db.vics)
                if (v.vic && v.vic < 256 && regular[v.vic])
                    ctx.error(block, size_t(db.offset), db.name,
                              "4:2:0-only VIC " + std::to_string(v.vic) + " is also a regular VIC");
}

} // namespace

void decodeCtaDataBlocks(DecodeContext &ctx, int block, size_t pos, size_t end, bool overrideAllowed,
                         std::vector<DataBlock> &out)
{
    const size_t first = pos;
    const size_t blockEnd = (size_t(block) + 1) * 128 - 1;
    while (pos < end) {
        DataBlock db;
        db.offset = int(pos);
        db.tag = ctx.at(pos) >> 5;
        db.length = ctx.at(pos) & 0x1F;
        const bool firstOfFirst = overrideAllowed && pos == first;
        if (pos + 1 + db.length > end) {
            ctx.error(block, pos, "Data block collection",
                      "truncated block: tag " + std::to_string(db.tag) + " block of " +
                          std::to_string(db.length) + " bytes runs past the end of the collection at " +
                          std::to_string(end - size_t(block) * 128));
            // Still inside the extension: what it says is readable.
            if (pos + 1 + db.length <= blockEnd) {
                decodeDataBlock(ctx, block, db, firstOfFirst);
                out.push_back(std::move(db));
            }
            break;
        }
        decodeDataBlock(ctx, block, db, firstOfFirst);
        out.push_back(std::move(db));
        pos += 1 + (ctx.at(pos) & 0x1F);
    }
}

void decodeCtaExtension(DecodeContext &ctx, int block, size_t start, ExtensionBlock &out, BaseBlock &base)
{
    CtaExtension cta;
    const std::string context = "CTA-861 Extension Block";
    cta.revision = ctx.at(start + 1);
    cta.dtdOffset = ctx.at(start + 2);
    if (cta.revision < 1 || cta.revision > 3)
        ctx.warning(block, start + 1, context, "revision " + std::to_string(cta.revision) + " (3 expected)");
    if (cta.revision >= 2) {
        const uint8_t f = ctx.at(start + 3);
        cta.underscan = f & 0x80;
        cta.basicAudio = f & 0x40;
        cta.ycbcr444 = f & 0x20;
        cta.ycbcr422 = f & 0x10;
        cta.nativeDtds = f & 0x0F;
    }

    const unsigned d = cta.dtdOffset;
    if (d != 0 && (d < 4 || d > 127))
        ctx.error(block, start + 2, context, "detailed timing offset " + std::to_string(d) + " is out of range");
    const size_t collectionEnd = start + (d >= 4 ? (d > 127 ? 127 : d) : 4);

    decodeCtaDataBlocks(ctx, block, start + 4, collectionEnd, block == 1, cta.dataBlocks);
    resolveY420Map(ctx, block, cta);
    checkVicLists(ctx, block, cta);

    // The descriptors run to the first 18 zero bytes; one with pixel clock
    // 0 is a display descriptor, as in the base block.
    size_t o = start + d;
    if (d >= 4 && d <= 127) {
        for (; o + 18 <= start + 127; o += 18) {
            bool zero = true;
            for (size_t i = 0; i < 18; ++i)
                zero = zero && ctx.at(o + i) == 0;
            if (zero)
                break;
            if (ctx.le16(o) != 0)
                cta.timings.push_back(decodeDetailedTiming(ctx, block, o, "Detailed Timing Descriptor"));
            else
                decodeDisplayDescriptor(ctx, block, o, base);
        }
        for (size_t i = o; i < start + 127; ++i)
            if (ctx.at(i) != 0) {
                ctx.error(block, i, context, "padding after the detailed timings is not 0");
                break;
            }
    }
    out.cta = std::move(cta);
}

} // namespace vantrel::edid::detail
