// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl: the window's work from a terminal or a script. The first words
// pick the command; options may come before or after them.
#include "cli_error.h"
#include "commands.h"

#include <QCoreApplication>

#include <cstdio>

using namespace vantrel::cli;

namespace {

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> all = [] {
        std::vector<Command> v = boxCommands();
        for (auto part : {edidCommands(), injectCommands(), packetCommands()})
            v.insert(v.end(), part.begin(), part.end());
        return v;
    }();
    return all;
}

void addCommonOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("usb-library"),
                 QStringLiteral("USB library: empty for the built-in one, \"simulator\" for the simulated box, or "
                                "the path of a library (wins over VANTREL_USB_LIBRARY)."),
                 QStringLiteral("VALUE")});
    p.addOption({QStringLiteral("json"), QStringLiteral("Print one JSON document.")});
    p.addOption({QStringLiteral("verbose"), QStringLiteral("Also print the box's diagnostic lines.")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
}

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

QString toolHelp()
{
    QString text = QStringLiteral(
        "Usage: vantrelctl [--usb-library VALUE] [--json] [--verbose] COMMAND ...\n\n"
        "Configures and watches the VANTREL box (serial \"2023\") from a terminal.\n\nCommands:\n");
    for (const Command &c : allCommands())
        text += QStringLiteral("  %1 %2\n      %3\n")
                    .arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis),
                         QString::fromLatin1(c.summary));
    text += QStringLiteral(
        "\nOptions:\n"
        "  --usb-library VALUE  empty: the built-in USB library; \"simulator\": the simulated box;\n"
        "                       a path: a library exporting the ten calls (wins over VANTREL_USB_LIBRARY)\n"
        "  --json               one JSON document on standard output\n"
        "  --verbose            also the box's diagnostic lines on standard error\n"
        "  -h, --help           this help; \"vantrelctl COMMAND --help\" for one command\n"
        "  --version            the version\n"
        "\nExit status: 0 done, 1 refused or a check failed or a file error, 2 usage error,\n"
        "3 no box, 4 an exchange failed or was not acknowledged.\n");
    return text;
}

QString commandHelp(const Command &c, const QCommandLineParser &parser)
{
    QString text = QStringLiteral("Usage: vantrelctl %1 %2\n\n%3\n")
                       .arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis),
                            QString::fromLatin1(c.summary));
    if (*c.details)
        text += QLatin1Char('\n') + QString::fromLatin1(c.details) + QLatin1Char('\n');
    // QCommandLineParser lays out the options; its usage line is ours above.
    const QString generated = parser.helpText();
    const int options = generated.indexOf(QStringLiteral("Options:"));
    if (options >= 0)
        text += QLatin1Char('\n') + generated.mid(options);
    return text;
}

// The command whose words open args, or null; count: how many words it took.
const Command *findCommand(const QStringList &args, int &count)
{
    for (const Command &c : allCommands()) {
        const QStringList words = QString::fromLatin1(c.words).split(QLatin1Char(' '));
        if (args.size() >= words.size() && args.mid(0, words.size()) == words) {
            count = int(words.size());
            return &c;
        }
    }
    return nullptr;
}

// "edid" alone, or "edid frobnicate": the commands that begin with the word.
QString commandsStartingWith(const QString &word)
{
    QString text;
    for (const Command &c : allCommands())
        if (QString::fromLatin1(c.words).section(QLatin1Char(' '), 0, 0) == word)
            text += QStringLiteral("  vantrelctl %1 %2\n").arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis));
    return text;
}

int runCommand(const Command &c, const QStringList &rest, const QCommandLineParser &global)
{
    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addCommonOptions(parser);
    if (c.addOptions)
        c.addOptions(parser);
    if (!parser.parse(QStringList{QStringLiteral("vantrelctl")} + rest))
        usageError(QStringLiteral("%1: %2 (see \"vantrelctl %1 --help\")")
                       .arg(QString::fromLatin1(c.words), parser.errorText())
                       .toStdString());
    if (parser.isSet(QStringLiteral("help"))) {
        print(stdout, commandHelp(c, parser));
        throw HelpShown{};
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() < c.minArgs || args.size() > c.maxArgs)
        usageError(QStringLiteral("usage: vantrelctl %1 %2").arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis)).toStdString());

    LinkOptions link;
    for (const QCommandLineParser *p : {&global, static_cast<const QCommandLineParser *>(&parser)})
        if (p->isSet(QStringLiteral("usb-library")))
            link.usbLibrary = p->value(QStringLiteral("usb-library")).toStdString();
    link.verbose = global.isSet(QStringLiteral("verbose")) || parser.isSet(QStringLiteral("verbose"));
    Output out(global.isSet(QStringLiteral("json")) || parser.isSet(QStringLiteral("json")));

    Invocation inv{parser, args, link, out};
    try {
        const int status = c.run(inv);
        out.finish();
        return status;
    } catch (const CliError &e) {
        if (!e.message.empty())
            std::fprintf(stderr, "vantrelctl: %s\n", e.message.c_str());
        out.finishWithError(e.message, e.status);
        return e.status;
    }
}

int run(const QStringList &arguments)
{
    QCommandLineParser global;
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    global.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addCommonOptions(global);
    global.addOption({QStringLiteral("version"), QStringLiteral("Show the version.")});
    if (!global.parse(arguments))
        usageError(global.errorText().toStdString() + " (see \"vantrelctl --help\")");
    if (global.isSet(QStringLiteral("version"))) {
        print(stdout, QStringLiteral("vantrelctl %1\n").arg(QCoreApplication::applicationVersion()));
        return kExitOk;
    }
    QStringList words = global.positionalArguments();
    const bool help = global.isSet(QStringLiteral("help")) || (!words.isEmpty() && words.front() == QLatin1String("help"));
    if (!words.isEmpty() && words.front() == QLatin1String("help"))
        words.removeFirst();
    if (words.isEmpty()) {
        print(help ? stdout : stderr, toolHelp());
        return help ? kExitOk : kExitUsage;
    }
    int count = 0;
    const Command *c = findCommand(words, count);
    if (!c) {
        const QString group = commandsStartingWith(words.front());
        if (group.isEmpty())
            usageError("unknown command \"" + words.front().toStdString() + "\" (see \"vantrelctl --help\")");
        if (help) {
            print(stdout, QStringLiteral("The %1 commands:\n%2").arg(words.front(), group));
            return kExitOk;
        }
        usageError("\"" + words.join(QLatin1Char(' ')).toStdString() + "\" needs one of:\n" + group.toStdString());
    }
    QStringList rest = words.mid(count);
    if (help)
        rest.prepend(QStringLiteral("--help"));
    return runCommand(*c, rest, global);
}

} // namespace

namespace vantrel::cli {

void usageError(const std::string &text)
{
    throw CliError{kExitUsage, text};
}

} // namespace vantrel::cli

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("vantrelctl"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VANTREL_VERSION));
    try {
        return run(QCoreApplication::arguments());
    } catch (const HelpShown &) {
        return kExitOk;
    } catch (const CliError &e) {
        std::fprintf(stderr, "vantrelctl: %s\n", e.message.c_str());
        return e.status;
    }
}
