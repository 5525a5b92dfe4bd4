// SPDX-License-Identifier: GPL-3.0-or-later
// What the packet decoders share: the text a box holds turned into bytes, and
// the notes a decode leaves on what does not conform.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::packets {

enum class Severity { Warning, Error };

struct Note {
    Severity severity = Severity::Error;
    std::string message;
};

// True when no note is an error.
bool conforms(const std::vector<Note> &notes);

struct PacketBytes {
    bool ok = false;
    std::vector<uint8_t> bytes;
    std::string error;   // why the text was refused
    std::string ignored; // text after the last pair, which the box ignores too
};

// The colon hex text of a CEC, HDR IF or AVI box ("50:04"), read as the box's
// own send reads it: upper-cased, scanned pair by pair, anything after the
// last pair ignored. A text the send would refuse as malformed is refused.
PacketBytes parsePacketText(std::string_view utf8);

// printf into a std::string. MinGW's C++ library formats like glibc (%zu);
// MSVC knows no format attribute.
#if defined(__MINGW32__)
std::string format(const char *fmt, ...) __attribute__((format(gnu_printf, 1, 2)));
#elif defined(__GNUC__)
std::string format(const char *fmt, ...) __attribute__((format(printf, 1, 2)));
#else
std::string format(const char *fmt, ...);
#endif

// The text reports: lines indented by two blanks a level, and the closing
// "Problems:" and "Conformity: PASS (0 errors, 0 warnings)" lines.
class TextReport {
public:
    void line(int indent, const std::string &text) { out_ += std::string(size_t(indent) * 2, ' ') + text + '\n'; }
    void notes(const std::vector<Note> &notes);
    std::string take() { return std::move(out_); }

private:
    std::string out_;
};

class JsonWriter;
// "conforms" and the "notes" array.
void jsonNotes(JsonWriter &j, const std::vector<Note> &notes);

} // namespace vantrel::packets
