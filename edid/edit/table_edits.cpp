// SPDX-License-Identifier: GPL-3.0-or-later
// Identity (name, serial number) and fitting a table into 256 bytes.
#include "edits.h"

#include "edid_report.h"

#include <algorithm>

namespace vantrel::edid::edit::detail {

namespace {

bool isTextDescriptor(const Descriptor &d, uint8_t tag)
{
    return !isDetailedTiming(d) && d[3] == tag;
}

// A slot for a new display descriptor: a dummy one.
int freeSlot(const TableModel &t)
{
    for (unsigned slot = 1; slot < 4; ++slot)
        if (isTextDescriptor(t.descriptor(slot), 0x10))
            return int(slot);
    return -1;
}

std::string extensionLabel(const ExtensionModel &e, size_t index)
{
    std::string name;
    switch (e.tag()) {
    case 0x02:
        name = "CTA-861 extension";
        break;
    case 0x70:
        name = "DisplayID extension";
        break;
    case 0xF0:
        name = "block map";
        break;
    default:
        name = "extension (tag " + std::to_string(e.tag()) + ")";
        break;
    }
    return name + " in block " + std::to_string(index + 1);
}

} // namespace

void setName(TableModel &t, const std::string &name, Notes &notes)
{
    if (name.empty() || name.size() > 13)
        throw EditError{"a display name is 1 to 13 characters"};
    if (std::any_of(name.begin(), name.end(), [](char c) { return c < 0x20 || c > 0x7E; }) || name.back() == ' ')
        throw EditError{"printable ASCII only, not ending in a space"};
    int slot = -1;
    for (unsigned s = 1; s < 4; ++s)
        if (isTextDescriptor(t.descriptor(s), 0xFC)) {
            if (slot < 0) {
                slot = int(s);
                notes.push_back("display name \"" + descriptorText(t.descriptor(s)) + "\" replaced by \"" + name +
                                "\"");
            } else {
                t.setDescriptor(s, dummyDescriptor()); // the rest of a name spread over two
            }
        }
    if (slot < 0) {
        slot = freeSlot(t);
        if (slot < 0)
            throw EditError{"the base block has no free descriptor for a name"};
        notes.push_back("display name \"" + name + "\" added");
    }
    t.setDescriptor(unsigned(slot), textDescriptor(0xFC, name));
}

void setSerial(TableModel &t, uint32_t serial, Notes &notes)
{
    const uint32_t was = t.base[12] | (t.base[13] << 8) | (t.base[14] << 16) | (uint32_t(t.base[15]) << 24);
    for (unsigned i = 0; i < 4; ++i)
        t.base[12 + i] = uint8_t(serial >> (8 * i));
    notes.push_back("serial number " + std::to_string(serial) + " (was " + std::to_string(was) + ")");
    if (const unsigned n = t.setDisplayIdSerial(serial))
        notes.push_back("serial number of " + std::to_string(n) + " DisplayID product identification(s) set too");
    for (unsigned s = 1; s < 4; ++s)
        if (isTextDescriptor(t.descriptor(s), 0xFF)) {
            t.setDescriptor(s, textDescriptor(0xFF, std::to_string(serial)));
            notes.push_back("serial number text set to " + std::to_string(serial));
        }
}

void fitTable(TableModel &t, Notes &notes)
{
    const Bytes before = t.encode();
    const EdidReport report = decodeEdid(before);
    size_t keep = t.extensions.size();
    for (size_t i = 0; i < t.extensions.size() && keep == t.extensions.size(); ++i)
        if (t.extensions[i].tag() == 0x02)
            keep = i;
    // CTA-861 data blocks that only a DisplayID section carries get an
    // extension of their own, where HDMI sources look for them.
    const bool lift = keep == t.extensions.size() && !t.displayIdCtaBlocks().empty();
    if (before.size() <= 256 && !lift) {
        notes.push_back("the table already fits in " + std::to_string(before.size()) + " bytes");
        return;
    }
    if (lift) {
        ExtensionModel made;
        made.raw.assign(128, 0);
        made.raw[0] = 0x02;
        made.raw[1] = 3;
        made.cta = CtaModel{};
        const std::vector<Bytes> lifted = t.displayIdCtaBlocks();
        const auto has = [&](BlockType type) {
            return std::any_of(lifted.begin(), lifted.end(), [&](const Bytes &b) { return blockType(b) == type; });
        };
        if (has(BlockType::Audio))
            made.cta->flags |= 0x40; // basic audio, as the audio block says
        // What every CTA-861 extension owes its readers: 640x480 and the
        // quantization range (selectable: DisplayID displays are PC displays).
        if (!has(BlockType::Video) && !(t.base[35] & 0x20))
            made.cta->blocks.push_back({0x41, 0x01});
        if (!has(BlockType::VideoCapability))
            made.cta->blocks.push_back({0xE2, 0x00, 0x40});
        t.extensions.push_back(std::move(made));
        keep = t.extensions.size() - 1;
        notes.push_back("a CTA-861 extension made for the CTA-861 data blocks of the DisplayID section");
    }
    if (keep < t.extensions.size() && !t.extensions[keep].cta)
        throw EditError{"the CTA-861 extension in block " + std::to_string(keep + 1) +
                        " is malformed and cannot be re-encoded"};
    CtaModel *first = keep < t.extensions.size() ? &*t.extensions[keep].cta : nullptr;

    // What the other blocks hold that the kept extension can take: their
    // CTA-861 data blocks (those DisplayID carries too) and timings.
    std::vector<Bytes> blocks;
    std::vector<Descriptor> dtds;
    for (size_t i = 0; i < t.extensions.size(); ++i) {
        if (i == keep)
            continue;
        const ExtensionModel &e = t.extensions[i];
        notes.push_back(extensionLabel(e, i) + " dropped");
        if (e.cta) {
            blocks.insert(blocks.end(), e.cta->blocks.begin(), e.cta->blocks.end());
            dtds.insert(dtds.end(), e.cta->dtds.begin(), e.cta->dtds.end());
        }
        if (i < report.extensions.size() && report.extensions[i].displayId)
            for (const DisplayIdBlock &b : report.extensions[i].displayId->blocks) {
                for (const DataBlock &db : b.cta)
                    blocks.emplace_back(before.begin() + db.offset, before.begin() + db.offset + 1 + db.length);
                if (b.cta.empty())
                    notes.push_back("lost: DisplayID " + b.name);
            }
    }
    if (first) {
        first->blocks.erase(std::remove_if(first->blocks.begin(), first->blocks.end(),
                                           [&](const Bytes &b) {
                                               if (blockType(b) != BlockType::Eeodb)
                                                   return false;
                                               notes.push_back("the EDID extension override block is removed");
                                               return true;
                                           }),
                            first->blocks.end());
        for (const Bytes &b : blocks) {
            const BlockType type = blockType(b);
            const bool single = type != BlockType::Other && type != BlockType::Audio && type != BlockType::Video;
            const bool twice = single && std::any_of(first->blocks.begin(), first->blocks.end(),
                                                     [&](const Bytes &o) { return blockType(o) == type; });
            if (type == BlockType::Eeodb)
                continue;
            if (twice || first->usedBytes() + b.size() > CtaModel::kRoom) {
                notes.push_back("lost: " + blockTypeName(b) + (twice ? " (block 1 has one)" : " (no room)"));
                continue;
            }
            // Data blocks go before the timings, which stay in place.
            first->blocks.push_back(b);
            notes.push_back(blockTypeName(b) + " moved into block 1");
        }
        for (const Descriptor &d : dtds) {
            if (first->usedBytes() + 18 > CtaModel::kRoom) {
                notes.push_back("lost: a detailed timing descriptor (no room)");
                continue;
            }
            first->dtds.push_back(d);
            notes.push_back("a detailed timing descriptor moved into block 1");
        }
    } else {
        notes.push_back("no CTA-861 extension: the base block alone is kept");
    }
    std::vector<ExtensionModel> kept;
    if (first) {
        kept.push_back(std::move(t.extensions[keep]));
        kept.back().dirty = true;
    }
    t.extensions = std::move(kept);
    t.base[126] = uint8_t(t.extensions.size());
}

} // namespace vantrel::edid::edit::detail
