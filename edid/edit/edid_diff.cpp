// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_diff.h"

#include "edid_report.h"
#include "vic_names.h"

#include <algorithm>
#include <cstdio>
#include <map>

namespace vantrel::edid::edit {

namespace {

using Facts = std::map<std::string, std::vector<std::string>>;

std::string vicFact(const Vic &v)
{
    std::string text = "VIC " + std::to_string(v.vic) + (v.name.empty() ? "" : " (" + v.name + ")");
    if (v.ycbcr420Only)
        text += ", YCbCr 4:2:0 only";
    else if (v.ycbcr420Also)
        text += ", also YCbCr 4:2:0";
    return text + (v.native ? ", native" : "");
}

std::string timingFact(const DetailedTiming &t)
{
    char text[80];
    std::snprintf(text, sizeof text, "detailed timing %ux%u%s at %.2f Hz (%.2f MHz)", t.hActive, t.frameHeight(),
                  t.interlaced ? "i" : "", t.refreshHz(), t.pixelClockKHz / 1000.0);
    return text;
}

Facts factsOf(const std::vector<uint8_t> &bytes)
{
    const EdidReport r = decodeEdid(bytes);
    const EdidSummary s = summarize(r);
    Facts f;
    if (!r.hasBase)
        return f;
    const BaseBlock &b = r.base;
    f["identity"].push_back("manufacturer " + b.manufacturer + ", product " + std::to_string(b.productCode));
    f["identity"].push_back("serial number " + std::to_string(b.serialNumber));
    for (const std::string &n : b.displayNames)
        f["identity"].push_back("name \"" + n + "\"");
    if (!s.preferredTiming.empty())
        f["preferred"].push_back(s.preferredTiming);
    for (const DetailedTiming &t : b.timings)
        f["modes"].push_back(timingFact(t));
    for (const ExtensionBlock &e : r.extensions) {
        f["blocks"].push_back("block " + std::to_string(e.index) + ": " + e.name);
        if (e.cta)
            for (const DetailedTiming &t : e.cta->timings)
                f["modes"].push_back(timingFact(t));
    }
    for (const DataBlock *db : r.ctaDataBlocks()) {
        if (db->kind == BlockKind::Video || db->kind == BlockKind::Y420Video)
            for (const Vic &v : db->vics)
                if (db->kind == BlockKind::Video || v.ycbcr420Only)
                    f["modes"].push_back(vicFact(v));
        if (db->hdmi) {
            for (unsigned v : db->hdmi->hdmiVics)
                f["modes"].push_back("HDMI VIC " + std::to_string(v));
            if (db->hdmi->present3d)
                f["limits"].push_back("3D formats");
        }
        if (db->hdmiForum) {
            const HdmiForumVsdb &h = *db->hdmiForum;
            f["limits"].push_back("HDMI Forum maximum TMDS character rate " +
                                  (h.maxTmdsCharRateMHz ? std::to_string(h.maxTmdsCharRateMHz) + " MHz"
                                                        : std::string("340 MHz or less")));
            if (h.dsc)
                f["limits"].push_back("DSC");
        }
        if (db->hdr)
            for (const std::string &e : eotfNames(db->hdr->eotfs))
                f["hdr"].push_back("transfer function " + e);
    }
    for (const std::string &a : s.audio)
        f["audio"].push_back(a);
    for (const std::string &sp : s.speakers)
        f["speakers"].push_back(sp);
    for (const std::string &h : s.hdrFormats)
        f["hdr"].push_back(h);
    if (s.maxTmdsMHz)
        f["limits"].push_back("maximum TMDS clock " + std::to_string(s.maxTmdsMHz) + " MHz");
    if (s.maxFrlRate)
        f["limits"].push_back("FRL " + frlText(s.maxFrlRate));
    for (unsigned bits : s.deepColourBits)
        f["limits"].push_back("deep colour " + std::to_string(bits * 3) + " bit");
    for (unsigned bits : s.deepColour420Bits)
        f["limits"].push_back("deep colour YCbCr 4:2:0 " + std::to_string(bits * 3) + " bit");
    for (const Problem &p : r.problems)
        if (p.severity == Severity::Error)
            f["errors"].push_back(p.context + ": " + p.message);
    f["blocks"].push_back(std::to_string(bytes.size()) + " bytes");
    return f;
}

// In from and not in other, each as often as it is more often there.
std::vector<std::string> missing(std::vector<std::string> from, std::vector<std::string> other)
{
    std::vector<std::string> out;
    for (const std::string &fact : from) {
        const auto at = std::find(other.begin(), other.end(), fact);
        if (at == other.end())
            out.push_back(fact);
        else
            other.erase(at);
    }
    return out;
}

} // namespace

TableDiff diffTables(const std::vector<uint8_t> &a, const std::vector<uint8_t> &b)
{
    TableDiff d;
    Facts fa = factsOf(a), fb = factsOf(b);
    for (const char *category :
         {"identity", "preferred", "modes", "audio", "speakers", "hdr", "limits", "blocks", "errors"}) {
        for (const std::string &fact : missing(fa[category], fb[category]))
            d.facts.push_back({category, false, fact});
        for (const std::string &fact : missing(fb[category], fa[category]))
            d.facts.push_back({category, true, fact});
    }
    for (size_t i = 0; i < std::max(a.size(), b.size()); ++i) {
        const int x = i < a.size() ? a[i] : -1, y = i < b.size() ? b[i] : -1;
        if (x != y)
            d.bytes.push_back({i, x, y});
    }
    return d;
}

std::vector<std::string> diffLines(const TableDiff &diff)
{
    std::vector<std::string> lines;
    for (const FactChange &c : diff.facts)
        lines.push_back(c.category + ": " + (c.added ? "+ " : "- ") + c.fact);
    const auto hex = [](int v) {
        char t[8];
        std::snprintf(t, sizeof t, "%02X", unsigned(v));
        return v < 0 ? std::string(2, '-') : std::string(t); // past the table's end
    };
    // Runs of neighbouring bytes, up to 16 a line, within one block.
    for (size_t i = 0; i < diff.bytes.size();) {
        size_t end = i + 1;
        while (end < diff.bytes.size() && end - i < 16 && diff.bytes[end].offset == diff.bytes[end - 1].offset + 1 &&
               diff.bytes[end].offset % 128 != 0)
            ++end;
        const ByteChange &first = diff.bytes[i], &last = diff.bytes[end - 1];
        char where[64];
        if (end - i == 1)
            std::snprintf(where, sizeof where, "bytes: block %zu, 0x%02zX: ", first.offset / 128, first.offset % 128);
        else
            std::snprintf(where, sizeof where, "bytes: block %zu, 0x%02zX-0x%02zX: ", first.offset / 128,
                          first.offset % 128, last.offset % 128);
        std::string a, b;
        for (size_t k = i; k < end; ++k) {
            a += (k == i ? "" : " ") + hex(diff.bytes[k].a);
            b += (k == i ? "" : " ") + hex(diff.bytes[k].b);
        }
        lines.push_back(where + a + " -> " + b);
        i = end;
    }
    return lines;
}

} // namespace vantrel::edid::edit
