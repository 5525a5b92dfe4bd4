// SPDX-License-Identifier: GPL-3.0-or-later
// Room for what an edit adds to a full CTA-861 extension.
#include "edits.h"
#include "video_lists.h"
#include "vic_timing.h"

#include "vic_names.h"

#include <algorithm>
#include <cmath>

namespace vantrel::edid::edit::detail {

namespace {

// The VIC of the table that stands for the same timing as d; 0 for none.
unsigned sameAsVic(TableModel &t, const Descriptor &d)
{
    if (!isDetailedTiming(d))
        return 0;
    const ModeKey mode = descriptorMode(d);
    const double clock = descriptorClockKHz(d);
    for (CtaModel *cta : t.ctaBlocks())
        for (const Bytes &b : cta->blocks)
            if (blockType(b) == BlockType::Video)
                for (size_t i = 1; i < b.size(); ++i) {
                    const unsigned vic = svdVic(b[i]);
                    const VicFormat *f = vicFormat(vic);
                    const std::optional<ModeKey> m = vicMode(vic);
                    if (f && m && m->matches(mode) && std::fabs(clock - f->pixelClockKHz) <= f->pixelClockKHz * 0.002)
                        return vic;
                }
    return 0;
}

} // namespace

int freeTimingSlot(const TableModel &t)
{
    // Timings come before the display descriptors: the first slot that is no
    // timing, when it is a dummy one.
    for (unsigned slot = 1; slot < 4; ++slot)
        if (!isDetailedTiming(t.descriptor(slot)))
            return t.descriptor(slot)[3] == 0x10 ? int(slot) : -1;
    return -1;
}

void makeRoom(TableModel &t, CtaModel &cta, size_t more, Notes &notes)
{
    const auto shortBy = [&] {
        return cta.usedBytes() + more > CtaModel::kRoom ? cta.usedBytes() + more - CtaModel::kRoom : size_t(0);
    };
    for (size_t i = cta.dtds.size(); i-- > 0 && shortBy();) {
        const Descriptor d = cta.dtds[i];
        const unsigned vic = sameAsVic(t, d);
        if (!vic)
            continue;
        cta.dtds.erase(cta.dtds.begin() + long(i));
        t.touch(&cta);
        if (const int slot = freeTimingSlot(t); slot >= 0) {
            t.setDescriptor(unsigned(slot), d);
            notes.push_back("detailed timing " + modeLabel(d) + " moved to descriptor " + std::to_string(slot + 1) +
                            " of the base block to make room");
        } else {
            notes.push_back("detailed timing " + modeLabel(d) + " removed to make room: " + vicLabel(vic) +
                            " lists the same timing");
        }
    }
    // Any timing moves into a free slot of the base block: nothing is lost.
    for (int slot = freeTimingSlot(t); shortBy() && slot >= 0 && !cta.dtds.empty(); slot = freeTimingSlot(t)) {
        const Descriptor d = cta.dtds.back();
        cta.dtds.pop_back();
        t.touch(&cta);
        t.setDescriptor(unsigned(slot), d);
        notes.push_back("detailed timing " + modeLabel(d) + " moved to descriptor " + std::to_string(slot + 1) +
                        " of the base block to make room");
    }
    clampNativeCount(t);
    const size_t missing = shortBy();
    if (!missing)
        return;
    // What could go instead, largest first, until it would be enough.
    std::vector<std::pair<size_t, std::string>> parts;
    for (const Descriptor &d : cta.dtds)
        parts.push_back({18, "the detailed timing " + modeLabel(d)});
    for (const Bytes &b : cta.blocks)
        parts.push_back({b.size(), "the " + blockTypeName(b)});
    std::stable_sort(parts.begin(), parts.end(), [](const auto &a, const auto &b) { return a.first > b.first; });
    std::string list;
    size_t freed = 0;
    for (const auto &[size, what] : parts) {
        if (freed >= missing)
            break;
        freed += size;
        list += (list.empty() ? "" : ", ") + what + " (" + std::to_string(size) + " bytes)";
    }
    throw EditError{"the CTA-861 extension lacks " + std::to_string(missing) + " bytes; room would take removing " +
                    list};
}

std::pair<unsigned, unsigned> imageSizeMm(const TableModel &t)
{
    const Descriptor first = t.descriptor(0);
    if (isDetailedTiming(first))
        return {first[12] | ((first[14] >> 4) << 8), first[13] | ((first[14] & 0x0F) << 8)};
    return {t.base[21] * 10u, t.base[22] * 10u};
}

} // namespace vantrel::edid::edit::detail
