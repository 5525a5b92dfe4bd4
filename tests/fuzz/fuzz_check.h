// SPDX-License-Identifier: GPL-3.0-or-later
// What every fuzz target uses to stop on a broken invariant: libFuzzer keeps
// the input that made it abort.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>

namespace vantrel::fuzz {

inline void require(bool holds, const char *what)
{
    if (holds)
        return;
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
}

// Printable ASCII, line feeds allowed where a text has several lines.
inline bool printable(const std::string &text, bool lineFeeds = false)
{
    for (unsigned char c : text)
        if ((c < 0x20 || c > 0x7E) && !(lineFeeds && c == '\n'))
            return false;
    return true;
}

} // namespace vantrel::fuzz
