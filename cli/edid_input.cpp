// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_input.h"

#include "cli_error.h"
#include "edid_file.h"
#include "edid_library.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <utility>
#ifdef _WIN32
#include <fcntl.h>
#include <filesystem>
#include <io.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace vantrel::cli {

std::vector<uint8_t> readBounded(const std::string &path, size_t limit)
{
    const bool standardInput = path == "-";
#ifdef _WIN32
    // Paths are UTF-8; the narrow fopen would read them in the ANSI code page.
    FILE *f = standardInput ? stdin : _wfopen(std::filesystem::u8path(path).wstring().c_str(), L"rb");
#else
    // A pipe with no writer would block the open for ever: it opens at once
    // and then reads as empty.
    FILE *f = stdin;
    if (!standardInput) {
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        f = fd < 0 ? nullptr : ::fdopen(fd, "rb");
        if (fd >= 0 && (!f || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0)) {
            const int error = errno;
            f ? std::fclose(f) : ::close(fd);
            throw CliError{kExitFailed, "cannot read " + path + ": " + std::strerror(error)};
        }
    }
#endif
    if (!f)
        throw CliError{kExitFailed, "cannot read " + path + ": " + std::strerror(errno)};
#ifdef _WIN32
    if (standardInput)
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    // One byte past the limit tells a file that is too long; the rest of a
    // stream (/dev/zero, yes) is never read.
    // The buffer grows as bytes come: a table is a few hundred bytes, and
    // zeroing the whole bound costs every run its pages.
    std::vector<uint8_t> data(std::min<size_t>(limit + 1, 4096));
    size_t got = 0;
    while (got < limit + 1) {
        if (got == data.size())
            data.resize(std::min(limit + 1, data.size() * 4));
        const size_t n = std::fread(data.data() + got, 1, data.size() - got, f);
        if (n == 0)
            break;
        got += n;
    }
    const bool failed = std::ferror(f) != 0;
    const int error = errno;
    if (!standardInput)
        std::fclose(f);
    if (failed)
        throw CliError{kExitFailed, "cannot read " + path + ": " + std::strerror(error)};
    data.resize(got);
    return data;
}

EdidInput loadEdidInput(const std::string &path, const std::string &output)
{
    if (edid::isLibrarySource(path)) {
        std::string error;
        const auto table = edid::loadLibraryTable(path, error);
        if (!table)
            throw CliError{kExitFailed, error};
        return edidInputFrom(*table, path);
    }
    return edidInputFrom(readBounded(path, kMaxTableFile), path == "-" ? std::string("standard input") : path, output);
}

EdidInput edidInputFrom(std::vector<uint8_t> raw, const std::string &name, const std::string &output)
{
    EdidInput in;
    in.raw = std::move(raw);
    if (in.raw.size() > kMaxTableFile)
        throw CliError{kExitFailed, name + " is longer than any EDID table file (" + std::to_string(kMaxTableFile) +
                                        " bytes at most)"};
    if (in.raw.empty())
        throw CliError{kExitFailed, name + " is empty"};

    in.file = edid::readTableFile(in.raw.data(), in.raw.size(), output);
    if (!in.file.ok())
        throw CliError{kExitFailed, name + (in.file.line ? ": Hex Format Error, " : ": ") + in.file.where()};
    if (in.file.bytes.empty())
        throw CliError{kExitFailed, name + " holds no EDID bytes"};
    in.binary = in.file.binary;
    in.bytes = in.file.bytes;
    std::copy_n(in.bytes.begin(), std::min(in.bytes.size(), size_t(edid::kEdidSize)), in.image.begin());
    return in;
}

void writeFileAtomically(const std::string &path, const std::vector<uint8_t> &bytes)
{
    std::string error;
    if (!edid::atomicWriteFile(path, bytes, error))
        throw CliError{kExitFailed, "cannot write " + path + ": " + error};
}

} // namespace vantrel::cli
