// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any file read as a table file of another tool, and the
// rewrite --fix makes of it.
#include "edid_import.h"
#include "edid_text.h"
#include "fuzz_check.h"

#include <cctype>
#include <cstddef>
#include <cstdint>

using namespace vantrel::edid;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const TableFile f = readTableFile(data, size);
    if (!f.ok()) {
        require(!f.binary && f.bytes.empty(), "a refused file kept bytes");
        // A line and column, or none when the file as a whole is refused (an
        // output listing without the output asked for).
        require((f.line >= 1 && f.column >= 1) || (f.line == 0 && f.column == 0), "an error without its place");
        return 0;
    }
    if (f.binary) {
        require(f.bytes.size() == size && std::equal(f.bytes.begin(), f.bytes.end(), data), "binary bytes differ");
    } else {
        require(f.digitsAt.size() == f.bytes.size(), "a byte without its digits");
        for (size_t i = 0; i < f.bytes.size(); ++i) {
            const size_t at = f.digitsAt[i];
            require(at + 1 < size, "digits past the end");
            const char hi = char(std::toupper(data[at])), lo = char(std::toupper(data[at + 1]));
            require(isHexDigit(hi) && isHexDigit(lo) && hexPairValue(hi, lo) == f.bytes[i], "digits do not give the byte");
        }
    }
    // The rewrite with the same bytes is the file; with repaired checksums it
    // reads back as them and keeps its length.
    require(rewriteTableFile(data, size, f, f.bytes) == std::vector<uint8_t>(data, data + size), "an idle rewrite changed the file");
    std::vector<uint8_t> fixed = f.bytes;
    repairBlockChecksums(fixed);
    const std::vector<uint8_t> out = rewriteTableFile(data, size, f, fixed);
    require(out.size() == size, "the rewrite changed the file's length");
    if (f.binary) {
        // (Repaired bytes may happen to look like text: a binary file is never read back here.)
        require(out == fixed, "a binary rewrite is not the repaired table");
        return 0;
    }
    const TableFile again = readTableFile(out.data(), out.size());
    require(again.ok() && !again.binary && again.bytes == fixed, "the rewrite does not read back");
    return 0;
}
