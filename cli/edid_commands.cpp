// SPDX-License-Identifier: GPL-3.0-or-later
// edid read, write, check and decode.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "edid_file.h"
#include "edid_import.h"
#include "edid_report.h"
#include "edid_transfer.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cstdio>

namespace vantrel::cli {

namespace {

QJsonArray checksumRows(const std::vector<edid::BlockChecksum> &sums)
{
    QJsonArray rows;
    for (size_t b = 0; b < sums.size(); ++b) {
        QJsonObject row;
        row.insert(QStringLiteral("block"), int(b));
        row.insert(QStringLiteral("stored"), sums[b].stored);
        row.insert(QStringLiteral("computed"), sums[b].computed);
        row.insert(QStringLiteral("ok"), sums[b].ok());
        rows.append(row);
    }
    return rows;
}

// The two blocks the box holds, as every table it gives or takes has them.
QJsonArray checksumRows(const edid::EdidImage &image)
{
    return checksumRows(edid::blockChecksums({image.begin(), image.end()}));
}

std::string blocksText(size_t n) { return std::to_string(n) + (n == 1 ? " block" : " blocks"); }

int runRead(Invocation &inv)
{
    const QString which = inv.args.value(0, QStringLiteral("box"));
    uint8_t code = frame::kFetchBoxEdid;
    std::string missing = "the box holds no EDID table (its table has no EDID header)";
    if (which == QLatin1String("top")) {
        code = frame::kFetchTxAEdid;
        missing = "no display EDID on TX A";
    } else if (which == QLatin1String("bottom")) {
        code = frame::kFetchTxBEdid;
        missing = "no display EDID on TX B";
    } else if (which != QLatin1String("box")) {
        usageError("edid read takes box, top or bottom, not \"" + which.toStdString() + "\"");
    }

    if (inv.out.json() && inv.value(QStringLiteral("output")) == QLatin1String("-"))
        usageError("-o - puts the table's bytes on standard output; it does not go with --json");
    BoxConnection b(inv.link);
    Session s = b.session();
    const edid::EdidReadout r = edid::readEdid(s, code);
    // An unacknowledged fetch leaves whatever table the box fetched last.
    b.requireDone("fetching the EDID");
    b.require(r.ok, "reading the EDID failed: the box did not send the whole table");

    // A port with no display reads as zeros: that is no table to save or upload.
    const bool table = edid::hasEdidHeader({r.image.begin(), r.image.end()});
    const bool force = inv.isSet(QStringLiteral("force"));
    if (!table && !force)
        throw CliError{kExitFailed, missing + " (the bytes read have no EDID header; --force keeps them anyway)"};

    const QString file = inv.value(QStringLiteral("output"));
    if (file == QLatin1String("-")) {
        writeStdout(edid::edidFileBytes(r.image));
    } else if (!file.isEmpty()) {
        writeFileAtomically(file, edid::edidFileBytes(r.image));
        inv.out.set(QStringLiteral("file"), file);
    } else {
        inv.out.raw(r.text);
    }
    if (!table)
        throw CliError{kExitFailed, missing + (file.isEmpty() ? std::string(" (the bytes read are shown above)")
                                                              : " (the bytes read are in " + file.toStdString() + ")")};
    inv.out.set(QStringLiteral("source"), which);
    inv.out.set(QStringLiteral("hex"), QString::fromLatin1(r.text.c_str()));
    inv.out.set(QStringLiteral("checksums"), checksumRows(r.image));
    return kExitOk;
}

void readOptions(QCommandLineParser &p)
{
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("Save the 256 bytes to FILE (\"-\": standard output) instead of printing the hex text."),
                 QStringLiteral("FILE")});
    p.addOption({QStringLiteral("force"),
                 QStringLiteral("Save or print the bytes even when they are no EDID table (no display attached).")});
}

// What the decoder finds wrong; real displays often break a rule or two, so
// this never stops an upload.
void warnAboutConformity(const std::vector<uint8_t> &bytes)
{
    for (const edid::Problem &p : edid::decodeEdid(bytes).problems) {
        if (p.severity != edid::Severity::Error)
            continue;
        std::string where = p.block >= 0 ? "block " + std::to_string(p.block) : std::string("table");
        if (p.offset >= 0)
            where += QString::asprintf(", offset 0x%02X", unsigned(p.offset)).toStdString();
        std::fprintf(stderr, "vantrelctl: warning: %s, %s: %s\n", where.c_str(), p.context.c_str(), p.message.c_str());
    }
}

