// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: the HDR infoframe decoder on whole frames (the HDR IF box)
// and on captured payloads (the status record), raw or typed as text.
#include "fuzz_packets.h"
#include "hdr_infoframe.h"

using namespace vantrel::packets;
using vantrel::fuzz::require;

namespace {

void check(const HdrInfoframe &f)
{
    require(f.payload.size() <= f.length, "more payload than the frame declares");
    require(!f.descriptorId || f.eotf, "descriptor without an EOTF");
    if (f.maxFall)
        require(f.maxCll && f.maxMasteringLuminance && f.whitePoint && f.primaries[2], "fields out of order");
    vantrel::fuzz::checkReports(hdrInfoframeText(f), hdrInfoframeJson(f), f.conforms());
    require(vantrel::fuzz::printable(hdrInfoframeSummary(f)), "summary not printable");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    std::vector<uint8_t> bytes(data + 1, data + size);
    if ((data[0] & 1) && !vantrel::fuzz::boxTextBytes(data + 1, size - 1, bytes))
        return 0;

    const HdrInfoframe whole = decodeHdrInfoframe(bytes.data(), bytes.size());
    check(whole);
    if (bytes.size() >= 4) {
        require(whole.headerComplete && whole.length == bytes[2], "header not taken as given");
        unsigned sum = 0;
        for (size_t i = 0; i < 4 + whole.payload.size(); ++i)
            sum += bytes[i];
        require(whole.checksumOk == ((sum & 0xFF) == 0), "checksum verdict");
        require(whole.payload.size() == std::min<size_t>(bytes[2], bytes.size() - 4), "payload size");
    } else {
        require(!whole.conforms(), "a frame without its header conforms");
    }
    // The captured form: data[0] as the record's declared length.
    const HdrInfoframe captured = decodeHdrPayload(bytes.data(), bytes.size(), data[0] >> 1);
    require(!captured.withHeader, "captured payload with a header");
    check(captured);
    return 0;
}
