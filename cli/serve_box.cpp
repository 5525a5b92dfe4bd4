// SPDX-License-Identifier: GPL-3.0-or-later
#include "serve_box.h"

#include "cli_error.h"
#include "command_line.h"
#include "commands.h"
#include "compose.h"
#include "status_read.h"

#include "cec_recipes.h"
#include "control_command.h"
#include "injection.h"
#include "published_state.h"
#include "status_json.h"

#include <algorithm>
#include <filesystem>

namespace vantrel::cli {

namespace {

using packets::aviComposeOptions;
using packets::ComposeOption;
using packets::hdrComposeOptions;

// What cec/send takes: a recipe by name, its argument after a space
// ("switch-here 1.0.0.0"), sent from playback 1 as cec recipe sends it; or
// one message in colon hex.
std::vector<std::string> cecTexts(const std::string &payload)
{
    std::vector<std::string> words;
    for (size_t at = 0; at < payload.size();) {
        const size_t end = std::min(payload.find_first_of(" \t", at), payload.size());
        if (end > at)
            words.push_back(payload.substr(at, end - at));
        at = end + 1;
    }
    const auto &recipes = packets::cecRecipes();
    if (words.empty() ||
        std::none_of(recipes.begin(), recipes.end(), [&](const packets::CecRecipe &r) { return words[0] == r.name; }))
        return {checkedPacketText(PacketKind::Cec, payload)};
    const Composed c = composeRecipe("playback1", words);
    if (!c.ok)
        throw CliError{kExitFailed, c.error};
    return c.texts;
}

// A JSON object of fields as the command's options ("--max-cll 1000"): only
// the fields the command composes from, so no message names a library, a
// file or any other option.
std::vector<std::string> fieldOptions(const std::string &payload, const std::vector<ComposeOption> &allowed,
                                      std::vector<std::string> extra)
{
    const Json fields = Json::parse(payload, nullptr, false);
    if (!fields.is_object() || fields.empty())
        throw CliError{kExitUsage, "takes a template's name or a JSON object of fields"};
    for (const ComposeOption &o : allowed)
        extra.push_back(o.name);
    std::vector<std::string> words;
    for (const auto &[key, value] : fields.items()) {
        if (std::find(extra.begin(), extra.end(), key) == extra.end())
            throw CliError{kExitUsage, "no field \"" + key + "\""};
        if (!value.is_string() && !value.is_number())
            throw CliError{kExitUsage, "the field \"" + key + "\" takes a text or a number"};
        words.push_back("--" + key);
        words.push_back(value.is_string() ? value.get<std::string>() : value.dump());
    }
    return words;
}

} // namespace

std::vector<std::string> ServeBox::toolWords(const service::ControlCommand &c) const
{
    using Kind = service::ControlCommand::Kind;
    namespace fs = std::filesystem;
    switch (c.kind) {
    case Kind::InfoframeHdr: {
        std::vector<std::string> words = {"infoframe", "hdr"};
        std::vector<std::string> more = service::plainName(c.value)
                                            ? std::vector<std::string>{"--template", c.value}
                                            : fieldOptions(c.value, hdrComposeOptions(), {});
        words.insert(words.end(), more.begin(), more.end());
        return words;
    }
    case Kind::InfoframeAvi: {
        std::vector<std::string> words = {"infoframe", "avi"};
        std::vector<std::string> more = fieldOptions(c.value, aviComposeOptions(), {"replace"});
        words.insert(words.end(), more.begin(), more.end());
        return words;
    }
    case Kind::ProfileApply:
        if (profiles_.empty())
            throw CliError{kExitUsage, "serve was started without --profiles DIR"};
        return {"profile", "apply", (fs::path(profiles_) / (c.value + ".json")).string(), "--yes"};
    case Kind::EdidLoad: {
        if (edids_.empty())
            throw CliError{kExitUsage, "serve was started without --edids DIR"};
        for (const char *ext : {".bin", ".hex", ".txt"}) {
            const fs::path path = fs::path(edids_) / (c.value + ext);
            std::error_code ec;
            if (fs::is_regular_file(path, ec))
                return {"edid", "write", path.string()};
        }
        throw CliError{kExitFailed, "no table " + c.value + " (.bin, .hex or .txt) in " + edids_};
    }
    default:
        throw CliError{kExitUsage, "not a command"};
    }
}

// The tool's own command, as its command line would run it: every check it
// makes is made. It opens the box itself, so serve's handle is closed for it.
std::string ServeBox::runTool(const std::vector<std::string> &words)
{
    const auto [command, count] = findCommand(words);
    if (!command)
        return "not a command";
    Output out(true);
    const ParsedLine line =
        parseLine(command->words, std::vector<std::string>(words.begin() + long(count), words.end()), command->options);
    if (line.args.size() < command->minArgs || line.args.size() > command->maxArgs)
        return "not a command";
    Invocation inv{line.args, line.values, link_, out};
    box_.box().link().CloseDevice();
    std::string why;
    try {
        command->run(inv);
    } catch (const CliError &e) {
        why = e.message;
    }
    // A box that will not open again leaves the link closed, which the
    // presence monitor counts as a box lost.
    box_.box().open(true);
    return why;
}

std::optional<service::BoxReading> ServeBox::read()
{
    service::BoxReading r;
    StatusRead s;
    try {
        r.settings = service::settingsByName(box_.readSettings().data());
    } catch (const CliError &) {
        return std::nullopt;
    }
    if (!readStatus(box_, s))
        return std::nullopt;
    // With the decoded infoframe, which rules may test.
    r.status = service::statusState(s.texts, s.facts);
    return r;
}

std::string ServeBox::run(const service::ControlCommand &c)
{
    try {
        if (c.kind == service::ControlCommand::Kind::Set) {
            applySettingChange(box_, checkedSettingChange(c.name, c.value), std::nullopt, std::nullopt);
        } else if (c.kind == service::ControlCommand::Kind::CecSend) {
            Session s = box_.session();
            for (const std::string &text : cecTexts(c.value))
                box_.requireDone(inject::sendCec(s, text), "the CEC message " + text);
        } else {
            const std::string why = runTool(toolWords(c));
            pendingMessages().clear();
            return why;
        }
    } catch (const CliError &e) {
        pendingMessages().clear();
        return e.message;
    }
    pendingMessages().clear();
    return {};
}

} // namespace vantrel::cli
