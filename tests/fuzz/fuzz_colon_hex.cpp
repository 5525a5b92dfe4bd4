// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any text typed into a CEC or infoframe box, through the
// line conversion, the colon hex parser and the load frames built from it.
#include "edid_text.h"
#include "fuzz_check.h"
#include "inject_frames.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

using namespace vantrel;
using vantrel::fuzz::require;

namespace {

// "XX:XX:...:XX" and the carriage return the box line ends with.
std::string colonText(const uint8_t *bytes, int count)
{
    std::string text;
    char pair[3];
    for (int i = 0; i < count; ++i) {
        std::snprintf(pair, sizeof pair, "%02X", bytes[i]);
        if (i > 0)
            text += ':';
        text += pair;
    }
    return text + '\r';
}

void checkParse(const std::string &text, int scanLength, bool withLength)
{
    const edid::ColonHex r = edid::parseColonHex(text, scanLength, withLength);
    require(r.count >= 1 && r.count <= edid::kColonHexArea, "byte count outside the area");
    if (!r.wellFormed)
        return; // refused before anything is sent
    for (int i = r.count; i < edid::kColonHexArea; ++i)
        require(r.bytes[i] == 0, "a byte past the count");
    require(text.find(':') != std::string::npos, "text without a colon taken as well formed");
    if (withLength)
        require(r.count >= 3 && r.bytes[1] == r.count - 2, "the length byte does not count the bytes after the first");

    // The same bytes written out again parse to the same bytes.
    const uint8_t *data = r.bytes.data();
    std::string again;
    if (withLength) {
        uint8_t values[edid::kColonHexArea];
        values[0] = data[0];
        for (int i = 2; i < r.count; ++i)
            values[i - 1] = data[i];
        again = colonText(values, r.count - 1);
    } else {
        again = colonText(data, r.count);
    }
    const edid::ColonHex back = edid::parseColonHex(again, int(again.size()), withLength);
    require(back.wellFormed && back.count == r.count && back.bytes == r.bytes, "the colon text does not round-trip");

    // The load frames carry exactly the parsed bytes.
    const Bytes cec = inject::cecMessageFrame(r);
    require(cec.size() == size_t(r.count) + 3 && cec[1] == r.count, "CEC load frame of the wrong size");
    const Bytes load = inject::infoframeLoadFrame(frame::kHdrLoad, r);
    require(load.size() == size_t(r.count) + 3, "infoframe load frame of the wrong size");
    const Bytes act = inject::activationFrame(load, frame::kActivateHdr);
    require(act.size() == 4 && act[1] == load[1], "activation frame does not follow its load");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 1)
        return 0;
    // First byte: whether the length byte is wanted, and how far off the scan
    // length a caller might be.
    const bool withLength = data[0] & 1;
    const int skew = int(data[0] >> 1) - 64;
    const std::string typed(reinterpret_cast<const char *>(data + 1), size - 1);

    const inject::BoxLine line = inject::boxLine(typed);
    require(!line.text.empty() && line.text.back() == '\r', "box line without its carriage return");
    checkParse(line.text, line.length(), withLength);
    checkParse(line.text, line.length() + skew, withLength);
    checkParse(typed, int(typed.size()), withLength);

    // The stored SP/LP command: "CEC " and the line, its length byte L + 4.
    const Bytes stored = inject::storedCommandFrame(frame::kStoreCecSp, line);
    require(stored.size() == line.text.size() + 7, "stored command frame of the wrong size");
    require(stored[1] == uint8_t(line.length() + 4), "stored command length byte");
    return 0;
}
