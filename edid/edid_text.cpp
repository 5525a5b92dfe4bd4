// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_text.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::edid {

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

std::string normalizeLineBreaks(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            out += text[i];
        }
    }
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

EdidText parseEdidText(std::string_view text)
{
    EdidText result;
    if (text.size() > static_cast<size_t>(kMaxEdidText)) {
        result.count = kFormatError;
        result.errorAt = static_cast<size_t>(kMaxEdidText);
        return result;
    }
    const size_t n = text.size();
    int count = 0;
    for (size_t k = 0; k < n; k += 3) {
        const bool fullGroup = k + 1 < n && isHexDigit(text[k]) && isHexDigit(text[k + 1]);
        const bool separated = k + 2 >= n || text[k + 2] == ' ' || text[k + 2] == '\n';
        if (!fullGroup || !separated) {
            result.count = kFormatError;
            result.errorAt = !isHexDigit(text[k]) ? k : k + 1 >= n || !isHexDigit(text[k + 1]) ? k + 1 : k + 2;
            result.image.fill(0);
            return result;
        }
        if (count < kEdidSize)
            result.image[count] = hexPairValue(text[k], text[k + 1]);
        ++count;
    }
    result.count = count;
    return result;
}

uint8_t edidBlockChecksum(const uint8_t *block)
{
    uint8_t sum = 0;
    for (int i = 0; i < kBlockSize - 1; ++i)
        sum = static_cast<uint8_t>(sum + block[i]);
    return static_cast<uint8_t>(0 - sum);
}

ChecksumCheck checkChecksums(const EdidImage &image)
{
    ChecksumCheck c{};
    for (int b = 0; b < 2; ++b) {
        c.computed[b] = edidBlockChecksum(image.data() + b * kBlockSize);
        c.valid[b] = c.computed[b] == image[b * kBlockSize + kBlockSize - 1];
    }
    return c;
}

void repairChecksums(EdidImage &image)
{
    const ChecksumCheck c = checkChecksums(image);
    image[kBlockSize - 1] = c.computed[0];
    image[kEdidSize - 1] = c.computed[1];
}

std::string canonicalEdidText(const EdidImage &image) { return edidTextOf(image.data(), image.size()); }

std::string edidTextOf(const uint8_t *bytes, size_t count)
{
    std::string out;
    out.reserve(3 * count);
    char group[4];
    for (size_t i = 0; i < count; ++i) {
        std::snprintf(group, sizeof group, "%02X", bytes[i]);
        out += group;
        out += (i % 16 == 15 || i + 1 == count) ? '\n' : ' ';
    }
    return out;
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

} // namespace vantrel::edid
