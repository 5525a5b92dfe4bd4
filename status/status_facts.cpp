// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_facts.h"

#include "timing_table.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::status {

namespace {

// Video record bytes, as the texts read them.
constexpr std::size_t kTiming = 2, kSignalling = 3, kClock = 4, kOutputs = 5, kHdmiVic = 9, kAvi1 = 10, kAvi2 = 11,
                      kAvi3 = 12, kHdcp = 13, kVsifFormat = 14;
constexpr uint8_t kTiming4k60 = 97;

// "1920x1080i60w" -> 1920, 1080, interlaced, 60.
void readFormatName(const std::string &name, StatusFacts &f)
{
    int w = 0, h = 0, rate = 0;
    char scan = 0;
    if (std::sscanf(name.c_str(), "%dx%d%c%d", &w, &h, &scan, &rate) == 4 && (scan == 'p' || scan == 'i')) {
        f.width = w;
        f.height = h;
        f.interlaced = scan == 'i';
        f.refreshHz = rate;
    }
}

void readFormat(const Record &video, StatusFacts &f)
{
    f.timingCode = video.at(kTiming);
    f.timingName = timingLongName(f.timingCode);
    f.timingShortName = timingShortName(f.timingCode);
    const uint8_t detail = video.at(kHdmiVic);
    if (video.at(kVsifFormat) == 0x20) {
        static const char *const names[] = {"3840x2160p30", "3840x2160p25", "3840x2160p24", "4096x2160p24"};
        if (detail >= 1 && detail <= 4)
            f.timingName = names[detail - 1];
    } else if (video.at(kVsifFormat) == 0x40) {
        f.structure3d = detail == 0x00   ? "Frame Packed 3D"
                        : detail == 0x60 ? "Top/Bottom 3D"
                        : detail == 0x80 ? "Side-by-side 3D"
                                         : "";
    }
    readFormatName(f.timingName, f);
}

void readClock(const Record &video, StatusFacts &f)
{
    f.clockClass = static_cast<int8_t>(video.at(kClock));
    const uint8_t colour = video.at(kAvi1) & 0x60;
    const bool depthNamed = colour == 0x40 || colour == 0x60;
    switch (f.clockClass) {
    case 2:
        f.clockMHz = 600;
        break;
    case 3:
        f.clockMHz = 450;
        f.colourDepth = depthNamed ? 12 : 0;
        break;
    case 1:
        f.clockMHz = 375;
        f.colourDepth = depthNamed ? 10 : 0;
        break;
    case 0:
        if (video.at(kTiming) == kTiming4k60) {
            f.clockMHz = 300;
            f.colourDepth = 8;
        }
        break;
    default:
        break;
    }
}

std::string colorimetryOf(const Record &video)
{
    switch (video.at(kAvi2) & 0xC0) {
    case 0x40:
        return "SMPTE 170M";
    case 0x80:
        return "ITU-R BT.709";
    case 0xC0: {
        static const char *const extended[] = {"xvYCC601",      "xvYCC709", "sYCC601",
                                               "AdobeYCC601",   "AdobeRGB", "ITU-R BT.2020 YcCbcCrc",
                                               "ITU-R BT.2020", "Extended"};
        return extended[(video.at(kAvi3) & 0x70) >> 4];
    }
    default:
        return {};
    }
}

std::string textField(const Record &record, std::size_t first, std::size_t size)
{
    std::string text;
    for (std::size_t i = first; i < first + size && record.at(i); ++i)
        text += static_cast<char>(record.at(i));
    return text;
}

} // namespace

StatusFacts decodeFacts(const Record &video, const Record &source, const Record &hdr)
{
    StatusFacts f;
    readFormat(video, f);
    f.signal = f.timingCode != 0;
    f.hdmi = video.at(kSignalling) & 0x10;
    readClock(video, f);
    static const char *const formats[] = {"RGB", "YCbCr 4:2:2", "YCbCr 4:4:4", "YCbCr 4:2:0"};
    f.colourFormat = formats[(video.at(kAvi1) & 0x60) >> 5];
    static const char *const hdcp[] = {"none", "1.4", "2.2", "none"};
    f.hdcp = hdcp[(video.at(kHdcp) & 0x06) >> 1];
    f.txA = video.at(kOutputs) & 0x20;
    f.txB = video.at(kOutputs) & 0x40;
    f.colorimetry = colorimetryOf(video);

    f.eotf = hdr.at(4);
    static const char *const eotfs[] = {"Not Active", "HDR Luminance Range", "SMPTE ST 2084"};
    if (f.eotf < 3)
        f.eotfName = eotfs[f.eotf];
    f.sourceVendor = textField(source, 4, 8);
    f.sourceProduct = textField(source, 12, 16);
    const std::size_t declared = hdr.at(3);
    f.infoframeCaptured = hdr.at(2) == 0x87 && declared != 0;
    f.infoframeDeclared = unsigned(declared);
    if (f.infoframeCaptured)
        for (std::size_t i = 0; i < std::min(declared, kMaxHdrPayload); ++i)
            f.infoframe.push_back(hdr.at(4 + i));
    return f;
}

} // namespace vantrel::status
