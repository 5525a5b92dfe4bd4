// SPDX-License-Identifier: GPL-3.0-or-later
#include "vic_timing.h"

#include "vic_names.h"

#include <cmath>

namespace vantrel::edid::edit {

namespace {

// Front porch and sync width of the codes a preferred timing is made of;
// the back porch is what the total leaves. Polarity: + for both syncs
// except the SD codes.
struct Porches {
    unsigned vic, hFront, hSync, vFront, vSync;
    bool positive;
};

const Porches kPorches[] = {
    {1, 16, 96, 10, 2, false},   {2, 16, 62, 9, 6, false},    {3, 16, 62, 9, 6, false},   {4, 110, 40, 5, 5, true},
    {16, 88, 44, 4, 5, true},    {17, 12, 64, 5, 5, false},   {18, 12, 64, 5, 5, false},  {19, 440, 40, 5, 5, true},
    {31, 528, 44, 4, 5, true},   {32, 638, 44, 4, 5, true},   {33, 528, 44, 4, 5, true},  {34, 88, 44, 4, 5, true},
    {93, 1276, 88, 8, 10, true}, {94, 1056, 88, 8, 10, true}, {95, 176, 88, 8, 10, true}, {96, 1056, 88, 8, 10, true},
    {97, 176, 88, 8, 10, true},  {98, 1020, 88, 8, 10, true}, {99, 968, 88, 8, 10, true}, {100, 88, 88, 8, 10, true},
    {101, 968, 88, 8, 10, true}, {102, 88, 88, 8, 10, true},
};

} // namespace

bool ModeKey::matches(const ModeKey &o) const
{
    return width == o.width && height == o.height && interlaced == o.interlaced &&
           std::fabs(refreshHz - o.refreshHz) < 0.5;
}

std::optional<Descriptor> vicDescriptor(unsigned vic, unsigned widthMm, unsigned heightMm)
{
    const VicFormat *f = vicFormat(vic);
    if (!f || f->interlaced)
        return std::nullopt;
    for (const Porches &p : kPorches) {
        if (p.vic != vic)
            continue;
        const unsigned hBlank = f->hTotal - f->hActive, vBlank = f->vTotal - f->vActive;
        const unsigned clock = f->pixelClockKHz / 10;
        Descriptor d{};
        d[0] = uint8_t(clock);
        d[1] = uint8_t(clock >> 8);
        d[2] = uint8_t(f->hActive);
        d[3] = uint8_t(hBlank);
        d[4] = uint8_t(((f->hActive >> 8) << 4) | (hBlank >> 8));
        d[5] = uint8_t(f->vActive);
        d[6] = uint8_t(vBlank);
        d[7] = uint8_t(((f->vActive >> 8) << 4) | (vBlank >> 8));
        d[8] = uint8_t(p.hFront);
        d[9] = uint8_t(p.hSync);
        d[10] = uint8_t(((p.vFront & 0x0F) << 4) | (p.vSync & 0x0F));
        d[11] = uint8_t(((p.hFront >> 8) << 6) | ((p.hSync >> 8) << 4) | ((p.vFront >> 4) << 2) | (p.vSync >> 4));
        d[12] = uint8_t(widthMm);
        d[13] = uint8_t(heightMm);
        d[14] = uint8_t(((widthMm >> 8) << 4) | ((heightMm >> 8) & 0x0F));
        d[17] = p.positive ? 0x1E : 0x18; // digital separate sync
        return d;
    }
    return std::nullopt;
}

unsigned descriptorClockKHz(const Descriptor &d)
{
    return (unsigned(d[0]) | (unsigned(d[1]) << 8)) * 10;
}

ModeKey descriptorMode(const Descriptor &d)
{
    ModeKey m;
    m.width = d[2] | ((d[4] >> 4) << 8);
    const unsigned hBlank = d[3] | ((d[4] & 0x0F) << 8);
    const unsigned vActive = d[5] | ((d[7] >> 4) << 8);
    const unsigned vBlank = d[6] | ((d[7] & 0x0F) << 8);
    m.interlaced = d[17] & 0x80;
    m.height = m.interlaced ? vActive * 2 : vActive;
    const double total = double(m.width + hBlank) * (vActive + vBlank + (m.interlaced ? 0.5 : 0.0));
    m.refreshHz = total > 0 ? descriptorClockKHz(d) * 1000.0 / total : 0;
    return m;
}

std::optional<ModeKey> vicMode(unsigned vic)
{
    const VicFormat *f = vicFormat(vic);
    if (!f)
        return std::nullopt;
    return ModeKey{f->hActive, f->vActive, f->interlaced, f->refreshHz()};
}

} // namespace vantrel::edid::edit
