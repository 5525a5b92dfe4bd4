// SPDX-License-Identifier: GPL-3.0-or-later
// Video codes, the preferred timing and the TMDS limit.
#include "edits.h"
#include "video_lists.h"
#include "vic_timing.h"

#include "vic_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <set>

namespace vantrel::edid::edit::detail {

namespace {

Bytes svdsOf(const CtaModel &cta)
{
    Bytes out;
    for (const Bytes &b : cta.blocks)
        if (blockType(b) == BlockType::Video)
            out.insert(out.end(), b.begin() + 1, b.end());
    return out;
}

// Removes the listed codes from a 4:2:0-only block; false when none is left.
bool filterY420(Bytes &b, const std::function<bool(unsigned)> &drop, Notes &notes, const char *why)
{
    Bytes kept(b.begin(), b.begin() + 2);
    for (size_t i = 2; i < b.size(); ++i) {
        if (drop(svdVic(b[i])))
            notes.push_back(vicLabel(svdVic(b[i])) + why);
        else
            kept.push_back(b[i]);
    }
    b = kept;
    fixLength(b);
    return b.size() > 2;
}

unsigned clockKHz(unsigned vic)
{
    const VicFormat *f = vicFormat(vic);
    return f ? f->pixelClockKHz : 0;
}

std::optional<ModeKey> parseMode(const std::string &text, unsigned &vic)
{
    vic = 0;
    if (!text.empty() && text.find_first_not_of("0123456789") == std::string::npos) {
        vic = unsigned(std::stoul(text.substr(0, 4)));
        return vicMode(vic);
    }
    unsigned w = 0, h = 0;
    double hz = 0;
    char scan = 0, at = 0;
    int used = 0;
    if (std::sscanf(text.c_str(), "%ux%u%c%n", &w, &h, &scan, &used) < 3)
        return std::nullopt;
    ModeKey m{w, h, scan == 'i', 0};
    if (scan == 'i' || scan == 'p') {
        if (std::sscanf(text.c_str() + used, "%c%lf", &at, &hz) < 2 || at != '@')
            return std::nullopt;
    } else if (scan != '@' || std::sscanf(text.c_str() + used, "%lf", &hz) < 1) {
        return std::nullopt;
    }
    m.refreshHz = hz;
    return m;
}

} // namespace

std::string modeLabel(const Descriptor &d)
{
    const ModeKey m = descriptorMode(d);
    char text[64];
    std::snprintf(text, sizeof text, "%ux%u%s at %.2f Hz", m.width, m.height, m.interlaced ? "i" : "", m.refreshHz);
    return text;
}

void clampNativeCount(TableModel &t)
{
    // The native count covers the timings of the base block and the extensions.
    unsigned dtds = 0;
    for (unsigned slot = 0; slot < 4; ++slot)
        dtds += isDetailedTiming(t.descriptor(slot));
    for (CtaModel *cta : t.ctaBlocks())
        dtds += unsigned(std::count_if(cta->dtds.begin(), cta->dtds.end(), isDetailedTiming));
    for (CtaModel *cta : t.ctaBlocks())
        if ((cta->flags & 0x0F) > dtds) {
            cta->flags = uint8_t((cta->flags & 0xF0) | dtds);
            t.touch(cta);
        }
}

std::vector<CtaModel *> editableCtas(TableModel &t)
{
    std::vector<CtaModel *> all = t.ctaBlocks();
    if (all.empty())
        throw EditError{"the table has no CTA-861 extension"};
    return all;
}

std::string vicLabel(unsigned vic)
{
    const std::string name = vicName(vic);
    return "VIC " + std::to_string(vic) + (name.empty() ? std::string() : " (" + name + ")");
}

void dropVics(TableModel &t, const std::vector<unsigned> &vics, Notes &notes)
{
    auto listed = [&](unsigned v) { return v && std::find(vics.begin(), vics.end(), v) != vics.end(); };
    std::set<unsigned> found;
    for (CtaModel *cta : editableCtas(t)) {
        const Bytes svds = svdsOf(*cta);
        if (std::any_of(svds.begin(), svds.end(), [&](uint8_t s) { return listed(svdVic(s)); })) {
            const Notes more = rewriteSvds(*cta, [&](const Bytes &all) {
                std::vector<size_t> keep;
                for (size_t i = 0; i < all.size(); ++i) {
                    if (!listed(svdVic(all[i]))) {
                        keep.push_back(i);
                        continue;
                    }
                    found.insert(svdVic(all[i]));
                    notes.push_back(vicLabel(svdVic(all[i])) + " removed from the video data block");
                }
                return keep;
            });
            notes.insert(notes.end(), more.begin(), more.end());
            t.touch(cta);
        }
        std::vector<Bytes> blocks;
        for (Bytes b : cta->blocks) {
            const BlockType type = blockType(b);
            if (type == BlockType::Y420Video) {
                const size_t before = b.size();
                const auto drop = [&](unsigned v) { return listed(v) && found.insert(v).first != found.end(); };
                const bool left = filterY420(b, drop, notes, " removed from the YCbCr 4:2:0 video data block");
                if (b.size() != before)
                    t.touch(cta);
                if (!left) {
                    notes.push_back("the YCbCr 4:2:0 video data block is empty and removed");
                    continue;
                }
            } else if (type == BlockType::HdmiVsdb) {
                dropHdmiVics(b, [&](unsigned h) {
                    if (!listed(hdmiVicToVic(h)))
                        return false;
                    found.insert(hdmiVicToVic(h));
                    notes.push_back("HDMI VIC " + std::to_string(h) + ", the same format as " +
                                    vicLabel(hdmiVicToVic(h)) + ", removed from the HDMI vendor block");
                    t.touch(cta);
                    return true;
                });
            }
            blocks.push_back(std::move(b));
        }
        cta->blocks = std::move(blocks);
    }
    for (unsigned v : vics)
        if (!found.count(v))
            notes.push_back(vicLabel(v) + " is not listed in the table; nothing to remove");
}

void setPreferred(TableModel &t, const std::string &text, Notes &notes)
{
    unsigned vic = 0;
    const std::optional<ModeKey> key = parseMode(text, vic);
    if (!key)
        throw EditError{"\"" + text + "\" is not a VIC or a mode such as 3840x2160@60"};

    // The video code: first in the first video data block that lists it.
    bool listed = false;
    for (CtaModel *cta : t.ctaBlocks()) {
        const Bytes svds = svdsOf(*cta);
        for (size_t i = 0; i < svds.size() && !listed; ++i) {
            const unsigned v = svdVic(svds[i]);
            const std::optional<ModeKey> m = vicMode(v);
            if (!(vic ? v == vic : m && m->matches(*key)))
                continue;
            listed = true;
            vic = v;
            if (i == 0) {
                notes.push_back(vicLabel(v) + " is already the first video code");
                break;
            }
            rewriteSvds(*cta, [&](const Bytes &all) {
                std::vector<size_t> order{i};
                for (size_t k = 0; k < all.size(); ++k)
                    if (k != i)
                        order.push_back(k);
                return order;
            });
            t.touch(cta);
            notes.push_back(vicLabel(v) + " is now the first video code");
        }
    }

    // The detailed timing: into the base block's first slot. A VIC asks for
    // its own timing (or its 1000/1001 twin), not any of the same size.
    const VicFormat *format = vicFormat(vic);
    const auto wanted = [&](const Descriptor &d) {
        if (!isDetailedTiming(d) || !key->matches(descriptorMode(d)))
            return false;
        const double clock = descriptorClockKHz(d);
        return !format || std::abs(clock - format->pixelClockKHz) <= format->pixelClockKHz * 0.002;
    };
    const Descriptor first = t.descriptor(0);
    if (!isDetailedTiming(first))
        throw EditError{"the base block's first descriptor is no timing to replace"};
    if (wanted(first)) {
        notes.push_back(modeLabel(first) + " is already the preferred timing");
        return;
    }
    for (unsigned slot = 1; slot < 4; ++slot) {
        const Descriptor d = t.descriptor(slot);
        if (wanted(d)) {
            t.setDescriptor(0, d);
            t.setDescriptor(slot, first);
            notes.push_back(modeLabel(d) + " is now the preferred timing; " + modeLabel(first) +
                            " takes its place in the base block");
            return;
        }
    }
    for (CtaModel *cta : t.ctaBlocks())
        for (Descriptor &d : cta->dtds)
            if (wanted(d)) {
                const Descriptor chosen = d;
                d = first;
                t.setDescriptor(0, chosen);
                t.touch(cta);
                notes.push_back(modeLabel(chosen) + " is now the preferred timing; " + modeLabel(first) +
                                " moves to the CTA-861 extension");
                return;
            }
    const unsigned widthMm = first[12] | ((first[14] >> 4) << 8), heightMm = first[13] | ((first[14] & 0x0F) << 8);
    const std::optional<Descriptor> made = listed ? vicDescriptor(vic, widthMm, heightMm) : std::nullopt;
    if (!made)
        throw EditError{"the table has no mode " + text +
                        (listed ? ", and no detailed timing is known here for " + vicLabel(vic) : std::string())};
    t.setDescriptor(0, *made);
    notes.push_back(modeLabel(*made) + " (the timing of " + vicLabel(vic) + ") is now the preferred timing");
    // The former preferred timing stays where there is room for it.
    for (unsigned slot = 1; slot < 4; ++slot)
        if (!isDetailedTiming(t.descriptor(slot)) && t.descriptor(slot)[3] == 0x10) {
            t.setDescriptor(slot, first);
            notes.push_back(modeLabel(first) + " moves to descriptor " + std::to_string(slot + 1));
            return;
        }
    std::vector<CtaModel *> all = t.ctaBlocks();
    if (!all.empty() && all[0]->usedBytes() + 18 <= CtaModel::kRoom) {
        all[0]->dtds.insert(all[0]->dtds.begin(), first);
        t.touch(all[0]);
        notes.push_back(modeLabel(first) + " moves to the CTA-861 extension");
        return;
    }
    notes.push_back(modeLabel(first) + " is dropped: no room is left for it");
}

void capTmds(TableModel &t, unsigned mhz, Notes &notes)
{
    if (mhz < 25 || mhz > 600)
        throw EditError{std::to_string(mhz) + " MHz: a TMDS clock is 25 to 600 MHz"};
    const unsigned cap = mhz * 1000;
    bool hdmi = false;
    for (CtaModel *cta : editableCtas(t)) {
        t.touch(cta);
        for (Bytes &b : cta->blocks) {
            const BlockType type = blockType(b);
            if (type == BlockType::HdmiVsdb) {
                hdmi = true;
                const unsigned was = b.size() > 7 ? b[7] * 5u : 0u;
                b.resize(std::max<size_t>(b.size(), 8), 0);
                b[7] = uint8_t(std::min(mhz, 340u) / 5);
                fixLength(b);
                notes.push_back("HDMI vendor block: maximum TMDS clock " + std::to_string(b[7] * 5u) + " MHz (was " +
                                (was ? std::to_string(was) + " MHz" : std::string("not given")) + ")");
                dropHdmiVics(b, [&](unsigned h) {
                    if (clockKHz(hdmiVicToVic(h)) <= cap)
                        return false;
                    notes.push_back("HDMI VIC " + std::to_string(h) + " (" + vicName(hdmiVicToVic(h)) +
                                    ") needs more and is removed");
                    return true;
                });
            } else if ((type == BlockType::HdmiForumVsdb || type == BlockType::Scdb) && b.size() > 5) {
                const unsigned was = b[5] * 5u;
                b[5] = uint8_t(mhz > 340 ? mhz / 5 : 0);
                notes.push_back("HDMI Forum block: maximum TMDS character rate " +
                                (b[5] ? std::to_string(b[5] * 5u) + " MHz" : std::string("340 MHz or less")) +
                                " (was " + (was ? std::to_string(was) + " MHz" : std::string("340 MHz or less")) + ")");
                if (mhz < 600 && b.size() > 7 && (b[7] >> 4)) {
                    b[7] &= 0x0F;
                    notes.push_back("HDMI Forum block: FRL removed (it would carry modes past the limit)");
                }
                if (b.size() > 11 && (b[11] & 0x80) && !(b[7] >> 4)) {
                    std::fill(b.begin() + 11, b.begin() + long(std::min<size_t>(b.size(), 14)), 0);
                    notes.push_back("HDMI Forum block: DSC removed (it needs FRL)");
                }
            }
        }

        // Codes past the limit: 4:2:0 at half the clock where the format has
        // it (the UHD formats and above), else gone.
        std::vector<unsigned> to420;
        rewriteSvds(*cta, [&](const Bytes &all) {
            std::vector<size_t> keep;
            for (size_t i = 0; i < all.size(); ++i) {
                const unsigned v = svdVic(all[i]);
                const VicFormat *f = vicFormat(v);
                if (!f || f->pixelClockKHz <= cap) {
                    keep.push_back(i);
                } else if (f->hActive >= 3840 && f->pixelClockKHz / 2 <= cap) {
                    to420.push_back(v);
                    notes.push_back(vicLabel(v) + " needs " + std::to_string(f->pixelClockKHz / 1000) +
                                    " MHz: now YCbCr 4:2:0 only (" + std::to_string(f->pixelClockKHz / 2000) + " MHz)");
                } else {
                    notes.push_back(vicLabel(v) + " needs " + std::to_string(f->pixelClockKHz / 1000) +
                                    " MHz and is removed");
                }
            }
            return keep;
        });
        std::vector<Bytes> blocks;
        for (Bytes &b : cta->blocks) {
            if (blockType(b) == BlockType::Y420Video) {
                const auto over = [&](unsigned v) { return clockKHz(v) / 2 > cap; };
                if (!filterY420(b, over, notes, " needs more even as YCbCr 4:2:0 and is removed"))
                    continue;
                for (unsigned v : to420)
                    if (std::find(b.begin() + 2, b.end(), uint8_t(v)) == b.end() && b.size() < 32)
                        b.push_back(uint8_t(v));
                to420.clear();
                fixLength(b);
            }
            blocks.push_back(b);
        }
        if (!to420.empty()) {
            Bytes b{0xE0, 14};
            b.insert(b.end(), to420.begin(), to420.end());
            fixLength(b);
            blocks.push_back(b);
        }
        cta->blocks = std::move(blocks);

        std::vector<Descriptor> dtds;
        for (const Descriptor &d : cta->dtds) {
            if (isDetailedTiming(d) && descriptorClockKHz(d) > cap)
                notes.push_back("detailed timing " + modeLabel(d) + " needs " +
                                std::to_string(descriptorClockKHz(d) / 1000) + " MHz and is removed");
            else
                dtds.push_back(d);
        }
        cta->dtds = std::move(dtds);
    }
    if (!hdmi)
        throw EditError{"the table has no HDMI vendor block to carry the limit"};

    // Base block: timings past the limit go; the next one that fits becomes
    // the preferred timing.
    std::vector<Descriptor> kept;
    for (unsigned slot = 0; slot < 4; ++slot) {
        const Descriptor d = t.descriptor(slot);
        if (isDetailedTiming(d) && descriptorClockKHz(d) > cap)
            notes.push_back("detailed timing " + modeLabel(d) + " needs " +
                            std::to_string(descriptorClockKHz(d) / 1000) + " MHz and is removed");
        else if (isDetailedTiming(d) || d[3] != 0x10)
            kept.push_back(d);
    }
    if (kept.size() == 4) {
        clampNativeCount(t);
        return;
    }
    if (kept.empty() || !isDetailedTiming(kept[0])) {
        std::optional<Descriptor> next;
        for (CtaModel *cta : t.ctaBlocks())
            if (!next && !cta->dtds.empty() && isDetailedTiming(cta->dtds[0])) {
                next = cta->dtds[0];
                cta->dtds.erase(cta->dtds.begin());
            }
        for (CtaModel *cta : t.ctaBlocks()) {
            for (uint8_t s : svdsOf(*cta)) {
                if (next)
                    break;
                if (clockKHz(svdVic(s)) <= cap)
                    next = vicDescriptor(svdVic(s), t.base[21] * 10u, t.base[22] * 10u);
            }
        }
        if (!next)
            throw EditError{"no timing within " + std::to_string(mhz) +
                            " MHz is left for the preferred timing"};
        kept.insert(kept.begin(), *next);
        notes.push_back(modeLabel(*next) + " is now the preferred timing");
    }
    while (kept.size() < 4)
        kept.push_back(dummyDescriptor());
    for (unsigned slot = 0; slot < 4; ++slot)
        t.setDescriptor(slot, kept[slot]);
    clampNativeCount(t);
}

} // namespace vantrel::edid::edit::detail
