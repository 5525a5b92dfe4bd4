// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_status.h"

#include <algorithm>

namespace vantrel::sim {

namespace {

constexpr size_t kRecord = 64;

std::vector<uint8_t> record()
{
    std::vector<uint8_t> r(kRecord, 0);
    r[0] = 0xE0;
    return r;
}

void put16(std::vector<uint8_t> &v, uint16_t x)
{
    v.push_back(x & 0xFF);
    v.push_back(x >> 8);
}

} // namespace

std::vector<uint8_t> hdrPayloadFor(uint8_t eotf)
{
    // BT.2020 primaries (green, blue, red), D65 white, 1000 cd/m2 mastering.
    std::vector<uint8_t> p{eotf, 0x00};
    for (uint16_t v : {8500, 39850, 6550, 2300, 35400, 14600, 15635, 16450})
        put16(p, v);
    put16(p, 1000); // max mastering luminance, cd/m2
    put16(p, 50);   // min mastering luminance, 0.0001 cd/m2
    put16(p, 1000); // MaxCLL
    put16(p, 400);  // MaxFALL
    return p;
}

Signal defaultSignal()
{
    Signal s;
    s.hdrPayload = hdrPayloadFor(2);
    return s;
}

std::vector<uint8_t> videoRecord(const Signal &s, uint8_t outputs)
{
    std::vector<uint8_t> r = record();
    if (!s.connected)
        return r;
    r[2] = s.vic;
    r[3] = s.hdmi ? 0x10 : 0x00;
    r[4] = s.clockClass;
    r[5] = outputs & 0x60;
    r[9] = s.vsifDetail;
    r[10] = s.colour & 0x60;
    r[11] = s.colorimetry & 0xC0;
    r[12] = s.extColorimetry & 0x70;
    r[13] = static_cast<uint8_t>((s.hdcp & 3) << 1);
    r[14] = s.vsifFormat;
    return r;
}

std::vector<uint8_t> sourceRecord(const Signal &s)
{
    std::vector<uint8_t> r = record();
    if (!s.connected)
        return r;
    std::copy_n(s.vendor.begin(), std::min<size_t>(s.vendor.size(), 8), r.begin() + 4);
    std::copy_n(s.product.begin(), std::min<size_t>(s.product.size(), 16), r.begin() + 12);
    return r;
}

std::vector<uint8_t> hdrRecord(const Signal &s, const std::vector<uint8_t> *forced)
{
    std::vector<uint8_t> r = record();
    if (forced && forced->size() >= 4) {
        const std::vector<uint8_t> &f = *forced;
        size_t n = std::min<size_t>({f[2], f.size() - 4, 27});
        r[2] = f[0];
        r[3] = f[2];
        std::copy_n(f.begin() + 4, n, r.begin() + 4);
        return r;
    }
    if (!s.connected || s.hdrPayload.empty())
        return r;
    size_t n = std::min<size_t>(s.hdrPayload.size(), 27);
    r[2] = 0x87;
    r[3] = static_cast<uint8_t>(n);
    std::copy_n(s.hdrPayload.begin(), n, r.begin() + 4);
    return r;
}

std::vector<uint8_t> aviRecord(const Signal &s)
{
    std::vector<uint8_t> r = record();
    if (!s.connected)
        return r;
    r[2] = 0x82;
    r[3] = 13;
    r[4] = static_cast<uint8_t>((s.colour & 0x60) | 0x10); // active format present
    r[5] = static_cast<uint8_t>((s.colorimetry & 0xC0) | 0x28); // 16:9, same as picture
    r[6] = s.extColorimetry & 0x70;
    r[7] = s.vsifFormat == 0x20 ? 0 : s.vic;
    return r;
}

} // namespace vantrel::sim
