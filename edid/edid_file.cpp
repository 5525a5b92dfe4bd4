// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_file.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace vantrel::edid {

#ifndef _WIN32
namespace {

mode_t currentUmask()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return mask;
}

// A device or pipe has no old content to keep: it is written where it is.
bool writeInPlace(const std::string &path, const std::vector<uint8_t> &bytes, std::string &error)
{
    const int fd = ::open(path.c_str(), O_WRONLY);
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = std::strerror(n < 0 ? errno : EIO);
            ::close(fd);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

// A file that other names share is overwritten where it is, but only once
// the room for the new bytes is reserved: on a full disk the old bytes stay.
bool overwriteShared(const std::string &path, const std::vector<uint8_t> &bytes, std::string &error)
{
    const int fd = ::open(path.c_str(), O_WRONLY);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        error = std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    const auto fail = [&](int err) {
        error = std::strerror(err);
        ::close(fd);
        return false;
    };
    if (!bytes.empty()) {
        const int reserved = ::posix_fallocate(fd, 0, off_t(bytes.size()));
        if (reserved != 0) {
            // Whatever the attempt added past the old end goes again.
            [[maybe_unused]] const int trimmed = ::ftruncate(fd, st.st_size);
            error = std::string("no room for the new bytes, the file is unchanged: ") + std::strerror(reserved);
            ::close(fd);
            return false;
        }
    }
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::pwrite(fd, bytes.data() + done, bytes.size() - done, off_t(done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return fail(n < 0 ? errno : EIO);
        done += static_cast<size_t>(n);
    }
    if (::ftruncate(fd, off_t(bytes.size())) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        return false;
    }
    return true;
}

// The file a path names once symbolic links are followed: the link stays a
// link and its target is what gets replaced. A dangling link names the file
// it points at.
std::string followLinks(std::string path)
{
    namespace fs = std::filesystem;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode))
            break;
        std::error_code ec;
        const fs::path target = fs::read_symlink(path, ec);
        if (ec)
            break;
        path = target.is_absolute() ? target.string() : (fs::path(path).parent_path() / target).string();
    }
    return path;
}

} // namespace
#endif

LoadedEdidFile convertEdidFile(const uint8_t *data, size_t size)
{
    std::array<uint8_t, kMaxFileRead> area{};
    const size_t got = std::min(size, kMaxFileRead);
    if (got > 0)
        std::memcpy(area.data(), data, got);

    LoadedEdidFile out;
    if (area[0] == 0) {
        out.binary = true;
        std::copy(area.begin(), area.begin() + kEdidSize, out.image.begin());
        return out;
    }

    // Look-ahead past the bytes read counts as not matching.
    const auto at = [&](size_t i) { return i < kMaxFileRead ? area[i] : uint8_t{0}; };
    int counter = 1;
    size_t i = 0;
    while (i < kMaxFileRead && area[i] != 0) {
        if (counter == 48 && area[i] == ' ') {
            if (at(i + 1) == '\r' && at(i + 2) == '\n') {
                out.text += '\n';
                i += 3;
                counter = 1;
                continue;
            }
            if (at(i + 1) == '\n') {
                out.text += '\n';
                i += 2;
                counter = 1;
                continue;
            }
        }
        out.text += static_cast<char>(area[i]);
        ++i;
        ++counter;
    }
    return out;
}

namespace {

// A table whose base block announces more than the one extension the box keeps.
std::string tooLong(const std::vector<uint8_t> &bytes)
{
    const ExtensionCount c = extensionCount(bytes);
    if (bytes.size() <= size_t(kEdidSize) || !hasEdidHeader(bytes) || c.announced < 2)
        return {};
    return "The table has " + std::to_string(c.announced + 1) +
           " blocks; the box stores two (256 bytes). vantrelctl edid decode shows the whole table.";
}

} // namespace

TextBoxLoad loadForTextBox(const uint8_t *data, size_t size)
{
    TextBoxLoad out;
    const LoadedEdidFile loaded = convertEdidFile(data, size);
    if (loaded.binary) {
        out.problem = tooLong({data, data + size});
        out.kind = out.problem.empty() ? TextBoxLoad::Binary : TextBoxLoad::Refused;
        out.image = loaded.image;
        return out;
    }
    out.kind = TextBoxLoad::Text;
    out.text = loaded.text;
    if (parseEdidText(upperLatin1(normalizeLineBreaks(loaded.text))).ok())
        return out;
    const TableFile file = readTableFile(data, std::min(size, kMaxTextFileRead));
    if (!file.ok()) {
        out.problem = file.where();
    } else if (file.binary) {
        out.problem = "the file is neither hex text nor a table starting with 00";
    } else if (file.bytes.empty()) {
        out.problem = "the file holds no hex values";
    } else if (!(out.problem = tooLong(file.bytes)).empty()) {
        out.kind = TextBoxLoad::Refused;
    } else {
        out.text = edidTextOf(file.bytes.data(), std::min(file.bytes.size(), size_t(kEdidSize)));
    }
    return out;
}

std::vector<uint8_t> edidFileBytes(const EdidImage &image) { return {image.begin(), image.end()}; }

#ifndef _WIN32 // atomic_write_win.cpp
bool atomicWriteFile(const std::string &linkPath, const std::vector<uint8_t> &bytes, std::string &error)
{
    // A device or pipe reached through a link (/dev/stdout) is written as such.
    struct stat through {};
    if (::stat(linkPath.c_str(), &through) == 0 && !S_ISREG(through.st_mode) && !S_ISDIR(through.st_mode))
        return writeInPlace(linkPath, bytes, error);
    const std::string path = followLinks(linkPath);
    // The rename below would put a plain file in place of a device or pipe.
    struct stat existing {};
    const bool exists = ::stat(path.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode))
        return writeInPlace(path, bytes, error);
    // The rename only needs the folder's permission; a file its owner made
    // read-only (even to root) is kept.
    if (exists && S_ISREG(existing.st_mode)) {
        if ((existing.st_mode & 0222) == 0) {
            error = "the file is read-only";
            return false;
        }
        if (::access(path.c_str(), W_OK) != 0) {
            error = std::strerror(errno);
            return false;
        }
        // A rename would cut the file off its other names: write in place.
        if (existing.st_nlink > 1)
            return overwriteShared(path, bytes, error);
    }
    namespace fs = std::filesystem;
    const fs::path target(path);
    fs::path dir = target.parent_path();
    if (dir.empty())
        dir = ".";
    std::string temp = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    const int fd = mkstemp(temp.data());
    if (fd < 0) {
        error = std::strerror(errno);
        return false;
    }
    const auto fail = [&](int err) {
        error = std::strerror(err);
        ::close(fd);
        ::unlink(temp.c_str());
        return false;
    };
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return fail(errno);
        }
        done += static_cast<size_t>(n);
    }
    // A new file gets the usual permissions, an existing one keeps its own.
    struct stat st {};
    const mode_t mode = ::stat(path.c_str(), &st) == 0 ? (st.st_mode & 07777) : 0666 & ~currentUmask();
    if (::fchmod(fd, mode) != 0 || ::fsync(fd) != 0)
        return fail(errno);
    if (::close(fd) != 0) {
        error = std::strerror(errno);
        ::unlink(temp.c_str());
        return false;
    }
    std::error_code ec;
    fs::rename(temp, target, ec);
    if (ec) {
        error = ec.message();
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}
#endif

} // namespace vantrel::edid
