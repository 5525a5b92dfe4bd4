// SPDX-License-Identifier: GPL-3.0-or-later
// What a command prints: lines of text, or with --json one JSON document
// built up as the command goes and printed when it ends.
#pragma once

#include "json_support.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::cli {

using report::Json;

// Once at start. On Windows a console shows UTF-8, and text keeps the C
// runtime's text mode, so lines end in CR LF as Windows tools expect. On POSIX
// a closed standard stream is reopened on /dev/null, standard output so that
// writing to it fails as it would have.
void prepareStandardStreams();
// Binary bytes on standard output (a table for a pipe).
void writeStdout(const std::vector<uint8_t> &bytes);
// Text on standard output, as it is.
void writeStdout(const std::string &text);

class Output {
public:
    explicit Output(bool json) : json_(json) {}
    bool json() const { return json_; }

    // Text mode only: one line on standard output, control bytes shown as '?'.
    void line(const std::string &text) const;
    // Raw text on standard output (a table's text), text mode only.
    void raw(const std::string &text) const;

    // JSON mode: the document's members.
    Json &doc() { return doc_; }
    void set(const std::string &key, Json value) { doc_[key] = std::move(value); }

    // A command that printed its JSON as it went (a line per change).
    void streamed() { streamed_ = true; }

    // Prints the document (JSON mode); for an error, {"error": ..., "exitStatus": n}.
    void finish() const;
    void finishWithError(const std::string &message, int status) const;

private:
    bool json_;
    bool streamed_ = false;
    Json doc_ = Json::object();
};

// The document as the tool prints it: indented by four, one line feed after.
std::string documentText(const Json &doc);

} // namespace vantrel::cli
