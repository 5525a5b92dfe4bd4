// SPDX-License-Identifier: GPL-3.0-or-later
// Adding HDR: another table's HDR, Dolby Vision or HDR10+ block, the
// luminance codes, a low-latency Dolby Vision block.
#include "edits.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace vantrel::edid::edit::detail {

namespace {

unsigned clampRound(double v, unsigned max)
{
    return unsigned(std::clamp(std::lround(v), 0l, long(max)));
}

double codeToMax(unsigned code)
{
    return 50 * std::pow(2.0, code / 32.0);
}

// SMPTE ST 2084: cd/m2 as a 12-bit PQ code.
unsigned nitsToPq(double nits)
{
    const double m1 = 0.1593017578125, m2 = 78.84375, c1 = 0.8359375, c2 = 18.8515625, c3 = 18.6875;
    const double y = std::pow(std::clamp(nits / 10000, 0.0, 1.0), m1);
    return clampRound(4095 * std::pow((c1 + c2 * y) / (1 + c3 * y), m2), 4095);
}

std::string nits(double v)
{
    char text[32];
    std::snprintf(text, sizeof text, v < 1 ? "%.4f" : "%.1f", v);
    return text;
}

std::vector<Bytes *> blocksOf(TableModel &t, BlockType type, std::vector<CtaModel *> *owners = nullptr)
{
    std::vector<Bytes *> out;
    for (CtaModel *cta : t.ctaBlocks())
        for (Bytes &b : cta->blocks)
            if (blockType(b) == type) {
                out.push_back(&b);
                if (owners)
                    owners->push_back(cta);
            }
    return out;
}

} // namespace

void copyBlock(TableModel &t, const Bytes &source, BlockType type, Notes &notes)
{
    std::string why;
    std::optional<TableModel> other = TableModel::parse(source, why);
    if (!other)
        throw EditError{"the other table: " + why};
    std::optional<Bytes> taken;
    for (Bytes *b : blocksOf(*other, type))
        if (!taken)
            taken = *b;
    for (const Bytes &b : other->displayIdCtaBlocks())
        if (!taken && blockType(b) == type)
            taken = b;
    const std::string what = type == BlockType::HdrStatic     ? "HDR static metadata data block"
                             : type == BlockType::DolbyVision ? "Dolby Vision block"
                                                              : "HDR10+ block";
    if (!taken)
        throw EditError{"the other table has no " + what};
    editableCtas(t);
    std::vector<CtaModel *> owners;
    const std::vector<Bytes *> own = blocksOf(t, type, &owners);
    if (!own.empty()) {
        makeRoom(t, *owners[0], taken->size() > own[0]->size() ? taken->size() - own[0]->size() : 0, notes);
        *own[0] = *taken;
        t.touch(owners[0]);
        notes.push_back("this table's " + blockTypeName(*taken) + " replaced by the other table's");
        return;
    }
    CtaModel &cta = t.firstCta();
    makeRoom(t, cta, taken->size(), notes);
    cta.blocks.push_back(*taken);
    t.touch(&cta);
    notes.push_back(blockTypeName(*taken) + " taken from the other table");
}

