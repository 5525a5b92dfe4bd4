// cec send/store and infoframe hdr/avi: the texts go to the box as typed.
#include "cli_error.h"
#include "commands.h"

#include "frames.h"
#include "injection.h"

namespace vantrel::cli {

namespace {

void reportSent(Invocation &inv, const QString &what, const QString &text)
{
    inv.out.line(QStringLiteral("%1 sent").arg(what));
    inv.out.set(QStringLiteral("sent"), what);
    inv.out.set(QStringLiteral("text"), text);
}

int runCecSend(Invocation &inv)
{
    BoxConnection b(inv.link);
    Session s = b.session();
    const bool exchanged = inject::sendCec(s, inv.args[0].toStdString());
    b.requireNoFailure("the CEC message");
    b.require(exchanged, "the CEC message failed");
    reportSent(inv, QStringLiteral("CEC message"), inv.args[0]);
    return kExitOk;
}

int runCecStore(Invocation &inv)
{
    const QString which = inv.args[0];
    if (which != QLatin1String("sp") && which != QLatin1String("lp"))
        usageError("cec store takes sp or lp, not \"" + which.toStdString() + "\"");
    BoxConnection b(inv.link);
    Session s = b.session();
    const uint8_t code = which == QLatin1String("sp") ? frame::kStoreCecSp : frame::kStoreCecLp;
    const bool exchanged = inject::saveCecCommand(s, code, inv.args[1].toStdString());
    b.requireNoFailure("storing the CEC command");
    b.require(exchanged, "storing the CEC command failed");
    reportSent(inv, QStringLiteral("CEC command for %1").arg(which.toUpper()), inv.args[1]);
    return kExitOk;
}

int runHdr(Invocation &inv)
{
    BoxConnection b(inv.link);
    Session s = b.session();
    const bool activated = inject::writeHdrInfoframe(s, inv.args[0].toStdString());
    b.requireNoFailure("the HDR infoframe");
    b.require(activated, "the HDR infoframe was not activated");
    reportSent(inv, QStringLiteral("HDR infoframe"), inv.args[0]);
    return kExitOk;
}

int runAvi(Invocation &inv)
{
    BoxConnection b(inv.link);
    // The window sends with its "replace" box as the readback left it.
    bool replace = false;
    if (inv.isSet(QStringLiteral("replace"))) {
        const QString v = inv.value(QStringLiteral("replace"));
        if (v != QLatin1String("on") && v != QLatin1String("off"))
            usageError("--replace takes on or off");
        replace = v == QLatin1String("on");
    } else {
        replace = b.readSettings()[33] == 1;
    }
    Session s = b.session();
    uint8_t imagePos33 = 0;
    const bool sent = inject::sendAvi(s, inv.args[0].toStdString(), replace, imagePos33);
    b.requireNoFailure("the AVI infoframe");
    b.require(sent, "the AVI infoframe was not acknowledged");
    reportSent(inv, QStringLiteral("AVI infoframe"), inv.args[0]);
    inv.out.set(QStringLiteral("replace"), replace);
    return kExitOk;
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
        {"cec send", "TEXT", "Send a CEC message, colon hex (\"50:04\": from, to, opcode ...).", "", 1, 1, nullptr,
         runCecSend},
        {"cec store", "sp|lp TEXT", "Store the CEC command the box's SP or LP button sends (the text as typed).", "",
         2, 2, nullptr, runCecStore},
        {"infoframe hdr", "TEXT", "Load and activate an HDR infoframe, colon hex (up to 31 bytes).", "", 1, 1,
         nullptr, runHdr},
        {"infoframe avi", "TEXT [--replace on|off]", "Load and activate an AVI infoframe, colon hex (up to 13 bytes).",
         "", 1, 1, aviOptions, runAvi},
    };
}

} // namespace vantrel::cli
