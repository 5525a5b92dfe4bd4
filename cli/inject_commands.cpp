// SPDX-License-Identifier: GPL-3.0-or-later
// cec send/store and infoframe hdr/avi: the texts go to the box as typed.
#include "cli_error.h"
#include "commands.h"

#include "frames.h"
#include "hex_text.h"
#include "injection.h"

#include <cstdio>
#include <functional>
#include <optional>

namespace vantrel::cli {

namespace {

// One send to the box: a refused text, an unacknowledged step or a failed
// exchange each end the command; otherwise it says what went out.
int sendOne(Invocation &inv, const std::string &what, const std::string &text,
            const std::function<bool(BoxConnection &, Session &)> &send)
{
    BoxConnection b(inv.link);
    Session s = b.session();
    const bool done = send(b, s);
    b.requireDone(what);
    b.require(done, what + " failed");
    inv.out.line(what + " sent");
    inv.out.set("sent", what);
    inv.out.set("text", text);
    return kExitOk;
}

int runCecSend(Invocation &inv)
{
    const std::string text = checkedPacketText(PacketKind::Cec, inv.args[0]);
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

int runHdr(Invocation &inv)
{
    const std::string text = checkedPacketText(PacketKind::Hdr, inv.args[0]);
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
    const std::string text = checkedPacketText(PacketKind::Avi, inv.args[0]);
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
    struct Rule {
        const char *what;
        size_t minBytes, maxBytes;
    };
    static const Rule rules[] = {{"a CEC message", 2, 31}, {"an HDR infoframe", 2, 31}, {"an AVI infoframe", 2, 13}};
    const Rule &rule = rules[int(kind)];
    const hex::ColonHexBytes read = hex::readColonHex(text);
    if (!read.ok)
        throw CliError{kExitFailed, "\"" + text + "\" is " + read.error};
    // The box ignores it too; say so rather than send in silence.
    if (!read.ignored.empty())
        std::fprintf(stderr, "vantrelctl: ignored after the last pair: \"%s\"\n", read.ignored.c_str());
    const size_t n = read.bytes.size();
    if (n < rule.minBytes || n > rule.maxBytes)
        throw CliError{kExitFailed, std::string("the box sends ") + rule.what + " of " + std::to_string(rule.minBytes) +
                                        " to " + std::to_string(rule.maxBytes) + " bytes; \"" + text + "\" has " +
                                        std::to_string(n)};
    return text;
}

std::vector<Command> injectCommands()
{
    return {
        {"cec send",
         "TEXT",
         "Send a CEC message, colon hex (\"50:04\": from, to, opcode ...).",
         "With --verbose it also says what was sent by name (\"Audio System to TV: Image View On\").",
         1,
         1,
         {},
         runCecSend},
        {"cec store",
         "sp|lp TEXT",
         "Store the CEC command the box's SP or LP button sends (the text as typed).",
         "",
         2,
         2,
         {},
         runCecStore},
        {"infoframe hdr",
         "TEXT",
         "Load and activate an HDR infoframe, colon hex (up to 31 bytes).",
         "",
         1,
         1,
         {},
         runHdr},
        {"infoframe avi",
         "TEXT [--replace on|off]",
         "Load and activate an AVI infoframe, colon hex (up to 13 bytes).",
         "",
         1,
         1,
         {{"replace", 0, "on|off",
           "whether the box keeps replacing the source's AVI infoframe (default: its current avi-replace setting)"}},
         runAvi},
    };
}

} // namespace vantrel::cli
