// SPDX-License-Identifier: GPL-3.0-or-later
// edid read, write, check and decode.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "edid_file.h"
#include "edid_import.h"
#include "edid_library.h"
#include "edid_report.h"
#include "edid_transfer.h"

#include "text_report.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::cli {

namespace {

using report::format;

Json checksumRows(const std::vector<edid::BlockChecksum> &sums)
{
    Json rows = Json::array();
    for (size_t b = 0; b < sums.size(); ++b)
        rows.push_back(
            Json{{"block", b}, {"stored", sums[b].stored}, {"computed", sums[b].computed}, {"ok", sums[b].ok()}});
    return rows;
}

// The two blocks the box holds, as every table it gives or takes has them.
Json checksumRows(const edid::EdidImage &image)
{
    return checksumRows(edid::blockChecksums({image.begin(), image.end()}));
}

std::string blocksText(size_t n)
{
    return std::to_string(n) + (n == 1 ? " block" : " blocks");
}

int runRead(Invocation &inv)
{
    const std::string which = inv.args.empty() ? std::string("box") : inv.args[0];
    uint8_t code = frame::kFetchBoxEdid;
    std::string missing = "the box holds no EDID table (its table has no EDID header)";
    if (which == "top") {
        code = frame::kFetchTxAEdid;
        missing = "no display EDID on TX A";
    } else if (which == "bottom") {
        code = frame::kFetchTxBEdid;
        missing = "no display EDID on TX B";
    } else if (which != "box") {
        usageError("edid read takes box, top or bottom, not \"" + which + "\"");
    }

    const std::string file = inv.value("output");
    if (inv.isSet("output") && file.empty())
        usageError("-o takes a file name, or \"-\" for standard output");
    if (inv.out.json() && file == "-")
        usageError("-o - puts the table's bytes on standard output; it does not go with --json");
    BoxConnection b(inv.link);
    Session s = b.session();
    const edid::EdidReadout r = edid::readEdid(s, code);
    // An unacknowledged fetch leaves whatever table the box fetched last.
    if (!r.arrived())
        b.requireDone(r.outcome, "fetching the EDID");
    // The chunks are read even when the box never reported ready: shown, but
    // the read is not a success.
    const std::optional<std::string> stale =
        r.outcome.done() ? std::nullopt
                         : std::optional<std::string>("the box never reported ready; the table read may be stale");

    // A port with no display reads as zeros: that is no table to save or upload.
    const bool table = edid::hasEdidHeader({r.image.begin(), r.image.end()});
    const bool force = inv.isSet("force");
    if (!table && !force)
        throw CliError{kExitFailed, missing + " (the bytes read have no EDID header; --force keeps them anyway)"};

    if (file == "-") {
        writeStdout(edid::edidFileBytes(r.image));
    } else if (!file.empty()) {
        writeFileAtomically(file, edid::edidFileBytes(r.image));
        inv.out.set("file", file);
    } else {
        inv.out.raw(r.text);
    }
    inv.out.set("source", which);
    inv.out.set("hex", r.text);
    inv.out.set("checksums", checksumRows(r.image));
    if (stale) {
        inv.out.set("error", *stale);
        inv.out.set("exitStatus", int(kExitExchange));
        inv.out.finish();
        throw CliError{kExitExchange, *stale, true};
    }
    if (!table) {
        // --force keeps the bytes: in the file, above, or in the document's "hex".
        const std::string where = !file.empty() ? "in " + file : inv.out.json() ? "in \"hex\"" : "shown above";
        inv.out.set("error", missing);
        inv.out.set("exitStatus", int(kExitFailed));
        inv.out.finish();
        throw CliError{kExitFailed, missing + " (the bytes read are " + where + ")", true};
    }
    return kExitOk;
}

// What the decoder finds wrong; real displays often break a rule or two, so
// this never stops an upload.
// The decoder's own warnings (the override block a 256-byte store cuts off
// among them) go out too, marked as such; the JSON document carries all.
Json warnAboutConformity(const std::vector<uint8_t> &bytes)
{
    // Zero blocks at the end are the file's padding (the window saves 256 bytes).
    std::vector<uint8_t> table = bytes;
    table.resize(std::min(table.size(), size_t(edid::extensionCount(bytes).present + 1) * edid::kBlockSize));
    const edid::EdidReport report = edid::decodeEdid(table);
    for (const edid::Problem &p : report.problems) {
        const bool error = p.severity == edid::Severity::Error;
        std::string where = p.block >= 0 ? "block " + std::to_string(p.block) : std::string("table");
        if (p.offset >= 0)
            where += format(", offset 0x%02X", unsigned(p.offset));
        if (p.block >= 0 || p.offset >= 0 || p.context != "Table")
            where += ", " + p.context;
        std::fprintf(stderr, "vantrelctl: warning: %s%s: %s\n", error ? "" : "(minor) ", where.c_str(),
                     p.message.c_str());
    }
    return report::findingsJson(report.problems);
}

int runWrite(Invocation &inv)
{
    const EdidInput in = loadEdidInput(inv.args[0], inv.value("output"));
    const std::string name = inv.args[0];
    if (in.bytes.size() > size_t(edid::kEdidSize))
        throw CliError{kExitFailed, name + " holds " + std::to_string(in.bytes.size()) + " bytes (" +
                                        blocksText((in.bytes.size() + 127) / 128) +
                                        "); the box stores at most 256 bytes (2 blocks), so it cannot take this table"};
    const edid::ChecksumCheck check = edid::checkChecksums(in.image);
    BoxConnection b(inv.link);
    // The window's upload gate: CUSTOM mode with the first preset selected.
    const auto block = b.readSettings();
    if (block[2] != 3 || block[19] != 1)
        throw CliError{kExitFailed, "the box takes an uploaded table only in CUSTOM EDID mode with preset 1 "
                                    "(vantrelctl set edid-mode custom; vantrelctl set edid-preset 1)"};
    const bool force = inv.isSet("force");
    if (!force && !edid::hasEdidHeader(in.bytes))
        throw CliError{kExitFailed, name + ": the table has no EDID header (00 FF FF FF FF FF FF 00); "
                                           "--force writes it anyway"};
    const edid::ExtensionCount ext = edid::extensionCount(in.bytes);
    if (!force && !ext.matches())
        throw CliError{kExitFailed, name + ": the base block announces " + std::to_string(ext.announced) +
                                        " extension block" + (ext.announced == 1 ? "" : "s") + ", the table holds " +
                                        std::to_string(ext.present) + "; --force writes it anyway"};
    if (!check.ok() && !force)
        throw CliError{kExitFailed, name + ": a block's checksum is wrong (--force writes it anyway; "
                                           "\"vantrelctl edid check --fix\" repairs the file)"};
    const Json warnings = warnAboutConformity(in.bytes);
    Session s = b.session();
    b.requireWritten(edid::uploadEdid(s, in.image).done(), "the EDID upload");
    inv.out.set("written", true);
    inv.out.set("warnings", warnings);
    inv.out.set("checksums", checksumRows(in.image));
    return kExitOk;
}

int runCheck(Invocation &inv)
{
    const std::string path = inv.args[0];
    const EdidInput in = loadEdidInput(path, inv.value("output"));
    if (in.bytes.size() % edid::kBlockSize != 0)
        throw CliError{kExitFailed,
                       path + " holds " + std::to_string(in.bytes.size()) + " bytes, not whole 128-byte blocks"};
    const std::vector<edid::BlockChecksum> sums = edid::blockChecksums(in.bytes);
    bool ok = true;
    for (size_t b = 0; b < sums.size(); ++b) {
        const edid::BlockChecksum &c = sums[b];
        ok = ok && c.ok();
        inv.out.line(c.ok() ? format("block %d checksum %02X correct", int(b), c.stored)
                            : format("block %d checksum %02X wrong, should be %02X", int(b), c.stored, c.computed));
    }
    for (const edid::SectionChecksum &c : edid::displayIdChecksums(in.bytes)) {
        ok = ok && c.ok();
        inv.out.line(c.ok() ? format("block %d DisplayID section checksum %02X correct", int(c.block), c.stored)
                            : format("block %d DisplayID section checksum %02X wrong, should be %02X", int(c.block),
                                     c.stored, c.computed));
    }
    inv.out.set("checksums", checksumRows(sums));
    inv.out.set("ok", ok);
    if (ok)
        return kExitOk;
    if (!inv.isSet("fix"))
        return kExitFailed;
    if (path == "-" || edid::isLibrarySource(path))
        usageError("--fix needs a file, not standard input or a library entry");
    // Written back in the form it came in: only the checksum bytes change.
    std::vector<uint8_t> fixed = in.bytes;
    edid::repairBlockChecksums(fixed);
    writeFileAtomically(path, edid::rewriteTableFile(in.raw.data(), in.raw.size(), in.file, fixed));
    inv.out.line("checksums repaired in " + path);
    inv.out.set("fixed", true);
    return kExitOk;
}

int runDecode(Invocation &inv)
{
    const EdidInput in = loadEdidInput(inv.args.empty() ? std::string("-") : inv.args[0], inv.value("output"));
    const edid::EdidReport report = edid::decodeEdid(in.bytes);
    if (inv.out.json()) {
        // The decoder's own document, whole, as the command's document.
        inv.out.doc() = vantrel::report::readJson(edid::edidReportJson(report)).doc;
    } else {
        inv.out.raw(edid::edidReportText(report));
    }
    return report.conforms() ? kExitOk : kExitFailed;
}

// The tables of an X server's whole output listing are told apart by output.
const OptionSpec kOutputOption{"output", 0, "NAME",
                               "from an X server's output listing, the EDID of output NAME (default: the first "
                               "connected one)"};

} // namespace

