// SPDX-License-Identifier: GPL-3.0-or-later
// cec send/store/recipe and infoframe hdr/avi: the texts go to the box as
// typed, or composed by name from the options (compose.h).
#include "cli_error.h"
#include "commands.h"
#include "compose.h"

#include "frames.h"
#include "injection.h"

#include <QJsonArray>

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

OptionValues optionValues(const Invocation &inv, const std::vector<ComposeOption> &options)
{
    OptionValues values;
    for (const ComposeOption &o : options)
        if (inv.isSet(QString::fromLatin1(o.name)))
            values[o.name] = inv.value(QString::fromLatin1(o.name)).toStdString();
    return values;
}

void addComposeOptions(QCommandLineParser &p, const std::vector<ComposeOption> &options)
{
    for (const ComposeOption &o : options)
        p.addOption({QString::fromLatin1(o.name), QString::fromLatin1(o.help), QString::fromLatin1(o.valueName)});
    p.addOption(
        {QStringLiteral("print"), QStringLiteral("Print the colon hex instead of sending it (no box needed).")});
}

// A refused field ends the command as a wrong value on the command line; what
// the decoder finds wrong with a CEC message refuses the send unless --force.
Composed checked(const Invocation &inv, Composed c)
{
    if (!c.ok)
        usageError(c.error);
    if (!c.problems.empty() && !inv.isSet(QStringLiteral("force"))) {
        std::string why;
        for (const std::string &p : c.problems)
            why += "\n  " + p;
        throw CliError{kExitFailed, "not sent (--force sends it anyway):" + why};
    }
    return c;
}

// --print: the texts, one a line, and what they say with --verbose.
int printComposed(Invocation &inv, const Composed &c)
{
    QJsonArray texts;
    for (size_t i = 0; i < c.texts.size(); ++i) {
        inv.out.line(QString::fromStdString(c.texts[i]));
        if (inv.link.verbose)
            inv.out.line(QStringLiteral("  %1").arg(QString::fromStdString(c.summaries[i])));
        texts.append(QString::fromStdString(c.texts[i]));
    }
    inv.out.set(QStringLiteral("texts"), texts);
    return kExitOk;
}

int runCecSend(Invocation &inv)
{
    QString typed = inv.args[0];
    if (inv.isSet(QStringLiteral("to"))) {
        std::vector<std::string> words;
        for (const QString &a : inv.args)
            words.push_back(a.toStdString());
        const Composed c = checked(inv, composeCec(inv.value(QStringLiteral("from")).toStdString(),
                                                   inv.value(QStringLiteral("to")).toStdString(), words));
        if (inv.isSet(QStringLiteral("print")))
            return printComposed(inv, c);
        typed = QString::fromStdString(c.texts[0]);
    } else if (inv.args.size() != 1 || inv.isSet(QStringLiteral("print")) || inv.isSet(QStringLiteral("from")) ||
               inv.isSet(QStringLiteral("force"))) {
        usageError("cec send takes TEXT, or --to ADDRESS OPCODE [OPERANDS]");
    }
    const std::string text = typed.toStdString();
    const int status = sendOne(inv, QStringLiteral("CEC message"), typed,
                               [&](BoxConnection &, Session &s) { return inject::sendCec(s, text); });
    describeCecSent(inv, typed);
    return status;
}

void cecAddressOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("from"), QStringLiteral("The sender's logical address (default playback1)."),
                 QStringLiteral("ADDRESS"), QStringLiteral("playback1")});
    p.addOption(
        {QStringLiteral("print"), QStringLiteral("Print the colon hex instead of sending it (no box needed).")});
}

void cecSendOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("to"),
                 QStringLiteral("Compose by name: tv, recorder1-3, tuner1-4, playback1-3, audio, backup1-2, "
                                "specific, broadcast or 0-15."),
                 QStringLiteral("ADDRESS")});
    p.addOption({QStringLiteral("force"), QStringLiteral("Send a composed message that cec decode finds fault with.")});
    cecAddressOptions(p);
}

