// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl: the window's work from a terminal or a script. The first words
// pick the command; options may come before or after them.
#include "cli_error.h"
#include "commands.h"
#include "nearest_name.h"
#include "output.h"

#include <QCoreApplication>
#include <QJsonDocument>

#include <algorithm>
#include <cstdio>

using namespace vantrel::cli;

namespace {

// Whether the run asked for JSON, known before its command line is parsed:
// every run with --json prints one document, a parse error included.
bool g_json = false;

bool asksForJson(const QStringList &arguments)
{
    for (const QString &a : arguments.mid(1)) {
        if (a == QLatin1String("--"))
            break;
        if (a == QLatin1String("--json") || a == QLatin1String("-json"))
            return true;
    }
    return false;
}

void print(FILE *to, const QString &text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), to);
}

// Help and version: the text, or with --json a document holding it.
void show(const QString &key, const QString &text)
{
    if (!g_json) {
        print(stdout, text);
        return;
    }
    QJsonObject doc;
    doc.insert(key, text);
    print(stdout, QString::fromUtf8(QJsonDocument(doc).toJson(QJsonDocument::Indented)));
}

QString toolHelp()
{
    QString text = QStringLiteral(
        "Usage: vantrelctl [--usb-library VALUE] [--json] [--verbose] [--quiet] COMMAND ...\n\n"
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
        "  -q, --quiet          no success messages on standard error (errors still)\n"
        "  -h, --help           this help; \"vantrelctl COMMAND --help\" for one command\n"
        "  --version            the version\n"
        "\nExit status: 0 done, 1 refused (a text, a locked control) or a check failed or a file\n"
        "error, 2 usage error, 3 no box, 4 an exchange failed or was not acknowledged.\n");
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
QString commandsStartingWith(const QString &word, bool summaries = false)
{
    QString text;
    for (const Command &c : allCommands())
        if (QString::fromLatin1(c.words).section(QLatin1Char(' '), 0, 0) == word) {
            text += QStringLiteral("  vantrelctl %1 %2\n").arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis));
            if (summaries)
                text += QStringLiteral("      %1\n").arg(QString::fromLatin1(c.summary));
        }
    return text;
}

// The names a mistyped word may have meant: the first words, or the words
// that follow group.
std::vector<std::string> commandWords(const QString &group = {})
{
    std::vector<std::string> names;
    for (const Command &c : allCommands()) {
        const QStringList words = QString::fromLatin1(c.words).split(QLatin1Char(' '));
        const QString name = group.isEmpty() ? words.front() : words.size() > 1 && words.front() == group ? words[1] : QString();
        if (!name.isEmpty() && std::find(names.begin(), names.end(), name.toStdString()) == names.end())
            names.push_back(name.toStdString());
    }
    return names;
}

bool isHelpOption(const QString &arg)
{
    return arg == QLatin1String("--help") || arg == QLatin1String("-h") || arg == QLatin1String("-help");
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
        show(QStringLiteral("help"), commandHelp(c, parser));
        throw HelpShown{};
    }
    const QStringList args = parser.positionalArguments();
    if (args.size() < c.minArgs || args.size() > c.maxArgs)
        usageError(QStringLiteral("usage: vantrelctl %1 %2").arg(QString::fromLatin1(c.words), QString::fromLatin1(c.synopsis)).toStdString());

    LinkOptions link;
    for (const QCommandLineParser *p : {&global, static_cast<const QCommandLineParser *>(&parser)})
        if (p->isSet(QStringLiteral("usb-library")))
            link.usbLibrary = p->value(QStringLiteral("usb-library")).toStdString();
    const auto either = [&](const char *name) {
        return global.isSet(QLatin1String(name)) || parser.isSet(QLatin1String(name));
    };
    link.verbose = either("verbose");
    link.quiet = either("quiet");
    Output out(either("json"));

    Invocation inv{parser, args, link, out};
    const int status = c.run(inv);
    out.finish();
    return status;
}

int run(const QStringList &arguments)
{
    // The bash completion's question: what may follow these words.
    if (arguments.value(1) == QLatin1String("__complete")) {
        for (const std::string &c : completionCandidates(arguments.value(2), arguments.mid(3)))
            std::printf("%s\n", c.c_str());
        return kExitOk;
    }
    QCommandLineParser global;
    global.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    global.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    addCommonOptions(global);
    global.addOption({QStringLiteral("version"), QStringLiteral("Show the version.")});
    if (!global.parse(arguments))
        usageError(global.errorText().toStdString() + " (see \"vantrelctl --help\")");
    if (global.isSet(QStringLiteral("version"))) {
        show(QStringLiteral("version"), QStringLiteral("vantrelctl %1\n").arg(QCoreApplication::applicationVersion()));
        return kExitOk;
    }
    QStringList words = global.positionalArguments();
    const bool help = global.isSet(QStringLiteral("help")) || (!words.isEmpty() && words.front() == QLatin1String("help"));
    if (!words.isEmpty() && words.front() == QLatin1String("help"))
        words.removeFirst();
    if (words.isEmpty()) {
        if (!help) {
            if (!g_json)
                print(stderr, toolHelp() + QLatin1Char('\n'));
            usageError("no command given (see \"vantrelctl --help\")");
        }
        show(QStringLiteral("help"), toolHelp());
        return kExitOk;
    }
    int count = 0;
    const Command *c = findCommand(words, count);
    if (!c) {
        const QString group = commandsStartingWith(words.front());
        if (group.isEmpty())
            usageError("unknown command \"" + words.front().toStdString() + "\"" +
                       didYouMean(words.front().toStdString(), commandWords()) + " (see \"vantrelctl --help\")");
        // "edid --help", "help edid": the group's commands.
        if (help || (words.size() > 1 && isHelpOption(words[1]))) {
            show(QStringLiteral("help"), QStringLiteral("Usage: vantrelctl %1 COMMAND ...\n\nThe %1 commands:\n%2\n"
                                                        "\"vantrelctl %1 COMMAND --help\" tells more of one.\n")
                                             .arg(words.front(), commandsStartingWith(words.front(), true)));
            return kExitOk;
        }
        const std::string hint =
            words.size() > 1 ? didYouMean(words[1].toStdString(), commandWords(words.front())) : std::string();
        usageError("\"" + words.join(QLatin1Char(' ')).toStdString() + "\" needs one of" + hint + ":\n" +
                   group.toStdString());
    }
    QStringList rest = words.mid(count);
    if (help)
        rest.prepend(QStringLiteral("--help"));
    return runCommand(*c, rest, global);
}

} // namespace

namespace vantrel::cli {

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
    p.addOption({{QStringLiteral("q"), QStringLiteral("quiet")},
                 QStringLiteral("No success messages on standard error; errors still.")});
    p.addOption({{QStringLiteral("h"), QStringLiteral("help")}, QStringLiteral("Show this help.")});
}

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
    g_json = asksForJson(QCoreApplication::arguments());
    try {
        return run(QCoreApplication::arguments());
    } catch (const HelpShown &) {
        return kExitOk;
    } catch (const CliError &e) {
        if (!e.message.empty())
            std::fprintf(stderr, "vantrelctl: %s\n", e.message.c_str());
        Output(g_json).finishWithError(e.message.empty() ? std::string("the command failed") : e.message, e.status);
        return e.status;
    }
}
