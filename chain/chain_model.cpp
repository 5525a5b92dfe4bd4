// SPDX-License-Identifier: GPL-3.0-or-later
// The chain planner's terms and the facts it takes from a decoded table.
#include "chain_model.h"

#include "setting_values.h"
#include "settings_table.h"
#include "text_report.h"
#include "vic_names.h"

#include <algorithm>
#include <cmath>

namespace vantrel::chain {

const char *formatKey(Format f)
{
    switch (f) {
    case Format::Rgb: return "rgb";
    case Format::Ycbcr444: return "ycbcr444";
    case Format::Ycbcr422: return "ycbcr422";
    case Format::Ycbcr420: return "ycbcr420";
    }
    return "";
}

const char *formatLabel(Format f)
{
    switch (f) {
    case Format::Rgb: return "RGB";
    case Format::Ycbcr444: return "YCbCr 4:4:4";
    case Format::Ycbcr422: return "YCbCr 4:2:2";
    case Format::Ycbcr420: return "YCbCr 4:2:0";
    }
    return "";
}

const char *eotfKey(Eotf e)
{
    switch (e) {
    case Eotf::Sdr: return "sdr";
    case Eotf::Pq: return "pq";
    case Eotf::Hlg: return "hlg";
    }
    return "";
}

std::optional<Format> parseFormat(const std::string &text)
{
    for (Format f : kFormats)
        if (text == formatKey(f))
            return f;
    return std::nullopt;
}

std::optional<Eotf> parseEotf(const std::string &text)
{
    for (Eotf e : {Eotf::Sdr, Eotf::Pq, Eotf::Hlg})
        if (text == eotfKey(e))
            return e;
    return std::nullopt;
}

bool Mode::sameTiming(const Mode &o) const
{
    if (vic && vic == o.vic)
        return true;
    // A detailed timing and a code name the same signal when size, scan,
    // rate and clock agree (59.94 and 60 Hz variants included).
    return width == o.width && height == o.height && interlaced == o.interlaced &&
           std::fabs(refreshHz - o.refreshHz) <= refreshHz * 0.005 + 0.01 &&
           std::fabs(double(pixelClockKHz) - o.pixelClockKHz) <= pixelClockKHz * 0.005 + 1;
}

double tmdsCharacterRateMHz(const Signal &s)
{
    const double clock = s.mode.pixelClockMHz();
    switch (s.format) {
    case Format::Ycbcr422: return clock; // 12 bits fit the 8-bit character clock
    case Format::Ycbcr420: return clock * s.bpc / 16.0;
    default: return clock * s.bpc / 8.0;
    }
}

std::string signalText(const Signal &s)
{
    std::string t = s.mode.name + " " + formatLabel(s.format) + " " + std::to_string(s.bpc) + "-bit";
    if (s.eotf == Eotf::Pq)
        t += " PQ";
    else if (s.eotf == Eotf::Hlg)
        t += " HLG";
    return t;
}

const char *linkKey(LinkId l)
{
    switch (l) {
    case LinkId::SourceBox: return "source-box";
    case LinkId::BoxTop: return "box-top";
    case LinkId::BoxBottom: return "box-bottom";
    }
    return "";
}

const char *linkLabel(LinkId l)
{
    switch (l) {
    case LinkId::SourceBox: return "the box's table";
    case LinkId::BoxTop: return "TX A";
    case LinkId::BoxBottom: return "TX B";
    }
    return "";
}

const std::optional<Table> &Chain::table(LinkId l) const
{
    return l == LinkId::SourceBox ? box : l == LinkId::BoxTop ? top : bottom;
}

BoxSettings factorySettings()
{
    BoxSettings s;
    s.hdcp = 14;
    return s;
}

BoxSettings settingsFromBlock(const uint8_t *block, size_t size)
{
    BoxSettings s;
    s.origin = "box";
    auto at = [&](size_t p) { return p < size ? block[p] : uint8_t(0); };
    s.out420 = at(4) == 1;
    s.avrAudio = at(31) == 1;
    s.hdcp = at(3) == 2 ? 14 : at(3) == 3 ? 22 : 0;
    s.edidMode = at(2);
    s.edidPreset = at(19);
    return s;
}

namespace {

unsigned repetitionOf(const cta::VicFormat &f)
{
    // Standard-definition codes send each pixel two or four times.
    if (f.vActive <= 576 && f.hActive == 1440)
        return 2;
    if (f.vActive <= 576 && f.hActive == 2880)
        return 4;
    return 1;
}

std::string refreshText(double hz)
{
    std::string t = report::format("%.2f", hz);
    while (t.back() == '0')
        t.pop_back();
    if (t.back() == '.')
        t.pop_back();
    return t;
}

} // namespace

Mode vicMode(unsigned vic)
{
    Mode m;
    const cta::VicFormat *f = cta::vicFormat(vic);
    if (!f)
        return m;
    m.vic = vic;
    m.width = f->hActive;
    m.height = f->vActive;
    m.interlaced = f->interlaced;
    m.refreshHz = f->refreshHz();
    m.pixelClockKHz = f->pixelClockKHz;
    m.repetition = repetitionOf(*f);
    m.name = cta::vicName(vic);
    return m;
}

Mode timingMode(const edid::DetailedTiming &t)
{
    Mode m;
    m.width = t.hActive;
    m.height = t.frameHeight();
    m.interlaced = t.interlaced;
    m.refreshHz = t.refreshHz();
    m.pixelClockKHz = t.pixelClockKHz;
    m.name = std::to_string(m.width) + "x" + std::to_string(m.height) + (m.interlaced ? "i" : "p") +
             refreshText(m.refreshHz);
    return m;
}

std::string audioName(const AudioFormat &a)
{
    const std::string layout = a.channels == 8   ? "7.1"
                               : a.channels == 6 ? "5.1"
                               : a.channels == 2 ? "2.0"
                                                 : std::to_string(a.channels) + " ch";
    switch (a.format) {
    case 1: return "LPCM " + layout;
    case 2: return "Dolby Digital " + layout;
    case 7: return "DTS " + layout;
    case 10: return a.atmos ? "Dolby Digital Plus with Atmos" : "Dolby Digital Plus " + layout;
    case 11: return "DTS-HD Master Audio " + layout;
    case 12: return a.atmos ? "Dolby TrueHD with Atmos" : "Dolby TrueHD " + layout;
    default: return edid::audioFormatName(a.format, a.extendedType) + (a.channels ? " " + layout : std::string());
    }
}

SinkFacts sinkFacts(const edid::EdidReport &report)
{
    SinkFacts s;
    s.product = report.base.displayNames.empty() ? report.base.manufacturer + report::format("%04X", report.base.productCode)
                                                 : report.base.displayNames.front();
    for (const edid::DetailedTiming &t : report.base.timings)
        s.timings.push_back(timingMode(t));
    unsigned hdmiMax = 0, forumMax = 0;
    auto addVic = [&](unsigned vic, bool only, bool also) {
        for (ListedVic &l : s.vics)
            if (l.vic == vic) {
                l.also420 = l.also420 || l.only420 || also || only;
                l.only420 = l.only420 && only;
                return;
            }
        if (cta::vicFormat(vic))
            s.vics.push_back({vic, only, also});
    };
    for (const edid::ExtensionBlock &x : report.extensions) {
        if (!x.cta)
            continue;
        s.cta = true;
        s.ycbcr444 = s.ycbcr444 || x.cta->ycbcr444;
        s.ycbcr422 = s.ycbcr422 || x.cta->ycbcr422;
        for (const edid::DetailedTiming &t : x.cta->timings)
            s.timings.push_back(timingMode(t));
    }
    for (const edid::DataBlock *b : report.ctaDataBlocks()) {
        for (const edid::Vic &v : b->vics)
            addVic(v.vic, v.ycbcr420Only, v.ycbcr420Also);
        for (const edid::ShortAudio &a : b->audio)
            s.audio.push_back({a.format, a.extendedType, a.channels, a.atmos, {}});
        if (b->hdmi) {
            s.hdmi = true;
            hdmiMax = std::max(hdmiMax, b->hdmi->maxTmdsMHz);
            s.dc30 = s.dc30 || b->hdmi->dc30;
            s.dc36 = s.dc36 || b->hdmi->dc36;
            s.dcY444 = s.dcY444 || b->hdmi->dcY444;
            // The 4K codes the HDMI block lists by its own numbers.
            static const unsigned kHdmiVic[] = {0, 95, 94, 93, 98};
            for (unsigned h : b->hdmi->hdmiVics)
                if (h >= 1 && h <= 4)
                    addVic(kHdmiVic[h], false, false);
        }
        if (b->hdmiForum) {
            s.hdmiForum = true;
            forumMax = std::max(forumMax, b->hdmiForum->maxTmdsCharRateMHz);
            s.scdc = s.scdc || b->hdmiForum->scdcPresent;
            s.maxFrlRate = std::max(s.maxFrlRate, b->hdmiForum->maxFrlRate);
            s.dsc = s.dsc || b->hdmiForum->dsc;
            s.dc30_420 = s.dc30_420 || b->hdmiForum->dc30_420;
            s.dc36_420 = s.dc36_420 || b->hdmiForum->dc36_420;
        }
        if (b->hdr) {
            s.hdrBlock = true;
            s.eotfs |= b->hdr->eotfs;
        }
        s.dolbyVision = s.dolbyVision || b->dolbyVision.has_value();
        s.hdr10Plus = s.hdr10Plus || b->hdr10Plus.has_value();
        if (b->kind == edid::BlockKind::Y420CapabilityMap) {
            s.y420AllVics = s.y420AllVics || b->y420AllVics;
            for (unsigned v : b->y420MapVics)
                for (ListedVic &l : s.vics)
                    if (l.vic == v)
                        l.also420 = true;
        }
    }
    if (s.y420AllVics)
        for (ListedVic &l : s.vics)
            l.also420 = true;
    for (AudioFormat &a : s.audio)
        a.name = audioName(a);
    if (forumMax > 340) {
        s.limitMHz = forumMax;
        s.limitFrom = "HDMI Forum block";
    } else if (s.hdmi) {
        s.limitMHz = hdmiMax ? hdmiMax : 165;
        s.limitAssumed = hdmiMax == 0;
        s.limitFrom = "HDMI block";
    } else {
        s.limitMHz = 165;
        s.limitFrom = "DVI";
    }
    return s;
}

std::string mhzText(double mhz)
{
    return refreshText(mhz);
}

} // namespace vantrel::chain

