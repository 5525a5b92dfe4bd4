// SPDX-License-Identifier: GPL-3.0-or-later
// The time files record when they were made: UTC, to the second.
#pragma once

#include <string>

namespace vantrel {

// Now, as "2026-12-08T14:05:09+00:00".
std::string utcNowText();

} // namespace vantrel
