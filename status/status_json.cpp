// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_json.h"

namespace vantrel::status {

namespace {

using report::Json;

Json textOrNull(const std::string &text)
{
    return text.empty() ? Json() : report::latin1(text);
}
Json numberOrNull(int n)
{
    return n ? Json(n) : Json();
}

} // namespace

Json statusJson(const StatusTexts &t, const StatusFacts &f)
{
    // Without a source the records are all zero: their "RGB", "non-HDMI"
    // and "none" say nothing about a signal.
    const auto signalled = [&](Json value) { return f.signal ? std::move(value) : Json(); };
    Json bytes = Json::array();
    for (uint8_t byte : f.infoframe)
        bytes.push_back(byte);
    Json outputs = Json::array();
    if (f.txA)
        outputs.push_back("TX A");
    if (f.txB)
        outputs.push_back("TX B");
    return Json{
        // The window's texts, as they were.
        {"input", report::latin1(t.input)},
        {"output", report::latin1(t.output)},
        {"colour", report::latin1(t.colour)},
        {"source", report::latin1(t.source)},
        {"hdr", report::latin1(t.hdr)},
        {"infoframe", t.infoframeCaptured ? report::latin1(t.infoframe) : Json()},
        {"timing", Json{{"code", f.timingCode},
                        {"name", textOrNull(f.timingName)},
                        {"shortName", textOrNull(f.timingShortName)},
                        {"width", numberOrNull(f.width)},
                        {"height", numberOrNull(f.height)},
                        {"interlaced", signalled(f.interlaced)},
                        {"refreshHz", numberOrNull(f.refreshHz)},
                        {"structure3d", textOrNull(f.structure3d)}}},
        {"hdmi", signalled(f.hdmi)},
        {"clockClass", signalled(f.clockClass)},
        {"clockMHz", numberOrNull(f.clockMHz)},
        {"colourFormat", signalled(report::latin1(f.colourFormat))},
        {"colourDepth", numberOrNull(f.colourDepth)},
        {"hdcp", signalled(report::latin1(f.hdcp))},
        {"outputs", outputs},
        {"colorimetry", textOrNull(f.colorimetry)},
        {"eotf", f.eotf},
        {"eotfName", textOrNull(f.eotfName)},
        {"sourceVendor", textOrNull(f.sourceVendor)},
        {"sourceProduct", textOrNull(f.sourceProduct)},
        {"infoframeBytes", f.infoframeCaptured ? bytes : Json()},
    };
}

} // namespace vantrel::status
