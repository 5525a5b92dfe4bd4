// libFuzzer entry: any bytes through the decoder and both reports.
#include "edid_report.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const vantrel::edid::EdidReport report = vantrel::edid::decodeEdid(data, size);
    volatile size_t sink = vantrel::edid::edidReportText(report).size() + vantrel::edid::edidReportJson(report).size();
    (void)sink;
    return 0;
}
