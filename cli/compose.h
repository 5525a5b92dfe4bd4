// SPDX-License-Identifier: GPL-3.0-or-later
// Packets composed by name for vantrelctl: the options and words as typed in,
// the colon hex the boxes take out (or why not). Plain C++: the command-line
// glue only gathers the options.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace vantrel::cli {

// The options given, by name without the dashes: "eotf" -> "pq".
using OptionValues = std::map<std::string, std::string>;

struct ComposeOption {
    const char *name;      // "max-luminance"
    const char *valueName; // "CD/M2"
    const char *help;
};
const std::vector<ComposeOption> &hdrComposeOptions();
const std::vector<ComposeOption> &aviComposeOptions();
// Whether any of the options is among values.
bool anyGiven(const std::vector<ComposeOption> &options, const OptionValues &values);

struct Composed {
    bool ok = false;
    std::string error;                  // a field refused: its name and what it takes
    std::vector<std::string> texts;     // colon hex, one message or frame each
    std::vector<std::string> summaries; // what each says, as the decoders put it
    std::vector<std::string> problems;  // why a CEC send should not go out as it is
    std::vector<std::string> notes;     // what was changed on the way (a number rounded)
};

Composed composeHdr(const OptionValues &values);
Composed composeAvi(const OptionValues &values);
// from, to: logical addresses by name or number; words: OPCODE [OPERANDS].
Composed composeCec(const std::string &from, const std::string &to, const std::vector<std::string> &words);
// words: NAME [ARGUMENT].
Composed composeRecipe(const std::string &from, const std::vector<std::string> &words);

// The words an OPCODE and a recipe may be, for "did you mean" and completion.
std::vector<std::string> cecOpcodeNames();
std::vector<std::string> cecRecipeNames();

// The recipes with their arguments and what they do, for the help.
std::string recipeHelp();

} // namespace vantrel::cli
