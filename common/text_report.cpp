// SPDX-License-Identifier: GPL-3.0-or-later
#include "text_report.h"

#include <cstdarg>
#include <cstdio>

namespace vantrel::report {

std::string format(const char *fmt, ...)
{
    char buffer[512];
    va_list args;
    va_start(args, fmt);
    std::vsnprintf(buffer, sizeof buffer, fmt, args);
    va_end(args);
    return buffer;
}

std::string whereText(const Finding &f)
{
    if (f.context.empty())
        return {};
    std::string where = f.block >= 0 ? format("Block %d", f.block) : std::string("Table");
    if (f.offset >= 0)
        where += format(", offset 0x%02X", unsigned(f.offset));
    // A finding about the whole table says "Table" once, not "Table, Table".
    return f.context == where ? where + ": " : where + ", " + f.context + ": ";
}

void TextReport::findings(const std::vector<Finding> &list)
{
    unsigned errors = 0, warnings = 0;
    if (!list.empty())
        line(0, "Problems:");
    for (const Finding &f : list) {
        (f.error() ? errors : warnings)++;
        line(1, std::string(f.error() ? "Error: " : "Warning: ") + whereText(f) + f.message);
    }
    line(0, format("Conformity: %s (%u error%s, %u warning%s)", errors ? "FAIL" : "PASS", errors,
                   errors == 1 ? "" : "s", warnings, warnings == 1 ? "" : "s"));
}

} // namespace vantrel::report
