// SPDX-License-Identifier: GPL-3.0-or-later
// What a decoder finds that does not conform: an error or a warning, and
// where. EDID findings name the block, the byte and the structure; a
// packet's name only what is wrong.
#pragma once

#include <string>
#include <utility>
#include <vector>

namespace vantrel::report {

enum class Severity { Warning, Error };

struct Finding {
    Severity severity = Severity::Error;
    int block = -1;      // the 128-byte block; -1: the table as a whole or no table
    int offset = -1;     // absolute byte offset; -1: none
    std::string context; // "Base block", "Video Data Block", ...; empty for packets
    std::string message;

    Finding() = default;
    Finding(Severity s, std::string what) : severity(s), message(std::move(what)) {}
    Finding(Severity s, int inBlock, int at, std::string where, std::string what)
        : severity(s), block(inBlock), offset(at), context(std::move(where)), message(std::move(what))
    {}
    bool error() const { return severity == Severity::Error; }
};

// True when no finding is an error.
inline bool conforms(const std::vector<Finding> &findings)
{
    for (const Finding &f : findings)
        if (f.error())
            return false;
    return true;
}

} // namespace vantrel::report
