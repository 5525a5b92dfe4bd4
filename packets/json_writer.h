// SPDX-License-Identifier: GPL-3.0-or-later
// A JSON document written in one pass: the caller names keys and values,
// commas and nesting are tracked here.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::packets {

class JsonWriter {
public:
    JsonWriter &object(const char *key = nullptr) { return open(key, '{'); }
    JsonWriter &array(const char *key = nullptr) { return open(key, '['); }
    JsonWriter &endObject() { return close('}'); }
    JsonWriter &endArray() { return close(']'); }

    JsonWriter &value(const char *key, const std::string &v);
    JsonWriter &value(const char *key, const char *v) { return value(key, std::string(v)); }
    JsonWriter &value(const char *key, bool v) { return raw(key, v ? "true" : "false"); }
    JsonWriter &value(const char *key, unsigned v) { return raw(key, std::to_string(v)); }
    JsonWriter &value(const char *key, int v) { return raw(key, std::to_string(v)); }
    JsonWriter &value(const char *key, double v);
    template <typename T>
    JsonWriter &value(const char *key, const std::optional<T> &v)
    {
        return v ? value(key, *v) : null(key);
    }
    JsonWriter &null(const char *key) { return raw(key, "null"); }
    JsonWriter &bytes(const char *key, const std::vector<uint8_t> &data); // lower-case colon hex
    JsonWriter &raw(const char *key, const std::string &text);

    // The document with a final line feed.
    std::string take() { return std::move(out_) + "\n"; }

private:
    JsonWriter &open(const char *key, char bracket);
    JsonWriter &close(char bracket);
    void prefix(const char *key);

    std::string out_;
    std::vector<bool> first_;
};

// Lower-case colon hex ("87:01:1a"), as the boxes show bytes.
std::string hexText(const std::vector<uint8_t> &data);

} // namespace vantrel::packets
