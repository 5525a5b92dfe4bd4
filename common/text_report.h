// SPDX-License-Identifier: GPL-3.0-or-later
// The readable reports of the EDID and packet decoders: printf into a
// string, lines indented by two blanks a level, and the closing "Problems:"
// and "Conformity: PASS (0 errors, 0 warnings)" lines.
#pragma once

#include "finding.h"

#include <string>
#include <vector>

namespace vantrel::report {

// MinGW's C++ library formats like glibc (%zu), not like the system's printf;
// MSVC knows no format attribute.
#if defined(__MINGW32__)
std::string format(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#elif defined(__GNUC__)
std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
#else
std::string format(const char *fmt, ...);
#endif

class TextReport {
public:
    void line(int indent, const std::string &text) { out_ += std::string(size_t(indent) * 2, ' ') + text + '\n'; }
    // "Problems:" and a line each (when there are any), then the verdict.
    void findings(const std::vector<Finding> &list);
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

// "Block 1, offset 0x84, Video Data Block: " for a located finding, empty
// for a packet's.
std::string whereText(const Finding &f);

} // namespace vantrel::report
