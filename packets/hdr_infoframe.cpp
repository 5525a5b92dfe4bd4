// SPDX-License-Identifier: GPL-3.0-or-later
#include "hdr_infoframe.h"


#include <algorithm>
#include <cstdlib>

namespace vantrel::packets {

namespace {

void warn(HdrInfoframe &f, std::string text)
{
    f.notes.push_back({Severity::Warning, std::move(text)});
}
void fail(HdrInfoframe &f, std::string text)
{
    f.notes.push_back({Severity::Error, std::move(text)});
}

constexpr unsigned kChromaticityMax = 50000; // 1.0 in units of 0.00002
const char *const kValueNames[] = {"primary 0",   "primary 0",   "primary 1", "primary 1", "primary 2", "primary 2",
                                   "white point", "white point", nullptr,     nullptr,     nullptr,     nullptr};

void decodePayload(HdrInfoframe &f)
{
    const std::vector<uint8_t> &p = f.payload;
    if (p.empty())
        return;
    f.eotf = p[0] & 0x07;
    if (p[0] & 0xF8)
        warn(f, format("Data byte 1: reserved bits set (0x%02x)", p[0] & 0xF8));
    if (*f.eotf > 3)
        warn(f, format("EOTF %u is reserved", unsigned(*f.eotf)));
    if (p.size() < 2)
        return;
    f.descriptorId = p[1] & 0x07;
    if (p[1] & 0xF8)
        warn(f, format("Data byte 2: reserved bits set (0x%02x)", p[1] & 0xF8));
    if (*f.descriptorId != 0) {
        warn(f, format("Static metadata descriptor %u is not defined; its bytes are not decoded",
                       unsigned(*f.descriptorId)));
        return;
    }
    if (f.length < kStaticMetadataLength)
        fail(f, format("Length %u: static metadata type 1 needs %u bytes", f.length, kStaticMetadataLength));
    else if (f.length > kStaticMetadataLength)
        warn(f, format("Length %u: static metadata type 1 has %u bytes", f.length, kStaticMetadataLength));

    std::array<std::optional<unsigned>, 12> v;
    for (size_t i = 0; i < v.size(); ++i) {
        const size_t at = 2 + 2 * i;
        if (at + 1 < p.size())
            v[i] = unsigned(p[at] | p[at + 1] << 8);
    }
    for (size_t i = 0; i < 8; ++i)
        if (v[i] && *v[i] > kChromaticityMax)
            warn(f, format("%s %s %.5f is above 1", kValueNames[i], i % 2 ? "y" : "x", *v[i] * 0.00002));
    const auto pair = [&](size_t i) -> std::optional<Chromaticity> {
        if (!v[i] || !v[i + 1])
            return std::nullopt;
        return Chromaticity{uint16_t(*v[i]), uint16_t(*v[i + 1])};
    };
    for (size_t k = 0; k < 3; ++k)
        f.primaries[k] = pair(2 * k);
    f.whitePoint = pair(6);
    f.maxMasteringLuminance = v[8];
    f.minMasteringCode = v[9];
    f.maxCll = v[10];
    f.maxFall = v[11];
    if (v[8] && v[9] && *v[8] && *v[9] >= *v[8] * 10000u)
        warn(f,
             format("Minimum mastering luminance %.4f cd/m2 is not below the maximum %u cd/m2", *v[9] * 0.0001, *v[8]));
    if (v[10] && v[11] && *v[10] && *v[11] > *v[10])
        warn(f, format("MaxFALL %u cd/m2 is above MaxCLL %u cd/m2", *v[11], *v[10]));
}

bool near(const Chromaticity &c, double x, double y)
{
    return std::abs(c.x() - x) < 0.0025 && std::abs(c.y() - y) < 0.0025;
}

} // namespace

HdrInfoframe decodeHdrInfoframe(const uint8_t *data, size_t size)
{
    HdrInfoframe f;
    f.withHeader = true;
    if (!data)
        size = 0;
    if (size < 4) {
        if (size > 0)
            f.type = data[0];
        if (size > 1)
            f.version = data[1];
        if (size > 2)
            f.length = data[2];
        fail(f, format("%u byte%s: the header alone (type, version, length, checksum) has 4", unsigned(size),
                       size == 1 ? "" : "s"));
        return f;
    }
    f.headerComplete = true;
    f.type = data[0];
    f.version = data[1];
    f.length = data[2];
    f.checksum = data[3];
    if (f.type != kHdrInfoframeType)
        fail(f, format("Type 0x%02x is not the Dynamic Range and Mastering InfoFrame (0x87)", f.type));
    if (f.version != 1)
        warn(f, format("Version %u: version 1 is the one defined", unsigned(f.version)));
    const size_t present = std::min<size_t>(f.length, size - 4);
    f.payload.assign(data + 4, data + 4 + present);
    if (present < f.length)
        fail(f, format("Length %u, but only %u payload bytes follow the header", f.length, unsigned(present)));
    const size_t extra = size_t(std::count_if(data + 4 + present, data + size, [](uint8_t b) { return b != 0; }));
    if (extra)
        warn(f, format("%u bytes after the payload are not zero; they are not part of the infoframe", unsigned(extra)));

    unsigned sum = unsigned(data[0]) + data[1] + data[2];
    for (uint8_t b : f.payload)
        sum += b;
    f.checksumExpected = uint8_t(0x100 - (sum & 0xFF));
    f.checksumOk = f.checksum == f.checksumExpected;
    if (!f.checksumOk)
        fail(f, format("Checksum 0x%02x is wrong, should be 0x%02x", f.checksum, f.checksumExpected));
    decodePayload(f);
    return f;
}

HdrInfoframe decodeHdrPayload(const uint8_t *payload, size_t size, unsigned declaredLength)
{
    HdrInfoframe f;
    f.length = declaredLength;
    const size_t present = payload ? std::min<size_t>(size, declaredLength) : 0;
    f.payload.assign(payload, payload + present);
    if (present < declaredLength)
        warn(f, format("Length %u, but only %u payload bytes were captured", declaredLength, unsigned(present)));
    decodePayload(f);
    return f;
}

std::string eotfName(unsigned eotf)
{
    switch (eotf) {
    case 0:
        return "Traditional gamma, SDR luminance range";
    case 1:
        return "Traditional gamma, HDR luminance range";
    case 2:
        return "SMPTE ST 2084";
    case 3:
        return "Hybrid Log-Gamma";
    default:
        return format("reserved (%u)", eotf);
    }
}

std::array<const char *, 3> primaryColours(const HdrInfoframe &f)
{
    std::array<const char *, 3> names{"", "", ""};
    if (!f.primaries[0] || !f.primaries[1] || !f.primaries[2])
        return names;
    int red = 0;
    for (int k = 1; k < 3; ++k)
        if (f.primaries[k]->xCode > f.primaries[red]->xCode)
            red = k;
    const int a = (red + 1) % 3, b = (red + 2) % 3;
    const int green = f.primaries[a]->yCode >= f.primaries[b]->yCode ? a : b;
    names[red] = "red";
    names[green] = "green";
    names[3 - red - green] = "blue";
    return names;
}

std::string gamutName(const HdrInfoframe &f)
{
    const std::array<const char *, 3> colours = primaryColours(f);
    if (!*colours[0])
        return std::string();
    struct Gamut {
        const char *name;
        double r[2], g[2], b[2];
    };
    static const Gamut gamuts[] = {
        {"DCI-P3", {0.680, 0.320}, {0.265, 0.690}, {0.150, 0.060}},
        {"ITU-R BT.2020", {0.708, 0.292}, {0.170, 0.797}, {0.131, 0.046}},
        {"ITU-R BT.709", {0.640, 0.330}, {0.300, 0.600}, {0.150, 0.060}},
    };
    for (const Gamut &g : gamuts) {
        bool all = true;
        for (int k = 0; k < 3; ++k) {
            const std::string colour = colours[size_t(k)];
            const double *want = colour == "red" ? g.r : colour == "green" ? g.g : g.b;
            all = all && near(*f.primaries[size_t(k)], want[0], want[1]);
        }
        if (all)
            return g.name;
    }
    return std::string();
}

std::string whitePointName(const Chromaticity &white)
{
    if (near(white, 0.3127, 0.3290))
        return "D65";
    if (near(white, 0.314, 0.351))
        return "DCI";
    return std::string();
}

namespace {

std::string coordinates(const Chromaticity &c)
{
    return format("x %.4f, y %.4f", c.x(), c.y());
}

std::string light(const std::optional<unsigned> &v)
{
    if (!v)
        return "not given";
    return *v ? format("%u cd/m2", *v) : std::string("unknown (0)");
}

} // namespace

std::string hdrInfoframeSummary(const HdrInfoframe &f)
{
    std::vector<std::string> parts;
    if (f.eotf)
        parts.push_back(eotfName(*f.eotf));
    const std::string gamut = gamutName(f);
    if (!gamut.empty())
        parts.push_back(gamut);
    else if (f.primaries[0] && f.primaries[1] && f.primaries[2])
        parts.push_back("other primaries");
    if (f.whitePoint && !whitePointName(*f.whitePoint).empty())
        parts.push_back(whitePointName(*f.whitePoint));
    if (f.maxMasteringLuminance && f.minMasteringCode) {
        if (*f.maxMasteringLuminance || *f.minMasteringCode)
            parts.push_back(format("mastering %u / %.4f cd/m2", *f.maxMasteringLuminance, *f.minMasteringLuminance()));
        else
            parts.push_back("mastering unknown");
    }
    if (f.maxCll)
        parts.push_back("MaxCLL " + light(f.maxCll));
    if (f.maxFall)
        parts.push_back("MaxFALL " + light(f.maxFall));
    return summaryLine(parts, f.conforms());
}

std::string hdrInfoframeText(const HdrInfoframe &f)
{
    TextReport w;
    w.line(0, "HDR infoframe (Dynamic Range and Mastering):");
    if (f.withHeader) {
        w.line(1, format("Type 0x%02x, version %u, length %u", f.type, unsigned(f.version), f.length));
        if (f.headerComplete)
            w.line(1, f.checksumOk
                          ? format("Checksum: 0x%02x, correct", f.checksum)
                          : format("Checksum: 0x%02x, wrong (0x%02x expected)", f.checksum, f.checksumExpected));
    } else {
        w.line(1, format("Payload of %u byte%s (captured; no header or checksum)", f.length, f.length == 1 ? "" : "s"));
    }
    if (f.eotf)
        w.line(1, format("EOTF: %s", eotfName(*f.eotf).c_str()));
    if (f.descriptorId)
        w.line(1, *f.descriptorId == 0
                      ? std::string("Static metadata: type 1")
                      : format("Static metadata: descriptor %u (not defined)", unsigned(*f.descriptorId)));
    const std::array<const char *, 3> colours = primaryColours(f);
    const std::string gamut = gamutName(f);
    if (f.primaries[0] || f.primaries[1] || f.primaries[2]) {
        w.line(1, gamut.empty() ? std::string("Display primaries:") : "Display primaries: " + gamut);
        for (size_t k = 0; k < 3; ++k)
            if (f.primaries[k])
                w.line(2, *colours[k] ? format("%-6s %s", (std::string(colours[k]) + ":").c_str(),
                                               coordinates(*f.primaries[k]).c_str())
                                      : format("%u:     %s", unsigned(k), coordinates(*f.primaries[k]).c_str()));
        if (*colours[0])
            w.line(2, format("Order in the frame: %s, %s, %s", colours[0], colours[1], colours[2]));
    }
    if (f.whitePoint) {
        const std::string name = whitePointName(*f.whitePoint);
        w.line(1, "White point: " + coordinates(*f.whitePoint) + (name.empty() ? "" : " (" + name + ")"));
    }
    if (f.maxMasteringLuminance)
        w.line(1, "Max mastering luminance: " + light(f.maxMasteringLuminance));
    if (f.minMasteringCode)
        w.line(1, *f.minMasteringCode ? format("Min mastering luminance: %.4f cd/m2", *f.minMasteringLuminance())
                                      : std::string("Min mastering luminance: unknown (0)"));
    if (f.maxCll)
        w.line(1, "MaxCLL: " + light(f.maxCll));
    if (f.maxFall)
        w.line(1, "MaxFALL: " + light(f.maxFall));
    w.findings(f.notes);
    return w.take();
}

std::string hdrInfoframeJson(const HdrInfoframe &f)
{
    using report::latin1;
    using report::number;
    Json j{{"packet", "hdrInfoframe"}, {"withHeader", f.withHeader}, {"type", unsigned(f.type)}, {"length", f.length}};
    if (f.withHeader) {
        j["version"] = unsigned(f.version);
        j["checksum"] = unsigned(f.checksum);
        j["checksumExpected"] = unsigned(f.checksumExpected);
        j["checksumOk"] = f.checksumOk;
    }
    j["payload"] = hex::colonHexText(f.payload);
    if (f.eotf) {
        j["eotf"] = unsigned(*f.eotf);
        j["eotfName"] = latin1(eotfName(*f.eotf));
    } else {
        j["eotf"] = nullptr;
    }
    if (f.descriptorId)
        j["staticMetadataDescriptor"] = unsigned(*f.descriptorId);
    const std::array<const char *, 3> colours = primaryColours(f);
    Json primaries = Json::array();
    for (size_t k = 0; k < 3; ++k) {
        if (!f.primaries[k])
            continue;
        Json p{{"index", unsigned(k)}, {"x", number(f.primaries[k]->x())}, {"y", number(f.primaries[k]->y())}};
        if (*colours[k])
            p["colour"] = latin1(colours[k]);
        primaries.push_back(std::move(p));
    }
    j["primaries"] = std::move(primaries);
    const std::string gamut = gamutName(f);
    if (!gamut.empty())
        j["gamut"] = latin1(gamut);
    if (f.whitePoint) {
        Json w{{"x", number(f.whitePoint->x())}, {"y", number(f.whitePoint->y())}};
        const std::string name = whitePointName(*f.whitePoint);
        if (!name.empty())
            w["name"] = latin1(name);
        j["whitePoint"] = std::move(w);
    }
    j["maxMasteringLuminance"] = report::orNull(f.maxMasteringLuminance);
    j["minMasteringLuminance"] = number(f.minMasteringLuminance());
    j["maxCll"] = report::orNull(f.maxCll);
    j["maxFall"] = report::orNull(f.maxFall);
    addNotes(j, f.notes);
    return report::compactText(j);
}

} // namespace vantrel::packets
