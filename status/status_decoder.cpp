// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_decoder.h"

#include "timing_table.h"

#include <algorithm>

namespace vantrel::status {

namespace {

// Video record bytes.
constexpr std::size_t kTiming = 2, kSignalling = 3, kClock = 4, kOutputs = 5, kHdmiVic = 9,
                      kAvi1 = 10, kAvi2 = 11, kAvi3 = 12, kHdcp = 13, kVsifFormat = 14;
constexpr uint8_t kTiming4k60 = 97;

const char kHex[] = "0123456789abcdef";

void appendHex(std::string &text, uint8_t byte)
{
    text += kHex[byte >> 4];
    text += kHex[byte & 0x0F];
}

// The first element where the vendor infoframe names a format of its own;
// empty when it names none, which falls back to the plain form.
std::string vendorFormatElement(const Record &video, const std::string &longName,
                                const char *marker)
{
    const uint8_t format = video.at(kVsifFormat);
    const uint8_t detail = video.at(kHdmiVic);
    if (format == 0x20) {
        const char *name = nullptr;
        switch (detail) {
        case 1: name = "3840x2160p30"; break;
        case 2: name = "3840x2160p25"; break;
        case 3: name = "3840x2160p24"; break;
        case 4: name = "4096x2160p24"; break;
        default: return {};
        }
        return std::string("Input : ") + name + " " + marker + ",";
    }
    if (format == 0x40) {
        const char *structure = nullptr;
        switch (detail) {
        case 0x00: structure = "Frame Packed 3D"; break;
        case 0x60: structure = "Top/Bottom 3D"; break;
        case 0x80: structure = "Side-by-side 3D"; break;
        default: return {};
        }
        return "Input : " + longName + " " + structure + ",";
    }
    return {};
}

void appendClock(std::string &line, const Record &video)
{
    // The box sends the clock class as a signed byte.
    const int clock = static_cast<int8_t>(video.at(kClock));
    const uint8_t colour = video.at(kAvi1) & 0x60;
    switch (clock) {
    case 2:
        line += " 600MHz,";
        break;
    case 3:
        line += " 450MHz,";
        if (colour == 0x40)
            line += " [4:4:4 12-bit],";
        else if (colour == 0x60)
            line += " [4:2:0 12-bit],";
        break;
    case 1:
        line += " 375MHz,";
        if (colour == 0x40)
            line += " [4:4:4 10-bit],";
        else if (colour == 0x60)
            line += " [4:2:0 10-bit],";
        break;
    default:
        // 4k60 at the lowest clock can only be 8-bit 4:2:0, whatever the AVI says.
        if (video.at(kTiming) == kTiming4k60 && clock == 0)
            line += " 300MHz [4:2:0 8-bit],";
        break;
    }
}

// A text field of the source record: up to its first zero or its end.
std::string fieldText(const Record &record, std::size_t first, std::size_t size)
{
    std::string text;
    for (std::size_t i = first; i < first + size; ++i) {
        const uint8_t c = record.at(i);
        if (c == 0)
            break;
        text += static_cast<char>(c);
    }
    return text;
}

} // namespace

std::string inputLine(const Record &video)
{
    const char *marker = (video.at(kSignalling) & 0x10) ? "HDMI" : "non-HDMI";
    const std::string longName = timingLongName(video.at(kTiming));

    std::string line = vendorFormatElement(video, longName, marker);
    if (line.empty())
        line = "Input : " + longName + " " + marker + ",";

    appendClock(line, video);

    switch ((video.at(kHdcp) & 0x06) >> 1) {
    case 2: line += " HDCP 2.2"; break;
    case 1: line += " HDCP 1.4"; break;
    default: line += " no HDCP"; break;
    }
    return line;
}

std::string outputLine(const Record &video)
{
    std::string line = "Output:";
    switch (video.at(kOutputs) & 0x60) {
    case 0x60: line += " TX A, TX B"; break;
    case 0x20: line += " TX A"; break;
    case 0x40: line += " TX B"; break;
    default: line += " none"; break;
    }
    return line;
}

std::string colourLine(const Record &video)
{
    std::string line;
    switch (video.at(kAvi1) & 0x60) {
    case 0x00: line = "Color Space: RGB"; break;
    case 0x20: line = "Color Space: YCbCr 4:2:2"; break;
    case 0x40: line = "Color Space: YCbCr 4:4:4"; break;
    default: line = "Color Space: YCbCr 4:2:0"; break;
    }

    switch (video.at(kAvi2) & 0xC0) {
    case 0x40: line += ", SMPTE 170M"; break;
    case 0x80: line += ", ITU-R BT.709"; break;
    case 0xC0:
        line += ", Extended:";
        switch (video.at(kAvi3) & 0x70) {
        case 0x00: line += " xvYCC601"; break;
        case 0x10: line += " xvYCC709"; break;
        case 0x20: line += " sYCC601"; break;
        case 0x30: line += " AdobeYCC601"; break;
        case 0x40: line += " AdobeRGB"; break;
        case 0x50: line += " ITU-R BT.2020 YcCbcCrc"; break;
        case 0x60: line += " ITU-R BT.2020"; break;
        default: break; // reserved: the colon stands alone
        }
        break;
    default: break;
    }
    return line;
}

std::string sourceLine(const Record &source)
{
    const std::string vendor = fieldText(source, 4, 8);
    const std::string product = fieldText(source, 12, 16);
    if (vendor.empty() && product.empty())
        return "Source Info: No Info";
    return "Source Info: " + vendor + " " + product;
}

std::string hdrLine(const Record &hdr)
{
    // The EOTF byte is read whatever infoframe type the record carries.
    std::string line = "HDR input: ";
    switch (hdr.at(4)) {
    case 0: line += " Not Active"; break;
    case 1: line += " HDR Luminance Range"; break;
    case 2: line += " SMPTE ST 2084"; break;
    default: break;
    }
    return line;
}

bool capturedInfoframe(const Record &hdr, std::string &text)
{
    text.clear();
    const std::size_t declared = hdr.at(3);
    if (hdr.at(2) != 0x87 || declared == 0)
        return false;
    const std::size_t count = std::min(declared, kMaxHdrPayload);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0)
            text += ':';
        appendHex(text, hdr.at(4 + i));
    }
    return true;
}

StatusTexts decodeStatus(const Record &video, const Record &source, const Record &hdr)
{
    StatusTexts texts;
    texts.input = inputLine(video);
    texts.output = outputLine(video);
    texts.colour = colourLine(video);
    texts.source = sourceLine(source);
    texts.hdr = hdrLine(hdr);
    texts.infoframeCaptured = capturedInfoframe(hdr, texts.infoframe);
    return texts;
}

} // namespace vantrel::status
