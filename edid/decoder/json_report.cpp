// SPDX-License-Identifier: GPL-3.0-or-later
// The JSON report: the same facts as the text report, for tools.
#include "edid_report.h"

#include <cmath>
#include <cstdio>

namespace vantrel::edid {
namespace {

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        default:
            if (c < 0x20 || c >= 0x7F) { // texts are ASCII; anything else is escaped as Latin-1
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += char(c);
            }
        }
    }
    return out + "\"";
}

// Builds one document; commas and nesting are tracked so callers only name
// keys and values.
class Json {
public:
    Json &open(const char *key, char bracket)
    {
        prefix(key);
        out_ += bracket;
        first_.push_back(true);
        return *this;
    }
    Json &object(const char *key = nullptr) { return open(key, '{'); }
    Json &array(const char *key = nullptr) { return open(key, '['); }
    Json &close(char bracket)
    {
        out_ += bracket;
        first_.pop_back();
        return *this;
    }
    Json &endObject() { return close('}'); }
    Json &endArray() { return close(']'); }

    Json &value(const char *key, const std::string &v) { return raw(key, quoted(v)); }
    Json &value(const char *key, const char *v) { return raw(key, quoted(v)); }
    Json &value(const char *key, bool v) { return raw(key, v ? "true" : "false"); }
    Json &value(const char *key, unsigned v) { return raw(key, std::to_string(v)); }
    Json &value(const char *key, int v) { return raw(key, std::to_string(v)); }
    Json &value(const char *key, double v)
    {
        if (!std::isfinite(v))
            return raw(key, "null");
        char text[32];
        std::snprintf(text, sizeof text, "%.6g", v);
        return raw(key, text);
    }
    Json &null(const char *key) { return raw(key, "null"); }
    Json &raw(const char *key, const std::string &text)
    {
        prefix(key);
        out_ += text;
        return *this;
    }
    std::string take() { return std::move(out_); }

private:
    void prefix(const char *key)
    {
        if (!first_.empty()) {
            if (!first_.back())
                out_ += ',';
            first_.back() = false;
        }
        if (key)
            out_ += quoted(key) + ':';
    }
    std::string out_;
    std::vector<bool> first_;
};

void strings(Json &j, const char *key, const std::vector<std::string> &items)
{
    j.array(key);
    for (const std::string &s : items)
        j.value(nullptr, s);
    j.endArray();
}

void timings(Json &j, const std::vector<DetailedTiming> &list)
{
    j.array("detailedTimings");
    for (const DetailedTiming &t : list) {
        j.object()
            .value("offset", t.offset)
            .value("pixelClockKHz", unsigned(t.pixelClockKHz))
            .value("hActive", t.hActive).value("hBlank", t.hBlank)
            .value("hFront", t.hFront).value("hSync", t.hSync).value("hBorder", t.hBorder)
            .value("vActive", t.vActive).value("vBlank", t.vBlank)
            .value("vFront", t.vFront).value("vSync", t.vSync).value("vBorder", t.vBorder)
            .value("interlaced", t.interlaced)
            .value("height", t.frameHeight())
            .value("refreshHz", t.refreshHz())
            .value("hFreqKHz", t.hFreqKHz())
            .value("widthMm", t.widthMm).value("heightMm", t.heightMm)
            .value("syncKind", t.syncKind)
            .value("hSyncPositive", t.hSyncPositive).value("vSyncPositive", t.vSyncPositive)
            .value("stereo", t.stereo)
            .endObject();
    }
    j.endArray();
}

void legacy(Json &j, const char *key, const std::vector<LegacyTiming> &list)
{
    j.array(key);
    for (const LegacyTiming &t : list)
        j.object().value("width", t.hActive).value("height", t.vActive).value("interlaced", t.interlaced)
            .value("refreshHz", t.refreshHz).endObject();
    j.endArray();
}

void optionalMs(Json &j, const char *key, const std::optional<unsigned> &code)
{
    if (const auto ms = HdmiVsdb::latencyMs(code))
        j.value(key, *ms);
    else
        j.null(key);
}

