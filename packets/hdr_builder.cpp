// SPDX-License-Identifier: GPL-3.0-or-later
#include "hdr_builder.h"

#include <cctype>

namespace vantrel::packets {

namespace {

constexpr double kChromaUnit = 0.00002;

constexpr Chromaticity xy(double x, double y)
{
    return {uint16_t(x / kChromaUnit + 0.5), uint16_t(y / kChromaUnit + 0.5)};
}

constexpr Chromaticity kD65 = xy(0.3127, 0.3290);
constexpr Chromaticity kDciWhite = xy(0.314, 0.351);
constexpr std::array<Chromaticity, 3> kP3 = {xy(0.265, 0.690), xy(0.150, 0.060), xy(0.680, 0.320)};
constexpr std::array<Chromaticity, 3> kBt2020 = {xy(0.170, 0.797), xy(0.131, 0.046), xy(0.708, 0.292)};
constexpr std::array<Chromaticity, 3> kBt709 = {xy(0.300, 0.600), xy(0.150, 0.060), xy(0.640, 0.330)};

// Any order in, the frame's order out: red has the largest x, green the
// larger y of the other two (the decoder tells them apart the same way).
std::array<Chromaticity, 3> frameOrder(const std::array<Chromaticity, 3> &p)
{
    size_t red = 0;
    for (size_t k = 1; k < 3; ++k)
        if (p[k].xCode > p[red].xCode)
            red = k;
    const size_t a = (red + 1) % 3, b = (red + 2) % 3;
    const size_t green = p[a].yCode >= p[b].yCode ? a : b;
    return {p[green], p[3 - red - green], p[red]};
}

// Numbers separated by commas, semicolons or blanks.
std::vector<std::string> numberWords(const std::string &text)
{
    std::vector<std::string> words(1);
    for (char c : text) {
        if (c == ',' || c == ';' || std::isspace(static_cast<unsigned char>(c))) {
            if (!words.back().empty())
                words.emplace_back();
        } else {
            words.back() += c;
        }
    }
    if (words.back().empty())
        words.pop_back();
    return words;
}

bool readPairs(const std::string &text, const char *field, size_t pairs, Chromaticity *out, std::string &error)
{
    const std::vector<std::string> words = numberWords(text);
    if (words.size() != 2 * pairs) {
        error = format("%s: \"%s\" is not %s", field, text.c_str(),
                       pairs == 1 ? "an x,y pair" : "a preset name or three x,y pairs");
        return false;
    }
    for (size_t i = 0; i < words.size(); ++i) {
        unsigned code = 0;
        if (!readScaled(words[i], field, 0, 1, kChromaUnit, "", code, error))
            return false;
        (i % 2 ? out[i / 2].yCode : out[i / 2].xCode) = uint16_t(code);
    }
    return true;
}

void put16(std::vector<uint8_t> &b, unsigned v)
{
    b.push_back(uint8_t(v & 0xFF));
    b.push_back(uint8_t(v >> 8 & 0xFF));
}

} // namespace

const std::vector<NamedValue> &hdrEotfNames()
{
    static const std::vector<NamedValue> names = {{"sdr", 0}, {"hdr", 1}, {"pq", 2}, {"hlg", 3}};
    return names;
}

const std::vector<HdrPrimariesPreset> &hdrPrimariesPresets()
{
    static const std::vector<HdrPrimariesPreset> presets = {
        {"bt2020", kBt2020, kD65},
        {"p3-d65", kP3, kD65},
        {"bt709", kBt709, kD65},
        {"dci-p3", kP3, kDciWhite},
    };
    return presets;
}

const std::vector<HdrTemplate> &hdrTemplates()
{
    // HDR10 masters are graded on P3-D65 displays inside the BT.2020 signal.
    static const std::vector<HdrTemplate> templates = {
        {"hdr10-1000",
         "PQ, P3-D65 mastering display, 1000 / 0.0001 cd/m2, MaxCLL 1000, MaxFALL 400",
         {2, kP3, kD65, 1000, 1, 1000, 400}},
        {"hdr10-4000",
         "PQ, P3-D65 mastering display, 4000 / 0.005 cd/m2, MaxCLL 4000, MaxFALL 1000",
         {2, kP3, kD65, 4000, 50, 4000, 1000}},
        {"hlg", "HLG, BT.2020, D65; luminances not known", {3, kBt2020, kD65, 0, 0, 0, 0}},
        {"sdr", "traditional gamma, SDR range; metadata not known", {}},
    };
    return templates;
}

std::vector<uint8_t> hdrFrameBytes(const HdrMetadata &m)
{
    std::vector<uint8_t> b = {kHdrInfoframeType, 0x01, uint8_t(kStaticMetadataLength), 0};
    b.push_back(uint8_t(m.eotf & 0x07));
    b.push_back(0x00); // static metadata descriptor: type 1
    for (const Chromaticity &c : m.primaries) {
        put16(b, c.xCode);
        put16(b, c.yCode);
    }
    put16(b, m.whitePoint.xCode);
    put16(b, m.whitePoint.yCode);
    put16(b, m.maxLuminance);
    put16(b, m.minLuminanceCode);
    put16(b, m.maxCll);
    put16(b, m.maxFall);
    unsigned sum = 0;
    for (uint8_t v : b)
        sum += v;
    b[3] = uint8_t(0x100 - (sum & 0xFF));
    return b;
}

HdrBuilt buildHdrInfoframe(const HdrRequest &r)
{
    HdrBuilt out;
    HdrMetadata &m = out.metadata;
    std::string &error = out.error;
    if (!r.templateName.empty()) {
        std::vector<NamedValue> names;
        for (size_t i = 0; i < hdrTemplates().size(); ++i)
            names.push_back({hdrTemplates()[i].name, unsigned(i)});
        unsigned which = 0;
        if (!pickName(names, r.templateName, "template", which, error))
            return out;
        m = hdrTemplates()[which].metadata;
    }
    if (!r.eotf.empty() && !pickName(hdrEotfNames(), r.eotf, "eotf", m.eotf, error))
        return out;
    if (!r.primaries.empty()) {
        std::vector<NamedValue> names;
        for (size_t i = 0; i < hdrPrimariesPresets().size(); ++i)
            names.push_back({hdrPrimariesPresets()[i].name, unsigned(i)});
        unsigned which = 0;
        std::string ignored;
        if (pickName(names, r.primaries, "primaries", which, ignored)) {
            m.primaries = hdrPrimariesPresets()[which].primaries;
            m.whitePoint = hdrPrimariesPresets()[which].whitePoint;
        } else {
            std::array<Chromaticity, 3> given{};
            if (!readPairs(r.primaries, "primaries", 3, given.data(), error)) {
                if (numberWords(r.primaries).size() == 1 && !std::isdigit(static_cast<unsigned char>(r.primaries[0])))
                    error = "primaries: \"" + r.primaries + "\" is not one of " + nameList(names) + " or x,y pairs";
                return out;
            }
            m.primaries = frameOrder(given);
        }
    }
    if (!r.whitePoint.empty()) {
        const std::vector<NamedValue> whites = {{"d65", 0}, {"dci", 1}};
        unsigned which = 0;
        std::string ignored;
        if (pickName(whites, r.whitePoint, "white-point", which, ignored))
            m.whitePoint = which == 0 ? kD65 : kDciWhite;
        else if (!readPairs(r.whitePoint, "white-point", 1, &m.whitePoint, error))
            return out;
    }
    if (!r.maxLuminance.empty() &&
        !readScaled(r.maxLuminance, "max-luminance", 0, 65535, 1, "cd/m2", m.maxLuminance, error))
        return out;
    if (!r.minLuminance.empty() &&
        !readScaled(r.minLuminance, "min-luminance", 0, 6.5535, 0.0001, "cd/m2", m.minLuminanceCode, error))
        return out;
    if (!r.maxCll.empty() && !readScaled(r.maxCll, "max-cll", 0, 65535, 1, "cd/m2", m.maxCll, error))
        return out;
    if (!r.maxFall.empty() && !readScaled(r.maxFall, "max-fall", 0, 65535, 1, "cd/m2", m.maxFall, error))
        return out;
    // A display darker at its darkest than at its brightest, a frame average
    // no brighter than the brightest pixel: the decoder warns of both.
    if (m.maxLuminance && m.minLuminanceCode >= m.maxLuminance * 10000u) {
        error = format("min-luminance: %.4f cd/m2 is not below max-luminance %u cd/m2", m.minLuminanceCode * 0.0001,
                       m.maxLuminance);
        return out;
    }
    if (m.maxCll && m.maxFall > m.maxCll) {
        error = format("max-fall: %u cd/m2 is above max-cll %u cd/m2", m.maxFall, m.maxCll);
        return out;
    }
    out.bytes = hdrFrameBytes(m);
    out.ok = true;
    return out;
}

} // namespace vantrel::packets
