// SPDX-License-Identifier: GPL-3.0-or-later
#include "cvt_timing.h"

#include <algorithm>
#include <cmath>

namespace vantrel::edid::edit {

namespace {

constexpr double kMinVBlankUs = 460;
constexpr unsigned kMinVBackPorch = 6;

// Version 1 marks the aspect ratio by the vertical sync width.
unsigned aspectSync(unsigned w, unsigned h)
{
    if (w * 3 == h * 4)
        return 4;
    if (w * 9 == h * 16)
        return 5;
    if (w * 10 == h * 16)
        return 6;
    if (w * 4 == h * 5 || w * 9 == h * 15)
        return 7;
    return 10;
}

} // namespace

std::optional<CvtTiming> cvtReducedBlanking(unsigned width, unsigned height, double refreshHz, bool v2)
{
    if (!v2 && width % 8)
        return std::nullopt;
    CvtTiming t;
    t.hActive = width;
    t.vActive = height;
    t.vSync = v2 ? 8 : aspectSync(width, height);
    const unsigned vFrontMin = v2 ? 1 : 3;
    const double lineUs = (1e6 / refreshHz - kMinVBlankUs) / height;
    if (lineUs <= 0)
        return std::nullopt;
    const unsigned vbi = std::max(unsigned(std::floor(kMinVBlankUs / lineUs)) + 1, vFrontMin + t.vSync + kMinVBackPorch);
    t.vTotal = height + vbi;
    // v1 keeps the front porch and stretches the back porch; v2 the reverse.
    t.vFront = v2 ? vbi - t.vSync - kMinVBackPorch : vFrontMin;
    const unsigned hBlank = v2 ? 80 : 160;
    t.hFront = v2 ? 8 : 48;
    t.hSync = 32;
    t.hTotal = width + hBlank;
    const double mhz = refreshHz * t.vTotal * t.hTotal / 1e6;
    const double step = v2 ? 0.001 : 0.25;
    const unsigned khz = unsigned(std::llround(std::floor(mhz / step + 1e-9) * step * 1000));
    t.pixelClockKHz = khz / 10 * 10;
    t.refreshHz = t.pixelClockKHz * 1000.0 / (double(t.hTotal) * t.vTotal);
    return t;
}

Descriptor cvtDescriptor(const CvtTiming &t, unsigned widthMm, unsigned heightMm)
{
    const unsigned hBlank = t.hTotal - t.hActive, vBlank = t.vTotal - t.vActive, clock = t.pixelClockKHz / 10;
    Descriptor d{};
    d[0] = uint8_t(clock);
    d[1] = uint8_t(clock >> 8);
    d[2] = uint8_t(t.hActive);
    d[3] = uint8_t(hBlank);
    d[4] = uint8_t(((t.hActive >> 8) << 4) | (hBlank >> 8));
    d[5] = uint8_t(t.vActive);
    d[6] = uint8_t(vBlank);
    d[7] = uint8_t(((t.vActive >> 8) << 4) | (vBlank >> 8));
    d[8] = uint8_t(t.hFront);
    d[9] = uint8_t(t.hSync);
    d[10] = uint8_t(((t.vFront & 0x0F) << 4) | (t.vSync & 0x0F));
    d[11] = uint8_t(((t.hFront >> 8) << 6) | ((t.hSync >> 8) << 4) | ((t.vFront >> 4) << 2) | (t.vSync >> 4));
    d[12] = uint8_t(widthMm);
    d[13] = uint8_t(heightMm);
    d[14] = uint8_t(((widthMm >> 8) << 4) | ((heightMm >> 8) & 0x0F));
    d[17] = 0x1A; // digital separate sync, vertical negative, horizontal positive
    return d;
}

} // namespace vantrel::edid::edit
