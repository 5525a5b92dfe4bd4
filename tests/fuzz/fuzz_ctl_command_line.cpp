// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer entry: any vantrelctl command line (arguments separated by NUL
// bytes) through the parse step only: the words found among the options, the
// command looked up, its options read; and the completion's answer for it. No
// box is opened. A mistake must be a usage error with a message.
#include "cli_error.h"
#include "command_line.h"
#include "commands.h"
#include "fuzz_check.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

using namespace vantrel::cli;
using vantrel::fuzz::require;

namespace {

bool knownOption(const Command *c, const std::string &name)
{
    auto named = [&](const OptionSpec &o) { return name == o.name; };
    const std::vector<OptionSpec> &common = commonOptions();
    if (std::any_of(common.begin(), common.end(), named))
        return true;
    if (!c)
        return name == versionOption().name;
    return std::any_of(c->options.begin(), c->options.end(), named);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::vector<std::string> args(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0)
            args.emplace_back();
        else
            args.back().push_back(char(data[i]));
    }
    if (args.size() > 48)
        return 0;

    const std::vector<std::string> typed(args.begin() + 1, args.end());
    for (const std::string &candidate : completionCandidates(args.front(), typed))
        require(!candidate.empty(), "an empty completion");

    try {
        const Split split = splitWords(args);
        require(split.words.size() == split.wordAt.size(), "words and their places differ in number");
        for (size_t i = 0; i < split.words.size(); ++i)
            require(split.wordAt[i] < args.size() && args[split.wordAt[i]] == split.words[i],
                    "a word not where the split says");
        const auto [c, count] = findCommand(split.words);
        const std::vector<std::string> rest = split.options(args, count);
        require(rest.size() + count == args.size(), "the command's words not taken out once each");
        const ParsedLine line = c ? parseLine(c->words, rest, c->options) : parseLine("", rest, {versionOption()});
        for (const auto &value : line.values)
            require(knownOption(c, value.first), "a value for an option the command does not take");
    } catch (const CliError &e) {
        require(e.status == kExitUsage, "a command line refused with other than a usage error");
        require(!e.message.empty(), "a usage error without a message");
    }
    return 0;
}