int runCecRecipe(Invocation &inv)
{
    std::vector<std::string> words;
    for (const QString &a : inv.args)
        words.push_back(a.toStdString());
    const Composed c = checked(inv, composeRecipe(inv.value(QStringLiteral("from")).toStdString(), words));
    if (inv.isSet(QStringLiteral("print")))
        return printComposed(inv, c);
    BoxConnection b(inv.link);
    Session s = b.session();
    QJsonArray sent;
    for (const std::string &text : c.texts) {
        const bool done = inject::sendCec(s, text);
        b.requireDone("CEC message " + text);
        b.require(done, "CEC message " + text + " failed");
        inv.out.line(QStringLiteral("CEC message sent: %1").arg(QString::fromStdString(text)));
        sent.append(QString::fromStdString(text));
    }
    inv.out.set(QStringLiteral("sent"), sent);
    return kExitOk;
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

// The TEXT given, or the text composed from the options; null after --print.
std::optional<QString> infoframeText(Invocation &inv, const std::vector<ComposeOption> &options,
                                     Composed (*compose)(const OptionValues &))
{
    const OptionValues values = optionValues(inv, options);
    const bool print = inv.isSet(QStringLiteral("print"));
    if (values.empty() && inv.args.size() == 1 && !print)
        return inv.args[0];
    if (values.empty() || !inv.args.isEmpty())
        usageError("give TEXT or the fields, not both and not neither");
    const Composed c = checked(inv, compose(values));
    if (print) {
        printComposed(inv, c);
        return std::nullopt;
    }
    return QString::fromStdString(c.texts[0]);
}

int runHdr(Invocation &inv)
{
    const std::optional<QString> typed = infoframeText(inv, hdrComposeOptions(), composeHdr);
    if (!typed)
        return kExitOk;
    const std::string text = typed->toStdString();
    return sendOne(inv, QStringLiteral("HDR infoframe"), *typed,
                   [&](BoxConnection &, Session &s) { return inject::writeHdrInfoframe(s, text); });
}

void hdrOptions(QCommandLineParser &p)
{
    addComposeOptions(p, hdrComposeOptions());
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
    const std::optional<QString> typed = infoframeText(inv, aviComposeOptions(), composeAvi);
    if (!typed)
        return kExitOk;
    const std::string text = typed->toStdString();
    bool replaced = false;
    const int status = sendOne(inv, QStringLiteral("AVI infoframe"), *typed, [&](BoxConnection &b, Session &s) {
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
    addComposeOptions(p, aviComposeOptions());
}

} // namespace

std::vector<Command> injectCommands()
{
    static const std::string recipes = "Recipes:\n" + recipeHelp().substr(0, recipeHelp().size() - 1);
    return {
        {"cec send", "TEXT | --to ADDRESS OPCODE [OPERANDS] [--from ADDRESS] [--force] [--print]",
         "Send a CEC message, colon hex (\"50:04\": from, to, opcode ...) or by name.",
         "With --to the message is composed: OPCODE as cec decode names it (image-view-on, standby,\n"
         "active-source 1.0.0.0, user-control-pressed power-on-function); operands are physical\n"
         "addresses, vendor ids (00-E0-91), bytes (0x6d, 109), colon hex or names. A directly\n"
         "addressed opcode broadcast, a broadcast one directed or a wrong operand count is refused\n"
         "unless --force. With --verbose it also says what was sent by name.",
         1, 16, cecSendOptions, runCecSend},
        {"cec store", "sp|lp TEXT", "Store the CEC command the box's SP or LP button sends (the text as typed).", "", 2,
         2, nullptr, runCecStore},
        {"cec recipe", "NAME [PHYS] [--from ADDRESS] [--print]",
         "Send a short CEC sequence that displays and receivers follow.", recipes.c_str(), 1, 2, cecAddressOptions,
         runCecRecipe},
        {"infoframe hdr", "TEXT | [--template NAME] [FIELDS] [--print]",
         "Load and activate an HDR infoframe: colon hex (up to 31 bytes), or composed from a template and fields.",
         "Composed: header 87 01 1A, the checksum and static metadata type 1; fields out of range\n"
         "are refused with their range. --print shows the colon hex without sending it.",
         0, 1, hdrOptions, runHdr},
        {"infoframe avi", "TEXT | [FIELDS] [--replace on|off] [--print]",
         "Load and activate an AVI infoframe: colon hex (up to 13 bytes), or composed from fields.",
         "Composed: the 13 data bytes the box takes. --print shows the colon hex without sending it.", 0, 1, aviOptions,
         runAvi},
    };
}

} // namespace vantrel::cli
