// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_caps.h"

#include "edid_timings.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace vantrel::sim {

namespace {

bool contains(const std::vector<uint8_t> &v, uint8_t x) { return std::find(v.begin(), v.end(), x) != v.end(); }

void removeIf(std::vector<uint8_t> &v, bool (*keep)(uint8_t, const EdidCaps &), const EdidCaps &caps)
{
    std::vector<uint8_t> out;
    for (uint8_t x : v)
        if (keep(x, caps) && !contains(out, x))
            out.push_back(x);
    v = out;
}

uint32_t clockMhzCeil(uint8_t vic)
{
    const VicTiming *t = vicTiming(vic);
    return t ? (t->pixelKhz + 999) / 1000 : 0;
}

double hFreqKhz(const VicTiming &t) { return static_cast<double>(t.pixelKhz) / (t.hActive + t.hBlank); }

// The HDMI VICs and the CTA timings they stand for.
uint8_t hdmiVicTiming(uint8_t hdmiVic)
{
    switch (hdmiVic) {
    case 1: return 95;
    case 2: return 94;
    case 3: return 93;
    case 4: return 98;
    }
    return 0;
}

// A detailed timing descriptor has 10 bits for the horizontal front porch and
// sync, 6 for the vertical ones, 12 for the active width.
bool fitsDtd(const VicTiming &t)
{
    return t.hActive < 4096 && t.hFront < 1024 && t.hSync < 1024 && t.vFront < 64 && t.vSync < 64;
}

void putDtd(uint8_t *d, const VicTiming &t, int widthMm, int heightMm)
{
    uint32_t clock = t.pixelKhz / 10;
    d[0] = clock & 0xFF;
    d[1] = clock >> 8;
    d[2] = t.hActive & 0xFF;
    d[3] = t.hBlank & 0xFF;
    d[4] = static_cast<uint8_t>(((t.hActive >> 8) << 4) | (t.hBlank >> 8));
    d[5] = t.vActive & 0xFF;
    d[6] = t.vBlank & 0xFF;
    d[7] = static_cast<uint8_t>(((t.vActive >> 8) << 4) | (t.vBlank >> 8));
    d[8] = t.hFront & 0xFF;
    d[9] = t.hSync & 0xFF;
    d[10] = static_cast<uint8_t>(((t.vFront & 0x0F) << 4) | (t.vSync & 0x0F));
    d[11] = static_cast<uint8_t>(((t.hFront >> 8) << 6) | ((t.hSync >> 8) << 4) | ((t.vFront >> 4) << 2) |
                                 (t.vSync >> 4));
    d[12] = widthMm & 0xFF;
    d[13] = heightMm & 0xFF;
    d[14] = static_cast<uint8_t>(((widthMm >> 8) << 4) | (heightMm >> 8));
    d[15] = 0;
    d[16] = 0;
    d[17] = static_cast<uint8_t>((t.interlaced ? 0x80 : 0) | 0x18 | (t.positiveSync ? 0x06 : 0));
}

void putText(uint8_t *d, uint8_t tag, const std::string &text)
{
    std::memset(d, 0, 5);
    d[3] = tag;
    size_t n = std::min<size_t>(text.size(), 13);
    for (size_t i = 0; i < 13; ++i)
        d[5 + i] = i < n ? static_cast<uint8_t>(text[i]) : (i == n ? 0x0A : 0x20);
}

uint16_t chroma(double v) { return static_cast<uint16_t>(std::lround(v * 1024.0)); }

void putChromaticity(uint8_t *b)
{
    const double c[8] = {0.640, 0.330, 0.300, 0.600, 0.150, 0.060, 0.3127, 0.3290};
    uint16_t v[8];
    for (int i = 0; i < 8; ++i)
        v[i] = chroma(c[i]);
    b[0] = static_cast<uint8_t>(((v[0] & 3) << 6) | ((v[1] & 3) << 4) | ((v[2] & 3) << 2) | (v[3] & 3));
    b[1] = static_cast<uint8_t>(((v[4] & 3) << 6) | ((v[5] & 3) << 4) | ((v[6] & 3) << 2) | (v[7] & 3));
    for (int i = 0; i < 8; ++i)
        b[2 + i] = static_cast<uint8_t>(v[i] >> 2);
}

// Screen size in cm, a 55-inch panel unless the caps give one.
void screenCm(const EdidCaps &caps, int &w, int &h)
{
    w = caps.widthCm ? caps.widthCm : 121;
    h = caps.heightCm ? caps.heightCm : 68;
}

void buildBase(const EdidCaps &caps, const VicTiming &pref, const VicTiming *second, uint8_t *b)
{
    static const uint8_t header[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};
    std::memcpy(b, header, 8);
    std::string v = caps.vendor;
    v.resize(3, 'A');
    uint16_t id = 0;
    for (char ch : v) {
        int c = (ch >= 'A' && ch <= 'Z') ? ch - 'A' + 1 : 1;
        id = static_cast<uint16_t>((id << 5) | c);
    }
    b[8] = id >> 8;
    b[9] = id & 0xFF;
    b[10] = caps.product & 0xFF;
    b[11] = caps.product >> 8;
    for (int i = 0; i < 4; ++i)
        b[12 + i] = (caps.serial >> (8 * i)) & 0xFF;
    b[16] = caps.week;
    b[17] = static_cast<uint8_t>(std::clamp<int>(caps.year - 1990, 0, 255));
    b[18] = 1;
    b[19] = 3;
    b[20] = 0x80;
    int wCm, hCm;
    screenCm(caps, wCm, hCm);
    b[21] = static_cast<uint8_t>(wCm);
    b[22] = static_cast<uint8_t>(hCm);
    b[23] = 0x78;
    b[24] = 0x0E; // RGB colour, sRGB default, preferred timing native
    putChromaticity(b + 25);
    b[35] = 0x20; // 640x480@60
    b[36] = 0;
    b[37] = 0;
    for (int i = 38; i < 54; ++i)
        b[i] = 0x01;

    putDtd(b + 54, pref, wCm * 10, hCm * 10);
    if (second)
        putDtd(b + 72, *second, wCm * 10, hCm * 10);
    else
        b[75] = 0x10; // dummy descriptor, all zero but its tag

    // Range limits covering every timing announced.
    double hMax = 31.5, vMax = 60;
    uint32_t clockMax = 25;
    auto cover = [&](uint8_t vic) {
        if (const VicTiming *t = vicTiming(vic)) {
            hMax = std::max(hMax, hFreqKhz(*t));
            vMax = std::max<double>(vMax, t->refreshHz);
            clockMax = std::max<uint32_t>(clockMax, (t->pixelKhz + 999) / 1000);
        }
    };
    for (uint8_t vic : caps.vics)
        cover(vic);
    for (uint8_t vic : caps.vics420Only)
        cover(vic);
    for (uint8_t hv : caps.hdmiVics)
        cover(hdmiVicTiming(hv));
    uint8_t *r = b + 90;
    std::memset(r, 0, 18);
    r[3] = 0xFD;
    r[5] = 23;
    r[6] = static_cast<uint8_t>(vMax + 1);
    r[7] = 15;
    r[8] = static_cast<uint8_t>(std::ceil(hMax) + 1);
    r[9] = static_cast<uint8_t>((clockMax + 9) / 10);
    r[10] = 0x00;
    r[11] = 0x0A;
    for (int i = 12; i < 18; ++i)
        r[i] = 0x20;

    putText(b + 108, 0xFC, caps.name);
    b[126] = 1;
}

struct CtaWriter {
    uint8_t *e;
    int pos = 4;
    bool ok = true;
    void block(uint8_t tag, const std::vector<uint8_t> &payload)
    {
        if (pos + 1 + static_cast<int>(payload.size()) > 127 || payload.size() > 31) {
            ok = false;
            return;
        }
        e[pos++] = static_cast<uint8_t>((tag << 5) | payload.size());
        for (uint8_t x : payload)
            e[pos++] = x;
    }
    void extended(uint8_t extTag, std::vector<uint8_t> payload)
    {
        payload.insert(payload.begin(), extTag);
        block(7, payload);
    }
};

// False when the data blocks do not fit.
bool buildCta(const EdidCaps &caps, const std::vector<const VicTiming *> &dtds, uint8_t *e)
{
    std::memset(e, 0, 128);
    e[0] = 0x02;
    e[1] = 0x03;
    e[3] = static_cast<uint8_t>(0x80 | 0x40 | (caps.ycbcr444 ? 0x20 : 0) | (caps.ycbcr422 ? 0x10 : 0) | 0x01);
    CtaWriter w{e};

    // The preferred timing leads the list; the detailed timing marks it native.
    std::vector<uint8_t> svd{caps.preferredVic};
    for (uint8_t vic : caps.vics)
        if (vic != caps.preferredVic)
            svd.push_back(vic);
    w.block(2, svd);

    std::vector<uint8_t> sad;
    for (const AudioFormat &a : caps.audio) {
        sad.push_back(static_cast<uint8_t>((a.code << 3) | ((a.channels - 1) & 7)));
        sad.push_back(a.rates & 0x7F);
        sad.push_back(a.detail);
    }
    w.block(1, sad);
    w.block(4, {caps.speakers, 0, 0});

    // HDMI 1.x block: physical address 1.0.0.0.
    std::vector<uint8_t> hdmi{0x03, 0x0C, 0x00, 0x10, 0x00, caps.deepColor,
                              static_cast<uint8_t>(std::min(caps.maxTmdsMhz, 340) / 5)};
    if (caps.stereo3d || !caps.hdmiVics.empty()) {
        hdmi.push_back(0x20);
        hdmi.push_back(caps.stereo3d ? 0x80 : 0x00);
        hdmi.push_back(static_cast<uint8_t>(caps.hdmiVics.size() << 5));
        for (uint8_t hv : caps.hdmiVics)
            hdmi.push_back(hv);
    }
    w.block(3, hdmi);

    bool has420 = !caps.vics420Only.empty() || !caps.vics420Also.empty();
    if (caps.maxTmdsMhz > 340 || has420) {
        uint8_t rate = caps.maxTmdsMhz > 340 ? static_cast<uint8_t>(caps.maxTmdsMhz / 5) : 0;
        uint8_t flags = caps.maxTmdsMhz > 340 ? 0x80 : 0x00;
        w.block(3, {0xD8, 0x5D, 0xC4, 0x01, rate, flags, caps.deepColor420});
    }

    // Video capability: both quantisations selectable, IT underscanned, CE either.
    w.extended(0x00, {0xCB});
    if (caps.bt2020)
        w.extended(0x05, {0xE0, 0x00});
    if (caps.eotfs) {
        std::vector<uint8_t> hdr{caps.eotfs, 0x01};
        if (caps.maxLuminance) {
            hdr.push_back(caps.maxLuminance);
            hdr.push_back(caps.maxFrameAvg);
            hdr.push_back(caps.minLuminance);
        }
        w.extended(0x06, hdr);
    }
    if (!caps.vics420Only.empty())
        w.extended(0x0E, caps.vics420Only);
    if (!caps.vics420Also.empty()) {
        std::vector<uint8_t> map((svd.size() + 7) / 8, 0);
        for (size_t i = 0; i < svd.size(); ++i)
            if (contains(caps.vics420Also, svd[i]))
                map[i / 8] |= static_cast<uint8_t>(1u << (i % 8));
        w.extended(0x0F, map);
    }

    e[2] = static_cast<uint8_t>(w.pos);
    int wCm, hCm;
    screenCm(caps, wCm, hCm);
    for (const VicTiming *t : dtds) {
        if (w.pos + 18 > 127)
            break;
        putDtd(e + w.pos, *t, wCm * 10, hCm * 10);
        w.pos += 18;
    }
    return w.ok && w.pos <= 127;
}

bool clockCarries(uint8_t vic, const EdidCaps &caps)
{
    uint32_t mhz = clockMhzCeil(vic);
    return mhz != 0 && static_cast<int>(mhz) <= caps.maxTmdsMhz;
}

bool known(uint8_t vic, const EdidCaps &) { return vicTiming(vic) != nullptr; }

bool uhd420(uint8_t vic, const EdidCaps &) { return clockMhzCeil(vic) >= 590; }

} // namespace

