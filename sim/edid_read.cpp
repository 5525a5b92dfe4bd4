// SPDX-License-Identifier: GPL-3.0-or-later
// Reading a table back into capabilities, and the block checksums.
#include "edid_caps.h"

#include <algorithm>

namespace vantrel::sim {

void fixChecksums(EdidTable &table)
{
    for (int block = 0; block < 2; ++block) {
        uint8_t sum = 0;
        for (int i = 0; i < 127; ++i)
            sum = static_cast<uint8_t>(sum + table[block * 128 + i]);
        table[block * 128 + 127] = static_cast<uint8_t>(0x100 - sum);
    }
}

bool checksumsValid(const EdidTable &table)
{
    for (int block = 0; block < 2; ++block) {
        uint8_t sum = 0;
        for (int i = 0; i < 128; ++i)
            sum = static_cast<uint8_t>(sum + table[block * 128 + i]);
        if (sum != 0)
            return false;
    }
    return true;
}

EdidCaps readEdidCaps(const EdidTable &t)
{
    EdidCaps caps;
    uint16_t id = static_cast<uint16_t>((t[8] << 8) | t[9]);
    caps.vendor = std::string{static_cast<char>('A' - 1 + ((id >> 10) & 31)), static_cast<char>('A' - 1 + ((id >> 5) & 31)),
                              static_cast<char>('A' - 1 + (id & 31))};
    caps.product = static_cast<uint16_t>(t[10] | (t[11] << 8));
    caps.serial = static_cast<uint32_t>(t[12] | (t[13] << 8) | (t[14] << 16) | (static_cast<uint32_t>(t[15]) << 24));
    caps.week = t[16];
    caps.year = static_cast<uint16_t>(1990 + t[17]);
    caps.widthCm = t[21];
    caps.heightCm = t[22];
    caps.name.clear();
    for (int d = 54; d < 126; d += 18) {
        if (t[d] == 0 && t[d + 1] == 0 && t[d + 3] == 0xFC) {
            for (int i = 5; i < 18 && t[d + i] != 0x0A; ++i)
                caps.name.push_back(static_cast<char>(t[d + i]));
            while (!caps.name.empty() && caps.name.back() == ' ')
                caps.name.pop_back();
        }
    }
    caps.ycbcr444 = caps.ycbcr422 = false;
    caps.speakers = 0;
    caps.maxTmdsMhz = 165;
    if (t[126] < 1 || t[128] != 0x02)
        return caps;

    const uint8_t *e = t.data() + 128;
    caps.ycbcr444 = e[3] & 0x20;
    caps.ycbcr422 = e[3] & 0x10;
    int end = std::min<int>(e[2], 127);
    std::vector<uint8_t> map420;
    for (int pos = 4; pos < end;) {
        int tag = e[pos] >> 5, len = e[pos] & 31;
        const uint8_t *p = e + pos + 1;
        if (pos + 1 + len > end)
            break;
        if (tag == 2) {
            for (int i = 0; i < len; ++i) {
                uint8_t v = p[i];
                uint8_t vic = (v >= 129 && v <= 192) ? v & 0x7F : v;
                caps.vics.push_back(vic);
                if (v & 0x80 && v <= 192)
                    caps.preferredVic = caps.preferredVic ? caps.preferredVic : vic;
            }
        } else if (tag == 1) {
            for (int i = 0; i + 2 < len; i += 3)
                caps.audio.push_back(AudioFormat{static_cast<uint8_t>((p[i] >> 3) & 15), static_cast<uint8_t>((p[i] & 7) + 1),
                                                 p[i + 1], p[i + 2]});
        } else if (tag == 4 && len >= 1) {
            caps.speakers = p[0];
        } else if (tag == 3 && len >= 5 && p[0] == 0x03 && p[1] == 0x0C && p[2] == 0x00) {
            if (len >= 6)
                caps.deepColor = p[5];
            if (len >= 7 && p[6])
                caps.maxTmdsMhz = std::max(caps.maxTmdsMhz, p[6] * 5);
            if (len >= 8) {
                int i = 8;
                uint8_t flags = p[7];
                if (flags & 0x80)
                    i += 2; // video and audio latency
                if (flags & 0x40)
                    i += 2; // interlaced latency
                if ((flags & 0x20) && i + 1 < len) {
                    caps.stereo3d = p[i] & 0x80;
                    int vicLen = p[i + 1] >> 5;
                    for (int k = 0; k < vicLen && i + 2 + k < len; ++k)
                        caps.hdmiVics.push_back(p[i + 2 + k]);
                }
            }
        } else if (tag == 3 && len >= 7 && p[0] == 0xD8 && p[1] == 0x5D && p[2] == 0xC4) {
            if (p[4])
                caps.maxTmdsMhz = std::max(caps.maxTmdsMhz, p[4] * 5);
            caps.deepColor420 = p[6] & 7;
        } else if (tag == 7 && len >= 1) {
            uint8_t ext = p[0];
            if (ext == 0x05 && len >= 2)
                caps.bt2020 = (p[1] & 0xE0) != 0;
            else if (ext == 0x06 && len >= 3) {
                caps.eotfs = p[1] & 0x0F;
                if (len >= 6) {
                    caps.maxLuminance = p[3];
                    caps.maxFrameAvg = p[4];
                    caps.minLuminance = p[5];
                }
            } else if (ext == 0x0E) {
                for (int i = 1; i < len; ++i)
                    caps.vics420Only.push_back(p[i]);
            } else if (ext == 0x0F) {
                map420.assign(p + 1, p + len);
                if (len == 1)
                    map420.assign(8, 0xFF); // an empty map: every listed timing
            }
        }
        pos += 1 + len;
    }
    for (size_t i = 0; i < caps.vics.size() && i / 8 < map420.size(); ++i)
        if (map420[i / 8] & (1u << (i % 8)))
            caps.vics420Also.push_back(caps.vics[i]);
    return caps;
}

} // namespace vantrel::sim