void setLuminance(TableModel &t, const Luminance &l, Notes &notes)
{
    std::vector<CtaModel *> owners;
    const std::vector<Bytes *> hdr = blocksOf(t, BlockType::HdrStatic, &owners);
    if (hdr.empty())
        throw EditError{"the table has no HDR static metadata block to hold the luminance (setting the transfer "
                        "functions adds one)"};
    const unsigned maxCode = clampRound(32 * std::log2(l.max / 50), 255);
    const unsigned avgCode = clampRound(32 * std::log2(l.average / 50), 255);
    const double max = codeToMax(maxCode);
    const unsigned minCode = clampRound(255 * std::sqrt(l.min * 100 / max), 255);
    for (size_t i = 0; i < hdr.size(); ++i) {
        Bytes &b = *hdr[i];
        makeRoom(t, *owners[i], b.size() < 7 ? 7 - b.size() : 0, notes);
        if (b.size() < 4)
            b.resize(4, 0x01); // static metadata type 1
        b.resize(std::max<size_t>(b.size(), 7), 0);
        b[4] = uint8_t(maxCode);
        b[5] = uint8_t(avgCode);
        b[6] = uint8_t(minCode);
        b[0] = uint8_t(0xE0 | (b.size() - 1));
        t.touch(owners[i]);
    }
    notes.push_back("HDR static metadata: maximum " + nits(l.max) + " cd/m2 as code " + std::to_string(maxCode) + " (" +
                    nits(max) + ")");
    notes.push_back("HDR static metadata: frame-average " + nits(l.average) + " cd/m2 as code " +
                    std::to_string(avgCode) + " (" + nits(codeToMax(avgCode)) + ")");
    notes.push_back("HDR static metadata: minimum " + nits(l.min) + " cd/m2 as code " + std::to_string(minCode) + " (" +
                    nits(max * (minCode / 255.0) * (minCode / 255.0) / 100) + ")");
}

void addLowLatencyDolbyVision(TableModel &t, Notes &notes)
{
    editableCtas(t);
    if (!blocksOf(t, BlockType::DolbyVision).empty())
        throw EditError{"the table has its own Dolby Vision block (dropping it first replaces it)"};
    const std::vector<Bytes *> hdr = blocksOf(t, BlockType::HdrStatic);
    if (hdr.empty() || hdr[0]->size() < 5)
        throw EditError{"the table's HDR static metadata block gives no luminance range (the HDR luminance edit "
                        "sets one)"};
    const Bytes &h = *hdr[0];
    const double max = codeToMax(h[4]);
    const double min = h.size() > 6 ? max * (h[6] / 255.0) * (h[6] / 255.0) / 100 : 0;
    const unsigned minField = clampRound(nitsToPq(min) / 20.0, 31);
    const unsigned maxField = clampRound((double(nitsToPq(max)) - 2055) / 65, 31);

    // The primaries of the base block, in the block's coarse steps.
    const Bytes &c = t.base;
    const auto chroma = [&](size_t at, unsigned shift) {
        return ((unsigned(c[at]) << 2) | ((c[at < 31 ? 25 : 26] >> shift) & 3)) / 1024.0;
    };
    const double rx = chroma(27, 6), ry = chroma(28, 4), gx = chroma(29, 2), gy = chroma(30, 0);
    const double bx = chroma(31, 6), by = chroma(32, 4);
    const unsigned rX = clampRound((rx - 0.625) * 256, 31), rY = clampRound((ry - 0.25) * 256, 31);
    const unsigned gX = clampRound(gx * 256, 127), gY = clampRound((gy - 0.5) * 256, 127);
    const unsigned bX = clampRound((bx - 0.125) * 256, 7), bY = clampRound((by - 0.03125) * 256, 7);

    // Version 2, display management 4, low-latency interface only.
    const Bytes block{0xEB,
                      0x01,
                      0x46,
                      0xD0,
                      0x00,
                      uint8_t((2 << 5) | (2 << 2)),
                      uint8_t(minField << 3),
                      uint8_t(maxField << 3),
                      uint8_t(gX << 1),
                      uint8_t(gY << 1),
                      uint8_t((rX << 3) | bX),
                      uint8_t((rY << 3) | bY)};
    CtaModel &cta = t.firstCta();
    makeRoom(t, cta, block.size(), notes);
    cta.blocks.push_back(block);
    t.touch(&cta);
    notes.push_back("Dolby Vision block (version 2) added: low-latency (player-led) only, " +
                    nits(nitsToPq(min) ? min : 0) + " to " + nits(max) + " cd/m2 (target PQ " +
                    std::to_string(20 * minField) + " to " + std::to_string(2055 + 65 * maxField) + ")");
}

} // namespace vantrel::edid::edit::detail
