// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any three status records (of any length) through the
// decoder, as the window and vantrelctl decode them.
#include "fuzz_check.h"
#include "status_decoder.h"
#include "timing_table.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

using namespace vantrel::status;
using vantrel::fuzz::printable;
using vantrel::fuzz::require;

namespace {

bool lowerHex(char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); }

void checkInfoframe(const Record &hdr, bool captured, const std::string &text)
{
    const size_t declared = hdr.at(3);
    require(captured == (hdr.at(2) == 0x87 && declared > 0), "infoframe shown for the wrong record");
    if (!captured) {
        require(text.empty(), "text left for an infoframe that is not shown");
        return;
    }
    const size_t count = std::min(declared, kMaxHdrPayload);
    require(text.size() == 3 * count - 1, "infoframe text of the wrong length");
    for (size_t i = 0; i < count; ++i) {
        const char *pair = text.c_str() + 3 * i;
        require(lowerHex(pair[0]) && lowerHex(pair[1]), "infoframe text is not lower-case hex");
        require(i + 1 == count || pair[2] == ':', "infoframe pairs not separated by colons");
        const uint8_t byte = hdr.at(4 + i);
        const char expected[] = {"0123456789abcdef"[byte >> 4], "0123456789abcdef"[byte & 15]};
        require(pair[0] == expected[0] && pair[1] == expected[1], "infoframe text shows another byte");
    }
}

void checkTimingNames(uint16_t code)
{
    // The lookup writes into caller buffers of 20 bytes; guard bytes after them.
    char shortName[24], longName[24];
    std::memset(shortName, 0x5A, sizeof shortName);
    std::memset(longName, 0x5A, sizeof longName);
    LookupTimingName(code, shortName, longName);
    require(std::memchr(shortName, 0, 20) && std::memchr(longName, 0, 20), "timing name not ended inside 20 bytes");
    require(shortName[20] == 0x5A && longName[20] == 0x5A, "timing lookup wrote past 20 bytes");
    require(printable(shortName) && printable(longName), "timing name not printable");
    require(timingLongName(code) == longName && timingShortName(code) == shortName, "timing names disagree");
    if (code > kLastTimingCode)
        require(!*shortName && !*longName, "a name for a code past the table");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 3)
        return 0;
    // Three length bytes (replies are at most 64 bytes), then the records
    // back to back; a record may get fewer bytes than its length asks for.
    size_t lengths[3] = {size_t(data[0] % 65), size_t(data[1] % 65), size_t(data[2] % 65)};
    const uint8_t *p = data + 3;
    const uint8_t *end = data + size;
    Record records[3];
    for (int i = 0; i < 3; ++i) {
        const size_t n = std::min(lengths[i], size_t(end - p));
        records[i] = Record{n ? p : nullptr, n};
        p += n;
    }
    const Record &video = records[0], &source = records[1], &hdr = records[2];

    const StatusTexts t = decodeStatus(video, source, hdr);
    require(printable(t.input) && t.input.rfind("Input : ", 0) == 0, "input line");
    require(printable(t.output) && t.output.rfind("Output:", 0) == 0, "output line");
    require(printable(t.colour) && t.colour.rfind("Color Space: ", 0) == 0, "colour line");
    require(printable(t.hdr) && t.hdr.rfind("HDR input: ", 0) == 0, "HDR line");
    // Vendor and product are the box's own bytes up to a zero.
    require(t.source.rfind("Source Info: ", 0) == 0 && t.source.size() <= 13 + 8 + 1 + 16, "source line");
    require(t.source.find('\0') == std::string::npos, "source line holds a zero");
    checkInfoframe(hdr, t.infoframeCaptured, t.infoframe);

    require(t.input == inputLine(video) && t.output == outputLine(video) && t.colour == colourLine(video) &&
                t.source == sourceLine(source) && t.hdr == hdrLine(hdr),
            "decodeStatus differs from the lines one by one");

    checkTimingNames(video.at(2));
    checkTimingNames(uint16_t(size >= 5 ? data[3] | data[4] << 8 : 0));
    return 0;
}
