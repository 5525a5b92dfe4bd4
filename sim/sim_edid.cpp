// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_edid.h"

#include <algorithm>

namespace vantrel::sim {

namespace {

const std::vector<uint8_t> kLower = {16, 31, 34, 33, 32, 5, 20, 4, 19, 3, 2, 18, 17, 1};

std::vector<uint8_t> join(std::vector<uint8_t> top, const std::vector<uint8_t> &rest)
{
    top.insert(top.end(), rest.begin(), rest.end());
    return top;
}

std::vector<AudioFormat> allSound()
{
    return {
        {1, 8, 0x7F, 0x07}, // LPCM 7.1, 32 to 192 kHz, 16/20/24 bit
        {2, 6, 0x07, 0x50}, // AC-3, 640 kbit/s
        {7, 6, 0x06, 0xC0}, // DTS, 1536 kbit/s
        {10, 8, 0x07, 0x01}, // E-AC-3
        {11, 8, 0x7F, 0x01}, // DTS-HD
        {12, 8, 0x54, 0x01}, // MAT (TrueHD)
    };
}

std::vector<AudioFormat> stereo() { return {{1, 2, 0x07, 0x07}}; }

void setHdr(EdidCaps &c)
{
    c.eotfs = kEotfSdr | kEotfHdr | kEotfPq | kEotfHlg;
    if (!c.maxLuminance) {
        c.maxLuminance = 0x80;
        c.maxFrameAvg = 0x70;
        c.minLuminance = 0x20;
    }
}

bool has(const std::vector<uint8_t> &v, uint8_t x) { return std::find(v.begin(), v.end(), x) != v.end(); }

bool carries420(const EdidCaps &c, uint8_t vic) { return has(c.vics420Only, vic) || has(c.vics420Also, vic); }

void mixVideo(EdidCaps &out, const EdidCaps &a, const EdidCaps &b, bool widest)
{
    out.vics.clear();
    out.vics420Only.clear();
    out.vics420Also.clear();
    auto either = [widest](bool x, bool y) { return widest ? (x || y) : (x && y); };
    for (uint8_t vic : join(join(a.vics, a.vics420Only), join(b.vics, b.vics420Only))) {
        bool rgb = either(has(a.vics, vic), has(b.vics, vic));
        bool y420 = either(carries420(a, vic), carries420(b, vic));
        if (rgb && !has(out.vics, vic))
            out.vics.push_back(vic);
        std::vector<uint8_t> &list = rgb ? out.vics420Also : out.vics420Only;
        if (y420 && !has(list, vic))
            list.push_back(vic);
    }
    auto pick = [widest](auto x, auto y) { return widest ? std::max(x, y) : std::min(x, y); };
    auto bits = [widest](uint8_t x, uint8_t y) { return static_cast<uint8_t>(widest ? (x | y) : (x & y)); };
    out.maxTmdsMhz = pick(a.maxTmdsMhz, b.maxTmdsMhz);
    out.deepColor = bits(a.deepColor, b.deepColor);
    out.deepColor420 = bits(a.deepColor420, b.deepColor420);
    out.ycbcr444 = widest ? (a.ycbcr444 || b.ycbcr444) : (a.ycbcr444 && b.ycbcr444);
    out.ycbcr422 = widest ? (a.ycbcr422 || b.ycbcr422) : (a.ycbcr422 && b.ycbcr422);
    out.bt2020 = widest ? (a.bt2020 || b.bt2020) : (a.bt2020 && b.bt2020);
    out.stereo3d = widest ? (a.stereo3d || b.stereo3d) : (a.stereo3d && b.stereo3d);
    // The narrow mix keeps HDR only when both displays take it.
    out.eotfs = (widest || (a.eotfs && b.eotfs)) ? bits(a.eotfs, b.eotfs) : 0;
    out.maxLuminance = pick(a.maxLuminance, b.maxLuminance);
    out.maxFrameAvg = pick(a.maxFrameAvg, b.maxFrameAvg);
    out.minLuminance = pick(a.minLuminance, b.minLuminance);
    out.hdmiVics.clear();
    for (uint8_t h : join(a.hdmiVics, b.hdmiVics))
        if ((widest || (has(a.hdmiVics, h) && has(b.hdmiVics, h))) && !has(out.hdmiVics, h))
            out.hdmiVics.push_back(h);
    out.preferredVic = 0;
}

void mixAudio(EdidCaps &out, const EdidCaps &a, const EdidCaps &b, bool widest)
{
    out.audio.clear();
    for (const AudioFormat &x : a.audio) {
        auto y = std::find_if(b.audio.begin(), b.audio.end(), [&](const AudioFormat &f) { return f.code == x.code; });
        if (y == b.audio.end()) {
            if (widest)
                out.audio.push_back(x);
            continue;
        }
        AudioFormat m = x;
        m.channels = widest ? std::max(x.channels, y->channels) : std::min(x.channels, y->channels);
        m.rates = static_cast<uint8_t>(widest ? (x.rates | y->rates) : (x.rates & y->rates));
        if (x.code == 1)
            m.detail = static_cast<uint8_t>(widest ? (x.detail | y->detail) : (x.detail & y->detail));
        else
            m.detail = widest ? std::max(x.detail, y->detail) : std::min(x.detail, y->detail);
        out.audio.push_back(m);
    }
    if (widest)
        for (const AudioFormat &y : b.audio)
            if (std::none_of(out.audio.begin(), out.audio.end(), [&](const AudioFormat &f) { return f.code == y.code; }))
                out.audio.push_back(y);
    out.speakers = static_cast<uint8_t>(widest ? (a.speakers | b.speakers) : (a.speakers & b.speakers));
}

} // namespace

EdidCaps topDisplayCaps()
{
    EdidCaps c;
    c.vendor = "KST";
    c.product = 0x6509;
    c.serial = 0x01010101;
    c.week = 14;
    c.year = 2022;
    c.name = "KESTREL 65Q9";
    c.widthCm = 143;
    c.heightCm = 80;
    c.vics = join({97, 96, 95, 94, 93, 98}, kLower);
    c.vics420Also = {97, 96};
    c.hdmiVics = {1, 2, 3, 4};
    c.deepColor = kDc30 | kDc36 | kDcY444;
    c.deepColor420 = kDc420_30 | kDc420_36;
    c.maxTmdsMhz = 600;
    c.preferredVic = 97;
    c.bt2020 = true;
    c.eotfs = kEotfSdr | kEotfPq | kEotfHlg;
    c.maxLuminance = 0x73;
    c.maxFrameAvg = 0x5A;
    c.minLuminance = 0x18;
    c.audio = {{1, 2, 0x07, 0x07}, {2, 6, 0x07, 0x50}, {10, 8, 0x07, 0x01}};
    c.speakers = 0x01;
    return c;
}

EdidCaps bottomDisplayCaps()
{
    EdidCaps c;
    c.vendor = "ARD";
    c.product = 0x5016;
    c.serial = 0x00C0FFEE;
    c.week = 40;
    c.year = 2016;
    c.name = "ARDEN UHD50";
    c.widthCm = 110;
    c.heightCm = 62;
    c.vics = join({95, 94, 93}, kLower);
    c.vics420Only = {97, 96};
    c.hdmiVics = {1, 2, 3};
    c.stereo3d = true;
    c.deepColor = kDc30 | kDcY444;
    c.maxTmdsMhz = 300;
    c.preferredVic = 95;
    c.audio = {{1, 8, 0x7F, 0x07}, {2, 6, 0x07, 0x50}, {7, 6, 0x06, 0xC0}, {11, 8, 0x7F, 0x01}, {12, 8, 0x54, 0x01}};
    c.speakers = 0x4F;
    return c;
}

EdidCaps presetCaps(int preset)
{
    EdidCaps c;
    c.vendor = "VNT";
    c.product = static_cast<uint16_t>(0x2000 + preset);
    c.name = "VANTREL P" + std::to_string(preset);
    const bool stereoOnly = preset % 2 == 1; // every odd preset is the Stereo one
    const std::vector<uint8_t> uhd30 = {95, 94, 93, 98};
    switch (preset) {
    case 2: case 3: case 4: case 5:
        c.vics = join(join({97, 96}, uhd30), kLower);
        c.vics420Also = {97, 96};
        c.maxTmdsMhz = 600;
        c.deepColor420 = kDc420_30 | kDc420_36;
        break;
    case 6: case 7:
        c.vics = join(join({96}, uhd30), kLower);
        c.vics420Also = {96};
        c.maxTmdsMhz = 600;
        c.deepColor420 = kDc420_30 | kDc420_36;
        break;
    case 8: case 9: case 10: case 11:
        c.vics = join(uhd30, kLower);
        c.vics420Only = {97, 96};
        c.maxTmdsMhz = 450;
        c.deepColor420 = kDc420_30 | kDc420_36;
        break;
    case 12: case 13:
        c.vics = join(uhd30, kLower);
        c.vics420Only = {97, 96};
        c.maxTmdsMhz = 300;
        break;
    case 14: case 15: case 16: case 17:
        c.vics = join(uhd30, kLower);
        c.maxTmdsMhz = 300;
        break;
    case 18: case 19:
        c.vics = join({93, 98}, kLower);
        c.maxTmdsMhz = 300;
        break;
    case 20: case 21:
        c.vics = kLower;
        c.maxTmdsMhz = 165;
        break;
    case 22: case 23:
        c.vics = {32, 5, 20, 4, 19, 3, 2, 18, 17, 1};
        c.preferredVic = 32;
        c.maxTmdsMhz = 165;
        break;
    default: // 24, 25
        c.vics = {5, 20, 4, 19, 3, 2, 18, 17, 1};
        c.preferredVic = 4; // a progressive native timing beside the 1080i ones
        c.maxTmdsMhz = 165;
        break;
    }
    c.hdmiVics = {};
    for (uint8_t h = 1; h <= 4; ++h)
        if (preset < 20 && (preset < 18 || h >= 3))
            c.hdmiVics.push_back(h);
    // The list texts: which presets name HDR and BT.2020.
    const bool hdr = preset == 2 || preset == 3 || (preset >= 6 && preset <= 9) || preset == 21;
    if (hdr)
        setHdr(c);
    c.bt2020 = preset == 2 || preset == 3 || (preset >= 6 && preset <= 11) || preset == 18 || preset == 19;
    bool rgbOnly = preset == 16 || preset == 17;
    c.ycbcr444 = c.ycbcr422 = !rgbOnly;
    bool eightBit = preset == 12 || preset == 13 || rgbOnly;
    c.deepColor = eightBit ? 0 : (kDc30 | kDc36 | (rgbOnly ? 0 : kDcY444));
    c.audio = stereoOnly ? stereo() : allSound();
    c.speakers = stereoOnly ? 0x01 : 0x4F;
    return c;
}

EdidTable presetTable(int preset) { return buildEdid(presetCaps(std::clamp(preset, kFirstPreset, kLastPreset))); }

EdidTable fixedTable()
{
    EdidCaps c;
    c.product = 0x2002;
    c.name = "VANTREL FIX";
    c.vics = join({95, 94, 93}, kLower);
    c.vics420Only = {97, 96};
    c.hdmiVics = {1, 2, 3};
    c.maxTmdsMhz = 300;
    c.deepColor = kDc30 | kDcY444;
    c.audio = {{1, 2, 0x07, 0x07}, {2, 6, 0x07, 0x50}};
    c.speakers = 0x0F;
    return buildEdid(c);
}

EdidTable defaultCustomTable()
{
    EdidCaps c;
    c.product = 0x2001;
    c.name = "VANTREL CUST";
    c.vics = kLower;
    c.maxTmdsMhz = 165;
    c.audio = stereo();
    return buildEdid(c);
}

EdidCaps mixCaps(const EdidCaps *top, const EdidCaps *bottom, const MixOptions &o)
{
    EdidCaps out;
    if (!top && !bottom)
        out = readEdidCaps(fixedTable());
    else if (!top || !bottom || o.algorithm == 2)
        out = top ? *top : *bottom;
    else {
        out = *top;
        bool widestVideo = o.algorithm == 3;
        bool widestAudio = o.algorithm == 1 || o.algorithm == 3;
        mixVideo(out, *top, *bottom, widestVideo);
        mixAudio(out, *top, *bottom, widestAudio);
    }
    out.vendor = "VNT";
    out.product = 0x2000;
    out.serial = 0;
    out.week = 1;
    out.year = 2023;
    out.name = "VANTREL MIX";
    out.preferredVic = 0;

    if (o.fullAudio) {
        mixAudio(out, out, EdidCaps{}, true);
        for (const AudioFormat &f : allSound()) {
            auto same = std::find_if(out.audio.begin(), out.audio.end(), [&](const AudioFormat &x) { return x.code == f.code; });
            if (same == out.audio.end())
                out.audio.push_back(f);
            else
                *same = f;
        }
        out.speakers = 0x4F;
    }
    if (o.cap51) {
        for (AudioFormat &f : out.audio)
            f.channels = std::min<uint8_t>(f.channels, 6);
        out.speakers &= 0x0F;
    }
    if (o.stereoOnly) {
        uint8_t rates = 0x07;
        for (const AudioFormat &f : out.audio)
            if (f.code == 1)
                rates = f.rates;
        out.audio = {{1, 2, rates, 0x07}};
        out.speakers = 0x01;
    }
    if (o.no3d)
        out.stereo3d = false;
    if (o.hdr)
        setHdr(out);
    if (o.bt2020)
        out.bt2020 = true;
    if (o.ycbcr)
        out.ycbcr444 = out.ycbcr422 = true;
    return out;
}

EdidTable automixTable(const EdidTable *top, const EdidTable *bottom, const MixOptions &options)
{
    EdidCaps a, b;
    if (top)
        a = readEdidCaps(*top);
    if (bottom)
        b = readEdidCaps(*bottom);
    return buildEdid(mixCaps(top ? &a : nullptr, bottom ? &b : nullptr, options));
}

} // namespace vantrel::sim
