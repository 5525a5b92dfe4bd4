// SPDX-License-Identifier: GPL-3.0-or-later
// The readable report: one section per block, then what does not conform.
#include "edid_report.h"
#include "text_report.h"

namespace vantrel::edid {
namespace {

using report::format;

std::string join(const std::vector<std::string> &items, const char *separator)
{
    std::string out;
    for (const std::string &item : items)
        out += (out.empty() ? "" : separator) + item;
    return out;
}

std::string rateText(double kHz)
{
    return kHz == int(kHz) ? format("%d", int(kHz)) : format("%.1f", kHz);
}

using Writer = report::TextReport;

void writeTiming(Writer &w, int indent, unsigned number, const DetailedTiming &t)
{
    std::string size;
    if (t.widthMm || t.heightMm)
        size = format(" (%u mm x %u mm)", t.widthMm, t.heightMm);
    w.line(indent, format("DTD %u: %ux%u%s %.3f Hz, %.3f kHz, pixel clock %.3f MHz%s", number, t.hActive,
                          t.frameHeight(), t.interlaced ? "i" : "", t.refreshHz(), t.hFreqKHz(),
                          t.pixelClockKHz / 1000.0, size.c_str()));
    const char *hPol = t.syncKind >= 2 ? (t.hSyncPositive ? " +" : " -") : "";
    const char *vPol = t.syncKind == 3 ? (t.vSyncPositive ? " +" : " -") : "";
    const int hBack = int(t.hBlank) - int(t.hFront) - int(t.hSync);
    const int vBack = int(t.vBlank) - int(t.vFront) - int(t.vSync);
    w.line(indent + 2, format("H: front %u, sync %u, back %d%s", t.hFront, t.hSync, hBack, hPol));
    w.line(indent + 2, format("V: front %u, sync %u, back %d%s", t.vFront, t.vSync, vBack, vPol));
    if (t.hBorder || t.vBorder)
        w.line(indent + 2, format("Borders: %u horizontal, %u vertical", t.hBorder, t.vBorder));
    if (t.syncKind < 2)
        w.line(indent + 2, "Analog composite sync");
    if (t.stereo > 1)
        w.line(indent + 2, format("Stereo mode %u", t.stereo));
}

std::string legacyText(const LegacyTiming &t)
{
    return format("%ux%u%s %.3f Hz", t.hActive, t.vActive, t.interlaced ? "i" : "", t.refreshHz);
}

std::string interfaceName(unsigned type)
{
    static const char *const names[6] = {"undefined interface", "DVI", "HDMI-a", "HDMI-b", "MDDI", "DisplayPort"};
    return type < 6 ? names[type] : format("reserved interface %u", type);
}

// The name, serial and data string descriptors one block holds.
void writeTexts(Writer &w, const BaseBlock &b, unsigned block)
{
    for (const BaseBlock::Text &t : b.texts) {
        if (t.block != int(block))
            continue;
        const char *label = t.tag == 0xFC ? "Display name" : t.tag == 0xFF ? "Display serial" : "Data string";
        w.line(1, std::string(label) + ": '" + t.text + "'");
    }
}

void writeBase(Writer &w, const BaseBlock &b, unsigned &dtdNumber)
{
    w.line(0, "Block 0, Base block:");
    w.line(1, format("EDID version: %u.%u", b.version, b.revision));
    w.line(1, "Manufacturer: " + b.manufacturer);
    w.line(1, format("Product code: %u (0x%04X)", b.productCode, b.productCode));
    if (b.serialNumber)
        w.line(1, format("Serial number: %u", b.serialNumber));
    if (b.modelYear)
        w.line(1, format("Model year: %u", b.year));
    else if (b.week)
        w.line(1, format("Made in: week %u of %u", b.week, b.year));
    else
        w.line(1, format("Made in: %u", b.year));
    if (b.digital) {
        std::string text = "Digital display";
        if (b.revision >= 4) {
            if (b.bitsPerColor)
                text += format(", %u bits per colour", b.bitsPerColor);
            text += ", " + interfaceName(b.interfaceType);
        }
        w.line(1, text);
    } else {
        w.line(1, "Analog display");
    }
    if (b.widthCm && b.heightCm)
        w.line(1, format("Image size: %u cm x %u cm", b.widthCm, b.heightCm));
    if (b.gammaHundredths)
        w.line(1, format("Gamma: %.2f", b.gammaHundredths / 100.0));
    std::vector<std::string> features;
    if (b.features & 0x80) features.push_back("standby");
    if (b.features & 0x40) features.push_back("suspend");
    if (b.features & 0x20) features.push_back("active off");
    if (b.features & 0x04) features.push_back("sRGB default");
    if (b.features & 0x02) features.push_back("first DTD preferred");
    if (b.features & 0x01) features.push_back("continuous frequencies");
    if (!features.empty())
        w.line(1, "Features: " + join(features, ", "));
    const double(*c)[2] = b.chromaticity;
    w.line(1, format("Chromaticity: red %.4f, %.4f; green %.4f, %.4f; blue %.4f, %.4f; white %.4f, %.4f", c[0][0],
                     c[0][1], c[1][0], c[1][1], c[2][0], c[2][1], c[3][0], c[3][1]));
    if (!b.establishedTimings.empty()) {
        w.line(1, "Established timings:");
        for (const LegacyTiming &t : b.establishedTimings)
            w.line(2, legacyText(t));
    }
    if (!b.standardTimings.empty()) {
        w.line(1, "Standard timings:");
        for (const LegacyTiming &t : b.standardTimings)
            w.line(2, legacyText(t));
    }
    writeTexts(w, b, 0);
    if (b.rangeLimits) {
        const RangeLimits &r = *b.rangeLimits;
        static const char *const kinds[5] = {"default GTF", "range limits only", "secondary GTF", "", "CVT"};
        const char *kind = r.timingSupport < 5 && r.timingSupport != 3 ? kinds[r.timingSupport] : "reserved";
        w.line(1, format("Range limits: %u-%u Hz V, %u-%u kHz H, max pixel clock %u MHz (%s)", r.minVHz,
                         r.maxVHz, r.minHKHz, r.maxHKHz, r.maxPixelClockMHz, kind));
    }
    if (!b.timings.empty()) {
        w.line(1, "Detailed timings:");
        for (const DetailedTiming &t : b.timings)
            writeTiming(w, 2, dtdNumber++, t);
    }
    w.line(1, format("Extension blocks: %u", b.extensionCount));
    w.line(1, format("Checksum: 0x%02X%s", b.checksum, b.checksumOk ? "" : " (wrong)"));
}

std::string vicText(const Vic &v)
{
    std::string text = format("VIC %3u", v.vic);
    if (!v.name.empty())
        text += " " + v.name;
    if (v.native)
        text += " (native)";
    if (v.ycbcr420Also)
        text += " (also YCbCr 4:2:0)";
    return text;
}

void writeAudio(Writer &w, const ShortAudio &a)
{
    std::vector<std::string> rates;
    for (double r : a.ratesKHz())
        rates.push_back(rateText(r));
    std::string text = a.name + ":";
    if (a.channels)
        text += format(" %u channels,", a.channels);
    text += " " + join(rates, " ") + " kHz";
    if (a.format == 1) {
        std::vector<std::string> sizes;
        for (unsigned s : a.sizesBits())
            sizes.push_back(std::to_string(s));
        text += ", " + join(sizes, " ") + " bits";
    }
    if (a.maxBitrateKbps)
        text += format(", max %u kb/s", a.maxBitrateKbps);
    if (a.atmos)
        text += ", Dolby Atmos";
    w.line(2, text);
}

void writeHdmi(Writer &w, const HdmiVsdb &h)
{
    w.line(2, format("Physical address: %x.%x.%x.%x", h.physA, h.physB, h.physC, h.physD));
    std::vector<std::string> flags;
    if (h.supportsAI) flags.push_back("Supports_AI");
    if (h.dc48) flags.push_back("DC_48bit");
    if (h.dc36) flags.push_back("DC_36bit");
    if (h.dc30) flags.push_back("DC_30bit");
    if (h.dcY444) flags.push_back("DC_Y444");
    if (h.dviDual) flags.push_back("DVI_Dual");
    if (!flags.empty())
        w.line(2, join(flags, ", "));
    if (h.maxTmdsMHz)
        w.line(2, format("Maximum TMDS clock: %u MHz", h.maxTmdsMHz));
    std::vector<std::string> content;
    if (h.contentGraphics) content.push_back("graphics");
    if (h.contentPhoto) content.push_back("photo");
    if (h.contentCinema) content.push_back("cinema");
    if (h.contentGame) content.push_back("game");
    if (!content.empty())
        w.line(2, "Content types: " + join(content, ", "));
    if (h.videoLatency && h.audioLatency)
        w.line(2, "Latency: video " + HdmiVsdb::latencyText(h.videoLatency, true) + ", audio " +
                      HdmiVsdb::latencyText(h.audioLatency, false));
    if (h.interlacedVideoLatency && h.interlacedAudioLatency)
        w.line(2, "Interlaced latency: video " + HdmiVsdb::latencyText(h.interlacedVideoLatency, true) +
                      ", audio " + HdmiVsdb::latencyText(h.interlacedAudioLatency, false));
    if (h.present3d)
        w.line(2, "3D formats supported");
    static const char *const hdmiVicNames[5] = {"", "3840x2160p30", "3840x2160p25", "3840x2160p24", "4096x2160p24"};
    for (unsigned v : h.hdmiVics)
        w.line(2, format("HDMI VIC %u%s%s", v, v >= 1 && v <= 4 ? " " : "", v >= 1 && v <= 4 ? hdmiVicNames[v] : ""));
}

void writeHdmiForum(Writer &w, const HdmiForumVsdb &h)
{
    w.line(2, format("Version: %u", h.version));
    if (h.maxTmdsCharRateMHz)
        w.line(2, format("Maximum TMDS character rate: %u MHz", h.maxTmdsCharRateMHz));
    else
        w.line(2, "Maximum TMDS character rate: at most 340 MHz");
    std::vector<std::string> flags;
    if (h.scdcPresent) flags.push_back("SCDC present");
    if (h.rrCapable) flags.push_back("SCDC read requests");
    if (h.lte340Scramble) flags.push_back("scrambling at 340 MHz and below");
    if (h.independentView) flags.push_back("3D independent view");
    if (h.dualView) flags.push_back("3D dual view");
    if (h.osdDisparity) flags.push_back("3D OSD disparity");
    if (h.dc48_420) flags.push_back("DC_48bit_420");
    if (h.dc36_420) flags.push_back("DC_36bit_420");
    if (h.dc30_420) flags.push_back("DC_30bit_420");
    if (!flags.empty())
        w.line(2, join(flags, ", "));
    w.line(2, "Maximum FRL rate: " + frlRateText(h.maxFrlRate));
    std::vector<std::string> gaming;
    if (h.allm) gaming.push_back("ALLM");
    if (h.qms) gaming.push_back("QMS");
    if (h.fva) gaming.push_back("FVA");
    if (h.mDelta) gaming.push_back("M_delta");
    if (h.cinemaVrr) gaming.push_back("CinemaVRR");
    if (h.cnmVrr) gaming.push_back("CNMVRR");
    if (!gaming.empty())
        w.line(2, join(gaming, ", "));
    if (h.vrrMinHz || h.vrrMaxHz)
        w.line(2, format("VRR: %u-%u Hz", h.vrrMinHz, h.vrrMaxHz));
    if (h.dsc) {
        std::string text = format("DSC 1.2a: up to %u slices, FRL %s, %u KiB chunks", h.dscMaxSlices,
                                  frlText(h.dscMaxFrlRate).c_str(), h.dscTotalChunkKBytes);
        if (h.dsc10bpc) text += ", 10 bpc";
        if (h.dsc12bpc) text += ", 12 bpc";
        if (h.dscAllBpp) text += ", all bpp";
        if (h.dscNative420) text += ", native 4:2:0";
        w.line(2, text);
    }
}

void writeVendorPayload(Writer &w, const DataBlock &db)
{
    if (db.dolbyVision) {
        const DolbyVision &d = *db.dolbyVision;
        w.line(2, format("Dolby Vision version %u, DM version %u", d.version, d.dmVersion));
        if (d.version == 2)
            w.line(2, format("Interface %u%s", d.interfaceType, d.interfaceType >= 2 ? " (standard and low latency)" : " (low latency)"));
        else if (d.lowLatency)
            w.line(2, "Low-latency interface");
        if (d.maxLuminance > 0)
            w.line(2, format("Luminance: %.4f to %.0f cd/m^2", d.minLuminance, d.maxLuminance));
    }
    if (db.hdr10Plus)
        w.line(2, format("HDR10+ application version %u", db.hdr10Plus->applicationVersion));
    if (db.dolbyAudio) {
        const DolbyAudio &d = *db.dolbyAudio;
        std::vector<std::string> zones;
        if (d.heightZone) zones.push_back("height");
        if (d.surroundZone) zones.push_back("surround");
        if (d.centreZone) zones.push_back("centre");
        w.line(2, format("Dolby audio version %u%s", d.version, d.headphoneOnly ? ", headphones only" : ""));
        if (!zones.empty())
            w.line(2, "Speaker zones: " + join(zones, ", "));
        if (d.matPcm48Only)
            w.line(2, "MAT: PCM at 48 kHz only, no TrueHD");
    }
}

void writeHdr(Writer &w, const HdrStaticMetadata &h)
{
    w.line(2, "Transfer functions: " + (h.eotfs ? join(eotfNames(h.eotfs), ", ") : std::string("none")));
    w.line(2, format("Static metadata type 1: %s", h.descriptors & 1 ? "yes" : "no"));
    if (h.maxLuminanceCode)
        w.line(2, format("Desired content max luminance: %u (%.3f cd/m^2)", *h.maxLuminanceCode, h.maxLuminance()));
    if (h.maxFrameAvgCode)
        w.line(2, format("Desired content max frame-average luminance: %u (%.3f cd/m^2)", *h.maxFrameAvgCode,
                         h.maxFrameAvg()));
    if (h.minLuminanceCode)
        w.line(2, format("Desired content min luminance: %u (%.3f cd/m^2)", *h.minLuminanceCode, h.minLuminance()));
}

void writeDataBlock(Writer &w, const DataBlock &db)
{
    w.line(1, db.name + ":");
    switch (db.kind) {
    case BlockKind::Video:
    case BlockKind::Y420Video:
        for (const Vic &v : db.vics)
            w.line(2, vicText(v));
        break;
    case BlockKind::Audio:
        for (const ShortAudio &a : db.audio)
            writeAudio(w, a);
        break;
    case BlockKind::Speaker:
        for (const std::string &name : speakerNames(db.speakers))
            w.line(2, name);
        break;
    case BlockKind::Vendor:
        if (db.hdmi)
            writeHdmi(w, *db.hdmi);
        if (db.hdmiForum)
            writeHdmiForum(w, *db.hdmiForum);
        break;
    case BlockKind::Scdb:
        if (db.hdmiForum)
            writeHdmiForum(w, *db.hdmiForum);
        break;
    case BlockKind::HdrStatic:
        if (db.hdr)
            writeHdr(w, *db.hdr);
        break;
    case BlockKind::Colorimetry:
        for (const std::string &name : colorimetryNames(db.colorimetry))
            w.line(2, name);
        break;
    case BlockKind::VideoCapability:
        if (db.videoCapability) {
            const VideoCapability &v = *db.videoCapability;
            w.line(2, std::string("YCbCr quantization: ") + (v.qy ? "selectable" : "no data"));
            w.line(2, std::string("RGB quantization: ") + (v.qs ? "selectable" : "no data"));
            w.line(2, "PT scan behaviour: " + scanBehaviourText("PT", v.pt));
            w.line(2, "IT scan behaviour: " + scanBehaviourText("IT", v.it));
            w.line(2, "CE scan behaviour: " + scanBehaviourText("CE", v.ce));
        }
        break;
    case BlockKind::Y420CapabilityMap:
        if (db.y420AllVics)
            w.line(2, "All video codes also support YCbCr 4:2:0");
        for (unsigned vic : db.y420MapVics)
            w.line(2, format("VIC %3u", vic));
        break;
    case BlockKind::Eeodb:
        w.line(2, format("Extension block count: %u", db.eeodbCount));
        break;
    case BlockKind::VendorVideo:
    case BlockKind::VendorAudio:
        if (db.dolbyVision || db.hdr10Plus || db.dolbyAudio)
            writeVendorPayload(w, db);
        else
            w.line(2, format("%u bytes, not decoded", db.length));
        break;
    default:
        w.line(2, format("%u bytes, not decoded", db.length));
        break;
    }
}

std::string displayIdTimingText(const DisplayIdTiming &t)
{
    std::string text = format("Type %u%s%s: ", t.type, t.code.empty() ? "" : ", ", t.code.c_str());
    if (t.width)
        text += format("%ux%u%s %.3f Hz", t.width, t.height, t.interlaced ? "i" : "", t.refreshHz);
    if (t.detail)
        text += format(", %.3f kHz, pixel clock %.3f MHz", t.detail->hFreqKHz(), t.detail->pixelClockKHz / 1000.0);
    static const char *const formulas[3] = {"CVT", "CVT-RB", "CVT-RB2"};
    if ((t.type == 3 || t.type == 9 || t.type == 10) && t.formula < 3)
        text += std::string(" (") + formulas[t.formula] + ")";
    if (t.preferred)
        text += " (preferred)";
    return text;
}

void writeDisplayIdBlock(Writer &w, const DisplayIdBlock &b)
{
    w.line(1, b.name + ":");
    if (b.product) {
        const DisplayIdProduct &p = *b.product;
        w.line(2, format("Vendor %s, product %u, serial %u", p.vendor.c_str(), p.productCode, unsigned(p.serialNumber)));
        if (p.week == 0xFF)
            w.line(2, format("Model year: %u", p.year));
        else
            w.line(2, format("Made in: week %u of %u", p.week, p.year));
        if (!p.name.empty())
            w.line(2, "Name: '" + p.name + "'");
    }
    if (b.nativeWidth || b.imageWidthMm > 0)
        w.line(2, format("Image size %.1f mm x %.1f mm, %ux%u pixels", b.imageWidthMm, b.imageHeightMm, b.nativeWidth,
                         b.nativeHeight));
    for (size_t i = 0; i < b.primaries.size(); ++i)
        w.line(2, format("Primary %zu: %.4f, %.4f", i + 1, b.primaries[i].first, b.primaries[i].second));
    for (size_t i = 0; i < b.whitePoints.size(); ++i)
        w.line(2, format("White point %zu: %.4f, %.4f", i + 1, b.whitePoints[i].first, b.whitePoints[i].second));
    if (!b.interfaceText.empty())
        w.line(2, "Interface: " + b.interfaceText);
    if (b.tilesH)
        w.line(2, format("Tile %u,%u of %ux%u, %ux%u pixels", b.tileX, b.tileY, b.tilesH, b.tilesV, b.tileWidth,
                         b.tileHeight));
    if (b.features)
        for (const std::string &line : b.features->lines())
            w.line(2, line);
    for (const DisplayIdTiming &t : b.timings)
        w.line(2, displayIdTimingText(t));
    for (const DataBlock &db : b.cta) {
        Writer inner;
        writeDataBlock(inner, db);
        std::string text = inner.take();
        for (size_t start = 0; start < text.size();) {
            const size_t end = text.find('\n', start);
            w.line(1, text.substr(start, end - start));
            start = end + 1;
        }
    }
    const bool shown = b.product || b.nativeWidth || b.imageWidthMm > 0 || !b.primaries.empty() ||
                       !b.interfaceText.empty() || b.tilesH || !b.timings.empty() || !b.cta.empty() ||
                       b.features;
    if (!shown)
        w.line(2, format("%u bytes, not decoded", b.length));
}

void writeExtension(Writer &w, const BaseBlock &base, const ExtensionBlock &ext, unsigned &dtdNumber)
{
    w.line(0, format("Block %u, %s:", ext.index, ext.name.c_str()));
    if (ext.cta) {
        const CtaExtension &c = *ext.cta;
        w.line(1, format("Revision: %u", c.revision));
        if (c.revision >= 2) {
            if (c.underscan) w.line(1, "Underscans IT video formats by default");
            if (c.basicAudio) w.line(1, "Basic audio support");
            if (c.ycbcr444) w.line(1, "Supports YCbCr 4:4:4");
            if (c.ycbcr422) w.line(1, "Supports YCbCr 4:2:2");
            w.line(1, format("Native detailed timings: %u", c.nativeDtds));
        }
        for (const DataBlock &db : c.dataBlocks)
            writeDataBlock(w, db);
        if (!c.timings.empty()) {
            w.line(1, "Detailed timings:");
            for (const DetailedTiming &t : c.timings)
                writeTiming(w, 2, dtdNumber++, t);
        }
        writeTexts(w, base, ext.index);
    }
    if (ext.displayId) {
        const DisplayIdSection &d = *ext.displayId;
        w.line(1, "DisplayID version: " + d.versionText());
        if (d.baseSection)
            w.line(1, format("Product type: %u, extension sections: %u", d.productType, d.extensionCount));
        for (const DisplayIdBlock &b : d.blocks)
            writeDisplayIdBlock(w, b);
        w.line(1, format("Section checksum: 0x%02X%s", d.checksum, d.checksumOk ? "" : " (wrong)"));
    }
    w.line(1, format("Checksum: 0x%02X%s", ext.checksum, ext.checksumOk ? "" : " (wrong)"));
}

std::string bitsText(const std::vector<unsigned> &bits)
{
    std::vector<std::string> items;
    for (unsigned b : bits)
        items.push_back(std::to_string(b));
    return join(items, ", ") + " bit";
}

void writeSummary(Writer &w, const EdidReport &report)
{
    const EdidSummary s = summarize(report);
    w.line(0, "Summary:");
    if (report.hasBase) {
        std::string who = report.base.manufacturer;
        for (const std::string &name : report.base.displayNames)
            who += " " + name;
        w.line(1, "Display: " + who);
    }
    if (!s.preferredTiming.empty())
        w.line(1, "Preferred timing: " + s.preferredTiming);
    for (const ModeSummary &m : s.largestModes)
        w.line(1, "Mode: " + modeText(m));
    if (!s.deepColourBits.empty() || !s.deepColour420Bits.empty()) {
        std::string text = "Deep colour:";
        if (!s.deepColourBits.empty())
            text += " " + bitsText(s.deepColourBits) + " RGB/4:4:4" + (s.deepColour420Bits.empty() ? "" : ";");
        if (!s.deepColour420Bits.empty())
            text += " " + bitsText(s.deepColour420Bits) + " 4:2:0";
        w.line(1, text);
    }
    if (!s.hdrFormats.empty()) {
        std::string text = "HDR: " + join(s.hdrFormats, ", ");
        if (s.maxLuminance > 0)
            text += format("; luminance max %.0f, frame average %.0f, min %.3f cd/m^2", s.maxLuminance,
                           s.maxFrameAvgLuminance, s.minLuminance);
        w.line(1, text);
    } else {
        w.line(1, "HDR: none");
    }
    w.line(1, "Audio: " + (s.audio.empty() ? std::string("none listed") : join(s.audio, "; ")));
    if (!s.speakers.empty())
        w.line(1, "Speakers: " + join(s.speakers, " "));
    if (!s.physicalAddress.empty())
        w.line(1, "Physical address: " + s.physicalAddress);
    if (s.hdmi || s.hdmiForum) {
        w.line(1, s.maxTmdsMHz ? format("Max TMDS clock: %u MHz", s.maxTmdsMHz) : std::string("Max TMDS clock: not given"));
        w.line(1, "Max FRL rate: " + frlText(s.maxFrlRate));
        if (s.allm || s.vrrMaxHz)
            w.line(1, format("Gaming: %s%s", s.allm ? "ALLM" : "",
                             s.vrrMaxHz ? format("%sVRR %u-%u Hz", s.allm ? ", " : "", s.vrrMinHz, s.vrrMaxHz).c_str() : ""));
    } else {
        w.line(1, "HDMI: no HDMI vendor block (DVI or other)");
    }
    w.line(1, format("Problems: %u error%s, %u warning%s", s.errors, s.errors == 1 ? "" : "s", s.warnings,
                     s.warnings == 1 ? "" : "s"));
    for (const std::string &p : s.problems)
        w.line(2, p);
    if (s.errors > s.problems.size())
        w.line(2, format("... and %u more below", unsigned(s.errors - s.problems.size())));
}

} // namespace

std::string edidReportText(const EdidReport &report)
{
    Writer w;
    unsigned dtdNumber = 1;
    w.line(0, format("EDID: %zu bytes", report.size));
    writeSummary(w, report);
    if (report.hasBase)
        writeBase(w, report.base, dtdNumber);
    for (const ExtensionBlock &ext : report.extensions)
        writeExtension(w, report.base, ext, dtdNumber);

    w.findings(report.problems);
    return w.take();
}

} // namespace vantrel::edid