std::vector<Command> edidCommands()
{
    return {
        {"edid read",
         "[box|top|bottom] [-o FILE] [--force]",
         "Read the box's EDID, or the display's on TX A (top) or TX B (bottom).",
         "Prints the table in the window's hex layout, or saves the 256 bytes to FILE. Bytes without the EDID "
         "header (no display attached) are refused with exit status 1; --force still prints or saves them.",
         0,
         1,
         {{"output", 'o', "FILE",
           "save the 256 bytes to FILE (\"-\": standard output) instead of printing the hex text"},
          {"force", 0, nullptr, "save or print the bytes even when they are no EDID table (no display attached)"}},
         runRead},
        {"edid write",
         "FILE [--force] [--output NAME]",
         "Upload a table (binary file or hex text) as the custom EDID.",
         "The box must be in CUSTOM mode with the first preset. Unless --force: the table must start with the "
         "EDID header, its extension count must match its blocks and both checksums must be right. A table "
         "longer than 256 bytes is refused. What the decoder finds wrong is printed as warnings.",
         1,
         1,
         {{"force", 0, nullptr,
           "upload even when a checksum is wrong, the EDID header is missing or the extension count does not "
           "match"},
          kOutputOption},
         runWrite},
        {"edid check",
         "FILE [--fix] [--output NAME]",
         "Check the checksum of every block of a table file; --fix repairs them.",
         "The file must hold whole 128-byte blocks; --fix changes only the checksum bytes and keeps the file's "
         "form. Exit status 1 when a checksum is wrong and was not repaired.",
         1,
         1,
         {{"fix", 0, nullptr, "write the right checksums back into FILE"}, kOutputOption},
         runCheck},
        {"edid decode",
         "[FILE|-] [--output NAME]",
         "What a table advertises: identity, timings, video, audio, HDR, colorimetry.",
         "Without FILE (or with -) the table comes on standard input. From a whole output listing of an X "
         "server the EDID of the first connected output is taken, or that of --output NAME.\n"
         "Exit status 1 when the table does not conform.",
         0,
         1,
         {kOutputOption},
         runDecode},
    };
}

} // namespace vantrel::cli
