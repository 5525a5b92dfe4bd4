// SPDX-License-Identifier: GPL-3.0-or-later
// Refresh ranges and the HDMI Forum block's fields: FreeSync's range in the
// AMD vendor block, VRR, ALLM and the FRL rate.
#include "edits.h"
#include "video_lists.h"

#include <algorithm>

namespace vantrel::edid::edit::detail {

namespace {

// The AMD vendor block: OUI 00-00-1A.
bool isAmd(const Bytes &b)
{
    return b.size() >= 9 && (b[0] >> 5) == 3 && b[1] == 0x1A && b[2] == 0x00 && b[3] == 0x00;
}

// The HDMI Forum block (or sink capability block) with at least `bytes`
// bytes, one made after the HDMI vendor block where there is none.
Bytes &forumBlock(TableModel &t, size_t bytes, Notes &notes)
{
    for (CtaModel *cta : editableCtas(t))
        for (Bytes &b : cta->blocks)
            if (blockType(b) == BlockType::HdmiForumVsdb || blockType(b) == BlockType::Scdb) {
                if (b.size() < bytes) {
                    makeRoom(t, *cta, bytes - b.size(), notes);
                    b.resize(bytes, 0);
                    fixLength(b);
                }
                t.touch(cta);
                return b;
            }
    for (CtaModel *cta : t.ctaBlocks())
        for (size_t i = 0; i < cta->blocks.size(); ++i)
            if (blockType(cta->blocks[i]) == BlockType::HdmiVsdb) {
                Bytes made{0x60, 0xD8, 0x5D, 0xC4, 0x01, 0x00, 0x00, 0x00};
                made.resize(std::max(made.size(), bytes), 0);
                fixLength(made);
                makeRoom(t, *cta, made.size(), notes);
                cta->blocks.insert(cta->blocks.begin() + long(i + 1), made);
                t.touch(cta);
                notes.push_back("HDMI Forum block added after the HDMI vendor block");
                return cta->blocks[i + 1];
            }
    throw EditError{"the table has no HDMI vendor block, which an HDMI Forum block needs"};
}

std::string rangeText(unsigned min, unsigned max)
{
    return max ? std::to_string(min) + " to " + std::to_string(max) + " Hz" : std::string("none");
}

} // namespace

void setFreeSync(TableModel &t, const RateRange &r, Notes &notes)
{
    for (CtaModel *cta : editableCtas(t))
        for (Bytes &b : cta->blocks)
            if (isAmd(b)) {
                const bool wide = b[4] > 2 && b.size() > 15; // version 3: a 10-bit maximum
                if (r.max > (wide ? 1023u : 255u) || r.min > 255)
                    throw EditError{"this AMD block holds rates up to " + std::to_string(wide ? 1023 : 255) + " Hz"};
                const unsigned was = wide ? ((b[15] & 3u) << 8) | b[14] : b[7];
                const std::string before = rangeText(b[6], was);
                b[6] = uint8_t(r.min);
                b[7] = uint8_t(std::min(r.max, 255u));
                if (wide) {
                    b[14] = uint8_t(r.max);
                    b[15] = uint8_t((b[15] & 0xFC) | (r.max >> 8));
                }
                t.touch(cta);
                notes.push_back("AMD vendor block: FreeSync " + rangeText(r.min, r.max) + " (was " + before + ")");
                return;
            }
    if (r.max > 255)
        throw EditError{"a new AMD block holds rates up to 255 Hz"};
    // Version 1: feature flags, then the range and no MCCS switching.
    const Bytes block{0x68, 0x1A, 0x00, 0x00, 0x01, 0x01, uint8_t(r.min), uint8_t(r.max), 0x00};
    CtaModel &cta = t.firstCta();
    makeRoom(t, cta, block.size(), notes);
    cta.blocks.push_back(block);
    t.touch(&cta);
    notes.push_back("AMD vendor block added: FreeSync " + rangeText(r.min, r.max));
}

void setHfVrr(TableModel &t, const RateRange &r, Notes &notes)
{
    if (r.min > 63)
        throw EditError{"the HDMI Forum block's VRRmin is at most 63 Hz"};
    Bytes &b = forumBlock(t, 11, notes);
    const unsigned wasMin = b[9] & 0x3F, wasMax = ((b[9] & 0xC0u) << 2) | b[10];
    b[9] = uint8_t(((r.max >> 8) << 6) | r.min);
    b[10] = uint8_t(r.max);
    notes.push_back("HDMI Forum block: VRR " + rangeText(r.min, r.max) + " (was " + rangeText(wasMin, wasMax) + ")");
}

void setHfAllm(TableModel &t, bool on, Notes &notes)
{
    Bytes &b = forumBlock(t, 9, notes);
    const bool was = b[8] & 0x02;
    b[8] = uint8_t(on ? b[8] | 0x02 : b[8] & ~0x02);
    notes.push_back(std::string("HDMI Forum block: auto low-latency mode ") + (on ? "on" : "off") +
                    (was == on ? " (already)" : ""));
}

void setMaxFrl(TableModel &t, unsigned code, Notes &notes)
{
    static const char *const kRates[] = {"none",           "3 Gbps on 3 lanes",  "6 Gbps on 3 lanes",
                                         "6 Gbps on 4 lanes", "8 Gbps on 4 lanes", "10 Gbps on 4 lanes",
                                         "12 Gbps on 4 lanes"};
    Bytes &b = forumBlock(t, 8, notes);
    const unsigned was = std::min(b[7] >> 4, 6);
    b[7] = uint8_t((code << 4) | (b[7] & 0x0F));
    notes.push_back(std::string("HDMI Forum block: maximum FRL rate ") + kRates[code] + " (was " + kRates[was] + ")");
}

} // namespace vantrel::edid::edit::detail
