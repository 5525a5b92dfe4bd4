// SPDX-License-Identifier: GPL-3.0-or-later
#include "rule_actions.h"

#include "cli_error.h"
#include "command_line.h"
#include "commands.h"

#include <algorithm>
#include <exception>

namespace vantrel::cli {

namespace {

// Commands that never end, run a watch of their own or do nothing to the box.
const char *const kNotActions[] = {"serve",        "rules check",      "rules test", "log",
                                   "edid check",   "edid decode",      "edid edit",  "edid diff",
                                   "profile show", "infoframe decode", "cec decode", "list"};
// Options that are serve's to decide, or that make an action do nothing.
const char *const kNotOptions[] = {"usb-library", "json", "help", "print", "watch", "version"};

struct Prepared {
    const Command *command = nullptr;
    ParsedLine line;
};

Prepared prepare(const std::string &text)
{
    const std::vector<std::string> arguments = actionWords(text);
    const Split split = splitWords(arguments);
    if (split.words.empty())
        usageError("no command");
    const auto [c, count] = findCommand(split.words);
    if (!c)
        usageError("no command \"" + split.words.front() + "\" (see \"vantrelctl --help\")");
    for (const char *name : kNotActions)
        if (std::string(c->words) == name)
            usageError(std::string(c->words) + " is not an action: it does not act on the box");
    Prepared p{c, parseLine(c->words, split.options(arguments, count), c->options)};
    for (const char *name : kNotOptions)
        if (p.line.has(name))
            usageError(std::string("--") + name + " is not for an action");
    if (std::find(p.line.args.begin(), p.line.args.end(), "-") != p.line.args.end())
        usageError("an action has no standard input or output (\"-\")");
    if (p.line.args.size() < c->minArgs || p.line.args.size() > c->maxArgs)
        usageError(std::string("usage: ") + c->words + " " + c->synopsis);
    return p;
}

LinkOptions linkOf(const ParsedLine &line)
{
    LinkOptions link;
    link.verbose = line.has("verbose");
    link.quiet = line.has("quiet");
    return link;
}

} // namespace

std::vector<std::string> actionWords(const std::string &line)
{
    std::vector<std::string> words;
    std::string word;
    bool inWord = false;
    char quote = 0;
    for (size_t i = 0; i < line.size(); ++i) {
        const char ch = line[i];
        if (quote) {
            if (ch == quote)
                quote = 0;
            else if (ch == '\\' && quote == '"' && i + 1 < line.size())
                word += line[++i];
            else
                word += ch;
        } else if (ch == ' ' || ch == '\t') {
            if (inWord)
                words.push_back(word);
            word.clear();
            inWord = false;
        } else {
            inWord = true;
            if (ch == '"' || ch == '\'')
                quote = ch;
            else if (ch == '\\' && i + 1 < line.size())
                word += line[++i];
            else
                word += ch;
        }
    }
    if (quote)
        usageError(std::string("the quote ") + quote + " is not closed");
    if (inWord)
        words.push_back(word);
    return words;
}

std::string checkAction(const std::string &line)
{
    try {
        Prepared p = prepare(line);
        // The command checks what it was given up to where it needs the box.
        BoxConnection::Lend none(nullptr);
        Output out(true);
        Invocation inv{p.line.args, p.line.values, linkOf(p.line), out};
        p.command->run(inv);
    } catch (const BoxNotNeeded &) {
    } catch (const CliError &e) {
        pendingMessages().clear();
        return e.message.empty() ? "refused" : e.message;
    } catch (const std::exception &e) {
        pendingMessages().clear();
        return e.what();
    }
    return {};
}

report::Json runAction(BoxConnection &box, const std::string &line)
{
    using report::Json;
    pendingMessages().clear();
    const char *outcome = "done";
    std::string message;
    try {
        Prepared p = prepare(line);
        BoxConnection::Lend lent(&box);
        Output out(true);
        Invocation inv{p.line.args, p.line.values, linkOf(p.line), out};
        const int status = p.command->run(inv);
        if (status != kExitOk)
            outcome = "refused"; // a diff that found differences, say
        for (const std::string &m : pendingMessages())
            message += (message.empty() ? "" : "; ") + m;
    } catch (const CliError &e) {
        outcome = e.status == kExitExchange || e.status == kExitNoBox ? "failed" : "refused";
        message = e.message;
    } catch (const std::exception &e) {
        // serve goes on whatever one action met.
        outcome = "failed";
        message = e.what();
    }
    pendingMessages().clear();
    return Json{{"action", line}, {"outcome", outcome}, {"message", report::latin1(message)}};
}

} // namespace vantrel::cli