void displayId(Json &j, const DisplayIdSection &d)
{
    j.object("displayId")
        .value("version", d.versionText())
        .value("productType", d.productType)
        .value("extensionCount", d.extensionCount)
        .value("checksum", unsigned(d.checksum))
        .value("checksumOk", d.checksumOk);
    const DisplayIdProduct *product = nullptr;
    for (const DisplayIdBlock &b : d.blocks)
        if (b.product && !product)
            product = &*b.product;
    if (product)
        j.object("productIdentification")
            .value("vendor", product->vendor).value("productCode", product->productCode)
            .value("serialNumber", unsigned(product->serialNumber)).value("week", product->week)
            .value("year", product->year).value("name", product->name)
            .endObject();
    else
        j.null("productIdentification");
    j.array("timings");
    for (const DisplayIdBlock &b : d.blocks)
        for (const DisplayIdTiming &t : b.timings) {
            j.object().value("offset", t.offset).value("type", t.type).value("width", t.width)
                .value("height", t.height).value("interlaced", t.interlaced).value("refreshHz", t.refreshHz)
                .value("preferred", t.preferred);
            if (t.detail)
                j.value("pixelClockKHz", unsigned(t.detail->pixelClockKHz));
            else
                j.null("pixelClockKHz");
            j.value("code", t.code).endObject();
        }
    j.endArray().array("blocks");
    for (const DisplayIdBlock &b : d.blocks)
        j.object().value("offset", b.offset).value("tag", b.tag).value("revision", b.revision)
            .value("length", b.length).value("name", b.name).endObject();
    j.endArray().endObject();
}

void base(Json &j, const BaseBlock &b)
{
    j.object("base")
        .value("headerOk", b.headerOk)
        .value("manufacturer", b.manufacturer)
        .value("productCode", unsigned(b.productCode))
        .value("serialNumber", unsigned(b.serialNumber))
        .value("week", b.week).value("year", b.year).value("modelYear", b.modelYear)
        .value("version", b.version).value("revision", b.revision)
        .value("digital", b.digital)
        .value("bitsPerColor", b.bitsPerColor)
        .value("interfaceType", b.interfaceType)
        .value("widthCm", b.widthCm).value("heightCm", b.heightCm);
    if (b.gammaHundredths)
        j.value("gamma", b.gammaHundredths / 100.0);
    else
        j.null("gamma");
    // "displayName" is the first name, kept for readers of older reports.
    j.value("displayName", b.displayNames.empty() ? std::string() : b.displayNames.front());
    strings(j, "displayNames", b.displayNames);
    j.value("serialText", b.serialText);
    strings(j, "dataStrings", b.dataStrings);
    if (b.rangeLimits) {
        const RangeLimits &r = *b.rangeLimits;
        j.object("rangeLimits")
            .value("minVHz", r.minVHz).value("maxVHz", r.maxVHz)
            .value("minHKHz", r.minHKHz).value("maxHKHz", r.maxHKHz)
            .value("maxPixelClockMHz", r.maxPixelClockMHz)
            .value("timingSupport", r.timingSupport)
            .endObject();
    } else {
        j.null("rangeLimits");
    }
    timings(j, b.timings);
    legacy(j, "establishedTimings", b.establishedTimings);
    legacy(j, "standardTimings", b.standardTimings);
    j.value("extensionCount", b.extensionCount)
        .value("checksum", unsigned(b.checksum))
        .value("checksumOk", b.checksumOk)
        .endObject();
}

void vics(Json &j, const std::vector<Vic> &list)
{
    j.array("vics");
    for (const Vic &v : list)
        j.object()
            .value("vic", v.vic)
            .value("name", v.name)
            .value("native", v.native)
            .value("ycbcr420Only", v.ycbcr420Only)
            .value("ycbcr420Also", v.ycbcr420Also)
            .endObject();
    j.endArray();
}

void audio(Json &j, const std::vector<ShortAudio> &list)
{
    j.array("audio");
    for (const ShortAudio &a : list) {
        j.object()
            .value("format", a.format)
            .value("extendedType", a.extendedType)
            .value("name", a.name)
            .value("channels", a.channels);
        j.array("ratesKHz");
        for (double r : a.ratesKHz())
            j.value(nullptr, r);
        j.endArray().array("sizesBits");
        for (unsigned s : a.sizesBits())
            j.value(nullptr, s);
        j.endArray().value("maxBitrateKbps", a.maxBitrateKbps).endObject();
    }
    j.endArray();
}

