// SPDX-License-Identifier: GPL-3.0-or-later
// "Did you mean ...": the known name closest to a mistyped one.
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// Edits (insert, delete, replace, swap two neighbours) from a to b.
int editDistance(const std::string &a, const std::string &b);

// The closest of names, or empty when none is close enough to be a typo
// (at most a third of the word's letters, and at least one, differ).
std::string nearestName(const std::string &word, const std::vector<std::string> &names);

// " (did you mean \"NAME\"?)" or empty.
std::string didYouMean(const std::string &word, const std::vector<std::string> &names);

} // namespace vantrel
