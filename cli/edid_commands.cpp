// edid read, write, check and decode.
#include "cli_error.h"
#include "commands.h"
#include "edid_input.h"

#include "edid_file.h"
#include "edid_report.h"
#include "edid_transfer.h"

#include <QJsonArray>
#include <QJsonDocument>

namespace vantrel::cli {

namespace {

QJsonArray checksumRows(const edid::EdidImage &image, const edid::ChecksumCheck &check)
{
    QJsonArray rows;
    for (int b = 0; b < 2; ++b) {
        QJsonObject row;
        row.insert(QStringLiteral("block"), b);
        row.insert(QStringLiteral("stored"), image[size_t(b * 128 + 127)]);
        row.insert(QStringLiteral("computed"), check.computed[b]);
        row.insert(QStringLiteral("ok"), check.valid[b]);
        rows.append(row);
    }
    return rows;
}

int runRead(Invocation &inv)
{
    const QString which = inv.args.value(0, QStringLiteral("box"));
    uint8_t code = frame::kFetchBoxEdid;
    if (which == QLatin1String("top"))
        code = frame::kFetchTxAEdid;
    else if (which == QLatin1String("bottom"))
        code = frame::kFetchTxBEdid;
    else if (which != QLatin1String("box"))
        usageError("edid read takes box, top or bottom, not \"" + which.toStdString() + "\"");

    BoxConnection b(inv.link);
    Session s = b.session();
    const edid::EdidReadout r = edid::readEdid(s, code);
    b.require(r.ok, "reading the EDID failed: the box did not send the whole table");

    const QString file = inv.value(QStringLiteral("output"));
    if (!file.isEmpty()) {
        writeFileAtomically(file, edid::edidFileBytes(r.image));
        inv.out.set(QStringLiteral("file"), file);
    } else {
        inv.out.raw(r.text);
    }
    inv.out.set(QStringLiteral("source"), which);
    inv.out.set(QStringLiteral("hex"), QString::fromLatin1(r.text.c_str()));
    inv.out.set(QStringLiteral("checksums"), checksumRows(r.image, edid::checkChecksums(r.image)));
    return kExitOk;
}

void readOptions(QCommandLineParser &p)
{
    p.addOption({{QStringLiteral("o"), QStringLiteral("output")},
                 QStringLiteral("Save the 256 bytes to FILE instead of printing the hex text."),
                 QStringLiteral("FILE")});
}

int runWrite(Invocation &inv)
{
    const EdidInput in = loadEdidInput(inv.args[0]);
    const edid::ChecksumCheck check = edid::checkChecksums(in.image);
    BoxConnection b(inv.link);
    // The window's upload gate: CUSTOM mode with the first preset selected.
    const auto block = b.readSettings();
    if (block[2] != 3 || block[19] != 1)
        throw CliError{kExitFailed, "Select CUSTOM EDID TABLE mode to upload an EDID table "
                                    "(vantrelctl set edid-mode custom; vantrelctl set edid-preset 1)"};
    if (!check.ok() && !inv.isSet(QStringLiteral("force")))
        throw CliError{kExitFailed, "The EDID Checksum is not correct. (--force writes it anyway; "
                                    "\"vantrelctl edid check --fix\" repairs the file)"};
    Session s = b.session();
    const bool stored = edid::uploadEdid(s, in.image);
    b.require(stored, "the EDID upload failed");
    b.requireNoFailure("the EDID upload");
    inv.out.set(QStringLiteral("written"), true);
    inv.out.set(QStringLiteral("checksums"), checksumRows(in.image, check));
    return kExitOk;
}

void writeOptions(QCommandLineParser &p)
{
    p.addOption({QStringLiteral("force"), QStringLiteral("Upload even when a checksum is wrong.")});
}

int runCheck(Invocation &inv)
{
    const QString path = inv.args[0];
    EdidInput in = loadEdidInput(path);
    const edid::ChecksumCheck check = edid::checkChecksums(in.image);
    for (int b = 0; b < 2; ++b) {
        const uint8_t stored = in.image[size_t(b * 128 + 127)];
        inv.out.line(check.valid[b] ? QString::asprintf("block %d checksum %02X correct", b, stored)
                                    : QString::asprintf("block %d checksum %02X wrong, should be %02X", b, stored,
                                                        check.computed[b]));
    }
    inv.out.set(QStringLiteral("checksums"), checksumRows(in.image, check));
    inv.out.set(QStringLiteral("ok"), check.ok());
    if (check.ok())
        return kExitOk;
    if (!inv.isSet(QStringLiteral("fix")))
        return kExitFailed;
    if (path == QLatin1String("-"))
        usageError("--fix needs a file, not standard input");
    edid::repairChecksums(in.image);
    // Written back in the form it came in.
    if (in.binary) {
        writeFileAtomically(path, edid::edidFileBytes(in.image));
    } else {
        const std::string text = edid::canonicalEdidText(in.image);
        writeFileAtomically(path, std::vector<uint8_t>(text.begin(), text.end()));
    }
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
    const EdidInput in = loadEdidInput(inv.args[0]);
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
        {"edid read", "[box|top|bottom] [-o FILE]", "Read the box's EDID, or the display's on TX A (top) or TX B (bottom).",
         "Prints the table in the window's hex layout, or saves the 256 bytes to FILE.", 0, 1, readOptions, runRead},
        {"edid write", "FILE [--force]", "Upload a table (256-byte file or hex text) as the custom EDID.",
         "The box must be in CUSTOM mode with the first preset; both checksums must be right unless --force.",
         1, 1, writeOptions, runWrite},
        {"edid check", "FILE [--fix]", "Check both checksums of a table file; --fix repairs them in the file.",
         "Exit status 1 when a checksum is wrong and was not repaired.", 1, 1, checkOptions, runCheck},
        {"edid decode", "FILE|-", "What a table advertises: identity, timings, video, audio, HDR, colorimetry.",
         "Exit status 1 when the table does not conform.", 1, 1, nullptr, runDecode},
    };
}

} // namespace vantrel::cli
