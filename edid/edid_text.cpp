// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_text.h"

#include <algorithm>
#include <cstdio>

namespace vantrel::edid {

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

} // namespace vantrel::edid
