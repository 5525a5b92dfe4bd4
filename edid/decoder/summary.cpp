// SPDX-License-Identifier: GPL-3.0-or-later
// What matters for an HDMI chain, gathered from the decoded blocks.
#include "edid_report.h"
#include "vic_names.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

namespace vantrel::edid {
namespace {

struct ModeKey {
    unsigned width, height;
    bool interlaced;
    bool operator<(const ModeKey &o) const
    {
        const unsigned long a = (unsigned long)width * height, b = (unsigned long)o.width * o.height;
        if (a != b)
            return a > b; // largest first
        if (width != o.width)
            return width > o.width;
        return interlaced < o.interlaced;
    }
};

void addRate(std::vector<double> &rates, double hz)
{
    for (double r : rates)
        if (std::fabs(r - hz) < 0.005)
            return;
    rates.push_back(hz);
}

// VICs name their nominal rate: the 1000/1001 variants come with them.
double nominal(const VicFormat &f)
{
    return std::round(f.refreshHz());
}

std::string rateList(double lowKHz, double highKHz)
{
    char text[48];
    auto one = [](double kHz) {
        char t[16];
        std::snprintf(t, sizeof t, kHz == int(kHz) ? "%.0f" : "%.1f", kHz);
        return std::string(t);
    };
    if (lowKHz == highKHz)
        std::snprintf(text, sizeof text, "%s kHz", one(lowKHz).c_str());
    else
        std::snprintf(text, sizeof text, "%s-%s kHz", one(lowKHz).c_str(), one(highKHz).c_str());
    return text;
}

} // namespace

EdidSummary summarize(const EdidReport &report)
{
    EdidSummary s;
    std::map<ModeKey, ModeSummary> modes;
    auto mode = [&](unsigned w, unsigned h, bool interlaced) -> ModeSummary & {
        ModeSummary &m = modes[{w, h, interlaced}];
        m.width = w;
        m.height = h;
        m.interlaced = interlaced;
        return m;
    };
    for (const DetailedTiming &t : report.base.timings)
        addRate(mode(t.hActive, t.frameHeight(), t.interlaced).ratesHz, std::round(t.refreshHz() * 100) / 100);

    for (const ExtensionBlock &ext : report.extensions) {
        if (ext.cta)
            for (const DetailedTiming &t : ext.cta->timings)
                addRate(mode(t.hActive, t.frameHeight(), t.interlaced).ratesHz, std::round(t.refreshHz() * 100) / 100);
        if (ext.displayId)
            for (const DisplayIdBlock &b : ext.displayId->blocks)
                for (const DisplayIdTiming &t : b.timings)
                    if (t.width && t.height)
                        addRate(mode(t.width, t.height, t.interlaced).ratesHz, std::round(t.refreshHz * 100) / 100);
    }
    char text[64];
    if (!report.base.timings.empty()) {
        const DetailedTiming &t = report.base.timings.front();
        std::snprintf(text, sizeof text, "%ux%u%s at %.2f Hz", t.hActive, t.frameHeight(), t.interlaced ? "i" : "",
                      t.refreshHz());
        s.preferredTiming = text;
    }
    for (const ExtensionBlock &ext : report.extensions)
        if (ext.displayId && s.preferredTiming.empty())
            for (const DisplayIdBlock &b : ext.displayId->blocks)
                for (const DisplayIdTiming &t : b.timings)
                    if (t.preferred && s.preferredTiming.empty()) {
                        std::snprintf(text, sizeof text, "%ux%u%s at %.2f Hz", t.width, t.height,
                                      t.interlaced ? "i" : "", t.refreshHz);
                        s.preferredTiming = text;
                    }
    static const unsigned hdmiVicToVic[5] = {0, 95, 94, 93, 98};
    {
        for (const DataBlock *block : report.ctaDataBlocks()) {
            const DataBlock &db = *block;
            for (const Vic &v : db.vics) {
                const VicFormat *f = vicFormat(v.vic);
                if (!f)
                    continue;
                ModeSummary &m = mode(f->hActive, f->vActive, f->interlaced);
                if (!v.ycbcr420Only)
                    addRate(m.ratesHz, nominal(*f));
                if (v.ycbcr420Only || v.ycbcr420Also)
                    addRate(m.y420RatesHz, nominal(*f));
                m.native = m.native || v.native;
            }
            if (db.kind == BlockKind::Speaker)
                for (const std::string &name : speakerNames(db.speakers))
                    s.speakers.push_back(name.substr(0, name.find(' ')));
            if (db.hdmi) {
                s.hdmi = true;
                const HdmiVsdb &h = *db.hdmi;
                std::snprintf(text, sizeof text, "%x.%x.%x.%x", h.physA, h.physB, h.physC, h.physD);
                s.physicalAddress = text;
                s.maxTmdsMHz = std::max(s.maxTmdsMHz, h.maxTmdsMHz);
                if (h.dc30) s.deepColourBits.push_back(10);
                if (h.dc36) s.deepColourBits.push_back(12);
                if (h.dc48) s.deepColourBits.push_back(16);
                for (unsigned hv : h.hdmiVics)
                    if (hv >= 1 && hv <= 4)
                        if (const VicFormat *f = vicFormat(hdmiVicToVic[hv]))
                            addRate(mode(f->hActive, f->vActive, false).ratesHz, nominal(*f));
            }
            if (db.hdmiForum) {
                const HdmiForumVsdb &h = *db.hdmiForum;
                s.hdmiForum = true;
                s.maxTmdsMHz = std::max(s.maxTmdsMHz, h.maxTmdsCharRateMHz);
                s.maxFrlRate = std::max(s.maxFrlRate, h.maxFrlRate);
                if (h.dc30_420) s.deepColour420Bits.push_back(10);
                if (h.dc36_420) s.deepColour420Bits.push_back(12);
                if (h.dc48_420) s.deepColour420Bits.push_back(16);
                s.allm = s.allm || h.allm;
                if (h.vrrMinHz || h.vrrMaxHz) {
                    s.vrrMinHz = h.vrrMinHz;
                    s.vrrMaxHz = h.vrrMaxHz;
                }
            }
            if (db.hdr) {
                const HdrStaticMetadata &h = *db.hdr;
                static const char *const names[4] = {"SDR", "HDR (traditional gamma)", "HDR10 (PQ)", "HLG"};
                for (unsigned bit = 1; bit < 4; ++bit) // SDR goes without saying
                    if (h.eotfs & (1u << bit))
                        s.hdrFormats.push_back(names[bit]);
                s.maxLuminance = h.maxLuminance();
                s.maxFrameAvgLuminance = h.maxFrameAvg();
                s.minLuminance = h.minLuminance();
            }
            if (db.hdr10Plus)
                s.hdrFormats.push_back("HDR10+");
            if (db.dolbyVision)
                s.hdrFormats.push_back("Dolby Vision");
            for (const ShortAudio &a : db.audio) {
                if (a.format == 0)
                    continue;
                std::string text = a.name;
                if (a.channels)
                    text += ", " + std::to_string(a.channels) + " ch";
                const std::vector<double> rates = a.ratesKHz();
                if (!rates.empty())
                    text += ", " + rateList(rates.back(), rates.front());
                if (a.atmos)
                    text += ", Dolby Atmos";
                const std::vector<unsigned> sizes = a.sizesBits();
                if (!sizes.empty()) {
                    text += ", ";
                    for (size_t i = sizes.size(); i-- > 0;)
                        text += std::to_string(sizes[i]) + (i ? "/" : " bit");
                }
                s.audio.push_back(text);
            }
        }
    }

    for (const auto &[key, m] : modes) {
        if (s.largestModes.size() == 3)
            break;
        ModeSummary sorted = m;
        std::sort(sorted.ratesHz.rbegin(), sorted.ratesHz.rend());
        std::sort(sorted.y420RatesHz.rbegin(), sorted.y420RatesHz.rend());
        s.largestModes.push_back(sorted);
    }
    for (const Problem &p : report.problems) {
        if (p.severity == Severity::Error) {
            ++s.errors;
            if (s.problems.size() < 5)
                s.problems.push_back(p.context + ": " + p.message);
        } else {
            ++s.warnings;
        }
    }
    return s;
}

std::string modeText(const ModeSummary &m)
{
    auto rates = [](const std::vector<double> &list) {
        std::string out;
        for (double r : list) {
            char t[16];
            std::snprintf(t, sizeof t, r == std::round(r) ? "%.0f" : "%.2f", r);
            out += (out.empty() ? "" : "/") + std::string(t);
        }
        return out;
    };
    char text[48];
    std::snprintf(text, sizeof text, "%ux%u%s", m.width, m.height, m.interlaced ? "i" : "");
    std::string out = text;
    if (m.ratesHz.empty())
        out += " at " + rates(m.y420RatesHz) + " Hz, 4:2:0 only";
    else
        out += " at " + rates(m.ratesHz) + " Hz";
    if (!m.ratesHz.empty() && !m.y420RatesHz.empty())
        out += ", 4:2:0 at " + rates(m.y420RatesHz) + " Hz";
    if (m.native)
        out += " (native)";
    return out;
}

std::string frlText(unsigned rate)
{
    static const char *const texts[7] = {"none",
                                         "3 Gbps x 3 lanes (9 Gbps)",
                                         "6 Gbps x 3 lanes (18 Gbps)",
                                         "6 Gbps x 4 lanes (24 Gbps)",
                                         "8 Gbps x 4 lanes (32 Gbps)",
                                         "10 Gbps x 4 lanes (40 Gbps)",
                                         "12 Gbps x 4 lanes (48 Gbps)"};
    return rate < 7 ? texts[rate] : "reserved (" + std::to_string(rate) + ")";
}

} // namespace vantrel::edid
