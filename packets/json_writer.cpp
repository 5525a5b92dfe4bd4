// SPDX-License-Identifier: GPL-3.0-or-later
#include "json_writer.h"

#include <cmath>
#include <cstdio>

namespace vantrel::packets {

namespace {

std::string quoted(const std::string &text)
{
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += char(c);
        } else if (c < 0x20 || c >= 0x7F) {
            // Texts from a packet (an OSD name) may hold any byte: escaped as Latin-1.
            char esc[8];
            std::snprintf(esc, sizeof esc, "\\u%04x", c);
            out += esc;
        } else {
            out += char(c);
        }
    }
    return out + "\"";
}

} // namespace

JsonWriter &JsonWriter::open(const char *key, char bracket)
{
    prefix(key);
    out_ += bracket;
    first_.push_back(true);
    return *this;
}

JsonWriter &JsonWriter::close(char bracket)
{
    out_ += bracket;
    if (!first_.empty())
        first_.pop_back();
    return *this;
}

JsonWriter &JsonWriter::value(const char *key, const std::string &v)
{
    return raw(key, quoted(v));
}

JsonWriter &JsonWriter::value(const char *key, double v)
{
    if (!std::isfinite(v))
        return null(key);
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    return raw(key, text);
}

JsonWriter &JsonWriter::bytes(const char *key, const std::vector<uint8_t> &data)
{
    return value(key, hexText(data));
}

JsonWriter &JsonWriter::raw(const char *key, const std::string &text)
{
    prefix(key);
    out_ += text;
    return *this;
}

void JsonWriter::prefix(const char *key)
{
    if (!first_.empty()) {
        if (!first_.back())
            out_ += ',';
        first_.back() = false;
    }
    if (key)
        out_ += quoted(key) + ':';
}

std::string hexText(const std::vector<uint8_t> &data)
{
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (size_t i = 0; i < data.size(); ++i) {
        if (i)
            out += ':';
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

} // namespace vantrel::packets