void hdmiForum(Json &j, const HdmiForumVsdb &h)
{
    j.object("hdmiForum")
        .value("version", h.version)
        .value("maxTmdsCharRateMHz", h.maxTmdsCharRateMHz)
        .value("scdcPresent", h.scdcPresent)
        .value("scdcReadRequests", h.rrCapable)
        .value("lte340Scramble", h.lte340Scramble)
        .value("independentView", h.independentView)
        .value("dualView", h.dualView)
        .value("osdDisparity", h.osdDisparity)
        .value("maxFrlRate", h.maxFrlRate)
        .value("dc48_420", h.dc48_420).value("dc36_420", h.dc36_420).value("dc30_420", h.dc30_420)
        .endObject();
}

void dataBlock(Json &j, const DataBlock &db)
{
    j.object()
        .value("offset", db.offset)
        .value("tag", db.tag)
        .value("extendedTag", db.extendedTag)
        .value("length", db.length)
        .value("name", db.name);
    if (db.oui) {
        char oui[12];
        std::snprintf(oui, sizeof oui, "%02X-%02X-%02X", (db.oui >> 16) & 0xFF, (db.oui >> 8) & 0xFF, db.oui & 0xFF);
        j.value("oui", oui);
    }
    switch (db.kind) {
    case BlockKind::Video:
    case BlockKind::Y420Video:
        vics(j, db.vics);
        break;
    case BlockKind::Audio:
        audio(j, db.audio);
        break;
    case BlockKind::Speaker:
        j.value("speakerAllocation", unsigned(db.speakers));
        strings(j, "speakers", speakerNames(db.speakers));
        break;
    case BlockKind::HdrStatic:
        if (db.hdr) {
            const HdrStaticMetadata &h = *db.hdr;
            j.object("hdrStaticMetadata").value("eotfBits", unsigned(h.eotfs));
            strings(j, "eotfs", eotfNames(h.eotfs));
            j.value("staticMetadataType1", bool(h.descriptors & 1));
            if (h.maxLuminanceCode) j.value("maxLuminance", h.maxLuminance());
            if (h.maxFrameAvgCode) j.value("maxFrameAverageLuminance", h.maxFrameAvg());
            if (h.minLuminanceCode) j.value("minLuminance", h.minLuminance());
            j.endObject();
        }
        break;
    case BlockKind::Colorimetry:
        j.value("colorimetryBits", unsigned(db.colorimetry));
        strings(j, "colorimetry", colorimetryNames(db.colorimetry));
        break;
    case BlockKind::VideoCapability:
        if (db.videoCapability) {
            const VideoCapability &v = *db.videoCapability;
            j.object("videoCapability")
                .value("qy", v.qy).value("qs", v.qs)
                .value("pt", v.pt).value("it", v.it).value("ce", v.ce)
                .endObject();
        }
        break;
    case BlockKind::Y420CapabilityMap:
        j.value("allVics", db.y420AllVics).array("vics");
        for (unsigned v : db.y420MapVics)
            j.value(nullptr, v);
        j.endArray();
        break;
    case BlockKind::Eeodb:
        j.value("extensionCount", db.eeodbCount);
        break;
    default:
        break;
    }
    if (db.hdmi) {
        const HdmiVsdb &h = *db.hdmi;
        char address[32];
        std::snprintf(address, sizeof address, "%x.%x.%x.%x", h.physA, h.physB, h.physC, h.physD);
        j.object("hdmi")
            .value("physicalAddress", address)
            .value("supportsAI", h.supportsAI)
            .value("dc48", h.dc48).value("dc36", h.dc36).value("dc30", h.dc30)
            .value("dcY444", h.dcY444).value("dviDual", h.dviDual)
;
        if (h.maxTmdsMHz)
            j.value("maxTmdsMHz", h.maxTmdsMHz);
        else
            j.null("maxTmdsMHz");
        if (h.videoLatency) j.value("videoLatency", *h.videoLatency);
        if (h.audioLatency) j.value("audioLatency", *h.audioLatency);
        optionalMs(j, "videoLatencyMs", h.videoLatency);
        optionalMs(j, "audioLatencyMs", h.audioLatency);
        optionalMs(j, "interlacedVideoLatencyMs", h.interlacedVideoLatency);
        optionalMs(j, "interlacedAudioLatencyMs", h.interlacedAudioLatency);
        j.endObject();
    }
    if (db.hdmiForum)
        hdmiForum(j, *db.hdmiForum);
    if (db.dolbyVision)
        j.object("dolbyVision").value("version", db.dolbyVision->version)
            .value("dmVersion", db.dolbyVision->dmVersion).value("lowLatency", db.dolbyVision->lowLatency)
            .value("minLuminance", db.dolbyVision->minLuminance).value("maxLuminance", db.dolbyVision->maxLuminance)
            .endObject();
    if (db.hdr10Plus)
        j.object("hdr10Plus").value("applicationVersion", db.hdr10Plus->applicationVersion).endObject();
    j.endObject();
}

