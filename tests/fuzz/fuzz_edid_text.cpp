// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes typed into the EDID text box, through the
// conversion the window applies and the hex text parser.
#include "edid_text.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrel::edid;
using vantrel::fuzz::require;

namespace {

int digitValue(char c) { return c <= '9' ? c - '0' : c - 'A' + 10; }

// What the box conversion promises: upper case, 8-bit, no lower-case letter
// left that has an upper-case form inside Latin-1.
void checkBoxText(const std::string &box)
{
    for (unsigned char c : box) {
        require(!(c >= 'a' && c <= 'z'), "box text holds a lower-case ASCII letter");
        require(!(c >= 0xE0 && c <= 0xFE && c != 0xF7), "box text holds a lower-case Latin-1 letter");
        require(c != 0xFF && c != 0xB5 && c != 0xDF, "box text holds a letter without a Latin-1 upper case");
    }
}

void checkParse(const std::string &text, const EdidText &r, bool upperCased)
{
    const EdidImage zero{};
    if (!r.ok()) {
        require(r.image == zero, "a refused text leaves values behind");
        return;
    }
    const size_t n = text.size();
    require(n <= size_t(kMaxEdidText), "a text over the limit was taken");
    require(r.count == int((n + 2) / 3), "the value count does not match the groups");
    for (int i = r.count; i < kEdidSize; ++i)
        require(r.image[i] == 0, "a value past the last group");
    if (upperCased) {
        for (int i = 0; i < std::min(r.count, kEdidSize); ++i) {
            const int expected = digitValue(text[3 * i]) * 16 + digitValue(text[3 * i + 1]);
            require(r.image[i] == expected, "a group parsed to the wrong value");
        }
    }
    // The window shows a parsed table in the canonical layout; that text must
    // parse back to the same bytes.
    const std::string canonical = canonicalEdidText(r.image);
    const EdidText back = parseEdidText(canonical);
    require(back.count == kEdidSize && back.image == r.image, "the canonical text does not round-trip");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const std::string typed(reinterpret_cast<const char *>(data), size);

    // As the window hands it over: line breaks as the box stores them, then
    // upper-cased 8-bit text.
    const std::string stored = normalizeLineBreaks(typed);
    require(stored.find('\r') == std::string::npos, "a carriage return survived");
    require(stored.size() <= typed.size(), "line break normalising grew the text");
    const std::string box = boxText(stored);
    checkBoxText(box);
    checkParse(box, parseEdidText(box), true);

    // The same bytes as a file read as Latin-1 text, and unconverted.
    const std::string latin1 = upperLatin1(typed);
    checkBoxText(latin1);
    checkParse(latin1, parseEdidText(latin1), true);
    checkParse(typed, parseEdidText(typed), false);

    // The checksum helpers on whatever table the bytes make.
    EdidImage image{};
    std::copy_n(data, std::min<size_t>(size, kEdidSize), image.begin());
    repairChecksums(image);
    require(checkChecksums(image).ok(), "a repaired table fails its checksum");
    return 0;
}
