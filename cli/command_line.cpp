// SPDX-License-Identifier: GPL-3.0-or-later
#include "command_line.h"

#include "cli_error.h"
#include "nearest_name.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cstring>

#ifdef _WIN32
#include <windows.h>
#include <shellapi.h>
#endif

namespace vantrel::cli {

namespace {

const std::vector<OptionSpec> kCommon = {
    {"usb-library", 0, "VALUE",
     "empty: the built-in USB library; \"simulator\": the simulated box; a path: a library exporting the ten "
     "calls (wins over VANTREL_USB_LIBRARY)"},
    {"json", 0, nullptr, "one JSON document on standard output"},
    {"verbose", 'v', nullptr, "also the box's diagnostic lines on standard error"},
    {"quiet", 'q', nullptr, "no success messages on standard error (errors still)"},
    {"help", 'h', nullptr, "this help"},
};

} // namespace

bool takesValue(const std::string &arg, bool &inline_)
{
    inline_ = arg.find('=') != std::string::npos;
    std::vector<const OptionSpec *> all;
    for (const OptionSpec &o : kCommon)
        all.push_back(&o);
    for (const Command &c : allCommands())
        for (const OptionSpec &o : c.options)
            all.push_back(&o);
    for (const OptionSpec *o : all) {
        if (!o->valueName)
            continue;
        if (arg == std::string("--") + o->name)
            return true;
        // "-o FILE", and a bundle that ends with it ("-qo FILE").
        if (o->shortName && arg.size() >= 2 && arg[0] == '-' && arg[1] != '-' && arg.back() == o->shortName)
            return true;
    }
    return false;
}

namespace {

bool isNegativeNumber(const std::string &arg)
{
    return arg.size() > 1 && arg[0] == '-' && ((arg[1] >= '0' && arg[1] <= '9') || arg[1] == '.');
}

std::string seeHelp(const std::string &command)
{
    return command.empty() ? " (see \"vantrelctl --help\")" : " (see \"vantrelctl " + command + " --help\")";
}

} // namespace

const std::vector<Command> &allCommands()
{
    static const std::vector<Command> all = [] {
        std::vector<Command> v = boxCommands();
        for (auto part : {edidCommands(), edidEditCommands(), edidLibraryCommands(), injectCommands(), packetCommands(), profileCommands(), chainCommands(), logCommands(), rulesCommands(), serveCommands()})
            v.insert(v.end(), part.begin(), part.end());
        return v;
    }();
    return all;
}

void usageError(const std::string &text)
{
    throw CliError{kExitUsage, text};
}

std::pair<const Command *, size_t> findCommand(const std::vector<std::string> &words)
{
    for (const Command &each : allCommands()) {
        const std::vector<std::string> own = wordsOf(each);
        if (words.size() >= own.size() && std::equal(own.begin(), own.end(), words.begin()))
            return {&each, own.size()};
    }
    return {nullptr, 0};
}

const std::vector<OptionSpec> &commonOptions()
{
    return kCommon;
}

const OptionSpec &versionOption()
{
    static const OptionSpec version{"version", 'V', nullptr, "the version"};
    return version;
}

std::vector<std::string> toolArguments(int argc, char **argv)
{
    std::vector<std::string> out;
#ifdef _WIN32
    // The narrow argv is in the ANSI code page; the wide one holds every name.
    (void)argv;
    int count = 0;
    LPWSTR *wide = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; wide && i < count; ++i) {
        const int size = WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, nullptr, 0, nullptr, nullptr);
        std::string arg(size_t(std::max(size, 1)), '\0');
        WideCharToMultiByte(CP_UTF8, 0, wide[i], -1, arg.data(), size, nullptr, nullptr);
        arg.resize(std::strlen(arg.c_str()));
        out.push_back(arg);
    }
    LocalFree(wide);
    (void)argc;
#else
    for (int i = 1; i < argc; ++i)
        out.emplace_back(argv[i]);
#endif
    return out;
}

bool asksForJson(const std::vector<std::string> &arguments)
{
    for (const std::string &a : arguments) {
        if (a == "--")
            break;
        if (a == "--json")
            return true;
    }
    return false;
}

Split splitWords(const std::vector<std::string> &arguments)
{
    Split s;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string &a = arguments[i];
        if (a == "--") {
            // Only arguments follow.
            for (size_t k = i + 1; k < arguments.size(); ++k) {
                s.words.push_back(arguments[k]);
                s.wordAt.push_back(k);
            }
            break;
        }
        bool inlineValue = false;
        if (a.size() > 1 && a[0] == '-' && !isNegativeNumber(a)) {
            if (takesValue(a, inlineValue) && !inlineValue)
                ++i;
            continue;
        }
        s.words.push_back(a);
        s.wordAt.push_back(i);
    }
    return s;
}

