// SPDX-License-Identifier: GPL-3.0-or-later
// The candidates the bash completion offers. The tool answers from its own
// tables, so commands, options and setting values never drift from it.
#include "cec_recipes.h"
#include "commands.h"

#include "setting_values.h"

#include <QRegularExpression>

namespace vantrel::cli {

namespace {

const Command *commandOf(const QStringList &words, int &count)
{
    for (const Command &c : allCommands()) {
        const QStringList own = QString::fromLatin1(c.words).split(QLatin1Char(' '));
        if (words.mid(0, own.size()) == own) {
            count = int(own.size());
            return &c;
        }
    }
    return nullptr;
}

// The long options the help of c (or of the tool, when null) lists.
std::vector<std::string> optionsOf(const Command *c)
{
    QCommandLineParser parser;
    addCommonOptions(parser);
    if (c && c->addOptions)
        c->addOptions(parser);
    else if (!c)
        parser.addOption({QStringLiteral("version"), QString()});
    std::vector<std::string> names;
    static const QRegularExpression option(QStringLiteral("--([a-z0-9-]+)"));
    for (auto it = option.globalMatch(parser.helpText()); it.hasNext();) {
        const std::string name = "--" + it.next().captured(1).toStdString();
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    }
    return names;
}

std::vector<std::string> settingNames()
{
    std::vector<std::string> names;
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName && s.writable())
            names.emplace_back(s.cliName);
    return names;
}

} // namespace

std::vector<std::string> completionCandidates(const QString &current, const QStringList &typed)
{
    // The value of an option that takes one.
    const QString previous = typed.value(typed.size() - 1);
    if (previous == QLatin1String("--usb-library"))
        return {"simulator"};
    if (previous == QLatin1String("--replace"))
        return {"on", "off"};
    if (previous == QLatin1String("-o") || previous == QLatin1String("--output") ||
        previous == QLatin1String("--hdr") || previous == QLatin1String("--avi"))
        return {};

    QStringList words;
    for (int i = 0; i < typed.size(); ++i) {
        if (typed[i] == QLatin1String("--usb-library"))
            ++i; // and its value
        else if (!typed[i].startsWith(QLatin1Char('-')))
            words << typed[i];
    }
    if (words.value(0) == QLatin1String("help"))
        words.removeFirst();
    int count = 0;
    const Command *c = commandOf(words, count);
    if (current.startsWith(QLatin1Char('-')))
        return optionsOf(c);

    std::vector<std::string> out;
    if (!c) {
        // The first word, or the word after a group's.
        for (const Command &each : allCommands()) {
            const QStringList own = QString::fromLatin1(each.words).split(QLatin1Char(' '));
            const int at = int(words.size());
            if (at < own.size() && own.mid(0, at) == words) {
                const std::string word = own[at].toStdString();
                if (std::find(out.begin(), out.end(), word) == out.end())
                    out.push_back(word);
            }
        }
        if (words.isEmpty())
            out.push_back("help");
        return out;
    }
    const QStringList args = words.mid(count);
    const std::string name = c->words;
    if (name == "set" && args.isEmpty())
        return settingNames();
    if (name == "set" && args.size() == 1) {
        const config::Setting *s = config::findSetting(args[0].toStdString());
        return s ? config::valueWords(*s) : out;
    }
    if (name == "reset" && args.isEmpty())
        return {"settings", "edid", "all"};
    if (name == "edid read" && args.isEmpty())
        return {"box", "top", "bottom"};
    if (name == "infoframe decode" && args.isEmpty())
        return {"hdr", "avi"};
    if (name == "cec store" && args.isEmpty())
        return {"sp", "lp"};
    if (name == "cec recipe" && args.isEmpty()) {
        for (const packets::CecRecipe &r : packets::cecRecipes())
            out.push_back(r.name);
        return out;
    }
    return out; // a file, or a text only the user knows
}

} // namespace vantrel::cli
