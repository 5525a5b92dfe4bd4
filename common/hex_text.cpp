// SPDX-License-Identifier: GPL-3.0-or-later
#include "hex_text.h"

#include <algorithm>

namespace vantrel::hex {

namespace {

// Next code point of UTF-8 text; a malformed sequence yields one U+FFFD and
// skips one byte.
char32_t nextCodePoint(std::string_view s, size_t &i)
{
    const auto byte = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char b = byte(i);
    int extra = 0;
    char32_t cp = 0;
    if (b < 0x80) {
        ++i;
        return b;
    } else if ((b & 0xE0) == 0xC0) {
        extra = 1;
        cp = b & 0x1F;
    } else if ((b & 0xF0) == 0xE0) {
        extra = 2;
        cp = b & 0x0F;
    } else if ((b & 0xF8) == 0xF0) {
        extra = 3;
        cp = b & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + extra >= s.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k <= extra; ++k) {
        if ((byte(i + k) & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        cp = (cp << 6) | (byte(i + k) & 0x3F);
    }
    i += extra + 1;
    return cp;
}

// Upper case of one Latin-1 character; 0 when it leaves Latin-1 (y with
// diaeresis, micro sign) or, for sharp s, widens to "SS" (handled by the caller).
unsigned char upperOf(unsigned char c)
{
    if (c >= 'a' && c <= 'z')
        return c - 0x20;
    if (c >= 0xE0 && c <= 0xFE && c != 0xF7)
        return c - 0x20;
    if (c == 0xFF || c == 0xB5)
        return 0;
    return c;
}

void appendUpper(std::string &out, unsigned char c)
{
    if (c == 0xDF) {
        out += "SS";
        return;
    }
    const unsigned char u = upperOf(c);
    out += u ? static_cast<char>(u) : '?';
}

} // namespace

std::string boxText(std::string_view utf8)
{
    std::string out;
    out.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) {
        const char32_t cp = nextCodePoint(utf8, i);
        if (cp <= 0xFF)
            appendUpper(out, static_cast<unsigned char>(cp));
        else
            out += '?';
    }
    return out;
}

std::string upperLatin1(std::string_view latin1)
{
    std::string out;
    out.reserve(latin1.size());
    for (char c : latin1)
        appendUpper(out, static_cast<unsigned char>(c));
    return out;
}

uint8_t hexPairValue(char c1, char c2)
{
    const auto value = [](char ch) {
        const unsigned c = static_cast<unsigned char>(ch);
        return c <= 0x39 ? c - 0x30 : c - 0x37;
    };
    return static_cast<uint8_t>(value(c1) * 16 + value(c2));
}

bool isHexDigit(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F') || (c >= 'a' && c <= 'f');
}

ColonHex parseColonHex(std::string_view text, int scanLength, bool withLength)
{
    ColonHex r;
    // Never look past the text, whatever length the caller claims.
    const int n = std::min<int>(scanLength, static_cast<int>(text.size()));
    const auto at = [&](int p) { return p >= 0 && p < n ? text[p] : '\0'; };
    const auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 0x20) : c; };
    const auto pair = [&](int p) {
        if (!isHexDigit(at(p)) || !isHexDigit(at(p + 1)))
            r.wellFormed = false;
        return hexPairValue(upper(at(p)), upper(at(p + 1)));
    };

    int i = 0;
    int last = 0; // the start of the text until a colon is seen
    bool sawColon = false;
    for (int p = 0; p < n; ++p) {
        if (text[p] != ':')
            continue;
        sawColon = true;
        if (p < 2)
            r.wellFormed = false;
        // Room for this pair and the one after the last colon.
        if (i + 2 > kColonHexArea) {
            r.wellFormed = false;
            break;
        }
        r.bytes[i++] = pair(p - 2);
        if (withLength && i == 1)
            i = 2;
        last = p;
        if (at(p + 3) != ':')
            break;
    }
    if (!sawColon)
        r.wellFormed = false;
    r.bytes[i] = pair(last + 1);
    if (withLength)
        r.bytes[1] = static_cast<uint8_t>(i - 1);
    r.count = i + 1;
    return r;
}

std::string colonHexText(const uint8_t *bytes, size_t count)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; i < count; ++i) {
        if (i)
            text += ':';
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    return text;
}

ColonHexBytes readColonHex(std::string_view utf8)
{
    ColonHexBytes r;
    // Blank space around the text is what a pasted line brings along.
    while (!utf8.empty() &&
           (utf8.front() == ' ' || utf8.front() == '\t' || utf8.front() == '\n' || utf8.front() == '\r'))
        utf8.remove_prefix(1);
    while (!utf8.empty() && (utf8.back() == ' ' || utf8.back() == '\t' || utf8.back() == '\n' || utf8.back() == '\r'))
        utf8.remove_suffix(1);
    const std::string line = boxText(utf8) + '\r';
    if (line.size() > size_t(3 * kColonHexArea)) {
        r.error = "too long: at most 100 bytes";
        return r;
    }
    // A lone pair is a one-byte message (a CEC poll); the scan wants a colon.
    if (line.size() == 3 && isHexDigit(line[0]) && isHexDigit(line[1])) {
        r.ok = true;
        r.bytes = {hexPairValue(line[0], line[1])};
        return r;
    }
    const ColonHex hex = parseColonHex(line, int(line.size()), false);
    if (!hex.wellFormed) {
        r.error = "not colon hex text (two hex digits per byte joined by colons, \"50:04\")";
        return r;
    }
    r.ok = true;
    r.bytes.assign(hex.bytes.begin(), hex.bytes.begin() + hex.count);
    const size_t used = size_t(hex.count) * 3 - 1;
    if (line.size() - 1 > used)
        r.ignored = line.substr(used, line.size() - 1 - used);
    return r;
}

std::string frameTextProblem(FrameKind kind, std::string_view text)
{
    struct Rule {
        const char *what;
        size_t minBytes, maxBytes;
    };
    static const Rule rules[] = {{"a CEC message", 2, 31}, {"an HDR infoframe", 2, 31}, {"an AVI infoframe", 2, 13}};
    const Rule &rule = rules[int(kind)];
    const ColonHexBytes read = readColonHex(text);
    const std::string quoted = "\"" + std::string(text) + "\"";
    if (!read.ok)
        return quoted + " is " + read.error;
    const size_t n = read.bytes.size();
    if (n < rule.minBytes || n > rule.maxBytes)
        return std::string("the box sends ") + rule.what + " of " + std::to_string(rule.minBytes) + " to " +
               std::to_string(rule.maxBytes) + " bytes; " + quoted + " has " + std::to_string(n);
    return {};
}

} // namespace vantrel::hex
