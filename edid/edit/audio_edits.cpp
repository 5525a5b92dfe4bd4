// SPDX-License-Identifier: GPL-3.0-or-later
// Audio blocks: another table's (an AVR's), fewer formats, the speakers.
#include "edid_edit.h"
#include "edits.h"
#include "video_lists.h"

#include "edid_report.h"

#include <algorithm>

namespace vantrel::edid::edit::detail {

namespace {

std::string speakerText(uint32_t allocation)
{
    std::string text;
    for (const std::string &name : speakerNames(allocation))
        text += (text.empty() ? "" : ", ") + name.substr(0, name.find(" - "));
    return text.empty() ? "none" : text;
}

} // namespace

void takeAudio(TableModel &t, const Bytes &source, Notes &notes)
{
    std::string why;
    std::optional<TableModel> other = TableModel::parse(source, why);
    if (!other)
        throw EditError{"the other table: " + why};
    std::vector<Bytes> taken;
    std::optional<uint8_t> basicAudio;
    for (CtaModel *cta : other->ctaBlocks()) {
        if (!basicAudio)
            basicAudio = cta->flags & 0x40;
        for (const Bytes &b : cta->blocks)
            if (isAudioBlock(blockType(b)))
                taken.push_back(b);
    }
    if (taken.empty())
        throw EditError{"the other table has no audio data block"};

    CtaModel &first = t.firstCta();
    size_t at = std::string::npos;
    for (CtaModel *cta : editableCtas(t)) {
        std::vector<Bytes> kept;
        for (Bytes &b : cta->blocks) {
            if (!isAudioBlock(blockType(b))) {
                kept.push_back(std::move(b));
                continue;
            }
            if (cta == &first && at == std::string::npos)
                at = kept.size();
            notes.push_back(blockTypeName(b) + " of this table removed");
            t.touch(cta);
        }
        cta->blocks = std::move(kept);
    }
    if (at == std::string::npos)
        at = 0;
    size_t size = 0;
    for (const Bytes &b : taken)
        size += b.size();
    makeRoom(t, first, size, notes);
    first.blocks.insert(first.blocks.begin() + long(at), taken.begin(), taken.end());
    first.flags = uint8_t((first.flags & ~0x40) | *basicAudio);
    t.touch(&first);
    for (const Bytes &b : taken) {
        notes.push_back(blockTypeName(b) + " taken from the other table");
        if (blockType(b) == BlockType::Speaker && b.size() >= 4)
            notes.push_back("speakers: " + speakerText(b[1] | (b[2] << 8) | (uint32_t(b[3]) << 16)));
    }
}

void dropAudio(TableModel &t, const std::vector<unsigned> &formats, Notes &notes)
{
    const size_t before = notes.size();
    for (CtaModel *cta : editableCtas(t)) {
        std::vector<Bytes> kept;
        for (Bytes &b : cta->blocks) {
            if (blockType(b) != BlockType::Audio) {
                kept.push_back(std::move(b));
                continue;
            }
            Bytes left{b[0]};
            for (size_t i = 1; i + 3 <= b.size(); i += 3) {
                const unsigned format = (b[i] >> 3) & 0x0F, ext = b[i + 2] >> 3;
                const unsigned id = audioFormatId(format, ext);
                if (std::find(formats.begin(), formats.end(), id) == formats.end()) {
                    left.insert(left.end(), b.begin() + long(i), b.begin() + long(i + 3));
                    continue;
                }
                const unsigned channels = (b[i] & 7) + 1;
                notes.push_back(audioFormatName(format, format == 15 ? ext : 0) + ", " + std::to_string(channels) +
                                " channels removed");
                t.touch(cta);
            }
            if (left.size() == 1) {
                notes.push_back("the audio data block is empty and removed");
                continue;
            }
            fixLength(left);
            kept.push_back(std::move(left));
        }
        cta->blocks = std::move(kept);
    }
    if (notes.size() == before)
        notes.push_back("none of these formats is listed; nothing to remove");
}

void setSpeakers(TableModel &t, uint32_t allocation, Notes &notes)
{
    const Bytes block{0x83, uint8_t(allocation), uint8_t(allocation >> 8), uint8_t(allocation >> 16)};
    bool set = false;
    for (CtaModel *cta : editableCtas(t))
        for (Bytes &b : cta->blocks)
            if (blockType(b) == BlockType::Speaker) {
                b = block;
                t.touch(cta);
                set = true;
            }
    if (!set) {
        CtaModel &first = t.firstCta();
        // After the last audio data block, where readers look for it.
        size_t at = 0;
        for (size_t i = 0; i < first.blocks.size(); ++i)
            if (blockType(first.blocks[i]) == BlockType::Audio)
                at = i + 1;
        first.blocks.insert(first.blocks.begin() + long(at), block);
        t.touch(&first);
        notes.push_back("speaker allocation data block added");
    }
    notes.push_back("speakers: " + speakerText(allocation));
}

} // namespace vantrel::edid::edit::detail
