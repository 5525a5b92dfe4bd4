// SPDX-License-Identifier: GPL-3.0-or-later
#include "avi_infoframe.h"

#include "vic_names.h"

namespace vantrel::packets {

namespace {

std::string pick(unsigned v, std::initializer_list<const char *> names)
{
    if (v < names.size())
        return names.begin()[v];
    return format("reserved (%u)", v);
}

void warn(AviInfoframe &f, std::string text)
{
    f.notes.push_back({Severity::Warning, std::move(text)});
}

} // namespace

std::string colourFormatName(unsigned y)
{
    if (y == 7)
        return "defined by the interface's owner (7)";
    return pick(y, {"RGB", "YCbCr 4:2:2", "YCbCr 4:4:4", "YCbCr 4:2:0"});
}

std::string colorimetryName(unsigned c)
{
    return pick(c, {"no data", "SMPTE 170M", "ITU-R BT.709", "extended"});
}

std::string extendedColorimetryName(unsigned ec)
{
    // The status line's words for the same field.
    return pick(ec, {"xvYCC601", "xvYCC709", "sYCC601", "AdobeYCC601", "AdobeRGB", "ITU-R BT.2020 YcCbcCrc",
                     "ITU-R BT.2020", "additional colorimetry extension"});
}

std::string pictureAspectName(unsigned m)
{
    return pick(m, {"no data", "4:3", "16:9"});
}

std::string activeFormatName(unsigned r)
{
    switch (r) {
    case 2:
        return "box 16:9 (top)";
    case 3:
        return "box 14:9 (top)";
    case 4:
        return "box wider than 16:9 (centre)";
    case 8:
        return "same as the picture";
    case 9:
        return "4:3 (centre)";
    case 10:
        return "16:9 (centre)";
    case 11:
        return "14:9 (centre)";
    case 13:
        return "4:3 (shoot and protect 14:9 centre)";
    case 14:
        return "16:9 (shoot and protect 14:9 centre)";
    case 15:
        return "16:9 (shoot and protect 4:3 centre)";
    default:
        return format("reserved (%u)", r);
    }
}

std::string scanInfoName(unsigned s)
{
    return pick(s, {"no data", "overscanned", "underscanned"});
}
std::string rgbQuantizationName(unsigned q)
{
    return pick(q, {"default", "limited", "full"});
}
std::string yccQuantizationName(unsigned yq)
{
    return pick(yq, {"limited", "full"});
}
std::string contentTypeName(unsigned cn)
{
    return pick(cn, {"graphics", "photo", "cinema", "game"});
}

std::string scalingName(unsigned sc)
{
    return pick(sc, {"none known", "horizontal", "vertical", "horizontal and vertical"});
}

std::string barInfoName(unsigned b)
{
    return pick(b, {"none", "left and right bars", "top and bottom bars", "all four bars"});
}

std::string pixelRepetitionName(unsigned pr)
{
    if (pr == 0)
        return "none";
    return pr <= 9 ? format("each pixel sent %u times", pr + 1) : format("reserved (%u)", pr);
}

std::string aviVicName(unsigned vic)
{
    return edid::vicName(vic);
}

AviInfoframe decodeAviInfoframe(const uint8_t *data, size_t size)
{
    AviInfoframe f;
    if (data)
        f.bytes.assign(data, data + size);
    const std::vector<uint8_t> &b = f.bytes;
    const size_t n = b.size();
    if (n < 5)
        warn(f, format("%u data byte%s: the fields of data bytes %u to 5 are missing", unsigned(n), n == 1 ? "" : "s",
                       unsigned(n + 1)));
    // The box sends 2 to 13: a longer frame cannot be sent as it stands.
    if (n > kAviDataBytes)
        f.notes.push_back({Severity::Error, format("%u data bytes: those after byte 13 are not part of a version 2 AVI "
                                                   "infoframe, and the box sends 13 at most",
                                                   unsigned(n))});
    if (n >= 1) {
        f.colourFormat = unsigned(b[0] >> 5);
        f.activeFormatPresent = (b[0] & 0x10) != 0;
        f.barInfo = unsigned(b[0] >> 2 & 3);
        f.scanInfo = unsigned(b[0] & 3);
        if (*f.colourFormat >= 4 && *f.colourFormat <= 6)
            warn(f, format("Colour format %u is reserved", *f.colourFormat));
        if (*f.scanInfo == 3)
            warn(f, "Scan information 3 is reserved");
    }
    if (n >= 2) {
        f.colorimetry = unsigned(b[1] >> 6);
        f.pictureAspect = unsigned(b[1] >> 4 & 3);
        f.activeFormat = unsigned(b[1] & 0x0F);
        if (*f.pictureAspect == 3)
            warn(f, "Picture aspect 3 is reserved");
        if (*f.activeFormatPresent && activeFormatName(*f.activeFormat).rfind("reserved", 0) == 0)
            warn(f, format("Active format %u is reserved", *f.activeFormat));
    }
    if (n >= 3) {
        f.itContent = (b[2] & 0x80) != 0;
        f.extendedColorimetry = unsigned(b[2] >> 4 & 7);
        f.rgbQuantization = unsigned(b[2] >> 2 & 3);
        f.scaling = unsigned(b[2] & 3);
        if (*f.rgbQuantization == 3)
            warn(f, "RGB quantization range 3 is reserved");
    }
    if (n >= 4) {
        f.vic = b[3];
        if (*f.vic && !edid::vicFormat(*f.vic))
            warn(f, format("VIC %u is not defined", *f.vic));
    }
    if (n >= 5) {
        f.yccQuantization = unsigned(b[4] >> 6);
        f.contentType = unsigned(b[4] >> 4 & 3);
        f.pixelRepetition = unsigned(b[4] & 0x0F);
        if (*f.yccQuantization >= 2)
            warn(f, format("YCC quantization range %u is reserved", *f.yccQuantization));
        if (*f.pixelRepetition > 9)
            warn(f, format("Pixel repetition %u is reserved", *f.pixelRepetition));
        if (*f.contentType && f.itContent && !*f.itContent)
            warn(f, "Content type given without the IT content flag; it does not count");
    }
    const auto word = [&](size_t i) -> std::optional<unsigned> {
        return i + 1 < n ? std::optional<unsigned>(unsigned(b[i] | b[i + 1] << 8)) : std::nullopt;
    };
    f.topBarEnd = word(5);
    f.bottomBarStart = word(7);
    f.leftBarEnd = word(9);
    f.rightBarStart = word(11);
    if (f.barInfo && (*f.barInfo & 2) && !(f.topBarEnd && f.bottomBarStart))
        f.notes.push_back({Severity::Error, "Top and bottom bars announced, but data bytes 6 to 9 are missing"});
    if (f.barInfo && (*f.barInfo & 1) && !(f.leftBarEnd && f.rightBarStart))
        f.notes.push_back({Severity::Error, "Left and right bars announced, but data bytes 10 to 13 are missing"});
    return f;
}

namespace {

std::string vicText(unsigned vic)
{
    if (vic == 0)
        return "0 (none)";
    const std::string name = aviVicName(vic);
    return name.empty() ? format("%u", vic) : format("%u (%s)", vic, name.c_str());
}

std::string colorimetryText(const AviInfoframe &f)
{
    std::string text = colorimetryName(*f.colorimetry);
    if (*f.colorimetry == 3 && f.extendedColorimetry)
        text += ": " + extendedColorimetryName(*f.extendedColorimetry);
    return text;
}

} // namespace

std::string aviInfoframeSummary(const AviInfoframe &f)
{
    std::vector<std::string> parts;
    if (f.colourFormat)
        parts.push_back(colourFormatName(*f.colourFormat));
    if (f.colorimetry && *f.colorimetry)
        parts.push_back(*f.colorimetry == 3 && f.extendedColorimetry ? extendedColorimetryName(*f.extendedColorimetry)
                                                                     : colorimetryName(*f.colorimetry));
    if (f.vic && *f.vic) {
        const std::string name = aviVicName(*f.vic);
        parts.push_back(name.empty() ? format("VIC %u", *f.vic) : format("%s (VIC %u)", name.c_str(), *f.vic));
    }
    return summaryLine(parts, f.conforms());
}

std::string aviInfoframeText(const AviInfoframe &f)
{
    TextReport w;
    w.line(0, format("AVI infoframe (%u data byte%s):", unsigned(f.bytes.size()), f.bytes.size() == 1 ? "" : "s"));
    if (f.colourFormat) {
        w.line(1, "Colour format: " + colourFormatName(*f.colourFormat));
        w.line(1, "Scan information: " + scanInfoName(*f.scanInfo));
        w.line(1, "Bar information: " + barInfoName(*f.barInfo));
    }
    if (f.colorimetry) {
        w.line(1, "Colorimetry: " + colorimetryText(f));
        w.line(1, "Picture aspect: " + pictureAspectName(*f.pictureAspect));
        w.line(1, *f.activeFormatPresent ? "Active format: " + activeFormatName(*f.activeFormat)
                                         : std::string("Active format: not given"));
    }
    if (f.itContent) {
        if (*f.colorimetry != 3)
            w.line(1, "Extended colorimetry: " + extendedColorimetryName(*f.extendedColorimetry) +
                          " (not in use: colorimetry is not extended)");
        w.line(1, "RGB quantization: " + rgbQuantizationName(*f.rgbQuantization));
        w.line(1, "Non-uniform scaling: " + scalingName(*f.scaling));
    }
    if (f.vic)
        w.line(1, "VIC: " + vicText(*f.vic));
    if (f.yccQuantization) {
        w.line(1, "YCC quantization: " + yccQuantizationName(*f.yccQuantization));
        w.line(1, std::string("IT content: ") + (*f.itContent ? "yes, " + contentTypeName(*f.contentType) : "no"));
        w.line(1, "Pixel repetition: " + pixelRepetitionName(*f.pixelRepetition));
    } else if (f.itContent) {
        w.line(1, std::string("IT content: ") + (*f.itContent ? "yes" : "no"));
    }
    if (f.topBarEnd && f.bottomBarStart && (*f.barInfo & 2))
        w.line(1, format("Top bar ends at line %u, bottom bar starts at line %u", *f.topBarEnd, *f.bottomBarStart));
    if (f.leftBarEnd && f.rightBarStart && (*f.barInfo & 1))
        w.line(1, format("Left bar ends at pixel %u, right bar starts at pixel %u", *f.leftBarEnd, *f.rightBarStart));
    w.findings(f.notes);
    return w.take();
}

std::string aviInfoframeJson(const AviInfoframe &f)
{
    Json j{{"packet", "aviInfoframe"}, {"dataBytes", hex::colonHexText(f.bytes)}};
    const auto field = [&](const char *key, const std::optional<unsigned> &v, std::string (*name)(unsigned)) {
        j[key] = v ? Json{{"value", *v}, {"name", report::latin1(name(*v))}} : Json();
    };
    field("colourFormat", f.colourFormat, colourFormatName);
    j["activeFormatPresent"] = report::orNull(f.activeFormatPresent);
    field("barInfo", f.barInfo, barInfoName);
    field("scanInfo", f.scanInfo, scanInfoName);
    field("colorimetry", f.colorimetry, colorimetryName);
    field("pictureAspect", f.pictureAspect, pictureAspectName);
    field("activeFormat", f.activeFormat, activeFormatName);
    j["itContent"] = report::orNull(f.itContent);
    field("extendedColorimetry", f.extendedColorimetry, extendedColorimetryName);
    field("rgbQuantization", f.rgbQuantization, rgbQuantizationName);
    field("scaling", f.scaling, scalingName);
    field("vic", f.vic, aviVicName);
    field("yccQuantization", f.yccQuantization, yccQuantizationName);
    field("contentType", f.contentType, contentTypeName);
    field("pixelRepetition", f.pixelRepetition, pixelRepetitionName);
    j["topBarEnd"] = report::orNull(f.topBarEnd);
    j["bottomBarStart"] = report::orNull(f.bottomBarStart);
    j["leftBarEnd"] = report::orNull(f.leftBarEnd);
    j["rightBarStart"] = report::orNull(f.rightBarStart);
    addNotes(j, f.notes);
    return report::compactText(j);
}

} // namespace vantrel::packets
