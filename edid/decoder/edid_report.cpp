// SPDX-License-Identifier: GPL-3.0-or-later
// Derived values and the display texts both reports use.
#include "edid_report.h"

#include <cmath>
#include <cstdio>

namespace vantrel::edid {

double DetailedTiming::refreshHz() const
{
    const double hTotal = hActive + hBlank;
    const double vTotal = vActive + vBlank + (interlaced ? 0.5 : 0.0);
    if (hTotal == 0 || vTotal == 0)
        return 0;
    return pixelClockKHz * 1000.0 / (hTotal * vTotal);
}

double DetailedTiming::hFreqKHz() const
{
    const unsigned hTotal = hActive + hBlank;
    return hTotal ? double(pixelClockKHz) / hTotal : 0.0;
}

std::optional<unsigned> HdmiVsdb::latencyMs(const std::optional<unsigned> &code)
{
    if (!code || *code == 0 || *code == 255)
        return std::nullopt;
    return (*code - 1) * 2;
}

std::string HdmiVsdb::latencyText(const std::optional<unsigned> &code, bool video)
{
    if (!code)
        return std::string();
    if (*code == 0)
        return "Unknown";
    if (*code == 255)
        return video ? "Video not supported" : "Audio not supported";
    return std::to_string(*latencyMs(code)) + " ms";
}

namespace {

std::string flagList(unsigned bits, const char *const *names, unsigned count)
{
    std::string text;
    for (unsigned i = 0; i < 8; ++i) {
        if (!((bits >> i) & 1))
            continue;
        if (!text.empty())
            text += ", ";
        text += i < count && names[i] ? std::string(names[i]) : "Undefined (" + std::to_string(i) + ")";
    }
    return text;
}

} // namespace

std::vector<std::string> DisplayIdInterfaceFeatures::lines() const
{
    static const char *const bpc444[] = {"6", "8", "10", "12", "14", "16"};
    static const char *const bpc4xx[] = {"8", "10", "12", "14", "16"};
    static const char *const combinations[] = {"sRGB",    "BT.601",  "BT.709/BT.1886",       "Adobe RGB",
                                               "DCI-P3", "BT.2020", "BT.2020/SMPTE ST 2084"};
    static const char *const spaces[] = {"Undefined", "sRGB", "BT.601", "BT.709", "Adobe RGB", "DCI-P3", "BT.2020",
                                         "Custom"};
    static const char *const eotfs[] = {"Undefined", "sRGB",    "BT.601",         "BT.1886",       "Adobe RGB", "DCI-P3",
                                        "BT.2020",   "Gamma function", "SMPTE ST 2084", "Hybrid Log", "Custom"};
    std::vector<std::string> out;
    const auto add = [&out](const char *label, const std::string &list) {
        if (!list.empty())
            out.push_back(std::string(label) + ": " + list);
    };
    add("RGB", flagList(rgbBpc, bpc444, 6));
    add("YCbCr 4:4:4", flagList(ycbcr444Bpc, bpc444, 6));
    add("YCbCr 4:2:2", flagList(ycbcr422Bpc, bpc4xx, 5));
    add("YCbCr 4:2:0", flagList(ycbcr420Bpc, bpc4xx, 5));
    if (min420PixelRateKHz) {
        char text[32];
        std::snprintf(text, sizeof text, "%.3f MHz", min420PixelRateKHz / 1000.0);
        add("YCbCr 4:2:0 from", text);
    }
    // The rates run from bit 7 down.
    unsigned reversed = 0;
    for (unsigned i = 0; i < 8; ++i)
        reversed |= ((audioRates >> i) & 1u) << (7 - i);
    static const char *const rates[] = {"32", "44.1", "48"};
    add("Audio kHz", flagList(reversed, rates, 3));
    add("Colour and EOTF", flagList(colourEotf, combinations, 7));
    std::string extra;
    for (uint8_t c : additional) {
        const unsigned space = c >> 4, eotf = c & 0x0F;
        const std::string s = space < 8 ? spaces[space] : "Out of range", e = eotf < 11 ? eotfs[eotf] : "Out of range";
        extra += (extra.empty() ? "" : ", ") + (s == e ? s : s + "/" + e);
    }
    add("More colour and EOTF", extra);
    return out;
}

std::vector<double> ShortAudio::ratesKHz() const
{
    static const double table[7] = {32, 44.1, 48, 88.2, 96, 176.4, 192};
    std::vector<double> out;
    for (int bit = 6; bit >= 0; --bit)
        if (rates & (1u << bit))
            out.push_back(table[bit]);
    return out;
}

std::vector<unsigned> ShortAudio::sizesBits() const
{
    std::vector<unsigned> out;
    if (sizes & 4) out.push_back(24);
    if (sizes & 2) out.push_back(20);
    if (sizes & 1) out.push_back(16);
    return out;
}

// Luminance codes: 50 * 2^(code/32) cd/m^2 for the maxima; the minimum is a
// fraction of the maximum.
static double maxCodeToLuminance(unsigned code)
{
    return 50.0 * std::pow(2.0, code / 32.0);
}

double HdrStaticMetadata::maxLuminance() const
{
    return maxLuminanceCode ? maxCodeToLuminance(*maxLuminanceCode) : 0.0;
}

double HdrStaticMetadata::maxFrameAvg() const
{
    return maxFrameAvgCode ? maxCodeToLuminance(*maxFrameAvgCode) : 0.0;
}

double HdrStaticMetadata::minLuminance() const
{
    if (!minLuminanceCode || !maxLuminanceCode)
        return 0.0;
    const double ratio = *minLuminanceCode / 255.0;
    return maxLuminance() * ratio * ratio / 100.0;
}

bool EdidReport::conforms() const
{
    for (const Problem &p : problems)
        if (p.severity == Severity::Error)
            return false;
    return true;
}

std::vector<Vic> EdidReport::allVics() const
{
    std::vector<Vic> out;
    for (const DataBlock *db : ctaDataBlocks())
        if (db->kind == BlockKind::Video)
            out.insert(out.end(), db->vics.begin(), db->vics.end());
    return out;
}

std::vector<const DataBlock *> EdidReport::ctaDataBlocks() const
{
    std::vector<const DataBlock *> out;
    for (const ExtensionBlock &ext : extensions) {
        if (ext.cta)
            for (const DataBlock &db : ext.cta->dataBlocks)
                out.push_back(&db);
        if (ext.displayId)
            for (const DisplayIdBlock &b : ext.displayId->blocks)
                for (const DataBlock &db : b.cta)
                    out.push_back(&db);
    }
    return out;
}

std::string audioFormatName(unsigned format, unsigned extendedType)
{
    static const char *const names[15] = {
        "Reserved audio format 0", "Linear PCM", "AC-3", "MPEG 1 (Layers 1 & 2)",
        "MPEG 1 Layer 3 (MP3)", "MPEG2 (multichannel)", "AAC LC", "DTS", "ATRAC", "One Bit Audio",
        "Enhanced AC-3 (DD+)", "DTS-HD", "MAT (MLP)", "DST", "WMA Pro"};
    if (format < 15)
        return names[format];
    switch (extendedType) {
    case 4: return "MPEG-4 HE AAC";
    case 5: return "MPEG-4 HE AAC v2";
    case 6: return "MPEG-4 AAC LC";
    case 7: return "DRA";
    case 8: return "MPEG-4 HE AAC + MPEG Surround";
    case 10: return "MPEG-4 AAC LC + MPEG Surround";
    case 11: return "MPEG-H 3D Audio";
    case 12: return "AC-4";
    case 13: return "L-PCM 3D Audio";
    case 14: return "Auro-Cx";
    case 15: return "MPEG-D USAC";
    default: return "Unknown extended audio type " + std::to_string(extendedType);
    }
}

std::vector<std::string> speakerNames(uint32_t allocation)
{
    static const char *const names[24] = {
        "FL/FR - Front Left/Right", "LFE1 - Low Frequency Effects 1", "FC - Front Center",
        "BL/BR - Back Left/Right", "BC - Back Center", "FLc/FRc - Front Left/Right of Center",
        "RLC/RRC - Rear Left/Right of Center", "FLw/FRw - Front Left/Right Wide",
        "TpFL/TpFR - Top Front Left/Right", "TpC - Top Center", "TpFC - Top Front Center",
        "LS/RS - Left/Right Surround", "LFE2 - Low Frequency Effects 2", "TpBC - Top Back Center",
        "SiL/SiR - Side Left/Right", "TpSiL/TpSiR - Top Side Left/Right",
        "TpBL/TpBR - Top Back Left/Right", "BtFC - Bottom Front Center",
        "BtFL/BtFR - Bottom Front Left/Right", "TpLS/TpRS - Top Left/Right Surround",
        "LSd/RSd - Left/Right Surround Direct", nullptr, nullptr, nullptr};
    std::vector<std::string> out;
    for (unsigned bit = 0; bit < 24; ++bit)
        if (allocation & (1u << bit) && names[bit])
            out.push_back(names[bit]);
    return out;
}

std::vector<std::string> eotfNames(uint8_t eotfs)
{
    static const char *const names[4] = {
        "Traditional gamma - SDR luminance range", "Traditional gamma - HDR luminance range",
        "SMPTE ST 2084", "Hybrid Log-Gamma"};
    std::vector<std::string> out;
    for (unsigned bit = 0; bit < 8; ++bit)
        if (eotfs & (1u << bit))
            out.push_back(bit < 4 ? names[bit] : "Reserved EOTF bit " + std::to_string(bit));
    return out;
}

std::vector<std::string> colorimetryNames(uint16_t bits)
{
    static const char *const names[16] = {
        "xvYCC601", "xvYCC709", "sYCC601", "opYCC601", "opRGB", "BT2020cYCC", "BT2020YCC",
        "BT2020RGB", "MD0", "MD1", "MD2", "MD3", "Default", "sRGB", "ICtCp", "ST2113RGB"};
    std::vector<std::string> out;
    // MD0-MD3 are reserved metadata bits, no colorimetry; a rule reports them.
    for (unsigned bit = 0; bit < 16; ++bit)
        if ((bits & (1u << bit)) && (bit < 8 || bit > 11))
            out.push_back(names[bit]);
    return out;
}

std::string scanBehaviourText(const char *which, unsigned value)
{
    switch (value & 3) {
    case 1: return "Always Overscanned";
    case 2: return "Always Underscanned";
    case 3: return "Supports both over- and underscan";
    default:
        return std::string(which) == "PT" ? "No Data" : std::string(which) + " video formats not supported";
    }
}

std::string frlRateText(unsigned rate)
{
    static const char *const texts[7] = {
        "not supported", "3 Gbps per lane on 3 lanes", "up to 6 Gbps per lane on 3 lanes",
        "up to 6 Gbps per lane on 4 lanes", "up to 8 Gbps per lane on 4 lanes",
        "up to 10 Gbps per lane on 4 lanes", "up to 12 Gbps per lane on 4 lanes"};
    return rate < 7 ? texts[rate] : "reserved (" + std::to_string(rate) + ")";
}

} // namespace vantrel::edid
