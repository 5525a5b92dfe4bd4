// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes as vantrelctl reads a table file or standard
// input (edid write, check, decode), then check --fix's repair written back in
// the file's own form and read again; and the same bytes as the colon hex of a
// CEC message or an infoframe.
#include "cli_error.h"
#include "edid_import.h"
#include "edid_input.h"
#include "fuzz_check.h"
#include "hex_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vantrel;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const hex::ColonHexBytes colon = hex::readColonHex(std::string_view(reinterpret_cast<const char *>(data), size));
    require(colon.ok || !colon.error.empty(), "colon hex refused without a reason");

    cli::EdidInput in;
    try {
        in = cli::edidInputFrom(std::vector<uint8_t>(data, data + size), "fuzz");
    } catch (const cli::CliError &e) {
        require(e.status == cli::kExitFailed && !e.message.empty(), "a table refused without a reason");
        return 0;
    }
    require(!in.bytes.empty() && in.raw.size() == size, "a table accepted without its bytes");
    for (size_t i = 0; i < in.image.size(); ++i)
        require(in.image[i] == (i < in.bytes.size() ? in.bytes[i] : 0), "the box's image is not the table");

    std::vector<uint8_t> fixed = in.bytes;
    edid::repairBlockChecksums(fixed);
    const std::vector<uint8_t> written = edid::rewriteTableFile(in.raw.data(), in.raw.size(), in.file, fixed);
    // A binary file is the repaired bytes; read again they may look like text
    // (a table without its header, all printable), so only text is re-read.
    if (in.file.binary) {
        require(written == fixed, "the repaired binary file is not the repaired bytes");
        return 0;
    }
    const edid::TableFile again = edid::readTableFile(written.data(), written.size());
    require(again.ok() && again.bytes == fixed, "the repaired file does not read back as repaired");
    return 0;
}
