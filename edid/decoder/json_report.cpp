// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON report: the same facts as the text report, for tools.
#include "edid_report.h"
#include "json_support.h"
#include "text_report.h"

namespace vantrel::edid {
namespace {

using report::Json;
using report::latin1;
using report::number;

Json strings(const std::vector<std::string> &items)
{
    Json a = Json::array();
    for (const std::string &s : items)
        a.push_back(latin1(s));
    return a;
}

Json numbers(const std::vector<double> &items)
{
    Json a = Json::array();
    for (double v : items)
        a.push_back(number(v));
    return a;
}

Json timings(const std::vector<DetailedTiming> &list)
{
    Json a = Json::array();
    for (const DetailedTiming &t : list)
        a.push_back(Json{{"offset", t.offset},
                         {"pixelClockKHz", unsigned(t.pixelClockKHz)},
                         {"hActive", t.hActive},
                         {"hBlank", t.hBlank},
                         {"hFront", t.hFront},
                         {"hSync", t.hSync},
                         {"hBorder", t.hBorder},
                         {"vActive", t.vActive},
                         {"vBlank", t.vBlank},
                         {"vFront", t.vFront},
                         {"vSync", t.vSync},
                         {"vBorder", t.vBorder},
                         {"interlaced", t.interlaced},
                         {"height", t.frameHeight()},
                         {"refreshHz", number(t.refreshHz())},
                         {"hFreqKHz", number(t.hFreqKHz())},
                         {"widthMm", t.widthMm},
                         {"heightMm", t.heightMm},
                         {"syncKind", t.syncKind},
                         {"hSyncPositive", t.hSyncPositive},
                         {"vSyncPositive", t.vSyncPositive},
                         {"stereo", t.stereo}});
    return a;
}

Json legacy(const std::vector<LegacyTiming> &list)
{
    Json a = Json::array();
    for (const LegacyTiming &t : list)
        a.push_back(Json{{"width", t.hActive},
                         {"height", t.vActive},
                         {"interlaced", t.interlaced},
                         {"refreshHz", number(t.refreshHz)}});
    return a;
}

// A value the table leaves out as 0 written as null.
Json positive(double v)
{
    return v > 0 ? number(v) : Json();
}

Json latencyMs(const std::optional<unsigned> &code)
{
    return report::orNull(HdmiVsdb::latencyMs(code));
}

Json dataBlock(const DataBlock &db);

Json displayId(const DisplayIdSection &d)
{
    Json j{{"version", d.versionText()},
           {"productType", d.productType},
           {"extensionCount", d.extensionCount},
           {"checksum", unsigned(d.checksum)},
           {"checksumOk", d.checksumOk}};
    const DisplayIdProduct *product = nullptr;
    for (const DisplayIdBlock &b : d.blocks)
        if (b.product && !product)
            product = &*b.product;
    j["productIdentification"] = product ? Json{{"vendor", latin1(product->vendor)},
                                                {"productCode", product->productCode},
                                                {"serialNumber", unsigned(product->serialNumber)},
                                                {"week", product->week},
                                                {"year", product->year},
                                                {"name", latin1(product->name)}}
                                         : Json();
    Json list = Json::array();
    Json blocks = Json::array();
    for (const DisplayIdBlock &b : d.blocks) {
        for (const DisplayIdTiming &t : b.timings)
            list.push_back(Json{{"offset", t.offset},
                                {"type", t.type},
                                {"width", t.width},
                                {"height", t.height},
                                {"interlaced", t.interlaced},
                                {"refreshHz", number(t.refreshHz)},
                                {"preferred", t.preferred},
                                {"pixelClockKHz", t.detail ? Json(unsigned(t.detail->pixelClockKHz)) : Json()},
                                {"code", latin1(t.code)}});
        Json block{{"offset", b.offset},
                   {"tag", b.tag},
                   {"revision", b.revision},
                   {"length", b.length},
                   {"name", latin1(b.name)}};
        if (b.tag == 0x81) {
            Json carried = Json::array();
            for (const DataBlock &db : b.cta)
                carried.push_back(dataBlock(db));
            block["dataBlocks"] = std::move(carried);
        }
        if (b.features) {
            const DisplayIdInterfaceFeatures &f = *b.features;
            block["interfaceFeatures"] = Json{{"rgbBpcBits", unsigned(f.rgbBpc)},
                                              {"ycbcr444BpcBits", unsigned(f.ycbcr444Bpc)},
                                              {"ycbcr422BpcBits", unsigned(f.ycbcr422Bpc)},
                                              {"ycbcr420BpcBits", unsigned(f.ycbcr420Bpc)},
                                              {"min420PixelRateKHz", f.min420PixelRateKHz},
                                              {"audioRateBits", unsigned(f.audioRates)},
                                              {"colourEotfBits", unsigned(f.colourEotf)},
                                              {"additional", Json(std::vector<unsigned>(f.additional.begin(),
                                                                                        f.additional.end()))},
                                              {"lines", strings(f.lines())}};
        }
        blocks.push_back(std::move(block));
    }
    j["timings"] = std::move(list);
    j["blocks"] = std::move(blocks);
    return j;
}

Json base(const BaseBlock &b)
{
    Json j{{"headerOk", b.headerOk},
           {"manufacturer", latin1(b.manufacturer)},
           {"productCode", unsigned(b.productCode)},
           {"serialNumber", unsigned(b.serialNumber)},
           {"week", b.week},
           {"year", b.year},
           {"modelYear", b.modelYear},
           {"version", b.version},
           {"revision", b.revision},
           {"digital", b.digital},
           {"bitsPerColor", b.bitsPerColor},
           {"interfaceType", b.interfaceType},
           {"widthCm", b.widthCm},
           {"heightCm", b.heightCm}};
    j["gamma"] = b.gammaHundredths ? number(b.gammaHundredths / 100.0) : Json();
    // "displayName" is the first name, kept for readers of older reports.
    j["displayName"] = latin1(b.displayNames.empty() ? std::string() : b.displayNames.front());
    j["displayNames"] = strings(b.displayNames);
    j["serialText"] = latin1(b.serialText);
    j["dataStrings"] = strings(b.dataStrings);
    if (b.rangeLimits) {
        const RangeLimits &r = *b.rangeLimits;
        j["rangeLimits"] = Json{{"minVHz", r.minVHz},
                                {"maxVHz", r.maxVHz},
                                {"minHKHz", r.minHKHz},
                                {"maxHKHz", r.maxHKHz},
                                {"maxPixelClockMHz", r.maxPixelClockMHz},
                                {"timingSupport", r.timingSupport}};
    } else {
        j["rangeLimits"] = nullptr;
    }
    j["detailedTimings"] = timings(b.timings);
    j["establishedTimings"] = legacy(b.establishedTimings);
    j["standardTimings"] = legacy(b.standardTimings);
    j["extensionCount"] = b.extensionCount;
    j["checksum"] = unsigned(b.checksum);
    j["checksumOk"] = b.checksumOk;
    return j;
}

Json vics(const std::vector<Vic> &list)
{
    Json a = Json::array();
    for (const Vic &v : list)
        a.push_back(Json{{"vic", v.vic},
                         {"name", latin1(v.name)},
                         {"native", v.native},
                         {"ycbcr420Only", v.ycbcr420Only},
                         {"ycbcr420Also", v.ycbcr420Also}});
    return a;
}

Json audio(const std::vector<ShortAudio> &list)
{
    Json a = Json::array();
    for (const ShortAudio &s : list)
        a.push_back(Json{{"format", s.format},
                         {"extendedType", s.extendedType},
                         {"name", latin1(s.name)},
                         {"channels", s.channels},
                         {"ratesKHz", numbers(s.ratesKHz())},
                         {"sizesBits", s.sizesBits()},
                         {"maxBitrateKbps", s.maxBitrateKbps}});
    return a;
}

Json hdmiForum(const HdmiForumVsdb &h)
{
    return Json{{"version", h.version},
                {"maxTmdsCharRateMHz", h.maxTmdsCharRateMHz},
                {"scdcPresent", h.scdcPresent},
                {"scdcReadRequests", h.rrCapable},
                {"lte340Scramble", h.lte340Scramble},
                {"independentView", h.independentView},
                {"dualView", h.dualView},
                {"osdDisparity", h.osdDisparity},
                {"maxFrlRate", h.maxFrlRate},
                {"dc48_420", h.dc48_420},
                {"dc36_420", h.dc36_420},
                {"dc30_420", h.dc30_420}};
}

Json hdmi(const HdmiVsdb &h)
{
    Json j{{"physicalAddress", report::format("%x.%x.%x.%x", h.physA, h.physB, h.physC, h.physD)},
           {"supportsAI", h.supportsAI},
           {"dc48", h.dc48},
           {"dc36", h.dc36},
           {"dc30", h.dc30},
           {"dcY444", h.dcY444},
           {"dviDual", h.dviDual},
           {"maxTmdsMHz", h.maxTmdsMHz ? Json(h.maxTmdsMHz) : Json()}};
    // Each latency as its byte, in ms (null for the special values) and named
    // ("Unknown", "Video not supported", "12 ms").
    const struct {
        const char *name;
        const std::optional<unsigned> &code;
        bool video;
    } latencies[] = {{"videoLatency", h.videoLatency, true},
                     {"audioLatency", h.audioLatency, false},
                     {"interlacedVideoLatency", h.interlacedVideoLatency, true},
                     {"interlacedAudioLatency", h.interlacedAudioLatency, false}};
    for (const auto &l : latencies) {
        const std::string key = l.name;
        if (l.code) {
            j[key] = *l.code;
            j[key + "Text"] = HdmiVsdb::latencyText(l.code, l.video);
        }
        j[key + "Ms"] = latencyMs(l.code);
    }
    return j;
}

Json dataBlock(const DataBlock &db)
{
    Json j{{"offset", db.offset},
           {"tag", db.tag},
           {"extendedTag", db.extendedTag},
           {"length", db.length},
           {"name", latin1(db.name)}};
    if (db.oui)
        j["oui"] = report::format("%02X-%02X-%02X", (db.oui >> 16) & 0xFF, (db.oui >> 8) & 0xFF, db.oui & 0xFF);
    switch (db.kind) {
    case BlockKind::Video:
    case BlockKind::Y420Video:
        j["vics"] = vics(db.vics);
        break;
    case BlockKind::Audio:
        j["audio"] = audio(db.audio);
        break;
    case BlockKind::Speaker:
        j["speakerAllocation"] = unsigned(db.speakers);
        j["speakers"] = strings(speakerNames(db.speakers));
        break;
    case BlockKind::HdrStatic:
        if (db.hdr) {
            const HdrStaticMetadata &h = *db.hdr;
            Json m{{"eotfBits", unsigned(h.eotfs)},
                   {"eotfs", strings(eotfNames(h.eotfs))},
                   {"staticMetadataType1", bool(h.descriptors & 1)}};
            if (h.maxLuminanceCode)
                m["maxLuminance"] = number(h.maxLuminance());
            if (h.maxFrameAvgCode)
                m["maxFrameAverageLuminance"] = number(h.maxFrameAvg());
            if (h.minLuminanceCode)
                m["minLuminance"] = number(h.minLuminance());
            j["hdrStaticMetadata"] = std::move(m);
        }
        break;
    case BlockKind::Colorimetry:
        j["colorimetryBits"] = unsigned(db.colorimetry);
        j["colorimetry"] = strings(colorimetryNames(db.colorimetry));
        break;
    case BlockKind::VideoCapability:
        if (db.videoCapability) {
            const VideoCapability &v = *db.videoCapability;
            j["videoCapability"] = Json{{"qy", v.qy}, {"qs", v.qs}, {"pt", v.pt}, {"it", v.it}, {"ce", v.ce}};
        }
        break;
    case BlockKind::Y420CapabilityMap:
        j["allVics"] = db.y420AllVics;
        j["vics"] = db.y420MapVics;
        break;
    case BlockKind::Eeodb:
        j["extensionCount"] = db.eeodbCount;
        break;
    default:
        break;
    }
    if (db.hdmi)
        j["hdmi"] = hdmi(*db.hdmi);
    if (db.hdmiForum)
        j["hdmiForum"] = hdmiForum(*db.hdmiForum);
    if (db.dolbyVision) {
        const DolbyVision &dv = *db.dolbyVision;
        j["dolbyVision"] = Json{{"version", dv.version},
                                {"dmVersion", dv.dmVersion},
                                {"lowLatency", dv.lowLatency},
                                {"minLuminance", positive(dv.minLuminance)},
                                {"maxLuminance", positive(dv.maxLuminance)}};
    }
    if (db.hdr10Plus)
        j["hdr10Plus"] = Json{{"applicationVersion", db.hdr10Plus->applicationVersion}};
    return j;
}

Json extension(const ExtensionBlock &ext)
{
    Json j{{"block", ext.index},
           {"tag", unsigned(ext.tag)},
           {"name", latin1(ext.name)},
           {"checksum", unsigned(ext.checksum)},
           {"checksumOk", ext.checksumOk}};
    if (ext.cta) {
        const CtaExtension &c = *ext.cta;
        Json blocks = Json::array();
        for (const DataBlock &db : c.dataBlocks)
            blocks.push_back(dataBlock(db));
        j["cta"] = Json{
            {"revision", c.revision},     {"dtdOffset", c.dtdOffset},        {"underscan", c.underscan},
            {"basicAudio", c.basicAudio}, {"ycbcr444", c.ycbcr444},          {"ycbcr422", c.ycbcr422},
            {"nativeDtds", c.nativeDtds}, {"dataBlocks", std::move(blocks)}, {"detailedTimings", timings(c.timings)}};
    }
    if (ext.displayId)
        j["displayId"] = displayId(*ext.displayId);
    return j;
}

Json summary(const EdidSummary &s)
{
    Json modes = Json::array();
    for (const ModeSummary &m : s.largestModes)
        modes.push_back(Json{{"width", m.width},
                             {"height", m.height},
                             {"interlaced", m.interlaced},
                             {"native", m.native},
                             {"text", latin1(modeText(m))},
                             {"ratesHz", numbers(m.ratesHz)},
                             {"ycbcr420RatesHz", numbers(m.y420RatesHz)}});
    return Json{{"largestModes", std::move(modes)},
                {"deepColourBits", s.deepColourBits},
                {"deepColour420Bits", s.deepColour420Bits},
                {"hdrFormats", strings(s.hdrFormats)},
                {"maxLuminance", positive(s.maxLuminance)},
                {"maxFrameAverageLuminance", positive(s.maxFrameAvgLuminance)},
                {"minLuminance", positive(s.minLuminance)},
                {"preferredTiming", latin1(s.preferredTiming)},
                {"physicalAddress", latin1(s.physicalAddress)},
                {"speakers", strings(s.speakers)},
                {"audio", strings(s.audio)},
                {"hdmi", s.hdmi},
                {"hdmiForum", s.hdmiForum},
                {"maxTmdsMHz", s.maxTmdsMHz ? Json(s.maxTmdsMHz) : Json()},
                {"maxFrlRate", s.maxFrlRate},
                {"maxFrl", latin1(frlText(s.maxFrlRate))},
                {"allm", s.allm},
                {"vrrMinHz", s.vrrMinHz},
                {"vrrMaxHz", s.vrrMaxHz},
                {"errors", s.errors},
                {"warnings", s.warnings},
                {"problems", strings(s.problems)},
                {"problemsLeftOut", unsigned(s.errors - s.problems.size())}};
}

} // namespace

std::string edidReportJson(const EdidReport &report)
{
    Json doc{{"size", report.size}, {"conforms", report.conforms()}, {"summary", summary(summarize(report))}};
    doc["base"] = report.hasBase ? base(report.base) : Json();
    Json extensions = Json::array();
    for (const ExtensionBlock &ext : report.extensions)
        extensions.push_back(extension(ext));
    doc["extensions"] = std::move(extensions);
    doc["problems"] = report::findingsJson(report.problems);
    return report::compactText(doc);
}

} // namespace vantrel::edid
