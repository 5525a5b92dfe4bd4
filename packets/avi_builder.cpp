// SPDX-License-Identifier: GPL-3.0-or-later
#include "avi_builder.h"

#include "vic_names.h"

namespace vantrel::packets {

namespace {

constexpr unsigned kExtended = 3 << 4;

std::string wordFor(const std::vector<NamedValue> &names, std::optional<unsigned> value)
{
    if (value)
        for (const NamedValue &n : names)
            if (n.value == *value)
                return n.name;
    return {};
}

} // namespace

const std::vector<NamedValue> &aviColourNames()
{
    static const std::vector<NamedValue> names = {{"rgb", 0}, {"yuv422", 1}, {"yuv444", 2}, {"yuv420", 3}};
    return names;
}

const std::vector<NamedValue> &aviColorimetryNames()
{
    // Two names for the BT.2020 code: it covers R'G'B' and Y'C'bC'r alike.
    static const std::vector<NamedValue> names = {
        {"none", 0},
        {"bt601", 1 << 4},
        {"bt709", 2 << 4},
        {"xvycc601", kExtended | 0},
        {"xvycc709", kExtended | 1},
        {"srgb-ycc", kExtended | 2},
        {"adobe-ycc", kExtended | 3},
        {"adobe-rgb", kExtended | 4},
        {"bt2020-cycc", kExtended | 5},
        {"bt2020-ycc", kExtended | 6},
        {"bt2020-rgb", kExtended | 6},
    };
    return names;
}

const std::vector<NamedValue> &aviRangeNames()
{
    static const std::vector<NamedValue> names = {{"default", 0}, {"limited", 1}, {"full", 2}};
    return names;
}

const std::vector<NamedValue> &aviAspectNames()
{
    static const std::vector<NamedValue> names = {{"none", 0}, {"4:3", 1}, {"16:9", 2}};
    return names;
}

const std::vector<NamedValue> &aviActiveFormatNames()
{
    static const std::vector<NamedValue> names = {
        {"none", 0},  {"box-16:9-top", 2}, {"box-14:9-top", 3}, {"box-wide", 4},      {"same", 8},         {"4:3", 9},
        {"16:9", 10}, {"14:9", 11},        {"4:3-sp-14:9", 13}, {"16:9-sp-14:9", 14}, {"16:9-sp-4:3", 15},
    };
    return names;
}

const std::vector<NamedValue> &aviContentTypeNames()
{
    static const std::vector<NamedValue> names = {{"graphics", 0}, {"photo", 1}, {"cinema", 2}, {"game", 3}};
    return names;
}

Built buildAviInfoframe(const AviRequest &r)
{
    Built out;
    std::string &error = out.error;
    unsigned colour = 0, colorimetry = 0, range = 0, vic = 0, aspect = 0, active = 0, content = 0;
    bool it = false;
    if (!r.colour.empty() && !pickName(aviColourNames(), r.colour, "colour", colour, error))
        return out;
    if (dashedName(r.colorimetry) == "dci-p3") {
        error = "colorimetry: dci-p3 needs data byte 14 (additional colorimetry), which the box's 13-byte AVI "
                "infoframe does not carry";
        return out;
    }
    if (!r.colorimetry.empty() && !pickName(aviColorimetryNames(), r.colorimetry, "colorimetry", colorimetry, error))
        return out;
    if (!r.range.empty() && !pickName(aviRangeNames(), r.range, "range", range, error))
        return out;
    if (!r.vic.empty()) {
        if (!readScaled(r.vic, "vic", 0, 255, 1, "", vic, error))
            return out;
        if (vic && !edid::vicFormat(vic)) {
            error = format("vic: %u is not a video format code CTA-861 defines", vic);
            return out;
        }
    }
    // The VIC's own aspect unless told otherwise; wider formats say none.
    if (const edid::VicFormat *f = vic ? edid::vicFormat(vic) : nullptr)
        aspect = f->aspectH * 3 == f->aspectV * 4 ? 1 : f->aspectH * 9 == f->aspectV * 16 ? 2 : 0;
    if (!r.aspect.empty() && !pickName(aviAspectNames(), r.aspect, "aspect", aspect, error))
        return out;
    if (!r.activeFormat.empty() && !pickName(aviActiveFormatNames(), r.activeFormat, "active-format", active, error))
        return out;
    if (!r.itContent.empty()) {
        unsigned on = 0;
        if (!pickName({{"off", 0}, {"on", 1}}, r.itContent, "it-content", on, error))
            return out;
        it = on;
    }
    if (!r.contentType.empty()) {
        if (!pickName(aviContentTypeNames(), r.contentType, "content-type", content, error))
            return out;
        // A content type counts only with the IT content flag.
        if (!r.itContent.empty() && !it) {
            error = "content-type: needs it-content on";
            return out;
        }
        it = true;
    }
    const bool ycc = colour != 0;
    if (ycc && range == 0)
        range = 1; // YCC has no "default": limited is what a sink assumes
    std::vector<uint8_t> &b = out.bytes;
    b.assign(kAviDataBytes, 0);
    b[0] = uint8_t(colour << 5 | (active ? 0x10 : 0));
    b[1] = uint8_t((colorimetry >> 4) << 6 | aspect << 4 | (active ? active : 8));
    b[2] = uint8_t((it ? 0x80 : 0) | (colorimetry & 7) << 4 | (ycc ? 0 : range << 2));
    b[3] = uint8_t(vic);
    b[4] = uint8_t((ycc ? (range - 1) << 6 : 0) | content << 4);
    out.ok = true;
    return out;
}

AviRequest aviRequestOf(const AviInfoframe &f)
{
    AviRequest r;
    r.colour = wordFor(aviColourNames(), f.colourFormat);
    const bool ycc = f.colourFormat.value_or(0) != 0;
    if (f.colorimetry) {
        const unsigned c = *f.colorimetry << 4 | (*f.colorimetry == 3 ? f.extendedColorimetry.value_or(0) : 0);
        // The BT.2020 code has a name for each colour format.
        r.colorimetry = c == (kExtended | 6) ? (ycc ? "bt2020-ycc" : "bt2020-rgb") : wordFor(aviColorimetryNames(), c);
    }
    if (ycc)
        r.range = wordFor({{"limited", 0}, {"full", 1}}, f.yccQuantization);
    else
        r.range = wordFor(aviRangeNames(), f.rgbQuantization);
    const unsigned vic = f.vic.value_or(0);
    if (vic)
        r.vic = std::to_string(vic);
    // The VIC's own aspect needs no word: a VIC typed later brings its own.
    unsigned own = 0;
    if (const edid::VicFormat *v = vic ? edid::vicFormat(vic) : nullptr)
        own = v->aspectH * 3 == v->aspectV * 4 ? 1 : v->aspectH * 9 == v->aspectV * 16 ? 2 : 0;
    if (f.pictureAspect && *f.pictureAspect != own)
        r.aspect = wordFor(aviAspectNames(), f.pictureAspect);
    if (f.activeFormatPresent.value_or(false))
        r.activeFormat = wordFor(aviActiveFormatNames(), f.activeFormat);
    if (f.itContent.value_or(false)) {
        r.itContent = "on";
        r.contentType = wordFor(aviContentTypeNames(), f.contentType);
    }
    return r;
}

} // namespace vantrel::packets
