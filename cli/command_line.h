// SPDX-License-Identifier: GPL-3.0-or-later
// The command line: its words found among the options, then the options read
// with GNU conventions by CLI11, and the errors worded by the tool.
#pragma once

#include "commands.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

namespace vantrel::cli {

// The program's arguments as UTF-8, whatever the system's code page.
std::vector<std::string> toolArguments(int argc, char **argv);
bool asksForJson(const std::vector<std::string> &arguments);

const OptionSpec &versionOption();

// Whether arg is an option any command takes with a value ("--output",
// "-qo"), and whether that value is in it ("--output=x").
bool takesValue(const std::string &arg, bool &inline_);

// The words (command and arguments alike) among the options, skipping the
// values of options that take one.
struct Split {
    std::vector<std::string> words;
    std::vector<size_t> wordAt; // where each word stands in the arguments
    // The arguments without the first count words.
    std::vector<std::string> options(const std::vector<std::string> &arguments, size_t count) const;
    bool asksForHelp(const std::vector<std::string> &arguments) const;
};
Split splitWords(const std::vector<std::string> &arguments);

// The command the first words name, and how many words it has; null when none.
std::pair<const Command *, size_t> findCommand(const std::vector<std::string> &words);

struct ParsedLine {
    std::vector<std::string> args;
    std::map<std::string, std::string> values;
    bool has(const std::string &name) const { return values.count(name) != 0; }
};

// Reads arguments against options and the common ones; a mistake is a
// usage error naming the option as typed. command: its words, for the text.
ParsedLine parseLine(const std::string &command, const std::vector<std::string> &arguments,
                     const std::vector<OptionSpec> &options);

} // namespace vantrel::cli
