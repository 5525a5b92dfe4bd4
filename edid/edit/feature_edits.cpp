// SPDX-License-Identifier: GPL-3.0-or-later
// Switching features off: 4:2:0, deep colour, 3D, HDR blocks.
#include "edits.h"
#include "video_lists.h"

#include <algorithm>

namespace vantrel::edid::edit::detail {

namespace {

// Clears bits of byte `at` of every block of the type; a note when any were set.
void clearBits(TableModel &t, BlockType type, size_t at, uint8_t bits, const std::string &note, Notes &notes)
{
    for (CtaModel *cta : t.ctaBlocks())
        for (Bytes &b : cta->blocks)
            if (blockType(b) == type && b.size() > at && (b[at] & bits)) {
                b[at] &= uint8_t(~bits);
                t.touch(cta);
                notes.push_back(note);
            }
}

void clearForumBits(TableModel &t, size_t at, uint8_t bits, const std::string &note, Notes &notes)
{
    clearBits(t, BlockType::HdmiForumVsdb, at, bits, note, notes);
    clearBits(t, BlockType::Scdb, at, bits, note, notes);
}

} // namespace

void removeBlocks(TableModel &t, BlockType type, const std::string &what, Notes &notes)
{
    const size_t before = notes.size();
    for (CtaModel *cta : editableCtas(t)) {
        auto &blocks = cta->blocks;
        const auto from = std::remove_if(blocks.begin(), blocks.end(), [&](const Bytes &b) {
            if (blockType(b) != type)
                return false;
            std::string vics;
            if (type == BlockType::Y420Video)
                for (size_t i = 2; i < b.size(); ++i)
                    vics += (vics.empty() ? ": " : ", ") + vicLabel(svdVic(b[i]));
            notes.push_back(blockTypeName(b) + " removed" + vics);
            return true;
        });
        if (from != blocks.end()) {
            blocks.erase(from, blocks.end());
            t.touch(cta);
        }
    }
    for (const Bytes &b : t.displayIdCtaBlocks())
        if (blockType(b) == type)
            throw EditError{"a " + what +
                            " sits in a DisplayID section, which the edits do not change "
                            "(fitting the table drops DisplayID)"};
    if (notes.size() == before)
        notes.push_back("the table has no " + what + "; nothing to remove");
}

void removeY420(TableModel &t, Notes &notes)
{
    removeBlocks(t, BlockType::Y420Video, "YCbCr 4:2:0 video data block", notes);
    removeBlocks(t, BlockType::Y420Map, "YCbCr 4:2:0 capability map", notes);
    clearForumBits(t, 7, 0x07, "HDMI Forum block: deep colour in YCbCr 4:2:0 removed", notes);
    clearForumBits(t, 11, 0x40, "HDMI Forum block: DSC in native YCbCr 4:2:0 removed", notes);
}

void removeDeepColour(TableModel &t, Notes &notes)
{
    editableCtas(t);
    const size_t before = notes.size();
    clearBits(t, BlockType::HdmiVsdb, 6, 0x78,
              "HDMI vendor block: deep colour (30, 36, 48 bit and YCbCr 4:4:4) removed", notes);
    clearForumBits(t, 7, 0x07, "HDMI Forum block: deep colour in YCbCr 4:2:0 removed", notes);
    if (notes.size() == before)
        notes.push_back("the table announces no deep colour; nothing to remove");
}

void remove3d(TableModel &t, Notes &notes)
{
    const size_t before = notes.size();
    for (CtaModel *cta : editableCtas(t))
        for (Bytes &b : cta->blocks) {
            const HdmiLayout l = blockType(b) == BlockType::HdmiVsdb ? hdmiLayout(b) : HdmiLayout{};
            if (l.videoByte && ((b[l.videoByte] & 0xE0) || l.threeDLength)) {
                removeHdmi3d(b);
                t.touch(cta);
                notes.push_back("HDMI vendor block: 3D formats removed");
            }
        }
    clearForumBits(t, 6, 0x07, "HDMI Forum block: independent view, dual view and 3D OSD disparity removed", notes);
    unsigned stereo = 0;
    for (unsigned slot = 0; slot < 4; ++slot) {
        Descriptor d = t.descriptor(slot);
        if (isDetailedTiming(d) && (d[17] & 0x61)) {
            d[17] &= 0x9E;
            t.setDescriptor(slot, d);
            ++stereo;
        }
    }
    for (CtaModel *cta : t.ctaBlocks())
        for (Descriptor &d : cta->dtds)
            if (isDetailedTiming(d) && (d[17] & 0x61)) {
                d[17] &= 0x9E;
                t.touch(cta);
                ++stereo;
            }
    if (stereo)
        notes.push_back(std::to_string(stereo) + " detailed timing(s): stereo mode set to none");
    if (notes.size() == before)
        notes.push_back("the table announces no 3D; nothing to remove");
}

void setEotfs(TableModel &t, uint8_t eotfs, Notes &notes)
{
    if (!(eotfs & 0x0F))
        throw EditError{"at least one of sdr, hdr, pq, hlg"};
    bool found = false;
    for (CtaModel *cta : editableCtas(t))
        for (Bytes &b : cta->blocks)
            if (blockType(b) == BlockType::HdrStatic && b.size() > 2) {
                found = true;
                b[2] = eotfs;
                t.touch(cta);
            }
    if (!found) {
        CtaModel &cta = t.firstCta();
        cta.blocks.push_back({0xE3, 0x06, eotfs, 0x01});
        t.touch(&cta);
        notes.push_back("HDR static metadata data block added");
    }
    std::string names;
    static const char *const kNames[4] = {"SDR", "HDR gamma", "PQ (SMPTE ST 2084)", "HLG"};
    for (unsigned bit = 0; bit < 4; ++bit)
        if (eotfs & (1u << bit))
            names += (names.empty() ? "" : ", ") + std::string(kNames[bit]);
    notes.push_back("HDR static metadata: transfer functions " + names);
}

} // namespace vantrel::edid::edit::detail
