// SPDX-License-Identifier: GPL-3.0-or-later
#include "table_model.h"

#include "edid_import.h"
#include "edid_report.h"

#include <algorithm>

namespace vantrel::edid::edit {

namespace {

constexpr size_t kBlock = 128;
constexpr uint32_t kOuiHdmi = 0x000C03, kOuiHdmiForum = 0xC45DD8, kOuiDolby = 0x00D046, kOuiHdr10Plus = 0x90848B;

uint32_t oui(const Bytes &b, size_t at)
{
    return b.size() < at + 3 ? 0 : uint32_t(b[at]) | (uint32_t(b[at + 1]) << 8) | (uint32_t(b[at + 2]) << 16);
}

Bytes encodeCta(const CtaModel &cta)
{
    Bytes out(kBlock, 0);
    out[0] = 0x02;
    out[1] = cta.revision;
    size_t pos = 4;
    for (const Bytes &b : cta.blocks) {
        std::copy(b.begin(), b.end(), out.begin() + long(pos));
        pos += b.size();
    }
    // No blocks and no descriptors: offset 0 says there is nothing.
    out[2] = uint8_t(cta.zeroOffset && cta.blocks.empty() && cta.dtds.empty() ? 0 : pos);
    out[3] = cta.flags;
    for (const Descriptor &d : cta.dtds) {
        std::copy(d.begin(), d.end(), out.begin() + long(pos));
        pos += d.size();
    }
    return out;
}

// The blocks and descriptors as the extension's bytes hold them; the caller
// keeps the model only when it encodes back to the same bytes.
CtaModel readCta(const Bytes &raw)
{
    CtaModel cta;
    cta.revision = raw[1];
    cta.flags = raw[3];
    const size_t d = raw[2];
    cta.zeroOffset = d == 0;
    size_t pos = 4;
    while (d >= 4 && pos < d && d <= CtaModel::kRoom) {
        const size_t len = 1 + (raw[pos] & 0x1F);
        if (pos + len > d)
            break;
        cta.blocks.emplace_back(raw.begin() + long(pos), raw.begin() + long(pos + len));
        pos += len;
    }
    for (size_t o = d; d >= 4 && o + 18 <= CtaModel::kRoom; o += 18) {
        Descriptor desc;
        std::copy_n(raw.begin() + long(o), 18, desc.begin());
        if (std::all_of(desc.begin(), desc.end(), [](uint8_t v) { return v == 0; }))
            break;
        cta.dtds.push_back(desc);
    }
    return cta;
}

} // namespace

size_t CtaModel::usedBytes() const
{
    size_t n = 4 + dtds.size() * 18;
    for (const Bytes &b : blocks)
        n += b.size();
    return n;
}

BlockType blockType(const Bytes &b)
{
    if (b.empty())
        return BlockType::Other;
    const unsigned tag = b[0] >> 5, len = b[0] & 0x1F;
    switch (tag) {
    case 1:
        return BlockType::Audio;
    case 2:
        return BlockType::Video;
    case 4:
        return BlockType::Speaker;
    case 3:
        if (len >= 3 && oui(b, 1) == kOuiHdmi)
            return BlockType::HdmiVsdb;
        if (len >= 3 && oui(b, 1) == kOuiHdmiForum)
            return BlockType::HdmiForumVsdb;
        return BlockType::Other;
    case 7:
        break;
    default:
        return BlockType::Other;
    }
    if (len < 1)
        return BlockType::Other;
    switch (b[1]) {
    case 0:
        return BlockType::VideoCapability;
    case 1:
        if (len >= 4 && oui(b, 2) == kOuiDolby)
            return BlockType::DolbyVision;
        if (len >= 4 && oui(b, 2) == kOuiHdr10Plus)
            return BlockType::Hdr10Plus;
        return BlockType::Other;
    case 6:
        return BlockType::HdrStatic;
    case 14:
        return BlockType::Y420Video;
    case 15:
        return BlockType::Y420Map;
    case 17:
        return BlockType::VendorAudio;
    case 18:
        return BlockType::HdmiAudio;
    case 19:
        return BlockType::RoomConfig;
    case 20:
        return BlockType::SpeakerLocation;
    case 120:
        return BlockType::Eeodb;
    case 121:
        return BlockType::Scdb;
    default:
        return BlockType::Other;
    }
}

std::string blockTypeName(const Bytes &b)
{
    // The decoder names it as its reports do.
    Bytes ext(kBlock, 0);
    ext[0] = 0x02;
    ext[1] = 3;
    ext[2] = uint8_t(std::min<size_t>(4 + b.size(), 127));
    std::copy_n(b.begin(), std::min<size_t>(b.size(), 123), ext.begin() + 4);
    Bytes table(2 * kBlock, 0);
    std::copy(ext.begin(), ext.end(), table.begin() + kBlock);
    table[126] = 1;
    const EdidReport r = decodeEdid(table);
    if (!r.extensions.empty() && r.extensions[0].cta && !r.extensions[0].cta->dataBlocks.empty())
        return r.extensions[0].cta->dataBlocks[0].name;
    return "Data Block";
}

bool isAudioBlock(BlockType t)
{
    return t == BlockType::Audio || t == BlockType::Speaker || t == BlockType::VendorAudio ||
           t == BlockType::HdmiAudio || t == BlockType::RoomConfig || t == BlockType::SpeakerLocation;
}

std::optional<TableModel> TableModel::parse(const Bytes &bytes, std::string &why)
{
    if (bytes.size() < kBlock) {
        why = "the table has no whole base block (" + std::to_string(bytes.size()) + " bytes)";
        return std::nullopt;
    }
    const EdidReport report = decodeEdid(bytes);
    TableModel t;
    t.base.assign(bytes.begin(), bytes.begin() + kBlock);
    for (const ExtensionBlock &e : report.extensions) {
        ExtensionModel m;
        const size_t start = size_t(e.index) * kBlock;
        m.raw.assign(bytes.begin() + long(start), bytes.begin() + long(start + kBlock));
        if (m.tag() == 0x02) {
            CtaModel cta = readCta(m.raw);
            Bytes again = encodeCta(cta);
            if (std::equal(again.begin(), again.end() - 1, m.raw.begin()))
                m.cta = std::move(cta);
            else
                m.ctaBroken = true;
        }
        t.extensions.push_back(std::move(m));
    }
    return t;
}

Bytes TableModel::encode() const
{
    Bytes out = base;
    for (size_t i = 0; i < extensions.size(); ++i) {
        const ExtensionModel &e = extensions[i];
        if (e.dirty && e.cta && e.cta->usedBytes() > CtaModel::kRoom)
            throw EditError{"block " + std::to_string(i + 1) + " would need " + std::to_string(e.cta->usedBytes() + 1) +
                            " bytes, more than its 128"};
        const Bytes block = e.dirty && e.cta ? encodeCta(*e.cta) : e.raw;
        out.insert(out.end(), block.begin(), block.end());
    }
    repairBlockChecksums(out);
    return out;
}

std::vector<CtaModel *> TableModel::ctaBlocks()
{
    std::vector<CtaModel *> out;
    for (size_t i = 0; i < extensions.size(); ++i)
        if (extensions[i].ctaBroken)
            throw EditError{"the CTA-861 extension in block " + std::to_string(i + 1) +
                            " is malformed and cannot be re-encoded"};
    for (ExtensionModel &e : extensions)
        if (e.cta)
            out.push_back(&*e.cta);
    return out;
}

void TableModel::touch(const CtaModel *cta)
{
    for (ExtensionModel &e : extensions)
        if (e.cta && &*e.cta == cta)
            e.dirty = true;
}

CtaModel &TableModel::firstCta()
{
    for (size_t i = 0; i < extensions.size(); ++i) {
        if (extensions[i].tag() != 0x02)
            continue;
        if (!extensions[i].cta)
            throw EditError{"the CTA-861 extension in block " + std::to_string(i + 1) +
                            " is malformed and cannot be re-encoded"};
        return *extensions[i].cta;
    }
    throw EditError{"the table has no CTA-861 extension"};
}

std::vector<Bytes> TableModel::displayIdCtaBlocks() const
{
    const Bytes table = encode();
    std::vector<Bytes> out;
    for (const ExtensionBlock &e : decodeEdid(table).extensions)
        if (e.displayId)
            for (const DisplayIdBlock &b : e.displayId->blocks)
                for (const DataBlock &db : b.cta)
                    if (size_t(db.offset) + 1 + db.length <= table.size())
                        out.emplace_back(table.begin() + db.offset, table.begin() + db.offset + 1 + db.length);
    return out;
}

unsigned TableModel::setDisplayIdSerial(uint32_t serial)
{
    unsigned count = 0;
    for (const ExtensionBlock &e : decodeEdid(encode()).extensions)
        if (e.displayId && e.index >= 1 && e.index <= extensions.size())
            for (const DisplayIdBlock &b : e.displayId->blocks) {
                // Vendor (3 bytes) and product code (2) come first after the header.
                const size_t at = size_t(b.offset) % kBlock + 8;
                if (!b.product || at + 4 > kBlock - 1)
                    continue;
                Bytes &raw = extensions[e.index - 1].raw;
                for (unsigned i = 0; i < 4; ++i)
                    raw[at + i] = uint8_t(serial >> (8 * i));
                ++count;
            }
    return count;
}

Descriptor TableModel::descriptor(unsigned slot) const
{
    Descriptor d;
    std::copy_n(base.begin() + 54 + 18 * slot, 18, d.begin());
    return d;
}

void TableModel::setDescriptor(unsigned slot, const Descriptor &d)
{
    std::copy(d.begin(), d.end(), base.begin() + 54 + 18 * slot);
}

bool isDetailedTiming(const Descriptor &d)
{
    return d[0] || d[1];
}

std::string descriptorText(const Descriptor &d)
{
    std::string text;
    for (size_t i = 5; i < 18 && d[i] != 0x0A && d[i] != 0; ++i)
        text += char(d[i]);
    return text;
}

Descriptor textDescriptor(uint8_t tag, const std::string &text)
{
    Descriptor d{};
    d[3] = tag;
    size_t i = 5;
    for (char c : text.substr(0, 13))
        d[i++] = uint8_t(c);
    if (i < 18)
        d[i++] = 0x0A;
    for (; i < 18; ++i)
        d[i] = 0x20;
    return d;
}

Descriptor dummyDescriptor()
{
    Descriptor d{};
    d[3] = 0x10;
    return d;
}

} // namespace vantrel::edid::edit
