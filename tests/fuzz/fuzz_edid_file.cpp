// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: the bytes of any file opened as an EDID file, through the
// conversion and on to the hex text parser, as the window loads it.
#include "edid_file.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>

using namespace vantrel::edid;
using vantrel::fuzz::require;

namespace {

// The text box holds the file's text as Latin-1 characters; it hands them
// back as UTF-8.
std::string latin1ToUtf8(const std::string &latin1)
{
    std::string out;
    for (unsigned char c : latin1) {
        if (c < 0x80) {
            out += char(c);
        } else {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const LoadedEdidFile f = convertEdidFile(data, size);
    const size_t looked = std::min(size, kMaxFileRead);
    require(f.binary == (size == 0 || data[0] == 0), "binary or text decided on something else than byte 0");

    if (f.binary) {
        require(f.text.empty(), "a binary file produced text");
        for (size_t i = 0; i < size_t(kEdidSize); ++i)
            require(f.image[i] == (i < looked ? data[i] : 0), "binary table differs from the file");
        // Saving it and loading the saved file gives the same table.
        const std::vector<uint8_t> saved = edidFileBytes(f.image);
        require(saved.size() == size_t(kEdidSize), "a saved table is not 256 bytes");
        const LoadedEdidFile again = convertEdidFile(saved.data(), saved.size());
        require(again.binary && again.image == f.image, "a saved table does not load back");
        return 0;
    }

    const EdidImage zero{};
    require(f.image == zero, "a text file produced table bytes");
    require(f.text.size() <= looked, "the text is longer than what was read");
    require(f.text.find('\0') == std::string::npos, "the text runs past a NUL");
    // Every byte of the text comes from the file: only line ends are dropped.
    size_t pos = 0;
    for (char c : f.text) {
        while (pos < looked && data[pos] != uint8_t(c))
            ++pos;
        require(pos < looked, "the text holds a byte the file does not");
        ++pos;
    }

    // The window puts the text in the box; parsing takes it from there.
    const std::string box = boxText(normalizeLineBreaks(latin1ToUtf8(f.text)));
    const EdidText parsed = parseEdidText(box);
    if (parsed.ok())
        require(parseEdidText(canonicalEdidText(parsed.image)).image == parsed.image,
                "a loaded table does not round-trip through the canonical text");
    return 0;
}
