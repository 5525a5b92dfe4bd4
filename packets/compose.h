// SPDX-License-Identifier: GPL-3.0-or-later
// Packets composed by name: the options and words as typed in, the colon hex
// the boxes take out, what each says (or why not). vantrelctl's glue only
// gathers the options.
#pragma once

#include "packet_fields.h"

#include <map>
#include <string>
#include <vector>

namespace vantrel::packets {

// The options given, by name without the dashes: "eotf" -> "pq".
using OptionValues = std::map<std::string, std::string>;

struct ComposeOption {
    const char *name;      // "max-luminance"
    const char *valueName; // "CD/M2"
    const char *help;
};
const std::vector<ComposeOption> &hdrComposeOptions();
const std::vector<ComposeOption> &aviComposeOptions();

// Each fills Built's texts and summaries (and problems, for CEC); error names
// the field refused and what it takes.
Built composeHdr(const OptionValues &values);
Built composeAvi(const OptionValues &values);
// from, to: logical addresses by name or number; words: OPCODE [OPERANDS].
Built composeCec(const std::string &from, const std::string &to, const std::vector<std::string> &words);
// words: NAME [ARGUMENT].
Built composeRecipe(const std::string &from, const std::vector<std::string> &words);

// The words an OPCODE and a recipe may be, for "did you mean" and completion.
std::vector<std::string> cecOpcodeNames();
std::vector<std::string> cecRecipeNames();

// The recipes with their arguments and what they do, for the help.
std::string recipeHelp();

} // namespace vantrel::packets
