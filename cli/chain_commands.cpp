// SPDX-License-Identifier: GPL-3.0-or-later
// chain plan and chain check: which modes get from the source through the
// box to each display, why not, and what to change.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "chain_plan.h"
#include "box_status.h"
#include "chain_report.h"
#include "edid_transfer.h"
#include "profile.h"

#include <cstdio>
#include <memory>

namespace vantrel::cli {

namespace {

using chain::LinkId;

struct Source {
    const char *option;  // "box", "top", "bottom"
    const char *word;    // what reads it through the box
    uint8_t fetch;
    LinkId link;
};

const Source kSources[] = {
    {"box", "box", frame::kFetchBoxEdid, LinkId::SourceBox},
    {"top", "top", frame::kFetchTxAEdid, LinkId::BoxTop},
    {"bottom", "bottom", frame::kFetchTxBEdid, LinkId::BoxBottom},
};

std::optional<chain::Table> &slot(chain::Chain &c, LinkId l)
{
    return l == LinkId::SourceBox ? c.box : l == LinkId::BoxTop ? c.top : c.bottom;
}

// The tables and settings the options name: files as they are, the rest
// read through the box, which is looked for only when something needs it.
chain::Chain loadChain(Invocation &inv)
{
    chain::Chain c;
    bool needBox = false;
    for (const Source &s : kSources) {
        const std::string v = inv.isSet(s.option) ? inv.value(s.option) : std::string(s.word);
        if (v.empty())
            usageError(std::string("--") + s.option + " takes a file or \"" + s.word + "\"");
        needBox = needBox || v == s.word;
    }
    std::unique_ptr<BoxConnection> b;
    if (needBox)
        b = std::make_unique<BoxConnection>(inv.link);
    for (const Source &s : kSources) {
        const std::string v = inv.isSet(s.option) ? inv.value(s.option) : std::string(s.word);
        std::optional<chain::Table> t;
        if (v == s.word) {
            Session session = b->session();
            const edid::EdidReadout r = edid::readEdid(session, s.fetch);
            b->requireDone(r.outcome, std::string("fetching the ") + s.word + " EDID");
            b->require(r.arrived(), "reading the EDID failed: the box did not send the whole table");
            t = chain::tableOf(s.word, {r.image.begin(), r.image.end()});
        } else {
            const EdidInput in = loadEdidInput(v);
            t = chain::tableOf(v, in.bytes);
            if (!t)
                throw CliError{kExitFailed, v + ": the table has no EDID header (00 FF FF FF FF FF FF 00)"};
        }
        if (!t && !inv.out.json())
            std::fprintf(stderr, "vantrelctl: %s\n",
                         s.link == LinkId::SourceBox ? "the box presents no EDID table"
                                                     : (std::string("no display on ") + chain::linkLabel(s.link)).c_str());
        slot(c, s.link) = t;
    }
    if (inv.isSet("settings")) {
        const std::string path = inv.value("settings");
        const std::vector<uint8_t> raw = readBounded(path, profile::kMaxFileSize);
        if (raw.size() > profile::kMaxFileSize)
            throw CliError{kExitFailed, path + " is larger than a profile can be"};
        const profile::ReadResult r =
            profile::readProfile(std::string_view(reinterpret_cast<const char *>(raw.data()), raw.size()));
        if (!r.ok)
            throw CliError{kExitFailed, path + ": " + r.error};
        std::vector<std::string> bad;
        c.settings = chain::settingsFromValues(r.profile.settings, bad);
        c.settings.origin = path;
        for (const std::string &w : bad)
            std::fprintf(stderr, "vantrelctl: warning: %s: %s\n", path.c_str(), w.c_str());
    } else if (b) {
        const auto block = b->readSettings();
        c.settings = chain::settingsFromBlock(block.data(), block.size());
    } else {
        c.settings = chain::factorySettings();
    }
    // The HDCP the source uses now, where the box is read anyway.
    if (b) {
        const status::StatusRead r = status::readStatus(b->box());
        if (r.facts)
            c.inputHdcp = r.facts->hdcp == "2.2" ? 22 : r.facts->hdcp == "1.4" ? 14 : 0;
    }
    return c;
}

void printLines(Invocation &inv, const std::vector<std::string> &lines)
{
    for (const std::string &l : lines)
        inv.out.line(l);
}

int runPlan(Invocation &inv)
{
    const chain::Chain c = loadChain(inv);
    const chain::Plan p = chain::makePlan(c);
    if (inv.out.json())
        inv.out.doc() = chain::planJson(c, p);
    else
        printLines(inv, chain::planText(c, p));
    return kExitOk;
}

int runCheck(Invocation &inv)
{
    chain::Signal s;
    if (inv.isSet("format")) {
        const auto f = chain::parseFormat(inv.value("format"));
        if (!f)
            usageError("--format takes rgb, ycbcr444, ycbcr422 or ycbcr420, not \"" + inv.value("format") + "\"");
        s.format = *f;
    }
    if (inv.isSet("bpc")) {
        const std::string v = inv.value("bpc");
        if (v != "8" && v != "10" && v != "12")
            usageError("--bpc takes 8, 10 or 12, not \"" + v + "\"");
        s.bpc = unsigned(std::stoul(v));
    }
    if (inv.isSet("hdr")) {
        const auto e = chain::parseEotf(inv.value("hdr"));
        if (!e)
            usageError("--hdr takes sdr, pq or hlg, not \"" + inv.value("hdr") + "\"");
        s.eotf = *e;
    }
    const std::string text = inv.args[0];
    // A code is checked before any box is looked for.
    if (text.rfind("vic:", 0) == 0 && !chain::findMode(chain::Chain{}, text))
        usageError("\"" + text + "\" is no video code the standard defines");
    const chain::Chain c = loadChain(inv);
    const auto mode = chain::findMode(c, text);
    if (!mode)
        usageError("no mode \"" + text + "\": give vic:N, WIDTHxHEIGHT@HZ or a timing's name from a table");
    s.mode = *mode;
    const chain::ModeCheck m = chain::checkMode(c, s);
    const std::vector<chain::Fix> fixes = m.pass() ? std::vector<chain::Fix>{} : chain::fixesFor(c, s);
    if (inv.out.json())
        inv.out.doc() = chain::checkJson(m, fixes);
    else
        printLines(inv, chain::checkText(c, m, fixes));
    return m.pass() ? kExitOk : kExitFailed;
}

const std::vector<OptionSpec> kSourceOptions{
    {"box", 0, "FILE|box", "the table the box presents: a file, or read from the box (default)"},
    {"top", 0, "FILE|top", "the display's table on TX A: a file, or read through the box (default)"},
    {"bottom", 0, "FILE|bottom", "the table on TX B: a file, or read through the box (default)"},
    {"settings", 0, "FILE", "the box's settings from a profile file instead of the box"},
};

std::vector<OptionSpec> checkOptions()
{
    std::vector<OptionSpec> v = kSourceOptions;
    v.push_back({"format", 0, "FORMAT", "rgb (default), ycbcr444, ycbcr422 or ycbcr420"});
    v.push_back({"bpc", 0, "BITS", "8 (default), 10 or 12 bits per colour"});
    v.push_back({"hdr", 0, "EOTF", "sdr (default), pq or hlg"});
    return v;
}

const char *kSourcesText =
    "Each table is a file or is read through the box (box, top, bottom as edid read takes them); a port "
    "without a display leaves that link out. When every table is a file and --settings is not given, the "
    "box's factory settings are assumed and no box is looked for.";

} // namespace

std::vector<Command> chainCommands()
{
    static const std::string planDetails =
        std::string("Prints each link with its limits, a table of the displays' modes by format and depth with "
                    "the outputs each reaches, the best mode per output against what its display alone takes, "
                    "the losses and the fixes, each re-checked. ") +
        kSourcesText + "\nExit status 3 when a table is to be read from the box and no box is found.";
    static const std::string checkDetails =
        std::string("MODE is vic:N, WIDTHxHEIGHT@HZ or a detailed timing's name as chain plan shows it. Says for "
                    "each link whether the mode passes and why not, and the fixes that make it pass. ") +
        kSourcesText + "\nExit status 0 when the mode reaches the display, 1 when it does not, 3 when no box is found.";
    return {
        {"chain plan", "[--box FILE|box] [--top FILE|top] [--bottom FILE|bottom] [--settings FILE]",
         "Which modes get from the source through the box to each display, what is lost and how to fix it.",
         planDetails.c_str(), 0, 0, kSourceOptions, runPlan},
        {"chain check",
         "MODE [--format rgb|ycbcr444|ycbcr422|ycbcr420] [--bpc 8|10|12] [--hdr sdr|pq|hlg] [--box FILE|box] "
         "[--top FILE|top] [--bottom FILE|bottom] [--settings FILE]",
         "Whether one mode reaches the display, the first link that drops it and why, and the fixes.",
         checkDetails.c_str(), 1, 1, checkOptions(), runCheck},
    };
}

} // namespace vantrel::cli
