// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl: the window's work from a terminal or a script. The first words
// pick the command; options may come before or after them, with GNU
// conventions (CLI11): --name=value, bundled short options, -- ends options.
#include "cli_error.h"
#include "command_line.h"
#include "commands.h"
#include "nearest_name.h"
#include "output.h"
#include "text_report.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

using namespace vantrel::cli;
using vantrel::didYouMean;

namespace {

// Whether the run asked for JSON, known before its command line is parsed:
// every run with --json prints one document, a parse error included.
bool g_json = false;

// Help and version: the text, or with --json a document holding it.
void show(const char *key, const std::string &text)
{
    if (g_json)
        writeStdout(documentText(Json{{key, text}}));
    else
        writeStdout(text);
}

std::string optionLines(const std::vector<OptionSpec> &options)
{
    std::string text;
    for (const OptionSpec &o : options) {
        std::string names = o.shortName ? std::string("-") + o.shortName + ", " : std::string("    ");
        names += std::string("--") + o.name + (o.valueName ? std::string(" ") + o.valueName : std::string());
        text += vantrel::report::format("  %-24s %s\n", names.c_str(), o.help);
    }
    return text;
}

std::string toolHelp()
{
    std::string text = "Usage: vantrelctl [--usb-library VALUE] [--json] [--verbose] [--quiet] COMMAND ...\n\n"
                       "Configures and watches the VANTREL box (serial \"2023\") from a terminal.\n\nCommands:\n";
    for (const Command &c : allCommands())
        text += std::string("  ") + c.words + " " + c.synopsis + "\n      " + c.summary + "\n";
    text += "\nOptions:\n" + optionLines(commonOptions()) + optionLines({versionOption()}) +
            "\nOptions go before or after the command's words; \"--\" ends them.\n"
            "\nExit status: 0 done, 1 refused (a text, a locked control) or a check failed or a file\n"
            "error, 2 usage error, 3 no box, 4 an exchange failed or was not acknowledged.\n";
    return text;
}

std::string commandHelp(const Command &c)
{
    std::string text = std::string("Usage: vantrelctl ") + c.words + " " + c.synopsis + "\n\n" + c.summary + "\n";
    if (*c.details)
        text += std::string("\n") + c.details + "\n";
    return text + "\nOptions:\n" + optionLines(c.options) + optionLines(commonOptions());
}

// "edid" alone, or "edid frobnicate": the commands that begin with the word.
std::string commandsStartingWith(const std::string &word, bool summaries = false)
{
    std::string text;
    for (const Command &c : allCommands())
        if (wordsOf(c).front() == word) {
            text += std::string("  vantrelctl ") + c.words + " " + c.synopsis + "\n";
            if (summaries)
                text += std::string("      ") + c.summary + "\n";
        }
    return text;
}

// The names a mistyped word may have meant: the first words, or the words
// that follow group.
std::vector<std::string> commandWords(const std::string &group = {})
{
    std::vector<std::string> names;
    for (const Command &c : allCommands()) {
        const std::vector<std::string> words = wordsOf(c);
        const std::string name = group.empty()                                ? words.front()
                                 : words.size() > 1 && words.front() == group ? words[1]
                                                                              : "";
        if (!name.empty() && std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

int runCommand(const Command &c, const std::vector<std::string> &rest, bool help)
{
    ParsedLine line = parseLine(c.words, rest, c.options);
    if (help || line.has("help")) {
        show("help", commandHelp(c));
        return kExitOk;
    }
    if (line.args.size() < c.minArgs || line.args.size() > c.maxArgs)
        usageError(std::string("usage: vantrelctl ") + c.words + " " + c.synopsis);

    LinkOptions link;
    if (line.has("usb-library"))
        link.usbLibrary = line.values["usb-library"];
    link.verbose = line.has("verbose");
    link.quiet = line.has("quiet");
    Output out(line.has("json"));
    Invocation inv{line.args, line.values, link, out};
    const int status = c.run(inv);
    out.finish();
    return status;
}

int run(std::vector<std::string> arguments)
{
    // The bash completion's question: what may follow these words.
    if (!arguments.empty() && arguments[0] == "__complete") {
        const std::vector<std::string> typed(arguments.begin() + std::min<size_t>(2, arguments.size()),
                                             arguments.end());
        for (const std::string &c : completionCandidates(arguments.size() > 1 ? arguments[1] : "", typed))
            std::printf("%s\n", c.c_str());
        return kExitOk;
    }
    Split split = splitWords(arguments);
    bool help = false;
    if (!split.words.empty() && split.words.front() == "help") {
        help = true;
        arguments.erase(arguments.begin() + long(split.wordAt.front()));
        split = splitWords(arguments);
    }
    const std::vector<std::string> &words = split.words;
    if (words.empty()) {
        std::vector<OptionSpec> options{versionOption()};
        ParsedLine line = parseLine("", split.options(arguments, 0), options);
        if (line.has("version")) {
            show("version", std::string("vantrelctl ") + VANTREL_VERSION + "\n");
            return kExitOk;
        }
        if (help || line.has("help")) {
            show("help", toolHelp());
            return kExitOk;
        }
        if (!g_json)
            std::fputs((toolHelp() + "\n").c_str(), stderr);
        usageError("no command given (see \"vantrelctl --help\")");
    }
    const auto [c, count] = findCommand(words);
    if (!c) {
        const std::string group = commandsStartingWith(words.front());
        if (group.empty())
            usageError("unknown command \"" + words.front() + "\"" + didYouMean(words.front(), commandWords()) +
                       " (see \"vantrelctl --help\")");
        // "edid --help", "help edid": the group's commands.
        if (help || split.asksForHelp(arguments)) {
            show("help", "Usage: vantrelctl " + words.front() + " COMMAND ...\n\nThe " + words.front() +
                             " commands:\n" + commandsStartingWith(words.front(), true) + "\n\"vantrelctl " +
                             words.front() + " COMMAND --help\" tells more of one.\n");
            return kExitOk;
        }
        const std::string hint = words.size() > 1 ? didYouMean(words[1], commandWords(words.front())) : std::string();
        std::string typed;
        for (const std::string &w : words)
            typed += (typed.empty() ? "" : " ") + w;
        usageError("\"" + typed + "\" needs one of" + hint + ":\n" + group);
    }
    return runCommand(*c, split.options(arguments, count), help);
}

} // namespace

int main(int argc, char **argv)
{
    prepareStandardStreams();
    const std::vector<std::string> arguments = toolArguments(argc, argv);
    g_json = asksForJson(arguments);
    int status = kExitOk;
    try {
        status = run(arguments);
    } catch (const CliError &e) {
        if (!e.message.empty())
            std::fprintf(stderr, "vantrelctl: %s\n", e.message.c_str());
        if (!e.printed)
            Output(g_json).finishWithError(e.message.empty() ? std::string("the command failed") : e.message, e.status);
        status = e.status;
    } catch (const std::bad_alloc &) {
        std::fprintf(stderr, "vantrelctl: out of memory\n");
        Output(g_json).finishWithError("out of memory", kExitFailed);
        status = kExitFailed;
    }
    // What the box said went well is told once the command did go well.
    if (status == kExitOk)
        for (const std::string &text : pendingMessages())
            std::fprintf(stderr, "%s\n", text.c_str());
    // A full or closed standard output is a failure, not a quiet success.
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "vantrelctl: cannot write standard output: %s\n", std::strerror(errno));
        return status == kExitOk ? kExitFailed : status;
    }
    return status;
}
