// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal_log.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace vantrel::service {

namespace fs = std::filesystem;

namespace {

constexpr const char *kPrefix = "signals-";
constexpr const char *kSuffix = ".jsonl";

// A value as one short text: strings as they are, null as "none", a timing
// by its name (none without a signal), a list joined (the log file keeps
// the whole value).
std::string shown(const Json &value)
{
    if (value.is_null())
        return "none";
    if (value.is_string())
        return value.get<std::string>();
    if (value.is_object() && value.contains("name"))
        return shown(value["name"]);
    if (value.is_array() && std::all_of(value.begin(), value.end(), [](const Json &v) { return v.is_string(); })) {
        std::string list;
        for (const Json &v : value)
            list += (list.empty() ? "" : ", ") + v.get<std::string>();
        return list.empty() ? "none" : list;
    }
    return report::oneLine(value);
}

} // namespace

std::string logFileDay(const std::string &name)
{
    const std::string prefix = kPrefix, suffix = kSuffix;
    if (name.size() != prefix.size() + 10 + suffix.size() || name.compare(0, prefix.size(), prefix) != 0 ||
        name.compare(name.size() - suffix.size(), suffix.size(), suffix) != 0)
        return {};
    const std::string day = name.substr(prefix.size(), 10);
    return parseDay(day) ? day : std::string();
}

Json changeJson(const Change &c)
{
    return Json{{"time", utcText(c.time)}, {"field", c.field}, {"old", c.oldValue}, {"new", c.newValue}};
}

std::string changeLine(const Change &c)
{
    return report::compactText(changeJson(c));
}

std::string changeText(const Change &c)
{
    return utcText(c.time) + "  " + c.field + ": " + shown(c.oldValue) + " -> " + shown(c.newValue);
}

Json logFields(const Json &state)
{
    Json fields = Json::object();
    if (!state.is_object())
        return fields;
    if (state.contains("box"))
        fields["box"] = state["box"];
    const auto status = state.find("status");
    if (status != state.end() && status->is_object())
        for (const auto &[key, value] : status->items())
            if (key != "input" && key != "output" && key != "colour" && key != "source" && key != "infoframeBytes")
                fields[key] = value;
    const auto settings = state.find("settings");
    if (settings != state.end() && settings->is_object())
        for (const auto &[key, value] : settings->items())
            fields["setting." + key] = value;
    return fields;
}

std::vector<Change> changesBetween(const Json &before, const Json &after, Millis time)
{
    const Json was = logFields(before), now = logFields(after);
    std::vector<Change> changes;
    for (const auto &[key, value] : now.items()) {
        const auto old = was.find(key);
        const Json oldValue = old == was.end() ? Json() : *old;
        if (oldValue != value)
            changes.push_back({time, key, oldValue, value});
    }
    for (const auto &[key, value] : was.items())
        if (!now.contains(key) && !value.is_null())
            changes.push_back({time, key, value, Json()});
    return changes;
}

bool fieldNamed(const std::string &field, const std::string &name)
{
    if (name.empty())
        return false;
    if (field == name)
        return true;
    const size_t dot = field.find('.');
    return dot != std::string::npos &&
           (field.compare(0, dot, name) == 0 ? dot == name.size()
                                             : field.compare(dot + 1, std::string::npos, name) == 0);
}

std::string logFileName(Millis time)
{
    return kPrefix + utcDay(time) + kSuffix;
}

SignalLog::SignalLog(std::string folder, int keepDays) : folder_(std::move(folder)), keepDays_(keepDays) {}

namespace {

// Appends text to the file, on a line of its own even when the file ends in
// a line cut short (a full disk, a crash); errno's reason when it fails.
std::string appendLines(const fs::path &path, std::string text)
{
    std::FILE *f = std::fopen(path.string().c_str(), "a+b");
    if (!f)
        return std::strerror(errno);
    if (std::fseek(f, -1, SEEK_END) == 0 && std::fgetc(f) != '\n')
        text.insert(0, "\n");
    std::fseek(f, 0, SEEK_END); // from reading to writing
    errno = 0;
    const bool written = std::fwrite(text.data(), 1, text.size(), f) == text.size() && std::fflush(f) == 0;
    const int writeErrno = errno;
    const bool closed = std::fclose(f) == 0;
    if (written && closed)
        return {};
    return std::strerror(!written && writeErrno ? writeErrno : errno ? errno : EIO);
}

} // namespace

std::string SignalLog::checkFolder() const
{
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (!ec && !fs::is_directory(folder_, ec))
        ec = std::make_error_code(std::errc::not_a_directory);
    if (ec)
        return "cannot write the log folder " + folder_ + ": " + ec.message();
    // Whether a file can be made there, as the log will make one.
    const fs::path probe = fs::path(folder_) / ".signals-check";
    std::FILE *f = std::fopen(probe.string().c_str(), "ab");
    if (!f)
        return "cannot write the log folder " + folder_ + ": " + std::strerror(errno);
    std::fclose(f);
    fs::remove(probe, ec);
    return {};
}

bool SignalLog::append(const std::vector<Change> &changes)
{
    if (changes.empty())
        return true;
    std::error_code ec;
    fs::create_directories(folder_, ec);
    if (ec) {
        error_ = "cannot make the log folder " + folder_ + ": " + ec.message();
        return false;
    }
    // One write per day's file, so a line is never split between two writes.
    for (size_t i = 0; i < changes.size();) {
        const std::string name = logFileName(changes[i].time);
        std::string text;
        for (; i < changes.size() && logFileName(changes[i].time) == name; ++i)
            text += changeLine(changes[i]);
        const fs::path path = fs::path(folder_) / name;
        if (const std::string why = appendLines(path, std::move(text)); !why.empty()) {
            error_ = "cannot write the log file " + path.string() + ": " + why;
            return false;
        }
    }
    error_.clear();
    const std::string day = utcDay(changes.back().time);
    if (day != prunedOn_) {
        prunedOn_ = day;
        prune(changes.back().time);
    }
    return true;
}

void SignalLog::prune(Millis now)
{
    // Today counts as one of the days kept.
    const std::string oldestKept = utcDay(now - Millis(keepDays_ - 1) * 86400000);
    std::error_code ec;
    for (fs::directory_iterator it(folder_, ec), end; !ec && it != end; it.increment(ec)) {
        const std::string day = logFileDay(it->path().filename().string());
        if (!day.empty() && day < oldestKept) {
            std::error_code ignored;
            fs::remove(it->path(), ignored);
        }
    }
}

} // namespace vantrel::service
