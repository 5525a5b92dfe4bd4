// SPDX-License-Identifier: GPL-3.0-or-later
#include "video_lists.h"

#include <algorithm>

namespace vantrel::edid::edit {

namespace {

bool bitOf(const Bytes &bits, size_t from, size_t i)
{
    const size_t byte = from + i / 8;
    return byte < bits.size() && ((bits[byte] >> (i % 8)) & 1);
}

// The capability map's bit for each kept descriptor moves with it; a map
// that marks nothing any more goes.
bool remapY420Map(Bytes &map, const std::vector<size_t> &keep)
{
    if (map.size() <= 2)
        return true; // no bitmap: every descriptor, whichever are left
    Bytes bits;
    for (size_t j = 0; j < keep.size(); ++j) {
        if (bits.size() <= j / 8)
            bits.push_back(0);
        if (bitOf(map, 2, keep[j]))
            bits[j / 8] |= uint8_t(1u << (j % 8));
    }
    while (!bits.empty() && bits.back() == 0)
        bits.pop_back();
    if (bits.empty())
        return false;
    map.resize(2);
    map.insert(map.end(), bits.begin(), bits.end());
    fixLength(map);
    return true;
}

// The 3D mask and the 2D_VIC_order entries name descriptors 0 to 15 by position.
void remap3d(Bytes &vsdb, const std::vector<size_t> &keep)
{
    const HdmiLayout l = hdmiLayout(vsdb);
    if (!l.videoByte || !l.threeDLength)
        return;
    const size_t end = std::min(vsdb.size(), l.threeDStart + l.threeDLength);
    const unsigned multi = (vsdb[l.videoByte] >> 5) & 3;
    size_t pos = l.threeDStart + (multi == 1 || multi == 2 ? 2 : 0);
    if (multi == 2 && pos + 2 <= end) {
        const unsigned old = (unsigned(vsdb[pos]) << 8) | vsdb[pos + 1];
        unsigned mask = 0;
        for (size_t j = 0; j < keep.size() && j < 16; ++j)
            if (keep[j] < 16 && ((old >> keep[j]) & 1))
                mask |= 1u << j;
        vsdb[pos] = uint8_t(mask >> 8);
        vsdb[pos + 1] = uint8_t(mask);
        pos += 2;
    }
    Bytes entries;
    while (pos < end) {
        const size_t size = (vsdb[pos] & 0x0F) >= 8 ? 2 : 1;
        const auto at = std::find(keep.begin(), keep.end(), size_t(vsdb[pos] >> 4));
        const size_t index = size_t(at - keep.begin());
        if (at != keep.end() && index < 16 && pos + size <= end) {
            entries.push_back(uint8_t((index << 4) | (vsdb[pos] & 0x0F)));
            if (size == 2)
                entries.push_back(vsdb[pos + 1]);
        }
        pos += size;
    }
    const size_t first = std::min(end, l.threeDStart + (multi == 1 || multi == 2 ? 2 : 0) + (multi == 2 ? 2 : 0));
    vsdb.erase(vsdb.begin() + long(first), vsdb.begin() + long(end));
    vsdb.insert(vsdb.begin() + long(first), entries.begin(), entries.end());
    const size_t newLength = first + entries.size() - l.threeDStart;
    vsdb[l.videoByte + 1] = uint8_t((vsdb[l.videoByte + 1] & 0xE0) | (newLength & 0x1F));
    fixLength(vsdb);
}

} // namespace

void fixLength(Bytes &b)
{
    b[0] = uint8_t((b[0] & 0xE0) | ((b.size() - 1) & 0x1F));
}

unsigned svdVic(uint8_t svd)
{
    if (svd == 0 || svd == 128)
        return 0;
    return svd >= 129 && svd <= 192 ? svd & 0x7Fu : svd;
}

HdmiLayout hdmiLayout(const Bytes &b)
{
    HdmiLayout l;
    if (b.size() > 7)
        l.tmdsByte = 7;
    if (b.size() > 8)
        l.latencyFlags = 8;
    if (!l.latencyFlags || !(b[8] & 0x20))
        return l;
    const size_t video = 9 + ((b[8] & 0x80) ? 2 : 0) + ((b[8] & 0x40) ? 2 : 0);
    if (video + 1 >= b.size())
        return l;
    l.videoByte = video;
    l.vicCount = b[video + 1] >> 5;
    l.threeDLength = b[video + 1] & 0x1F;
    l.vicStart = video + 2;
    l.threeDStart = std::min(b.size(), l.vicStart + l.vicCount);
    return l;
}

std::vector<std::string> rewriteSvds(CtaModel &cta, const std::function<std::vector<size_t>(const Bytes &svds)> &order)
{
    Bytes svds;
    std::vector<size_t> group; // the block each descriptor sits in
    for (size_t i = 0; i < cta.blocks.size(); ++i)
        if (blockType(cta.blocks[i]) == BlockType::Video)
            for (size_t k = 1; k < cta.blocks[i].size(); ++k) {
                svds.push_back(cta.blocks[i][k]);
                group.push_back(i);
            }
    if (svds.empty())
        return {};
    const std::vector<size_t> keep = order(svds);
    std::vector<size_t> counts(cta.blocks.size(), 0);
    for (size_t k : keep)
        ++counts[group[k]];

    std::vector<std::string> notes;
    std::vector<Bytes> blocks;
    size_t next = 0;
    for (size_t i = 0; i < cta.blocks.size(); ++i) {
        Bytes b = cta.blocks[i];
        switch (blockType(b)) {
        case BlockType::Video:
            if (!counts[i])
                continue;
            b.resize(1);
            for (size_t n = 0; n < counts[i]; ++n)
                b.push_back(svds[keep[next++]]);
            fixLength(b);
            break;
        case BlockType::Y420Map:
            if (!remapY420Map(b, keep)) {
                notes.push_back("the YCbCr 4:2:0 capability map marked none of the codes left and is removed");
                continue;
            }
            break;
        case BlockType::HdmiVsdb:
            remap3d(b, keep);
            break;
        default:
            break;
        }
        blocks.push_back(std::move(b));
    }
    cta.blocks = std::move(blocks);
    return notes;
}

unsigned hdmiVicToVic(unsigned hdmiVic)
{
    static const unsigned vics[5] = {0, 95, 94, 93, 98};
    return hdmiVic >= 1 && hdmiVic <= 4 ? vics[hdmiVic] : 0;
}

void removeHdmi3d(Bytes &b)
{
    const HdmiLayout l = hdmiLayout(b);
    if (!l.videoByte)
        return;
    const size_t end = std::min(b.size(), l.threeDStart + l.threeDLength);
    b.erase(b.begin() + long(l.threeDStart), b.begin() + long(end));
    b[l.videoByte] &= 0x1F; // 3D_present and 3D_Multi_present
    b[l.videoByte + 1] &= 0xE0;
    if (b[l.videoByte] == 0 && l.vicCount == 0) {
        // Nothing left for the HDMI video part to say.
        b.erase(b.begin() + long(l.videoByte), b.begin() + long(l.videoByte + 2));
        b[8] &= ~0x20;
    }
    fixLength(b);
}

void dropHdmiVics(Bytes &b, const std::function<bool(unsigned)> &drop)
{
    const HdmiLayout l = hdmiLayout(b);
    if (!l.videoByte)
        return;
    Bytes kept;
    for (size_t i = l.vicStart; i < l.threeDStart; ++i)
        if (!drop(b[i]))
            kept.push_back(b[i]);
    b.erase(b.begin() + long(l.vicStart), b.begin() + long(l.threeDStart));
    b.insert(b.begin() + long(l.vicStart), kept.begin(), kept.end());
    b[l.videoByte + 1] = uint8_t((b[l.videoByte + 1] & 0x1F) | (kept.size() << 5));
    fixLength(b);
}

} // namespace vantrel::edid::edit
