// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of vantrelctl: their words, their synopsis and options, and
// what runs them. Each command file adds its rows to the table.
#pragma once

#include "box_connection.h"
#include "output.h"

#include <QCommandLineParser>
#include <QStringList>

#include <string>
#include <vector>

namespace vantrel::cli {

// A command as parsed: its own options and arguments, the link options and
// where its output goes.
struct Invocation {
    QCommandLineParser &parser;
    QStringList args; // the positional arguments after the command's words
    LinkOptions link;
    Output &out;

    bool isSet(const QString &option) const { return parser.isSet(option); }
    QString value(const QString &option) const { return parser.value(option); }
};

struct Command {
    const char *words;    // "edid read"
    const char *synopsis; // what follows the words: "[box|top|bottom] [-o FILE]"
    const char *summary;  // one line for the command list
    const char *details;  // more for its --help; may be empty
    int minArgs, maxArgs;
    void (*addOptions)(QCommandLineParser &); // its own options, or null
    int (*run)(Invocation &);                 // the exit status
};

// The rows of each command file, in the order the help lists them.
std::vector<Command> boxCommands();
std::vector<Command> statusCommands();
std::vector<Command> edidCommands();
std::vector<Command> injectCommands();
std::vector<Command> packetCommands();

// What status and cec send add from the packet decoders: a line saying what
// the captured HDR infoframe of the status record holds (all of it in JSON);
// the CEC message by name
// (a line with --verbose, "decoded" in JSON).
void addCapturedInfoframe(Invocation &inv, const uint8_t *hdrRecord, size_t length);
void describeCecSent(Invocation &inv, const QString &text);

// Every command, in the order the help lists them.
const std::vector<Command> &allCommands();
// --usb-library, --json, --verbose, --quiet, --help.
void addCommonOptions(QCommandLineParser &p);

// What may follow typed (the words after the program's name) where the word
// being typed is current: commands, options, setting names and values.
std::vector<std::string> completionCandidates(const QString &current, const QStringList &typed);

// Throws CliError(kExitUsage) with the text.
[[noreturn]] void usageError(const std::string &text);

} // namespace vantrel::cli
