// SPDX-License-Identifier: GPL-3.0-or-later
// cec send/store and infoframe hdr/avi: the texts go to the box as typed.
#include "cli_error.h"
#include "commands.h"

#include "frames.h"
#include "injection.h"

#include <functional>
#include <optional>

namespace vantrel::cli {

namespace {

// One send to the box: refused text, an unacknowledged step or a failed
// exchange each end the command; otherwise it says what went out.
int sendOne(Invocation &inv, const QString &what, const QString &text,
            const std::function<bool(BoxConnection &, Session &)> &send)
{
    BoxConnection b(inv.link);
    Session s = b.session();
    const bool done = send(b, s);
    b.requireDone(what.toStdString());
    b.require(done, what.toStdString() + " failed");
    inv.out.line(QStringLiteral("%1 sent").arg(what));
    inv.out.set(QStringLiteral("sent"), what);
    inv.out.set(QStringLiteral("text"), text);
    return kExitOk;
}

int runCecSend(Invocation &inv)
{
    const std::string text = inv.args[0].toStdString();
    const int status = sendOne(inv, QStringLiteral("CEC message"), inv.args[0],
                               [&](BoxConnection &, Session &s) { return inject::sendCec(s, text); });
    describeCecSent(inv, inv.args[0]);
    return status;
}

int runCecStore(Invocation &inv)
{
    const QString which = inv.args[0];
    if (which != QLatin1String("sp") && which != QLatin1String("lp"))
        usageError("cec store takes sp or lp, not \"" + which.toStdString() + "\"");
    const uint8_t code = which == QLatin1String("sp") ? frame::kStoreCecSp : frame::kStoreCecLp;
    const std::string text = inv.args[1].toStdString();
    return sendOne(inv, QStringLiteral("CEC command for %1").arg(which.toUpper()), inv.args[1],
                   [&](BoxConnection &, Session &s) { return inject::saveCecCommand(s, code, text); });
}

int runHdr(Invocation &inv)
{
    const std::string text = inv.args[0].toStdString();
    return sendOne(inv, QStringLiteral("HDR infoframe"), inv.args[0],
                   [&](BoxConnection &, Session &s) { return inject::writeHdrInfoframe(s, text); });
}

int runAvi(Invocation &inv)
{
    // The window sends with its "replace" box as the readback left it.
    std::optional<bool> replace;
    if (inv.isSet(QStringLiteral("replace"))) {
        const QString v = inv.value(QStringLiteral("replace"));
        if (v != QLatin1String("on") && v != QLatin1String("off"))
            usageError("--replace takes on or off");
        replace = v == QLatin1String("on");
    }
    const std::string text = inv.args[0].toStdString();
    bool replaced = false;
    const int status = sendOne(inv, QStringLiteral("AVI infoframe"), inv.args[0], [&](BoxConnection &b, Session &s) {
        replaced = replace ? *replace : b.readSettings()[33] == 1;
        uint8_t imagePos33 = 0;
        return inject::sendAvi(s, text, replaced, imagePos33);
    });
    inv.out.set(QStringLiteral("replace"), replaced);
    return status;
}

void aviOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("replace"),
                 QStringLiteral("on/off: whether the box keeps replacing the source's AVI infoframe (default: "
                                "its current avi-replace setting)."),
                 QStringLiteral("on|off")});
}

} // namespace

std::vector<Command> injectCommands()
{
    return {
        {"cec send", "TEXT", "Send a CEC message, colon hex (\"50:04\": from, to, opcode ...).",
         "With --verbose it also says what was sent by name (\"Audio System to TV: Image View On\").", 1, 1,
         nullptr, runCecSend},
        {"cec store", "sp|lp TEXT", "Store the CEC command the box's SP or LP button sends (the text as typed).", "",
         2, 2, nullptr, runCecStore},
        {"infoframe hdr", "TEXT", "Load and activate an HDR infoframe, colon hex (up to 31 bytes).", "", 1, 1,
         nullptr, runHdr},
        {"infoframe avi", "TEXT [--replace on|off]", "Load and activate an AVI infoframe, colon hex (up to 13 bytes).",
         "", 1, 1, aviOptions, runAvi},
    };
}

} // namespace vantrel::cli
