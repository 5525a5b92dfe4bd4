// SPDX-License-Identifier: GPL-3.0-or-later
// Adding video codes, a computed timing and the display's range limits.
#include "cvt_timing.h"
#include "edits.h"
#include "video_lists.h"
#include "vic_timing.h"

#include "vic_names.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

namespace vantrel::edid::edit::detail {

namespace {

// Bit `position` of the 4:2:0 capability map set (or, with all, every bit up
// to count); a map that says "all" by its length is spelled out first.
void markY420(Bytes &map, size_t position, size_t count, bool set)
{
    if (map.size() == 2)
        for (size_t i = 0; i < count; ++i) {
            map.resize(std::max(map.size(), 3 + i / 8), 0);
            map[2 + i / 8] |= uint8_t(1u << (i % 8));
        }
    if (set) {
        map.resize(std::max(map.size(), 3 + position / 8), 0);
        map[2 + position / 8] |= uint8_t(1u << (position % 8));
    }
    fixLength(map);
}

bool y420Marked(const Bytes &map, size_t position)
{
    return map.size() == 2 || (map.size() > 2 + position / 8 && (map[2 + position / 8] >> (position % 8) & 1));
}

double timingKHz(const Descriptor &d)
{
    const unsigned hTotal = (d[2] | ((d[4] >> 4) << 8)) + (d[3] | ((d[4] & 0x0F) << 8));
    return hTotal ? descriptorClockKHz(d) / double(hTotal) : 0;
}

} // namespace

void checkRangeLimits(const TableModel &t, unsigned clockKHz, double hKHz, double vHz, const std::string &what)
{
    for (unsigned slot = 1; slot < 4; ++slot) {
        const Descriptor d = t.descriptor(slot);
        if (isDetailedTiming(d) || d[3] != 0xFD)
            continue;
        const bool v14 = t.base[18] == 1 && t.base[19] >= 4;
        const unsigned o = v14 ? d[4] : 0;
        const unsigned minV = d[5] + ((o & 3) == 3 ? 255 : 0), maxV = d[6] + (o & 2 ? 255 : 0);
        const unsigned minH = d[7] + ((o & 0x0C) == 0x0C ? 255 : 0), maxH = d[8] + (o & 8 ? 255 : 0);
        if (clockKHz > d[9] * 10000u || hKHz < minH || hKHz > maxH || vHz < minV - 0.5 || vHz > maxV + 0.5) {
            char text[200];
            std::snprintf(text, sizeof text,
                          " needs %.2f MHz, %.1f kHz and %.1f Hz; the display range limits allow %u MHz, %u-%u kHz "
                          "and %u-%u Hz",
                          clockKHz / 1000.0, hKHz, vHz, d[9] * 10u, minH, maxH, minV, maxV);
            throw EditError{what + text};
        }
    }
}

void addVics(TableModel &t, const std::vector<AddedVic> &vics, Notes &notes)
{
    editableCtas(t);
    CtaModel &cta = t.firstCta();
    for (const AddedVic &add : vics) {
        std::vector<Bytes> blocks = cta.blocks;
        size_t count = 0, position = SIZE_MAX, lastVideo = SIZE_MAX;
        for (size_t i = 0; i < blocks.size(); ++i)
            if (blockType(blocks[i]) == BlockType::Video) {
                for (size_t k = 1; k < blocks[i].size(); ++k, ++count)
                    if (svdVic(blocks[i][k]) == add.vic && position == SIZE_MAX)
                        position = count;
                lastVideo = i;
            }
        const bool listed = position != SIZE_MAX;
        if (const VicFormat *f = vicFormat(add.vic); f && !listed)
            checkRangeLimits(t, f->pixelClockKHz, f->hFreqKHz(), f->refreshHz(),
                             vicLabel(add.vic));
        if (!listed) {
            position = count;
            if (lastVideo != SIZE_MAX && blocks[lastVideo].size() < 32) {
                blocks[lastVideo].push_back(uint8_t(add.vic));
                fixLength(blocks[lastVideo]);
            } else {
                blocks.insert(blocks.begin() + long(lastVideo == SIZE_MAX ? 0 : lastVideo + 1),
                              Bytes{0x41, uint8_t(add.vic)});
            }
        }
        auto map = std::find_if(blocks.begin(), blocks.end(),
                                [](const Bytes &b) { return blockType(b) == BlockType::Y420Map; });
        if (map != blocks.end() && !listed)
            markY420(*map, position, count, add.y420);
        else if (map != blocks.end() && add.y420 && !y420Marked(*map, position))
            markY420(*map, position, count, true);
        else if (map == blocks.end() && add.y420) {
            Bytes made{0xE0, 15};
            markY420(made, position, 0, true);
            blocks.push_back(made);
        }
        size_t grows = 0;
        for (const Bytes &b : blocks)
            grows += b.size();
        for (const Bytes &b : cta.blocks)
            grows -= b.size();
        makeRoom(t, cta, grows, notes);
        cta.blocks = std::move(blocks);
        t.touch(&cta);
        if (listed)
            notes.push_back(vicLabel(add.vic) + " is already listed");
        else
            notes.push_back(vicLabel(add.vic) + " added to the video data block");
        if (add.y420)
            notes.push_back(vicLabel(add.vic) + ": YCbCr 4:2:0 in the capability map");
    }
}

void addTiming(TableModel &t, const TimingRequest &r, Notes &notes)
{
    const std::optional<CvtTiming> cvt = cvtReducedBlanking(r.width, r.height, r.refreshHz, r.rb2);
    if (!cvt)
        throw EditError{"reduced blanking v1 needs a width in steps of 8 pixels; v2 (rb2) takes any"};
    if (cvt->pixelClockKHz > 655350)
        throw EditError{"the timing needs " + std::to_string(cvt->pixelClockKHz / 1000) +
                        " MHz, more than a detailed timing holds (655.35 MHz)"};
    checkRangeLimits(t, cvt->pixelClockKHz, cvt->pixelClockKHz / double(cvt->hTotal), cvt->refreshHz,
                     std::to_string(r.width) + "x" + std::to_string(r.height));
    const auto [widthMm, heightMm] = imageSizeMm(t);
    const Descriptor d = cvtDescriptor(*cvt, widthMm, heightMm);
    char text[160];
    std::snprintf(text, sizeof text, "%ux%u at %.3f Hz, CVT reduced blanking v%d: pixel clock %.2f MHz, %u x %u total",
                  cvt->hActive, cvt->vActive, cvt->refreshHz, r.rb2 ? 2 : 1, cvt->pixelClockKHz / 1000.0,
                  cvt->hTotal, cvt->vTotal);
    const int slot = freeTimingSlot(t);
    Descriptor placed = d;
    if (r.first) {
        if (!isDetailedTiming(t.descriptor(0)))
            throw EditError{"the base block's first descriptor is no timing to replace"};
        placed = t.descriptor(0);
        t.setDescriptor(0, d);
        notes.push_back(std::string(text) + "; now the preferred timing");
    }
    if (slot >= 0) {
        t.setDescriptor(unsigned(slot), placed);
        notes.push_back((r.first ? modeLabel(placed) + " moves to" : std::string(text) + ";") + " descriptor " +
                        std::to_string(slot + 1) + " of the base block");
        return;
    }
    editableCtas(t);
    CtaModel &cta = t.firstCta();
    makeRoom(t, cta, 18, notes);
    // After the timings, before any display descriptor the extension holds.
    const auto end = std::find_if(cta.dtds.begin(), cta.dtds.end(), [](const Descriptor &x) { return !isDetailedTiming(x); });
    cta.dtds.insert(r.first ? cta.dtds.begin() : end, placed);
    t.touch(&cta);
    notes.push_back((r.first ? modeLabel(placed) + " moves to" : std::string(text) + ";") +
                    " the CTA-861 extension's detailed timings");
}

void setRangeLimits(TableModel &t, const RangeLimits &r, Notes &notes)
{
    const bool v14 = t.base[18] == 1 && t.base[19] >= 4;
    if (!v14 && (r.maxV > 255 || r.maxH > 255))
        throw EditError{"rates above 255 need EDID 1.4; the table is " + std::to_string(t.base[18]) + "." +
                        std::to_string(t.base[19])};
    int slot = -1;
    for (unsigned s = 1; s < 4 && slot < 0; ++s)
        if (!isDetailedTiming(t.descriptor(s)) && t.descriptor(s)[3] == 0xFD)
            slot = int(s);
    std::string was = "added";
    Descriptor d{};
    if (slot >= 0) {
        d = t.descriptor(unsigned(slot));
        const unsigned minV = d[5] + ((d[4] & 3) == 3 ? 255 : 0), maxV = d[6] + (d[4] & 2 ? 255 : 0);
        const unsigned minH = d[7] + ((d[4] & 0x0C) == 0x0C ? 255 : 0), maxH = d[8] + (d[4] & 8 ? 255 : 0);
        char text[96];
        std::snprintf(text, sizeof text, "was %u-%u Hz, %u-%u kHz, %u MHz", minV, maxV, minH, maxH, d[9] * 10u);
        was = text;
    } else {
        for (unsigned s = 1; s < 4 && slot < 0; ++s)
            if (!isDetailedTiming(t.descriptor(s)) && t.descriptor(s)[3] == 0x10)
                slot = int(s);
        if (slot < 0)
            throw EditError{"the base block has no free descriptor for the range limits"};
        d[3] = 0xFD;
        d[10] = v14 ? 0x01 : 0x00; // range limits only (1.4), or the default formula (1.3)
        d[11] = 0x0A;
        std::fill(d.begin() + 12, d.end(), 0x20);
    }
    // Rates past 255 by the 1.4 offsets: max alone, or min and max.
    const bool vMaxOff = r.maxV > 255, vMinOff = r.minV > 255, hMaxOff = r.maxH > 255, hMinOff = r.minH > 255;
    d[4] = uint8_t((vMaxOff ? 0x02 : 0) | (vMinOff ? 0x01 : 0) | (hMaxOff ? 0x08 : 0) | (hMinOff ? 0x04 : 0));
    d[5] = uint8_t(r.minV - (vMinOff ? 255 : 0));
    d[6] = uint8_t(r.maxV - (vMaxOff ? 255 : 0));
    d[7] = uint8_t(r.minH - (hMinOff ? 255 : 0));
    d[8] = uint8_t(r.maxH - (hMaxOff ? 255 : 0));
    d[9] = uint8_t((r.maxClockMHz + 9) / 10);
    t.setDescriptor(unsigned(slot), d);
    // The table's own timings must stay inside the new limits.
    for (unsigned s = 0; s < 4; ++s)
        if (const Descriptor timing = t.descriptor(s); isDetailedTiming(timing))
            checkRangeLimits(t, descriptorClockKHz(timing), timingKHz(timing), descriptorMode(timing).refreshHz,
                             "the detailed timing " + modeLabel(timing));
    for (CtaModel *cta : t.ctaBlocks()) {
        for (const Descriptor &timing : cta->dtds)
            if (isDetailedTiming(timing))
                checkRangeLimits(t, descriptorClockKHz(timing), timingKHz(timing), descriptorMode(timing).refreshHz,
                                 "the detailed timing " + modeLabel(timing));
        for (const Bytes &b : cta->blocks)
            if (blockType(b) == BlockType::Video || blockType(b) == BlockType::Y420Video)
                for (size_t i = blockType(b) == BlockType::Video ? 1 : 2; i < b.size(); ++i)
                    if (const VicFormat *f = vicFormat(svdVic(b[i])))
                        checkRangeLimits(t, f->pixelClockKHz, f->hFreqKHz(), f->refreshHz(), vicLabel(f->vic));
    }
    notes.push_back("display range limits: " + std::to_string(r.minV) + "-" + std::to_string(r.maxV) + " Hz, " +
                    std::to_string(r.minH) + "-" + std::to_string(r.maxH) + " kHz, " + std::to_string(d[9] * 10u) +
                    " MHz (" + was + ")");
}

} // namespace vantrel::edid::edit::detail