void normalise(EdidCaps &caps)
{
    caps.maxTmdsMhz = std::clamp(caps.maxTmdsMhz, 25, 600);
    removeIf(caps.vics, known, caps);
    // HDMI carries 4:2:0 only for timings of 590 MHz and more.
    removeIf(caps.vics420Only, uhd420, caps);
    removeIf(caps.vics420Also, uhd420, caps);

    // Timings the clock cannot carry in RGB move to 4:2:0 when it can carry that.
    std::vector<uint8_t> keep;
    for (uint8_t vic : caps.vics) {
        if (clockCarries(vic, caps)) {
            keep.push_back(vic);
        } else if (contains(caps.vics420Also, vic) || contains(caps.vics420Only, vic)) {
            if (!contains(caps.vics420Only, vic))
                caps.vics420Only.push_back(vic);
        }
    }
    caps.vics = keep;
    std::vector<uint8_t> only;
    for (uint8_t vic : caps.vics420Only)
        if (!contains(caps.vics, vic) && static_cast<int>(clockMhzCeil(vic) / 2) <= caps.maxTmdsMhz &&
            !contains(only, vic))
            only.push_back(vic);
    caps.vics420Only = only;
    std::vector<uint8_t> also;
    for (uint8_t vic : caps.vics420Also)
        if (contains(caps.vics, vic) && !contains(also, vic))
            also.push_back(vic);
    caps.vics420Also = also;
    if (caps.vics.empty())
        caps.vics.push_back(1);

    // 4:2:0 deep colour only as far as the clock carries the largest 4:2:0 timing.
    uint32_t max420 = 0;
    for (uint8_t vic : caps.vics420Only)
        max420 = std::max(max420, clockMhzCeil(vic));
    for (uint8_t vic : caps.vics420Also)
        max420 = std::max(max420, clockMhzCeil(vic));
    if (max420 == 0)
        caps.deepColor420 = 0;
    if (max420 * 5 / 8 > static_cast<uint32_t>(caps.maxTmdsMhz))
        caps.deepColor420 &= static_cast<uint8_t>(~kDc420_30);
    if (max420 * 3 / 4 > static_cast<uint32_t>(caps.maxTmdsMhz))
        caps.deepColor420 &= static_cast<uint8_t>(~kDc420_36);
    if (max420 > static_cast<uint32_t>(caps.maxTmdsMhz))
        caps.deepColor420 &= static_cast<uint8_t>(~kDc420_48);
    caps.deepColor420 &= kDc420_30 | kDc420_36 | kDc420_48;

    caps.deepColor &= kDc30 | kDc36 | kDc48 | kDcY444;
    if (!caps.ycbcr444 || !(caps.deepColor & (kDc30 | kDc36 | kDc48)))
        caps.deepColor &= static_cast<uint8_t>(~kDcY444);

    // An HDMI VIC needs its CTA-861 twin among the listed timings.
    std::vector<uint8_t> hv;
    for (uint8_t h : caps.hdmiVics)
        if (h >= 1 && h <= 4 && contains(caps.vics, hdmiVicTiming(h)) && !contains(hv, h))
            hv.push_back(h);
    caps.hdmiVics = hv;
    if (caps.stereo3d && !contains(caps.vics, 4) && !contains(caps.vics, 19) && !contains(caps.vics, 32))
        caps.stereo3d = false;

    if (caps.eotfs)
        caps.eotfs = static_cast<uint8_t>((caps.eotfs | kEotfSdr) & 0x0F);

    // Audio: one descriptor per format, stereo LPCM always there.
    std::vector<AudioFormat> audio;
    for (const AudioFormat &a : caps.audio) {
        if (a.code == 0 || a.code > 14)
            continue;
        auto same = std::find_if(audio.begin(), audio.end(), [&](const AudioFormat &b) { return b.code == a.code; });
        if (same == audio.end())
            audio.push_back(a);
    }
    if (std::none_of(audio.begin(), audio.end(), [](const AudioFormat &a) { return a.code == 1; }))
        audio.insert(audio.begin(), AudioFormat{1, 2, 0x07, 0x07});
    for (AudioFormat &a : audio) {
        a.channels = std::clamp<uint8_t>(a.channels, 1, 8);
        if (a.code == 1)
            a.channels = std::max<uint8_t>(a.channels, 2);
        a.rates &= 0x7F;
        if (!a.rates)
            a.rates = 0x07;
        // Byte 3 bits the format leaves reserved.
        if (a.code == 1 || a.code == 14)
            a.detail = static_cast<uint8_t>(a.detail & 0x07 ? a.detail & 0x07 : 0x01);
        else if (a.code == 10)
            a.detail &= 0x03;
        else if (a.code == 12)
            a.detail &= 0x01;
    }
    caps.audio = audio;
    caps.speakers |= 0x01;

    if (caps.widthCm < 10 || caps.heightCm < 10)
        caps.widthCm = caps.heightCm = 0;
    if (caps.name.size() > 13)
        caps.name.resize(13);
    // The preferred timing is the native one: progressive and describable.
    auto canLead = [&](uint8_t vic) {
        const VicTiming *t = vicTiming(vic);
        return contains(caps.vics, vic) && fitsDtd(*t) && !t->interlaced;
    };
    if (!canLead(caps.preferredVic)) {
        caps.preferredVic = 0;
        for (uint8_t vic : caps.vics)
            if (canLead(vic) && (caps.preferredVic == 0 || vicRank(vic) < vicRank(caps.preferredVic)))
                caps.preferredVic = vic;
        if (caps.preferredVic == 0) {
            caps.vics.push_back(1);
            caps.preferredVic = 1;
        }
    }
}

