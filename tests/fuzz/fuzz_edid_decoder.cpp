// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any bytes through the decoder and both reports. The
// reports are ASCII whatever the table holds, and the JSON has no raw
// control characters.
#include "edid_report.h"
#include "fuzz_check.h"

#include <cstddef>
#include <cstdint>

using vantrel::fuzz::printable;
using vantrel::fuzz::require;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const vantrel::edid::EdidReport report = vantrel::edid::decodeEdid(data, size);
    require(report.size == size && report.hasBase == (size >= 128), "report of another input size");
    require(printable(vantrel::edid::edidReportText(report), true), "text report is not printable ASCII");
    require(printable(vantrel::edid::edidReportJson(report), true), "JSON report is not printable ASCII");
    // Decoding is a pure function of the bytes.
    require(vantrel::edid::edidReportJson(vantrel::edid::decodeEdid(data, size)) ==
                vantrel::edid::edidReportJson(report),
            "the same bytes decoded differently");
    return 0;
}
