// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_input.h"

#include "cli_error.h"
#include "edid_file.h"

#include <QFile>

#include <algorithm>

namespace vantrel::cli {

namespace {

// A table with every extension is 128 x 256 bytes; as hex text with a
// heading, spaces and line ends it stays well under four times that.
constexpr qint64 kMaxTableFile = 4 * 128 * 256;

} // namespace

EdidInput loadEdidInput(const QString &path)
{
    const bool stdinInput = path == QLatin1String("-");
    QFile file(stdinInput ? QString() : path);
    const bool opened = stdinInput ? file.open(stdin, QIODevice::ReadOnly) : file.open(QIODevice::ReadOnly);
    if (!opened)
        throw CliError{kExitFailed, "cannot read " + path.toStdString() + ": " + file.errorString().toStdString()};
    EdidInput in;
    in.raw = stdinInput ? file.readAll() : file.read(kMaxTableFile + 1);
    if (in.raw.size() > kMaxTableFile)
        throw CliError{kExitFailed, path.toStdString() + " is longer than any EDID table file"};
    if (in.raw.isEmpty())
        throw CliError{kExitFailed, path.toStdString() + " is empty"};

    const auto *raw = reinterpret_cast<const uint8_t *>(in.raw.constData());
    in.file = edid::readTableFile(raw, size_t(in.raw.size()));
    if (!in.file.ok())
        throw CliError{kExitFailed, path.toStdString() + ": Hex Format Error, " + in.file.where()};
    if (in.file.bytes.empty())
        throw CliError{kExitFailed, path.toStdString() + " holds no EDID bytes"};
    in.binary = in.file.binary;
    in.bytes = in.file.bytes;
    std::copy_n(in.bytes.begin(), std::min(in.bytes.size(), size_t(edid::kEdidSize)), in.image.begin());
    return in;
}

void writeFileAtomically(const QString &path, const std::vector<uint8_t> &bytes)
{
    std::string error;
    if (!edid::atomicWriteFile(path.toStdString(), bytes, error))
        throw CliError{kExitFailed, "cannot write " + path.toStdString() + ": " + error};
}

} // namespace vantrel::cli
