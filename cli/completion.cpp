// SPDX-License-Identifier: GPL-3.0-or-later
// The candidates the bash completion offers. The tool answers from its own
// tables, so commands, options and setting values never drift from it.
#include "avi_builder.h"
#include "cec_builder.h"
#include "cec_recipes.h"
#include "commands.h"
#include "hdr_builder.h"

#include "command_line.h"
#include "compose.h"
#include "edid_library.h"
#include "setting_values.h"

#include <algorithm>

namespace vantrel::cli {

namespace {

const Command *commandOf(const std::vector<std::string> &words, size_t &count)
{
    for (const Command &c : allCommands()) {
        const std::vector<std::string> own = wordsOf(c);
        if (words.size() >= own.size() && std::equal(own.begin(), own.end(), words.begin())) {
            count = own.size();
            return &c;
        }
    }
    return nullptr;
}

// The long options of c (or of the tool, when null).
std::vector<std::string> optionsOf(const Command *c)
{
    std::vector<std::string> names;
    const auto add = [&](const OptionSpec &o) {
        const std::string name = std::string("--") + o.name;
        if (std::find(names.begin(), names.end(), name) == names.end())
            names.push_back(name);
    };
    if (c)
        for (const OptionSpec &o : c->options)
            add(o);
    for (const OptionSpec &o : commonOptions())
        add(o);
    if (!c)
        add(versionOption());
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

std::vector<std::string> namesOf(const std::vector<packets::NamedValue> &list)
{
    std::vector<std::string> names;
    for (const packets::NamedValue &v : list)
        names.emplace_back(v.name);
    return names;
}

// The words an option's value may be; empty for a file, a number or a text.
std::vector<std::string> optionValues(const std::string &option, const Command *c)
{
    if (option == "--usb-library")
        return {"simulator"};
    if (option == "--replace" || option == "--it-content")
        return {"on", "off"};
    if (option == "--template") {
        std::vector<std::string> names;
        for (const packets::HdrTemplate &t : packets::hdrTemplates())
            names.emplace_back(t.name);
        return names;
    }
    // chain plan and check: the sources' own word (else a file) and the signal's values.
    if (c && std::string(c->words).rfind("chain", 0) == 0) {
        if (option == "--box" || option == "--top" || option == "--bottom")
            return {option.substr(2)};
        if (option == "--format")
            return {"rgb", "ycbcr444", "ycbcr422", "ycbcr420"};
        if (option == "--bpc")
            return {"8", "10", "12"};
        if (option == "--hdr")
            return {"sdr", "pq", "hlg"};
    }
    if (option == "--to" || option == "--from")
        return namesOf(packets::cecAddressNames());
    if (option == "--only")
        return c && std::string(c->words) == "log"
                   ? std::vector<std::string>{"hdr", "hdcp", "timing", "box", "poll", "setting"}
                   : std::vector<std::string>{"settings", "edid", "infoframes", "cec"};
    const std::pair<const char *, const std::vector<packets::NamedValue> &(*)()> lists[] = {
        {"--eotf", packets::hdrEotfNames},
        {"--colour", packets::aviColourNames},
        {"--colorimetry", packets::aviColorimetryNames},
        {"--range", packets::aviRangeNames},
        {"--aspect", packets::aviAspectNames},
        {"--active-format", packets::aviActiveFormatNames},
        {"--content-type", packets::aviContentTypeNames},
    };
    for (const auto &[name, list] : lists)
        if (option == name)
            return namesOf(list());
    return {};
}

} // namespace

std::vector<std::string> wordsOf(const Command &c)
{
    std::vector<std::string> words;
    std::string w;
    for (const char *p = c.words;; ++p) {
        if (*p == ' ' || !*p) {
            words.push_back(w);
            w.clear();
            if (!*p)
                break;
        } else {
            w += *p;
        }
    }
    return words;
}

std::vector<std::string> completionCandidates(const std::string &current, const std::vector<std::string> &typed)
{
    std::vector<std::string> words = splitWords(typed).words;
    if (!words.empty() && words.front() == "help")
        words.erase(words.begin());
    size_t count = 0;
    const Command *c = commandOf(words, count);

    // The value of an option that takes one.
    const std::string previous = typed.empty() ? std::string() : typed.back();
    bool inlineValue = false;
    if (previous.size() > 1 && previous[0] == '-' && takesValue(previous, inlineValue) && !inlineValue)
        return optionValues(previous, c);
    if (!current.empty() && current[0] == '-')
        return optionsOf(c);

    std::vector<std::string> out;
    if (!c) {
        // The first word, or the word after a group's.
        for (const Command &each : allCommands()) {
            const std::vector<std::string> own = wordsOf(each);
            const size_t at = words.size();
            if (at < own.size() && std::equal(words.begin(), words.end(), own.begin())) {
                if (std::find(out.begin(), out.end(), own[at]) == out.end())
                    out.push_back(own[at]);
            }
        }
        if (words.empty())
            out.push_back("help");
        return out;
    }
    const std::vector<std::string> args(words.begin() + long(count), words.end());
    const std::string name = c->words;
    // A table argument may name a library entry.
    const bool loadName = name == "edid load" && args.empty();
    if (loadName || current.rfind(edid::kLibraryPrefix, 0) == 0) {
        for (const edid::LibraryEntry &e : edid::EdidLibrary(edid::EdidLibrary::defaultFolder()).list())
            out.push_back(loadName ? e.name : edid::kLibraryPrefix + e.name);
        return out;
    }
    if (name == "edid save-as" && args.size() == 1)
        return {"box", "top", "bottom"};
    if (name == "set" && args.empty())
        return settingNames();
    if (name == "set" && args.size() == 1) {
        const config::Setting *s = config::findSetting(args[0]);
        return s ? config::valueWords(*s) : out;
    }
    if (name == "reset" && args.empty())
        return {"settings", "edid", "all"};
    if (name == "edid read" && args.empty())
        return {"box", "top", "bottom"};
    if (name == "infoframe decode" && args.empty())
        return {"hdr", "avi"};
    if (name == "cec store" && args.empty())
        return {"sp", "lp"};
    if (name == "cec recipe" && args.empty())
        return packets::cecRecipeNames();
    // With --to the first word is the opcode.
    if (name == "cec send" && args.empty() && std::find(typed.begin(), typed.end(), "--to") != typed.end())
        return packets::cecOpcodeNames();
    return out; // a file, or a text only the user knows
}

} // namespace vantrel::cli
