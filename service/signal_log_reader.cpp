// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal_log_reader.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace vantrel::service {

namespace fs = std::filesystem;

std::optional<Change> parseLogLine(std::string_view line)
{
    if (line.size() > kMaxLogLine)
        return std::nullopt;
    const report::JsonRead read = report::readJson(line);
    const Json &j = read.doc;
    if (!read.ok() || !j.is_object())
        return std::nullopt;
    const auto time = j.find("time"), field = j.find("field");
    if (time == j.end() || !time->is_string() || field == j.end() || !field->is_string() || field->empty() ||
        !j.contains("old") || !j.contains("new"))
        return std::nullopt;
    const std::optional<Millis> t = parseTime(time->get<std::string>());
    if (!t)
        return std::nullopt;
    return Change{*t, field->get<std::string>(), j["old"], j["new"]};
}

namespace {

bool wanted(const Change &c, const LogQuery &q)
{
    if (q.since && c.time < *q.since)
        return false;
    return q.only.empty() ||
           std::any_of(q.only.begin(), q.only.end(), [&](const std::string &n) { return fieldNamed(c.field, n); });
}

void keepNewest(LogRead &into, size_t limit)
{
    if (into.changes.size() <= limit)
        return;
    const size_t extra = into.changes.size() - limit;
    into.changes.erase(into.changes.begin(), into.changes.begin() + long(extra));
    into.dropped += extra;
}

} // namespace

void readLogText(std::string_view text, const LogQuery &query, LogRead &into)
{
    size_t at = 0;
    while (at < text.size()) {
        size_t end = text.find('\n', at);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(at, end - at);
        at = end + 1;
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos)
            continue;
        const std::optional<Change> c = parseLogLine(line);
        if (!c) {
            ++into.skipped;
            continue;
        }
        if (!wanted(*c, query))
            continue;
        into.changes.push_back(*c);
        // The oldest go, in batches, so the newest `limit` stay.
        if (into.changes.size() >= 2 * std::max<size_t>(query.limit, 1))
            keepNewest(into, query.limit);
    }
    keepNewest(into, query.limit);
}

namespace {

// One file, at most kMaxLogFileBytes of it; false when it cannot be read.
bool readLogFile(const fs::path &path, const LogQuery &query, LogRead &read)
{
    std::error_code sizeError;
    const uintmax_t size = fs::file_size(path, sizeError);
    if (sizeError)
        return false;
    std::ifstream in(path, std::ios::binary);
    std::string text(size_t(std::min<uintmax_t>(size, kMaxLogFileBytes)), '\0');
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(size_t(in.gcount()));
    // The bytes past the bound are not read; the last line read may be
    // cut short and is then skipped like any malformed one.
    readLogText(text, query, read);
    if (size > kMaxLogFileBytes)
        read.truncated = true;
    return bool(in) || in.eof();
}

} // namespace

LogRead readLog(const std::string &path, const LogQuery &query)
{
    LogRead read;
    std::error_code ec;
    // One file, as the window saves its history.
    if (fs::is_regular_file(path, ec)) {
        if (!readLogFile(path, query, read))
            read.error = "cannot read the file " + path;
        return read;
    }
    std::vector<std::pair<std::string, fs::path>> files;
    for (fs::directory_iterator it(path, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string day = logFileDay(it->path().filename().string());
        // A file of a day before the one since falls on has nothing newer.
        if (!day.empty() && (!query.since || day >= utcDay(*query.since)))
            files.emplace_back(day, it->path());
    }
    if (ec) {
        read.error = "cannot read the folder " + path + ": " + ec.message();
        return read;
    }
    std::sort(files.begin(), files.end());
    for (const auto &[day, file] : files)
        readLogFile(file, query, read);
    return read;
}

} // namespace vantrel::service
