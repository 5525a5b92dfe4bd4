// SPDX-License-Identifier: GPL-3.0-or-later
// edid edit and edid diff: the designer's edits by name, and what changes
// between two tables.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "edid_diff.h"
#include "edid_edit.h"
#include "edid_import.h"
#include "edid_text.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

namespace {

using edid::edit::EditList;

std::string valueOf(Invocation &inv, const char *option)
{
    const std::string v = inv.value(option);
    if (v.empty())
        usageError(std::string("--") + option + " needs a value");
    return v;
}

unsigned numberOf(Invocation &inv, const char *option, unsigned long max)
{
    const std::string v = valueOf(inv, option);
    if (v.size() > 10 || v.find_first_not_of("0123456789") != std::string::npos || std::stoul(v) > max)
        usageError(std::string("--") + option + " takes a number up to " + std::to_string(max) + ", not \"" + v + "\"");
    return unsigned(std::stoul(v));
}

template <typename Parse>
void parsed(Invocation &inv, const char *option, Parse parse)
{
    std::string why;
    if (inv.isSet(option) && !parse(valueOf(inv, option), why))
        usageError(std::string("--") + option + ": " + why);
}

// The option that asks for each edit: the tool's name for it.
std::string optionOf(edid::edit::Edit edit)
{
    using edid::edit::Edit;
    switch (edit) {
    case Edit::DropVics: return "--drop-vic";
    case Edit::AddVics: return "--add-vic";
    case Edit::AddTiming: return "--add-timing";
    case Edit::Preferred: return "--preferred";
    case Edit::HdrOff: return "--hdr off";
    case Edit::HdrEotf: return "--hdr-eotf";
    case Edit::HdrFrom: return "--hdr-from";
    case Edit::HdrLuminance: return "--hdr-luminance";
    case Edit::DropDolbyVision: return "--drop-dolby-vision";
    case Edit::DolbyVisionFrom: return "--dolby-vision-from";
    case Edit::DolbyVisionLldv: return "--dolby-vision-lldv";
    case Edit::DropHdr10Plus: return "--drop-hdr10plus";
    case Edit::Hdr10PlusFrom: return "--hdr10plus-from";
    case Edit::MaxTmds: return "--max-tmds";
    case Edit::No420: return "--no-420";
    case Edit::NoDeepColour: return "--no-deep-colour";
    case Edit::No3d: return "--no-3d";
    case Edit::RangeLimits: return "--range-limits";
    case Edit::FreeSync: return "--freesync";
    case Edit::HfVrr: return "--hf-vrr";
    case Edit::HfAllm: return "--hf-allm";
    case Edit::MaxFrl: return "--max-frl";
    case Edit::AudioFrom: return "--audio-from";
    case Edit::DropAudio: return "--drop-audio";
    case Edit::Speakers: return "--speakers";
    case Edit::Name: return "--name";
    case Edit::Serial: return "--serial";
    case Edit::Fit: return "--fit";
    }
    return "--?";
}

EditList editsOf(Invocation &inv)
{
    EditList e;
    parsed(inv, "drop-vic",
           [&](const std::string &v, std::string &why) { return edid::edit::parseVicList(v, e.dropVics, why); });
    if (inv.isSet("preferred"))
        e.preferred = valueOf(inv, "preferred");
    if (inv.isSet("hdr")) {
        if (inv.value("hdr") != "off")
            usageError("--hdr takes off (--hdr-eotf sets the transfer functions)");
        e.hdrOff = true;
    }
    parsed(inv, "hdr-eotf", [&](const std::string &v, std::string &why) {
        uint8_t bits = 0;
        const bool ok = edid::edit::parseEotfs(v, bits, why);
        e.hdrEotfs = bits;
        return ok;
    });
    parsed(inv, "add-vic",
           [&](const std::string &v, std::string &why) { return edid::edit::parseAddedVics(v, e.addVics, why); });
    parsed(inv, "add-timing", [&](const std::string &v, std::string &why) {
        edid::edit::TimingRequest t;
        const bool ok = edid::edit::parseTiming(v, t, why);
        e.addTiming = t;
        return ok;
    });
    if (inv.isSet("hdr-from"))
        e.hdrFrom = loadEdidInput(valueOf(inv, "hdr-from")).bytes;
    if (inv.isSet("dolby-vision-from"))
        e.dolbyVisionFrom = loadEdidInput(valueOf(inv, "dolby-vision-from")).bytes;
    if (inv.isSet("hdr10plus-from"))
        e.hdr10PlusFrom = loadEdidInput(valueOf(inv, "hdr10plus-from")).bytes;
    parsed(inv, "hdr-luminance", [&](const std::string &v, std::string &why) {
        edid::edit::Luminance l;
        const bool ok = edid::edit::parseLuminance(v, l, why);
        e.hdrLuminance = l;
        return ok;
    });
    e.dolbyVisionLldv = inv.isSet("dolby-vision-lldv");
    parsed(inv, "range-limits", [&](const std::string &v, std::string &why) {
        edid::edit::RangeLimits r;
        const bool ok = edid::edit::parseRangeLimits(v, r, why);
        e.rangeLimits = r;
        return ok;
    });
    for (const auto &[option, field] : {std::pair{"freesync", &e.freeSync}, std::pair{"hf-vrr", &e.hfVrr}})
        parsed(inv, option, [&, field = field](const std::string &v, std::string &why) {
            edid::edit::RateRange r;
            const bool ok = edid::edit::parseRateRange(v, r, why);
            *field = r;
            return ok;
        });
    parsed(inv, "hf-allm", [&](const std::string &v, std::string &why) {
        bool on = false;
        const bool ok = edid::edit::parseOnOff(v, on, why);
        e.hfAllm = on;
        return ok;
    });
    parsed(inv, "max-frl", [&](const std::string &v, std::string &why) {
        unsigned code = 0;
        const bool ok = edid::edit::parseFrlRate(v, code, why);
        e.maxFrl = code;
        return ok;
    });
    e.dropDolbyVision = inv.isSet("drop-dolby-vision");
    e.dropHdr10Plus = inv.isSet("drop-hdr10plus");
    if (inv.isSet("max-tmds"))
        e.maxTmdsMHz = numberOf(inv, "max-tmds", 600);
    e.no420 = inv.isSet("no-420");
    e.noDeepColour = inv.isSet("no-deep-colour");
    e.no3d = inv.isSet("no-3d");
    if (inv.isSet("audio-from"))
        e.audioFrom = loadEdidInput(valueOf(inv, "audio-from")).bytes;
    parsed(inv, "drop-audio",
           [&](const std::string &v, std::string &why) { return edid::edit::parseAudioFormats(v, e.dropAudio, why); });
    parsed(inv, "speakers", [&](const std::string &v, std::string &why) {
        uint32_t bits = 0;
        const bool ok = edid::edit::parseSpeakers(v, bits, why);
        e.speakers = bits;
        return ok;
    });
    if (inv.isSet("name"))
        e.name = inv.value("name");
    if (inv.isSet("serial"))
        e.serial = numberOf(inv, "serial", 0xFFFFFFFFul);
    e.fit = inv.isSet("fit");
    if (e.empty())
        usageError("edid edit needs at least one edit (--drop-vic, --preferred, --hdr, ..., --fit)");
    return e;
}

Json diffDocument(const edid::edit::TableDiff &d)
{
    Json facts = Json::array(), bytes = Json::array();
    for (const edid::edit::FactChange &c : d.facts)
        facts.push_back(Json{{"category", c.category}, {"change", c.added ? "added" : "removed"}, {"fact", c.fact}});
    for (const edid::edit::ByteChange &c : d.bytes)
        bytes.push_back(Json{{"offset", c.offset},
                             {"a", c.a < 0 ? Json(nullptr) : Json(c.a)},
                             {"b", c.b < 0 ? Json(nullptr) : Json(c.b)}});
    return Json{{"equal", d.equal()}, {"changes", facts}, {"bytes", bytes}};
}

void printDiff(Invocation &inv, const edid::edit::TableDiff &d)
{
    for (const std::string &line : edid::edit::diffLines(d))
        inv.out.line(line);
}

// The file as OUT gets it: IN's form (binary, or hex text) unless asked.
std::vector<uint8_t> outputFile(Invocation &inv, const EdidInput &in, std::vector<uint8_t> bytes)
{
    if (inv.isSet("binary") && inv.isSet("text"))
        usageError("--binary and --text do not go together");
    const bool binary = inv.isSet("binary") || (!inv.isSet("text") && in.binary);
    if (binary) {
        // The window's files are 256 bytes: a shorter table keeps that size.
        if (in.binary && bytes.size() < in.raw.size() && in.raw.size() == edid::kEdidSize)
            bytes.resize(in.raw.size(), 0);
        return bytes;
    }
    if (!inv.isSet("text") && bytes.size() == in.bytes.size())
        return edid::rewriteTableFile(in.raw.data(), in.raw.size(), in.file, bytes);
    const std::string text = edid::edidTextOf(bytes.data(), bytes.size());
    return std::vector<uint8_t>(text.begin(), text.end());
}

int runEdit(Invocation &inv)
{
    const std::string out = inv.value("output");
    const bool dryRun = inv.isSet("dry-run");
    if (out.empty() && !dryRun)
        usageError("edid edit needs -o OUT (\"-\" for standard output) or --dry-run");
    if (out == "-" && (inv.out.json() || inv.isSet("show-diff")))
        usageError("-o - puts the table on standard output; it does not go with --json or --show-diff");
    const EditList edits = editsOf(inv);
    const EdidInput in = loadEdidInput(inv.args[0]);
    // The edit works on the blocks the table announces: bytes past them are
    // not in OUT, and a user must hear of it.
    const size_t announced = size_t(edid::kBlockSize) * size_t(1 + edid::extensionCount(in.bytes).announced);
    if (edid::hasEdidHeader(in.bytes) && in.bytes.size() > announced &&
        std::any_of(in.bytes.begin() + long(announced), in.bytes.end(), [](uint8_t b) { return b != 0; }))
        std::fprintf(stderr, "vantrelctl: warning: %s holds %zu bytes past the %zu its table announces; they are not "
                             "in the output\n",
                     inv.args[0].c_str(), in.bytes.size() - announced, announced);
    const edid::edit::EditResult r = edid::edit::applyEdits(in.bytes, edits, inv.isSet("force"));

    Json steps = Json::array();
    for (const edid::edit::EditStep &s : r.steps) {
        steps.push_back(Json{{"edit", optionOf(s.edit)}, {"changes", s.changes}});
        for (const std::string &c : s.changes) {
            // With the table on standard output, the notes go to standard error.
            if (out != "-")
                inv.out.line(optionOf(s.edit) + ": " + c);
            else if (!inv.link.quiet)
                std::fprintf(stderr, "%s: %s\n", optionOf(s.edit).c_str(), c.c_str());
        }
    }
    inv.out.set("edits", steps);
    inv.out.set("newErrors", r.newErrors);
    if (!r.ok && r.refusedBy)
        throw CliError{kExitFailed, optionOf(*r.refusedBy) + ": " + r.refused};
    if (!r.ok)
        throw CliError{kExitFailed, r.refused + (r.newErrors.empty() ? "" : "; --force makes it anyway")};
    for (const std::string &e : r.newErrors)
        std::fprintf(stderr, "vantrelctl: warning: made with --force: %s\n", e.c_str());
    inv.out.set("size", r.bytes.size());
    if (r.bytes.size() > edid::kEdidSize)
        std::fprintf(stderr, "vantrelctl: warning: the table is %zu bytes; the box stores 256 (--fit makes it fit)\n",
                     r.bytes.size());
    if (inv.isSet("show-diff")) {
        const edid::edit::TableDiff d = edid::edit::diffTables(in.bytes, r.bytes);
        printDiff(inv, d);
        inv.out.set("diff", diffDocument(d));
    }
    if (dryRun) {
        inv.out.set("written", false);
        return kExitOk;
    }
    const std::vector<uint8_t> file = outputFile(inv, in, r.bytes);
    if (out == "-")
        writeStdout(file);
    else
        writeFileAtomically(out, file);
    inv.out.set("written", true);
    inv.out.set("file", out);
    return kExitOk;
}

int runDiff(Invocation &inv)
{
    const EdidInput a = loadEdidInput(inv.args[0]), b = loadEdidInput(inv.args[1]);
    const edid::edit::TableDiff d = edid::edit::diffTables(a.bytes, b.bytes);
    printDiff(inv, d);
    inv.out.doc() = diffDocument(d);
    return d.equal() ? kExitOk : kExitFailed;
}

} // namespace

