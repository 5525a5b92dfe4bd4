#include "edid_input.h"

#include "cli_error.h"
#include "edid_file.h"

#include <QFile>

namespace vantrel::cli {

namespace {

// A table with every extension is 128 x 256 bytes; nothing sensible is longer.
constexpr qint64 kMaxTableFile = 128 * 256;

} // namespace

EdidInput loadEdidInput(const QString &path)
{
    const bool stdinInput = path == QLatin1String("-");
    QFile file(stdinInput ? QString() : path);
    const bool opened = stdinInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened)
        throw CliError{kExitFailed, "cannot read " + path.toStdString() + ": " + file.errorString().toStdString()};
    // A pipe is read to its end; a file only as far as a table can reach.
    QByteArray data = stdinInput ? file.readAll() : file.read(kMaxTableFile);
    if (data.size() > kMaxTableFile)
        data.truncate(kMaxTableFile);
    if (data.isEmpty())
        throw CliError{kExitFailed, path.toStdString() + " is empty"};

    const auto *raw = reinterpret_cast<const uint8_t *>(data.constData());
    const edid::LoadedEdidFile loaded = edid::convertEdidFile(raw, size_t(data.size()));
    EdidInput in;
    in.binary = loaded.binary;
    if (loaded.binary) {
        in.image = loaded.image;
        in.bytes.assign(raw, raw + data.size());
        return in;
    }
    // The text goes through the parser "Write EDID" uses on the window's box.
    const edid::EdidText parsed = edid::parseEdidText(edid::upperLatin1(loaded.text));
    if (!parsed.ok())
        throw CliError{kExitFailed, path.toStdString() + ": Hex Format Error"};
    if (parsed.count == 0)
        throw CliError{kExitFailed, path.toStdString() + " holds no EDID bytes"};
    in.image = parsed.image;
    in.bytes.assign(parsed.image.begin(), parsed.image.begin() + std::min(parsed.count, edid::kEdidSize));
    return in;
}

void writeFileAtomically(const QString &path, const std::vector<uint8_t> &bytes)
{
    std::string error;
    if (!edid::atomicWriteFile(path.toStdString(), bytes, error))
        throw CliError{kExitFailed, "cannot write " + path.toStdString() + ": " + error};
}

} // namespace vantrel::cli
