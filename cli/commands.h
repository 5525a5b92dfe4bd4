// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of vantrelctl: their words, their synopsis and options, and
// what runs them. Each command file adds its rows to the table.
#pragma once

#include "box_connection.h"
#include "output.h"
#include "setting_commands.h"

#include "compose.h"
#include "packet_summary.h"

#include <set>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::cli {

// One option of a command: "--name" (and "-x" when shortName is set), with a
// value when valueName is set.
struct OptionSpec {
    const char *name;
    char shortName;
    const char *valueName; // null for a flag
    const char *help;
};

// A command as parsed: its own options and arguments, the link options and
// where its output goes.
struct Invocation {
    std::vector<std::string> args;             // the positional arguments after the command's words
    std::map<std::string, std::string> values; // option name -> value ("" for a flag)
    LinkOptions link;
    Output &out;

    bool isSet(const std::string &option) const { return values.count(option) != 0; }
    std::string value(const std::string &option) const
    {
        const auto it = values.find(option);
        return it == values.end() ? std::string() : it->second;
    }
};

struct Command {
    const char *words;    // "edid read"
    const char *synopsis; // what follows the words: "[box|top|bottom] [-o FILE]"
    const char *summary;  // one line for the command list
    const char *details;  // more for its --help; may be empty
    size_t minArgs, maxArgs;
    std::vector<OptionSpec> options; // its own
    int (*run)(Invocation &);        // the exit status
};

// The rows of each command file, in the order the help lists them.
std::vector<Command> boxCommands();
std::vector<Command> statusCommands();
std::vector<Command> edidCommands();
std::vector<Command> edidEditCommands(); // edit, diff
std::vector<Command> edidLibraryCommands(); // save-as, list, load, export
std::vector<Command> injectCommands();
std::vector<Command> packetCommands();
std::vector<Command> profileCommands();
std::vector<Command> logCommands();
std::vector<Command> chainCommands();
std::vector<Command> rulesCommands();
std::vector<Command> serveCommands(); // empty where the tool is built without MQTT

// A setting by name and value as set takes them; throws CliError(kExitUsage)
// saying why not.
struct SettingChange {
    const config::Setting *setting;
    uint8_t value;
    config::RegisterWrite write;
};
SettingChange checkedSettingChange(const std::string &name, const std::string &value);
// Applies it as set does: a locked setting is refused, then changeSetting.
void applySettingChange(BoxConnection &b, const SettingChange &change, const std::optional<std::string> &hdr,
                        const std::optional<std::string> &avi);
// The one way a setting is written, for set and profile apply: force-hdr and
// avi-replace first send their infoframe (the text given, else the one the
// box holds), then the register write, then an EDID mode change waits for the
// rebuild. Throws CliError.
void changeSetting(BoxConnection &b, const SettingChange &change, const std::optional<std::string> &hdr,
                   const std::optional<std::string> &avi);

// What status and cec send add from the packet decoders: a line saying what
// the captured HDR infoframe of the status record holds (all of it in JSON);
// the CEC message by name (a line with --verbose, "decoded" in JSON).
void addCapturedInfoframe(Output &out, const uint8_t *hdrRecord, size_t length);
void describeCecSent(Invocation &inv, const std::string &text);

using packets::PacketKind;
// serve's names for the composed result, until it moves to its own room.
using Composed = packets::Built;
using packets::composeRecipe;
// The text as typed, when the box's send would take it; otherwise throws
// CliError(kExitFailed) saying why in the tool's words.
std::string checkedPacketText(PacketKind kind, const std::string &text);

// Every command, in the order the help lists them.
const std::vector<Command> &allCommands();
// --usb-library, --json, --verbose, --quiet, --help.
const std::vector<OptionSpec> &commonOptions();

// The words of a command ("edid read" -> edid, read).
std::vector<std::string> wordsOf(const Command &c);

// What may follow typed (the words after the program's name) where the word
// being typed is current: commands, options, setting names and values.
std::vector<std::string> completionCandidates(const std::string &current, const std::vector<std::string> &typed);

// Throws CliError(kExitUsage) with the text.
[[noreturn]] void usageError(const std::string &text);

// --interval SECONDS (0.2 to 3600) in milliseconds; fallback when not given.
long intervalOption(const Invocation &inv, long fallback);

} // namespace vantrel::cli
