// SPDX-License-Identifier: GPL-3.0-or-later
// cec send/store/recipe and infoframe hdr/avi: the texts go to the box as
// typed, or composed by name from the options (packets/compose.h).
#include "cli_error.h"
#include "commands.h"
#include "compose.h"

#include "frames.h"
#include "hex_text.h"
#include "injection.h"

#include <cstdio>
#include <functional>
#include <optional>

namespace vantrel::cli {

namespace {

using packets::aviComposeOptions;
using packets::Built;
using packets::composeAvi;
using packets::composeCec;
using packets::composeHdr;
using packets::ComposeOption;
using packets::hdrComposeOptions;
using packets::OptionValues;
using packets::recipeHelp;

// One send to the box: a refused text, an unacknowledged step or a failed
// exchange each end the command; otherwise it says what went out.
int sendOne(Invocation &inv, const std::string &what, const std::string &text,
            const std::function<Outcome(BoxConnection &, Session &)> &send)
{
    BoxConnection b(inv.link);
    Session s = b.session();
    b.requireDone(send(b, s), what);
    inv.out.line(what + " sent");
    inv.out.set("sent", what);
    inv.out.set("text", text);
    return kExitOk;
}

OptionValues optionValues(const Invocation &inv, const std::vector<ComposeOption> &options)
{
    OptionValues values;
    for (const ComposeOption &o : options)
        if (inv.isSet(o.name))
            values[o.name] = inv.value(o.name);
    return values;
}

const OptionSpec kPrint{"print", 0, nullptr, "print the colon hex instead of sending it (no box needed)"};
const OptionSpec kFrom{"from", 0, "ADDRESS", "the sender's logical address (default playback1)"};

std::vector<OptionSpec> composeOptions(const std::vector<ComposeOption> &options)
{
    std::vector<OptionSpec> specs;
    for (const ComposeOption &o : options)
        specs.push_back({o.name, 0, o.valueName, o.help});
    specs.push_back(kPrint);
    return specs;
}

std::string from(const Invocation &inv)
{
    return inv.isSet("from") ? inv.value("from") : "playback1";
}

// A refused field ends the command as a wrong value on the command line; what
// the decoder finds wrong with a CEC message refuses the send unless --force.
Built checked(const Invocation &inv, Built c)
{
    if (!c.ok)
        usageError(c.error);
    for (const std::string &note : c.notes)
        std::fprintf(stderr, "vantrelctl: %s\n", note.c_str());
    if (!c.problems.empty() && !inv.isSet("force")) {
        std::string why;
        for (const std::string &p : c.problems)
            why += "\n  " + p;
        throw CliError{kExitFailed, "not sent (--force sends it anyway):" + why};
    }
    return c;
}

// --print: the texts, one a line, and what they say with --verbose.
int printBuilt(Invocation &inv, const Built &c)
{
    for (size_t i = 0; i < c.texts.size(); ++i) {
        inv.out.line(c.texts[i]);
        if (inv.link.verbose)
            inv.out.line("  " + c.summaries[i]);
    }
    inv.out.set("texts", c.texts);
    return kExitOk;
}

int runCecSend(Invocation &inv)
{
    std::string typed = inv.args[0];
    if (inv.isSet("to")) {
        const Built c = checked(inv, composeCec(from(inv), inv.value("to"), inv.args));
        if (inv.isSet("print"))
            return printBuilt(inv, c);
        typed = c.texts[0];
    } else if (inv.args.size() != 1 || inv.isSet("print") || inv.isSet("from") || inv.isSet("force")) {
        usageError("cec send takes TEXT, or --to ADDRESS OPCODE [OPERANDS]");
    }
    const std::string text = checkedPacketText(PacketKind::Cec, typed);
    const int status =
        sendOne(inv, "CEC message", text, [&](BoxConnection &, Session &s) { return inject::sendCec(s, text); });
    describeCecSent(inv, text);
    return status;
}

int runCecStore(Invocation &inv)
{
    const std::string which = inv.args[0];
    if (which != "sp" && which != "lp")
        usageError("cec store takes sp or lp, not \"" + which + "\"");
    const uint8_t code = which == "sp" ? frame::kStoreCecSp : frame::kStoreCecLp;
    const std::string text = inv.args[1];
    // The box stores the text with a carriage return: 5 to 59 characters.
    if (text.size() < 5 || text.size() > 59)
        throw CliError{kExitFailed, "cec store: the box stores a text of 5 to 59 characters; \"" + text + "\" has " +
                                        std::to_string(text.size())};
    return sendOne(inv, "CEC command for " + std::string(which == "sp" ? "SP" : "LP"), text,
                   [&](BoxConnection &, Session &s) { return inject::saveCecCommand(s, code, text); });
}

int runCecRecipe(Invocation &inv)
{
    const Built c = checked(inv, composeRecipe(from(inv), inv.args));
    if (inv.isSet("print"))
        return printBuilt(inv, c);
    BoxConnection b(inv.link);
    Session s = b.session();
    for (const std::string &text : c.texts) {
        b.requireDone(inject::sendCec(s, text), "CEC message " + text);
        inv.out.line("CEC message sent: " + text);
    }
    inv.out.set("sent", c.texts);
    return kExitOk;
}

// The TEXT given, or the text composed from the options; null after --print.
std::optional<std::string> infoframeText(Invocation &inv, PacketKind kind, const std::vector<ComposeOption> &options,
                                         Built (*compose)(const OptionValues &))
{
    const OptionValues values = optionValues(inv, options);
    const bool print = inv.isSet("print");
    if (values.empty() && inv.args.size() == 1 && !print)
        return checkedPacketText(kind, inv.args[0]);
    if (values.empty() || !inv.args.empty())
        usageError("give TEXT or the fields, not both and not neither");
    const Built c = checked(inv, compose(values));
    if (print) {
        printBuilt(inv, c);
        return std::nullopt;
    }
    return c.texts[0];
}

int runHdr(Invocation &inv)
{
    const std::optional<std::string> typed = infoframeText(inv, PacketKind::Hdr, hdrComposeOptions(), composeHdr);
    if (!typed)
        return kExitOk;
    const std::string text = *typed;
    return sendOne(inv, "HDR infoframe", text,
                   [&](BoxConnection &, Session &s) { return inject::writeHdrInfoframe(s, text); });
}

int runAvi(Invocation &inv)
{
    // The window sends with its "replace" box as the readback left it.
    std::optional<bool> replace;
    if (inv.isSet("replace")) {
        const std::string v = inv.value("replace");
        if (v != "on" && v != "off")
            usageError("--replace takes on or off, not \"" + v + "\"");
        replace = v == "on";
    }
    const std::optional<std::string> typed = infoframeText(inv, PacketKind::Avi, aviComposeOptions(), composeAvi);
    if (!typed)
        return kExitOk;
    const std::string text = *typed;
    bool replaced = false;
    const int status = sendOne(inv, "AVI infoframe", text, [&](BoxConnection &b, Session &s) {
        replaced = replace ? *replace : b.readSettings()[33] == 1;
        uint8_t imagePos33 = 0;
        return inject::sendAvi(s, text, replaced, imagePos33);
    });
    inv.out.set("replace", replaced);
    return status;
}

} // namespace

std::string checkedPacketText(PacketKind kind, const std::string &text)
{
    const std::string problem = hex::frameTextProblem(hex::FrameKind(int(kind)), text);
    if (!problem.empty())
        throw CliError{kExitFailed, problem};
    // The box ignores it too; say so rather than send in silence.
    const hex::ColonHexBytes read = hex::readColonHex(text);
    if (!read.ignored.empty())
        std::fprintf(stderr, "vantrelctl: ignored after the last pair: \"%s\"\n", read.ignored.c_str());
    return text;
}

std::vector<Command> injectCommands()
{
    static const std::string recipes = "Recipes:\n" + recipeHelp().substr(0, recipeHelp().size() - 1);
    std::vector<OptionSpec> aviOptions = composeOptions(aviComposeOptions());
    aviOptions.insert(aviOptions.begin(),
                      {"replace", 0, "on|off",
                       "whether the box keeps replacing the source's AVI infoframe (default: its current avi-replace "
                       "setting)"});
    return {
        {"cec send",
         "TEXT | --to ADDRESS OPCODE [OPERANDS] [--from ADDRESS] [--force] [--print]",
         "Send a CEC message, colon hex (\"50:04\": from, to, opcode ...) or by name.",
         "With --to the message is composed: OPCODE as cec decode names it (image-view-on, standby,\n"
         "active-source 1.0.0.0, user-control-pressed power-on-function); operands are physical\n"
         "addresses, vendor ids (00-E0-91), bytes (0x6d, 109), colon hex or names. A directly\n"
         "addressed opcode broadcast, a broadcast one directed or a wrong operand count is refused\n"
         "unless --force. With --verbose it also says what was sent by name.",
         1,
         16,
         {{"to", 0, "ADDRESS",
           "compose by name: tv, recorder1-3, tuner1-4, playback1-3, audio, backup1-2, specific, broadcast or 0-15"},
          {"force", 0, nullptr, "send a composed message that cec decode finds fault with"},
          kFrom,
          kPrint},
         runCecSend},
        {"cec store",
         "sp|lp TEXT",
         "Store the CEC command the box's SP or LP button sends (the text as typed).",
         "",
         2,
         2,
         {},
         runCecStore},
        {"cec recipe",
         "NAME [PHYS] [--from ADDRESS] [--print]",
         "Send a short CEC sequence that displays and receivers follow.",
         recipes.c_str(),
         1,
         2,
         {kFrom, kPrint},
         runCecRecipe},
        {"infoframe hdr", "TEXT | [--template NAME] [FIELDS] [--print]",
         "Load and activate an HDR infoframe: colon hex (up to 31 bytes), or composed from a template and fields.",
         "Built: header 87 01 1A, the checksum and static metadata type 1; fields out of range\n"
         "are refused with their range. --print shows the colon hex without sending it.",
         0, 1, composeOptions(hdrComposeOptions()), runHdr},
        {"infoframe avi", "TEXT | [FIELDS] [--replace on|off] [--print]",
         "Load and activate an AVI infoframe: colon hex (up to 13 bytes), or composed from fields.",
         "Built: the 13 data bytes the box takes. --print shows the colon hex without sending it.", 0, 1, aviOptions,
         runAvi},
    };
}

} // namespace vantrel::cli
