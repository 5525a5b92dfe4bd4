// SPDX-License-Identifier: GPL-3.0-or-later
// edid save-as, list, load (the library) and edid export.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "edid_export.h"
#include "edid_file.h"
#include "edid_library.h"
#include "edid_text.h"
#include "edid_transfer.h"

#include <cstdio>

namespace vantrel::cli {

namespace {

edid::EdidLibrary library()
{
    return edid::EdidLibrary(edid::EdidLibrary::defaultFolder());
}

// The table the box, a display or a file gives, with where it came from.
edid::LibraryEntry entryFrom(Invocation &inv, const std::string &from)
{
    edid::LibraryEntry e;
    static const std::pair<const char *, std::pair<uint8_t, const char *>> ports[] = {
        {"box", {frame::kFetchBoxEdid, "box"}},
        {"top", {frame::kFetchTxAEdid, "TX A"}},
        {"bottom", {frame::kFetchTxBEdid, "TX B"}}};
    for (const auto &[word, port] : ports) {
        if (from != word)
            continue;
        BoxConnection b(inv.link);
        Session s = b.session();
        const edid::EdidReadout r = edid::readEdid(s, port.first);
        b.requireDone(r.outcome, "fetching the EDID");
        b.require(r.arrived(), "reading the EDID failed: the box did not send the whole table");
        const std::vector<uint8_t> bytes(r.image.begin(), r.image.end());
        if (!edid::hasEdidHeader(bytes))
            throw CliError{kExitFailed, std::string("no EDID table on ") + port.second +
                                            " (the bytes read have no EDID header)"};
        e.source = port.second;
        e.table = edid::tableBlocks(bytes);
        return e;
    }
    const EdidInput in = loadEdidInput(from);
    if (in.bytes.size() % edid::kBlockSize != 0)
        throw CliError{kExitFailed, from + " holds " + std::to_string(in.bytes.size()) +
                                        " bytes, not whole 128-byte blocks"};
    if (edid::isLibrarySource(from)) {
        std::string error;
        if (auto kept = library().load(from.substr(4), error)) {
            e = *kept;
            e.savedAt.clear();
            return e;
        }
    }
    e.source = "file";
    e.detail = from == "-" ? std::string("standard input") : from;
    e.table = edid::tableBlocks(in.bytes);
    return e;
}

Json entryJson(const edid::LibraryEntry &e)
{
    return Json{{"name", e.name},   {"source", e.source},   {"detail", e.detail},
                {"edits", e.edits}, {"savedAt", e.savedAt}, {"size", e.table.size()}};
}

std::string sourceText(const edid::LibraryEntry &e)
{
    std::string text = e.source;
    if (!e.detail.empty())
        text += " " + e.detail;
    for (size_t i = 0; i < e.edits.size(); ++i)
        text += (i ? ", " : ": ") + e.edits[i];
    return text;
}

int runSaveAs(Invocation &inv)
{
    const std::string name = inv.args[0];
    if (const std::string problem = edid::EdidLibrary::nameProblem(name); !problem.empty())
        usageError("\"" + name + "\": " + problem);
    edid::LibraryEntry e = entryFrom(inv, inv.args.size() > 1 ? inv.args[1] : std::string("box"));
    e.name = name;
    std::string error;
    if (!library().save(e, inv.isSet("overwrite"), error))
        throw CliError{kExitFailed, error + (inv.isSet("overwrite") ? "" : " (--overwrite replaces it)")};
    inv.out.line("saved " + name + " (" + sourceText(e) + ", " + std::to_string(e.table.size()) +
                 " bytes); use it as lib:" + name);
    inv.out.set("saved", entryJson(e));
    return kExitOk;
}

int runList(Invocation &inv)
{
    std::vector<std::string> problems;
    const std::vector<edid::LibraryEntry> entries = library().list(&problems);
    Json list = Json::array();
    for (const edid::LibraryEntry &e : entries) {
        inv.out.line(e.name + "  " + e.savedAt + "  " + std::to_string(e.table.size()) + " bytes  " + sourceText(e));
        list.push_back(entryJson(e));
    }
    if (entries.empty())
        inv.out.line("the library is empty (" + library().folder() + ")");
    for (const std::string &p : problems)
        std::fprintf(stderr, "vantrelctl: warning: %s\n", p.c_str());
    inv.out.set("folder", library().folder());
    inv.out.set("tables", list);
    return kExitOk;
}

int runLoad(Invocation &inv)
{
    std::string error;
    const auto e = library().load(inv.args[0], error);
    if (!e)
        throw CliError{kExitFailed, error};
    const std::string file = inv.value("output");
    if (inv.isSet("output") && file.empty())
        usageError("-o takes a file name, or \"-\" for standard output");
    if (file == "-")
        writeStdout(e->table);
    else if (!file.empty())
        writeFileAtomically(file, e->table);
    else
        inv.out.raw(edid::edidTextOf(e->table.data(), e->table.size()));
    inv.out.set("entry", entryJson(*e));
    inv.out.set("hex", edid::edidTextOf(e->table.data(), e->table.size()));
    return kExitOk;
}

int runExport(Invocation &inv)
{
    static const std::pair<const char *, edid::ExportFormat> formats[] = {
        {"linux", edid::ExportFormat::Linux},   {"windows", edid::ExportFormat::Windows},
        {"c-array", edid::ExportFormat::CArray}, {"hex", edid::ExportFormat::Hex},
        {"base64", edid::ExportFormat::Base64}};
    edid::ExportRequest request;
    int chosen = 0;
    for (const auto &[option, format] : formats)
        if (inv.isSet(option)) {
            request.format = format;
            ++chosen;
        }
    if (chosen != 1)
        usageError("edid export takes one of --linux, --windows, --c-array, --hex, --base64");
    request.name = inv.value("name");
    request.connector = inv.value("connector");
    request.instance = inv.value("instance");
    if (!request.name.empty() && !edid::EdidLibrary::nameProblem(request.name).empty())
        usageError("--name: " + edid::EdidLibrary::nameProblem(request.name));
    const EdidInput in = loadEdidInput(inv.args[0]);
    if (in.bytes.size() % edid::kBlockSize != 0)
        throw CliError{kExitFailed, inv.args[0] + " holds " + std::to_string(in.bytes.size()) +
                                        " bytes, not whole 128-byte blocks"};
    const bool fileFormat = request.format == edid::ExportFormat::Linux || request.format == edid::ExportFormat::Windows;
    std::string out = inv.value("output");
    if (out.empty() && fileFormat)
        out = edid::exportTable(in.bytes, request).fileName;
    request.path = out == "-" ? std::string() : out;
    const edid::ExportResult r = edid::exportTable(in.bytes, request);
    if (out.empty() || out == "-") {
        if (inv.out.json())
            inv.out.set("text", std::string(r.bytes.begin(), r.bytes.end()));
        else
            writeStdout(r.bytes);
    } else {
        writeFileAtomically(out, r.bytes);
        inv.out.line("wrote " + out);
        inv.out.set("file", out);
    }
    // The steps are told, never run.
    for (size_t i = 0; i < r.steps.size(); ++i)
        inv.out.line(std::to_string(i + 1) + ". " + r.steps[i]);
    inv.out.set("steps", r.steps);
    return kExitOk;
}

} // namespace

std::vector<Command> edidLibraryCommands()
{
    return {
        {"edid save-as",
         "NAME [box|top|bottom|FILE] [--overwrite]",
         "Keep a table in the EDID library under NAME.",
         "The table comes from the box (the default), the display on TX A (top) or TX B (bottom), or a file; "
         "the entry keeps where it came from and when. Wherever a table file is taken (edid write, edit, "
         "diff, decode, export), lib:NAME names the entry. The library is the folder edid-library in the "
         "user's data folder (VANTREL_DATA_DIR when set).",
         1,
         2,
         {{"overwrite", 0, nullptr, "replace an entry of that name"}},
         runSaveAs},
        {"edid list",
         "",
         "The tables in the EDID library: name, time, size and source.",
         "",
         0,
         0,
         {},
         runList},
        {"edid load",
         "NAME [-o FILE]",
         "Print a library table as hex text, or write its bytes to FILE.",
         "lib:NAME takes the table directly wherever a table file is taken.",
         1,
         1,
         {{"output", 'o', "FILE", "write the table's bytes to FILE (\"-\": standard output)"}},
         runLoad},
        {"edid export",
         "IN (--linux|--windows|--c-array|--hex|--base64) [-o OUT]",
         "Write a table for another system: Linux EDID firmware, a Windows EDID override, C, hex, base64.",
         "IN is a table file, lib:NAME or \"-\". --linux writes NAME.bin (the display's id, or --name) and "
         "--windows NAME.reg (each 128-byte block its own value), and both print the steps that put the file "
         "to use; nothing is installed or run. The other forms go to standard output unless -o OUT.",
         1,
         1,
         {{"linux", 0, nullptr, "the binary the kernel loads with drm.edid_firmware"},
          {"windows", 0, nullptr, "a .reg file of the display's EDID override"},
          {"c-array", 0, nullptr, "a C array"},
          {"hex", 0, nullptr, "hex text, 16 bytes a line"},
          {"base64", 0, nullptr, "base64 on one line"},
          {"output", 'o', "OUT", "write to OUT (\"-\": standard output)"},
          {"name", 0, "NAME", "--linux: the firmware file's name without .bin"},
          {"connector", 0, "NAME", "--linux: the connector in the steps (HDMI-A-1)"},
          {"instance", 0, "ID", "--windows: the display's device instance in the key"}},
         runExport},
    };
}

} // namespace vantrel::cli
