// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: an edit list chosen by the first eight bytes, applied to
// the table in the rest. Whatever the table, an edit list either is refused
// with a reason or gives whole blocks with right checksums, an extension
// count that matches, no new conformity error unless forced, and 256 bytes
// at most after --fit.
#include "edid_diff.h"
#include "edid_edit.h"
#include "edid_import.h"
#include "edid_report.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>

using vantrel::fuzz::require;
using namespace vantrel::edid;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    if (size < 8)
        return 0;
    const uint8_t *c = data;
    const edit::Bytes table(data + 8, data + size);
    edit::EditList e;
    if (c[0] & 0x01)
        e.dropVics = {c[1], unsigned(c[1]) + 1};
    if (c[0] & 0x02)
        e.maxTmdsMHz = c[2] * 3u;
    if (c[0] & 0x04)
        e.hdrEotfs = uint8_t(c[3] & 0x0F);
    if (c[0] & 0x08)
        e.speakers = c[4] | ((c[3] & 0xF0u) << 4);
    if (c[0] & 0x10)
        e.preferred = std::to_string(c[5]);
    if (c[0] & 0x20)
        e.dropAudio = {c[7] & 15u, 100u + (c[7] >> 4)};
    if (c[0] & 0x40)
        e.audioFrom = table; // its own audio, moved to the front
    e.hdrOff = c[6] & 0x01;
    e.dropDolbyVision = c[6] & 0x02;
    e.dropHdr10Plus = c[6] & 0x04;
    e.no420 = c[6] & 0x08;
    e.noDeepColour = c[6] & 0x10;
    e.no3d = c[6] & 0x20;
    e.fit = c[6] & 0x40;
    if (c[6] & 0x80) {
        e.name = std::string(reinterpret_cast<const char *>(c + 1), 1 + c[7] % 7);
        e.serial = uint32_t(c[2]) << 8 | c[5];
    }
    const bool force = c[0] & 0x80;

    const edit::EditResult r = edit::applyEdits(table, e, force);
    require(r.ok != !r.refused.empty() || (r.ok && r.refused.empty()), "a refusal without a reason");
    if (!r.ok)
        return 0;
    require(!r.bytes.empty() && r.bytes.size() % 128 == 0, "the result is not whole blocks");
    for (const BlockChecksum &sum : blockChecksums(r.bytes))
        require(sum.ok(), "a block checksum is wrong");
    for (const SectionChecksum &sum : displayIdChecksums(r.bytes))
        require(sum.ok(), "a DisplayID section checksum is wrong");
    require(force || r.newErrors.empty(), "a new conformity error was not refused");
    if (e.fit)
        require(r.bytes.size() <= 256, "--fit left more than 256 bytes");
    const EdidReport after = decodeEdid(r.bytes);
    require(after.extensions.size() + 1 == r.bytes.size() / 128, "the extension count does not match the blocks");
    require(edit::diffTables(table, table).equal(), "a table differs from itself");
    return 0;
}
