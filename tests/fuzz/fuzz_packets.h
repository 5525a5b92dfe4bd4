// What the three packet decoders' fuzz targets check alike: the input as a
// box's text or as raw bytes, reports that stay printable, a JSON document
// that is well formed, and the verdict the same in every rendering.
#pragma once

#include "fuzz_check.h"
#include "json_writer.h"
#include "packet_common.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::fuzz {

// A small recursive check of JSON syntax: one value, nothing after it.
class JsonSyntax {
public:
    explicit JsonSyntax(const std::string &text) : s_(text) {}
    bool ok()
    {
        if (!value(0))
            return false;
        blank();
        return p_ == s_.size();
    }

private:
    void blank()
    {
        while (p_ < s_.size() && (s_[p_] == ' ' || s_[p_] == '\n'))
            ++p_;
    }
    bool eat(char c)
    {
        blank();
        if (p_ < s_.size() && s_[p_] == c) {
            ++p_;
            return true;
        }
        return false;
    }
    bool string()
    {
        if (!eat('"'))
            return false;
        while (p_ < s_.size() && s_[p_] != '"') {
            const unsigned char c = static_cast<unsigned char>(s_[p_]);
            if (c < 0x20 || c >= 0x7F)
                return false;
            p_ += s_[p_] == '\\' ? 2 : 1;
        }
        return eat('"');
    }
    bool value(int depth)
    {
        if (depth > 16)
            return false;
        blank();
        if (p_ >= s_.size())
            return false;
        const char c = s_[p_];
        if (c == '"')
            return string();
        if (c == '{' || c == '[') {
            const char close = c == '{' ? '}' : ']';
            ++p_;
            if (eat(close))
                return true;
            do {
                if (c == '{' && (!string() || !eat(':')))
                    return false;
                if (!value(depth + 1))
                    return false;
            } while (eat(','));
            return eat(close);
        }
        const size_t start = p_;
        while (p_ < s_.size() && std::string("-+.eE0123456789truefalsn").find(s_[p_]) != std::string::npos)
            ++p_;
        const std::string word = s_.substr(start, p_ - start);
        return word == "true" || word == "false" || word == "null" ||
               (!word.empty() && word.find_first_not_of("-+.eE0123456789") == std::string::npos);
    }

    const std::string &s_;
    size_t p_ = 0;
};

inline void checkReports(const std::string &text, const std::string &json, bool conforms)
{
    require(printable(text, true), "report not printable");
    require(JsonSyntax(json).ok(), "JSON report not well formed");
    require(text.find(conforms ? "Conformity: PASS" : "Conformity: FAIL") != std::string::npos,
            "report verdict differs from the decode");
    require(json.find(conforms ? "\"conforms\":true" : "\"conforms\":false") != std::string::npos,
            "JSON verdict differs from the decode");
}

// The input after its first byte as the text of a box: when it parses, the
// bytes written back as colon hex parse to the same bytes.
inline bool boxTextBytes(const uint8_t *data, size_t size, std::vector<uint8_t> &bytes)
{
    const packets::PacketBytes p = packets::parsePacketText(std::string(reinterpret_cast<const char *>(data), size));
    require(p.ok != !p.error.empty(), "a refusal without a reason, or a reason without a refusal");
    if (!p.ok)
        return false;
    require(!p.bytes.empty() && p.bytes.size() <= 100, "parsed byte count");
    const packets::PacketBytes again = packets::parsePacketText(packets::hexText(p.bytes));
    require(again.ok && again.bytes == p.bytes && again.ignored.empty(), "colon hex does not read back");
    bytes = p.bytes;
    return true;
}

} // namespace vantrel::fuzz