std::vector<std::string> Split::options(const std::vector<std::string> &arguments, size_t count) const
{
    std::vector<std::string> out;
    for (size_t i = 0; i < arguments.size(); ++i)
        if (std::find(wordAt.begin(), wordAt.begin() + long(std::min(count, wordAt.size())), i) ==
            wordAt.begin() + long(std::min(count, wordAt.size())))
            out.push_back(arguments[i]);
    return out;
}

bool Split::asksForHelp(const std::vector<std::string> &arguments) const
{
    for (const std::string &a : arguments) {
        if (a == "--")
            break;
        if (a == "--help" || a == "-h")
            return true;
    }
    return false;
}

ParsedLine parseLine(const std::string &command, const std::vector<std::string> &arguments,
                     const std::vector<OptionSpec> &options)
{
    CLI::App app("", "vantrelctl");
    app.set_help_flag();
    app.allow_extras(true);
    // "/data/b.bin" is a path on every system, never an option.
    app.allow_windows_style_options(false);
    ParsedLine line;
    app.add_option("ARGS", line.args);
    std::vector<OptionSpec> all = options;
    all.insert(all.end(), kCommon.begin(), kCommon.end());
    std::map<std::string, CLI::Option *> added;
    std::vector<std::string> names;
    for (const OptionSpec &o : all) {
        if (added.count(o.name))
            continue;
        const std::string flags = (o.shortName ? std::string("-") + o.shortName + "," : std::string()) + "--" + o.name;
        added[o.name] = o.valueName ? app.add_option(flags, line.values[o.name]) : app.add_flag(flags);
        names.push_back(std::string("--") + o.name);
    }
    // A flag given a value with "=" ("--watch=5") means the flag and then the
    // value, as "--watch 5" does; CLI11 would take the value as the flag's own.
    std::vector<std::string> split, givenEmpty;
    for (auto it = arguments.begin(); it != arguments.end(); ++it) {
        if (*it == "--") {
            split.insert(split.end(), it, arguments.end());
            break;
        }
        const size_t eq = it->find('=');
        const bool flag = it->rfind("--", 0) == 0 && eq != std::string::npos &&
                          std::any_of(all.begin(), all.end(), [&](const OptionSpec &o) {
                              return !o.valueName && it->compare(2, eq - 2, o.name) == 0 &&
                                     std::strlen(o.name) == eq - 2;
                          });
        // "--usb-library=": given, empty; CLI11 would take the next word as its value.
        const bool emptyValue = it->rfind("--", 0) == 0 && eq == it->size() - 1 &&
                                std::any_of(all.begin(), all.end(), [&](const OptionSpec &o) {
                                    return o.valueName && it->compare(2, eq - 2, o.name) == 0 &&
                                           std::strlen(o.name) == eq - 2;
                                });
        if (flag) {
            split.push_back(it->substr(0, eq));
            split.push_back(it->substr(eq + 1));
        } else if (emptyValue) {
            givenEmpty.push_back(it->substr(2, eq - 2));
        } else {
            split.push_back(*it);
        }
    }
    // "--" ends the options: what follows is arguments only.
    const auto end = std::find(split.begin(), split.end(), std::string("--"));
    std::vector<std::string> reversed(std::make_reverse_iterator(end), split.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::ArgumentMismatch &e) {
        const std::string text = e.what();
        usageError((command.empty() ? std::string() : command + ": ") + text.substr(0, text.find(':')) +
                   " needs a value" + seeHelp(command));
    } catch (const CLI::ParseError &e) {
        usageError((command.empty() ? std::string() : command + ": ") + e.what() + seeHelp(command));
    }
    for (const std::string &extra : app.remaining()) {
        const std::string where = command.empty() ? std::string() : command + ": ";
        if (isNegativeNumber(extra))
            usageError(where + "\"" + extra + "\" is not an option; put \"--\" before a value that starts with \"-\"");
        const std::string bare = extra.substr(0, extra.find('='));
        usageError(where + "unknown option \"" + bare + "\"" + didYouMean(bare, names) + seeHelp(command));
    }
    if (end != split.end())
        line.args.insert(line.args.end(), end + 1, split.end());
    // Only what was given stays in values.
    for (const auto &[name, option] : added) {
        if (option->count() == 0)
            line.values.erase(name);
        else
            line.values[name]; // a flag: given, with no value
    }
    for (const std::string &name : givenEmpty)
        line.values[name].clear();
    // An empty value is a mistake, not "not given"; an empty --usb-library
    // names the built-in library.
    for (const OptionSpec &o : all)
        if (o.valueName && line.has(o.name) && line.values[o.name].empty() && std::strcmp(o.name, "usb-library") != 0)
            usageError((command.empty() ? std::string() : command + ": ") + "--" + o.name + " needs a value" +
                       seeHelp(command));
    return line;
}

} // namespace vantrel::cli