namespace vantrel::chain {

BoxSettings settingsFromValues(const std::vector<std::pair<std::string, std::string>> &values,
                               std::vector<std::string> &bad)
{
    BoxSettings s = factorySettings();
    for (const auto &[name, text] : values) {
        const config::Setting *setting = config::findSetting(name);
        if (!setting || (name != "out-420" && name != "avr-audio" && name != "hdcp" && name != "edid-mode" &&
                         name != "edid-preset"))
            continue;
        const config::ParsedValue v = config::parseSettingValue(*setting, text);
        if (!v.ok) {
            bad.push_back(name + ": " + v.error);
            continue;
        }
        if (name == "out-420")
            s.out420 = v.value == 1;
        else if (name == "avr-audio")
            s.avrAudio = v.value == 1;
        else if (name == "hdcp")
            s.hdcp = v.value == 2 ? 14 : v.value == 3 ? 22 : 0;
        else if (name == "edid-mode")
            s.edidMode = v.value;
        else
            s.edidPreset = v.value;
    }
    return s;
}

std::vector<uint8_t> declaredBlocks(const std::vector<uint8_t> &bytes)
{
    if (bytes.size() < 128)
        return bytes;
    const size_t blocks = size_t(bytes[126]) + 1;
    std::vector<uint8_t> v = bytes;
    v.resize(std::min(v.size(), blocks * 128));
    return v;
}

std::optional<Table> tableOf(const std::string &origin, const std::vector<uint8_t> &bytes)
{
    static const uint8_t kHeader[8] = {0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0};
    if (bytes.size() < 128 || !std::equal(kHeader, kHeader + 8, bytes.begin()))
        return std::nullopt;
    Table t{origin, declaredBlocks(bytes), {}};
    t.facts = sinkFacts(edid::decodeEdid(t.bytes));
    return t;
}

} // namespace vantrel::chain