int runWrite(Invocation &inv)
{
    const EdidInput in = loadEdidInput(inv.args[0]);
    const std::string name = inv.args[0].toStdString();
    if (in.bytes.size() > size_t(edid::kEdidSize))
        throw CliError{kExitFailed, name + " holds " + std::to_string(in.bytes.size()) + " bytes (" +
                                        blocksText((in.bytes.size() + 127) / 128) +
                                        "); the box stores at most 256 bytes (2 blocks), so it cannot take this table"};
    const edid::ChecksumCheck check = edid::checkChecksums(in.image);
    BoxConnection b(inv.link);
    // The window's upload gate: CUSTOM mode with the first preset selected.
    const auto block = b.readSettings();
    if (block[2] != 3 || block[19] != 1)
        throw CliError{kExitFailed, "Select CUSTOM EDID TABLE mode to upload an EDID table "
                                    "(vantrelctl set edid-mode custom; vantrelctl set edid-preset 1)"};
    const bool force = inv.isSet(QStringLiteral("force"));
    if (!force && !edid::hasEdidHeader(in.bytes))
        throw CliError{kExitFailed, name + ": the table has no EDID header (00 FF FF FF FF FF FF 00); "
                                           "--force writes it anyway"};
    const edid::ExtensionCount ext = edid::extensionCount(in.bytes);
    if (!force && !ext.matches())
        throw CliError{kExitFailed, name + ": the base block announces " + std::to_string(ext.announced) +
                                        " extension block" + (ext.announced == 1 ? "" : "s") + ", the table holds " +
                                        std::to_string(ext.present) + "; --force writes it anyway"};
    if (!check.ok() && !force)
        throw CliError{kExitFailed, "The EDID Checksum is not correct. (--force writes it anyway; "
                                    "\"vantrelctl edid check --fix\" repairs the file)"};
    warnAboutConformity(in.bytes);
    Session s = b.session();
    const bool stored = edid::uploadEdid(s, in.image);
    b.require(stored, "the EDID upload failed");
    b.requireDone("the EDID upload");
    inv.out.set(QStringLiteral("written"), true);
    inv.out.set(QStringLiteral("checksums"), checksumRows(in.image));
    return kExitOk;
}

void writeOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("force"), QStringLiteral("Upload even when a checksum is wrong, the EDID header is "
                                                         "missing or the extension count does not match.")});
}

int runCheck(Invocation &inv)
{
    const QString path = inv.args[0];
    const EdidInput in = loadEdidInput(path);
    if (in.bytes.size() % edid::kBlockSize != 0)
        throw CliError{kExitFailed, path.toStdString() + " holds " + std::to_string(in.bytes.size()) +
                                        " bytes, not whole 128-byte blocks"};
    const std::vector<edid::BlockChecksum> sums = edid::blockChecksums(in.bytes);
    bool ok = true;
    for (size_t b = 0; b < sums.size(); ++b) {
        const edid::BlockChecksum &c = sums[b];
        ok = ok && c.ok();
        inv.out.line(c.ok() ? QString::asprintf("block %d checksum %02X correct", int(b), c.stored)
                            : QString::asprintf("block %d checksum %02X wrong, should be %02X", int(b), c.stored,
                                                c.computed));
    }
    inv.out.set(QStringLiteral("checksums"), checksumRows(sums));
    inv.out.set(QStringLiteral("ok"), ok);
    if (ok)
        return kExitOk;
    if (!inv.isSet(QStringLiteral("fix")))
        return kExitFailed;
    if (path == QLatin1String("-"))
        usageError("--fix needs a file, not standard input");
    // Written back in the form it came in: only the checksum bytes change.
    std::vector<uint8_t> fixed = in.bytes;
    edid::repairBlockChecksums(fixed);
    writeFileAtomically(path, edid::rewriteTableFile(reinterpret_cast<const uint8_t *>(in.raw.constData()),
                                                     size_t(in.raw.size()), in.file, fixed));
    inv.out.line(QStringLiteral("checksums repaired in %1").arg(path));
    inv.out.set(QStringLiteral("fixed"), true);
    return kExitOk;
}

void checkOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("fix"), QStringLiteral("Write the right checksums back into FILE.")});
}

int runDecode(Invocation &inv)
{
    const EdidInput in = loadEdidInput(inv.args.value(0, QStringLiteral("-")));
    const edid::EdidReport report = edid::decodeEdid(in.bytes);
    if (inv.out.json()) {
        // The decoder's own document, whole, as the command's document.
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(edid::edidReportJson(report)));
        inv.out.doc() = doc.object();
    } else {
        inv.out.raw(edid::edidReportText(report));
    }
    return report.conforms() ? kExitOk : kExitFailed;
}

} // namespace

std::vector<Command> edidCommands()
{
    return {
        {"edid read", "[box|top|bottom] [-o FILE] [--force]",
         "Read the box's EDID, or the display's on TX A (top) or TX B (bottom).",
         "Prints the table in the window's hex layout, or saves the 256 bytes to FILE. Bytes without the EDID "
         "header (no display attached) are refused with exit status 1; --force still prints or saves them.",
         0, 1, readOptions, runRead},
        {"edid write", "FILE [--force]", "Upload a table (binary file or hex text) as the custom EDID.",
         "The box must be in CUSTOM mode with the first preset. Unless --force: the table must start with the "
         "EDID header, its extension count must match its blocks and both checksums must be right. A table "
         "longer than 256 bytes is refused. What the decoder finds wrong is printed as warnings.",
         1, 1, writeOptions, runWrite},
        {"edid check", "FILE [--fix]", "Check the checksum of every block of a table file; --fix repairs them.",
         "The file must hold whole 128-byte blocks; --fix changes only the checksum bytes and keeps the file's "
         "form. Exit status 1 when a checksum is wrong and was not repaired.", 1, 1, checkOptions, runCheck},
        {"edid decode", "[FILE|-]", "What a table advertises: identity, timings, video, audio, HDR, colorimetry.",
         "Without FILE (or with -) the table comes on standard input.\n"
         "Exit status 1 when the table does not conform.", 0, 1, nullptr, runDecode},
    };
}

} // namespace vantrel::cli
