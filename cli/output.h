// SPDX-License-Identifier: GPL-3.0-or-later
// What a command prints: lines of text, or with --json one JSON document
// built up as the command goes and printed when it ends.
#pragma once

#include <QJsonObject>
#include <QString>

#include <cstdint>
#include <vector>

namespace vantrel::cli {

// Binary bytes on standard output (a table for a pipe).
void writeStdout(const std::vector<uint8_t> &bytes);

class Output {
public:
    explicit Output(bool json) : json_(json) {}
    bool json() const { return json_; }

    // Text mode only: one line on standard output.
    void line(const QString &text) const;
    // Raw bytes on standard output (a table's text), text mode only.
    void raw(const std::string &text) const;

    // JSON mode: the document's members.
    QJsonObject &doc() { return doc_; }
    void set(const QString &key, const QJsonValue &value) { doc_.insert(key, value); }

    // A command that printed its JSON as it went (a line per change).
    void streamed() { streamed_ = true; }

    // Prints the document (JSON mode); for an error, {"error": ..., "exitStatus": n}.
    void finish() const;
    void finishWithError(const std::string &message, int status) const;

private:
    bool json_;
    bool streamed_ = false;
    QJsonObject doc_;
};

} // namespace vantrel::cli