std::vector<Command> edidEditCommands()
{
    return {
        {"edid edit",
         "IN -o OUT [EDITS...] [--force] [--dry-run] [--show-diff] [--binary|--text]",
         "Edit a table by name: video codes, preferred timing, HDR, TMDS limit, audio, identity, --fit.",
         "IN and OUT are files or \"-\" for standard input and output; OUT keeps IN's form (binary or hex "
         "text) unless --binary or --text. The edits run in a fixed order, every checksum is recomputed and "
         "the result is decoded: an edit that cannot be made, or a result with a conformity error IN did not "
         "have, is refused with the reason (exit status 1) unless --force.",
         1,
         1,
         {{"output", 'o', "OUT", "write the edited table to OUT (\"-\": standard output)"},
          {"drop-vic", 0, "LIST", "remove these VICs (\"97,101\" or \"93-97\") from every list that has them"},
          {"preferred", 0, "VIC|WxH@HZ", "make this mode the preferred timing and the first video code"},
          {"hdr", 0, "off", "remove the HDR static metadata block"},
          {"hdr-eotf", 0, "LIST", "the transfer functions to announce: sdr,hdr,pq,hlg"},
          {"add-vic", 0, "LIST", "add these VICs (\"97:420,16\": :420 also in the 4:2:0 capability map)"},
          {"add-timing", 0, "WxH@HZ[,rb2][,first]",
           "add a detailed timing by CVT reduced blanking (v1, or v2 with rb2), last or first"},
          {"hdr-from", 0, "FILE", "take the HDR static metadata block of another table"},
          {"hdr-luminance", 0, "MAX,AVG,MIN", "the HDR block's luminances in cd/m2, as the nearest codes"},
          {"dolby-vision-from", 0, "FILE", "take the Dolby Vision block of another table"},
          {"dolby-vision-lldv", 0, nullptr, "add a low-latency (player-led) Dolby Vision block from the HDR range"},
          {"drop-dolby-vision", 0, nullptr, "remove the Dolby Vision block"},
          {"drop-hdr10plus", 0, nullptr, "remove the HDR10+ block"},
          {"hdr10plus-from", 0, "FILE", "take the HDR10+ block of another table"},
          {"max-tmds", 0, "MHZ", "cap the TMDS clock; faster modes go to 4:2:0 where they may, else away"},
          {"no-420", 0, nullptr, "remove YCbCr 4:2:0 (its modes and the capability map)"},
          {"no-deep-colour", 0, nullptr, "announce no deep colour"},
          {"no-3d", 0, nullptr, "announce no 3D"},
          {"range-limits", 0, "VMIN-VMAX,HMIN-HMAX,MAXCLOCK", "the display range limits in Hz, kHz and MHz"},
          {"freesync", 0, "MIN-MAX", "the FreeSync refresh range of the AMD vendor block"},
          {"hf-vrr", 0, "MIN-MAX", "the HDMI Forum block's VRR range"},
          {"hf-allm", 0, "on|off", "the HDMI Forum block's auto low-latency mode"},
          {"max-frl", 0, "GBPS", "the HDMI Forum block's maximum FRL rate: none, 9, 18, 24, 32, 40, 48"},
          {"audio-from", 0, "FILE", "take every audio block and the speakers from another table (an AVR's)"},
          {"drop-audio", 0, "FORMATS", "remove these audio formats: lpcm,ac3,eac3,truehd,dts,dtshd,..."},
          {"speakers", 0, "LIST", "the speakers: fl/fr,lfe,fc,bl/br,... or a layout such as 5.1 or 7.1.4"},
          {"name", 0, "TEXT", "the display name (up to 13 characters)"},
          {"serial", 0, "N", "the serial number"},
          {"fit", 0, nullptr, "make it 256 bytes: base block and CTA-861 extension (DisplayID's CTA-861 blocks lifted in), listing what is lost"},
          {"force", 0, nullptr, "make the table even with a new conformity error"},
          {"dry-run", 0, nullptr, "say what would change; write nothing"},
          {"show-diff", 0, nullptr, "print the changes as edid diff does"},
          {"binary", 0, nullptr, "write OUT as binary"},
          {"text", 0, nullptr, "write OUT as hex text"}},
         runEdit},
        {"edid diff",
         "A B",
         "What changes from table A to table B: modes, audio, HDR, limits, errors, then bytes.",
         "Exit status 0 when the tables are equal, 1 when they differ.",
         2,
         2,
         {},
         runDiff},
    };
}

} // namespace vantrel::cli