EdidTable buildEdid(EdidCaps caps)
{
    normalise(caps);
    EdidTable t{};
    const VicTiming *pref = vicTiming(caps.preferredVic);

    // Further detailed timings: the next best listed progressive ones.
    std::vector<uint8_t> ranked = caps.vics;
    std::sort(ranked.begin(), ranked.end(), [](uint8_t a, uint8_t b) { return vicRank(a) < vicRank(b); });
    std::vector<const VicTiming *> more;
    for (uint8_t vic : ranked) {
        const VicTiming *tv = vicTiming(vic);
        if (!fitsDtd(*tv))
            continue;
        bool samePicture =
            tv->hActive == pref->hActive && tv->vActive == pref->vActive && tv->refreshHz == pref->refreshHz;
        if (vic == caps.preferredVic || samePicture)
            continue;
        bool dup = false;
        for (const VicTiming *m : more)
            dup = dup || (m->hActive == tv->hActive && m->vActive == tv->vActive && m->refreshHz == tv->refreshHz);
        if (!dup)
            more.push_back(tv);
    }
    const VicTiming *second = more.empty() ? nullptr : more.front();
    buildBase(caps, *pref, second, t.data());
    std::vector<const VicTiming *> ctaDtds(more.begin() + (more.empty() ? 0 : 1), more.end());
    if (ctaDtds.size() > 2)
        ctaDtds.resize(2);

    // Drop optional content until every block fits the extension.
    for (;;) {
        uint8_t ext[128];
        bool fits = buildCta(caps, ctaDtds, ext);
        int used = ext[2] + static_cast<int>(ctaDtds.size()) * 18;
        if (fits && used <= 127) {
            std::memcpy(t.data() + 128, ext, 128);
            break;
        }
        if (!ctaDtds.empty())
            ctaDtds.pop_back();
        else if (caps.audio.size() > 1)
            caps.audio.pop_back();
        else if (caps.vics.size() > 1)
            caps.vics.pop_back();
        else
            break;
    }
    fixChecksums(t);
    return t;
}

} // namespace vantrel::sim
