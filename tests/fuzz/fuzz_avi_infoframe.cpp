// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: the AVI infoframe decoder on data bytes, raw or typed as
// the AVI box's text.
#include "avi_infoframe.h"
#include "fuzz_packets.h"

using namespace vantrel::packets;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) && !vantrel::fuzz::boxTextBytes(data + 1, size - 1, bytes))
        return 0;
    const AviInfoframe f = decodeAviInfoframe(bytes.data(), bytes.size());
    const size_t n = bytes.size();
    require(f.bytes == bytes, "data bytes not kept as given");
    // Each field is there exactly when its data byte is.
    require(bool(f.colourFormat) == (n >= 1) && bool(f.colorimetry) == (n >= 2) && bool(f.itContent) == (n >= 3) &&
                bool(f.vic) == (n >= 4) && bool(f.pixelRepetition) == (n >= 5) && bool(f.topBarEnd) == (n >= 7) &&
                bool(f.rightBarStart) == (n >= 13),
            "a field without its byte, or a byte without its field");
    if (f.vic)
        require(*f.vic == bytes[3], "VIC");
    vantrel::fuzz::checkReports(aviInfoframeText(f), aviInfoframeJson(f), f.conforms());
    return 0;
}