void extension(Json &j, const ExtensionBlock &ext)
{
    j.object()
        .value("block", ext.index)
        .value("tag", unsigned(ext.tag))
        .value("name", ext.name)
        .value("checksum", unsigned(ext.checksum))
        .value("checksumOk", ext.checksumOk);
    if (ext.cta) {
        const CtaExtension &c = *ext.cta;
        j.object("cta")
            .value("revision", c.revision)
            .value("dtdOffset", c.dtdOffset)
            .value("underscan", c.underscan).value("basicAudio", c.basicAudio)
            .value("ycbcr444", c.ycbcr444).value("ycbcr422", c.ycbcr422)
            .value("nativeDtds", c.nativeDtds);
        j.array("dataBlocks");
        for (const DataBlock &db : c.dataBlocks)
            dataBlock(j, db);
        j.endArray();
        timings(j, c.timings);
        j.endObject();
    }
    if (ext.displayId)
        displayId(j, *ext.displayId);
    j.endObject();
}

void summary(Json &j, const EdidSummary &s)
{
    j.object("summary").array("largestModes");
    for (const ModeSummary &m : s.largestModes) {
        j.object().value("width", m.width).value("height", m.height).value("interlaced", m.interlaced)
            .value("native", m.native).value("text", modeText(m)).array("ratesHz");
        for (double r : m.ratesHz)
            j.value(nullptr, r);
        j.endArray().array("ycbcr420RatesHz");
        for (double r : m.y420RatesHz)
            j.value(nullptr, r);
        j.endArray().endObject();
    }
    j.endArray().array("deepColourBits");
    for (unsigned b : s.deepColourBits)
        j.value(nullptr, b);
    j.endArray().array("deepColour420Bits");
    for (unsigned b : s.deepColour420Bits)
        j.value(nullptr, b);
    j.endArray();
    strings(j, "hdrFormats", s.hdrFormats);
    const auto orNull = [&j](const char *key, double v) { v > 0 ? j.value(key, v) : j.null(key); };
    orNull("maxLuminance", s.maxLuminance);
    orNull("maxFrameAverageLuminance", s.maxFrameAvgLuminance);
    orNull("minLuminance", s.minLuminance);
    j.value("preferredTiming", s.preferredTiming).value("physicalAddress", s.physicalAddress);
    strings(j, "speakers", s.speakers);
    strings(j, "audio", s.audio);
    j.value("hdmi", s.hdmi).value("hdmiForum", s.hdmiForum);
    s.maxTmdsMHz ? j.value("maxTmdsMHz", s.maxTmdsMHz) : j.null("maxTmdsMHz");
    j.value("maxFrlRate", s.maxFrlRate).value("maxFrl", frlText(s.maxFrlRate)).value("allm", s.allm)
        .value("vrrMinHz", s.vrrMinHz).value("vrrMaxHz", s.vrrMaxHz)
        .value("errors", s.errors).value("warnings", s.warnings);
    strings(j, "problems", s.problems);
    j.value("problemsLeftOut", unsigned(s.errors - s.problems.size()));
    j.endObject();
}

} // namespace

std::string edidReportJson(const EdidReport &report)
{
    Json j;
    j.object().raw("size", std::to_string(report.size)).value("conforms", report.conforms());
    summary(j, summarize(report));
    if (report.hasBase)
        base(j, report.base);
    else
        j.null("base");
    j.array("extensions");
    for (const ExtensionBlock &ext : report.extensions)
        extension(j, ext);
    j.endArray().array("problems");
    for (const Problem &p : report.problems)
        j.object()
            .value("severity", p.severity == Severity::Error ? "error" : "warning")
            .value("block", p.block)
            .value("offset", p.offset)
            .value("context", p.context)
            .value("message", p.message)
            .endObject();
    j.endArray().endObject();
    return j.take() + "\n";
}

} // namespace vantrel::edid
