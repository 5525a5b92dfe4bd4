// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_import.h"

#include "edid_text.h"

#include <algorithm>
#include <string_view>

namespace vantrel::edid {

namespace {

constexpr uint8_t kHeader[8] = {0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00};

bool isBlank(uint8_t c) { return c == ' ' || c == '\t' || c == '\f' || c == '\v'; }

// Length of the UTF-8 sequence starting at data[i], 0 when it is malformed.
size_t utf8Length(const uint8_t *data, size_t size, size_t i)
{
    const uint8_t b = data[i];
    size_t n = b < 0x80 ? 1 : (b & 0xE0) == 0xC0 ? 2 : (b & 0xF0) == 0xE0 ? 3 : (b & 0xF8) == 0xF0 ? 4 : 0;
    if (n == 0 || b == 0xC0 || b == 0xC1 || i + n > size)
        return 0;
    for (size_t k = 1; k < n; ++k)
        if ((data[i + k] & 0xC0) != 0x80)
            return 0;
    return n;
}

bool looksBinary(const uint8_t *data, size_t size)
{
    for (size_t i = 0; i < size;) {
        const uint8_t b = data[i];
        if ((b < 0x20 && !isBlank(b) && b != '\n' && b != '\r') || b == 0x7F)
            return true;
        const size_t n = utf8Length(data, size, i);
        if (n == 0)
            return true;
        i += n;
    }
    return false;
}

int hexValue(uint8_t c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

// One line of a text file: [begin, end) and where the next one starts.
struct Line {
    size_t begin = 0, end = 0, next = 0;
    int number = 1;
};

Line lineAt(const uint8_t *data, size_t size, size_t begin, int number)
{
    Line l{begin, begin, 0, number};
    while (l.end < size && data[l.end] != '\n' && data[l.end] != '\r')
        ++l.end;
    l.next = l.end >= size ? size + 1
                           : l.end + ((data[l.end] == '\r' && l.end + 1 < size && data[l.end + 1] == '\n') ? 2 : 1);
    return l;
}

size_t textStart(const uint8_t *data, size_t size)
{
    // A byte order mark some editors write.
    return size >= 3 && data[0] == 0xEF && data[1] == 0xBB && data[2] == 0xBF ? 3 : 0;
}

class TextReader {
public:
    // Reads the lines from `from` (line number `line`) up to byte `to`.
    TextReader(const uint8_t *data, size_t size, TableFile &out) : data_(data), size_(size), out_(out) {}

    void run(size_t from, size_t to, int line)
    {
        for (size_t i = from; i <= to;) {
            const Line l = lineAt(data_, to, i, line++);
            if (!readLine(l.begin, l.end, l.number) || done_)
                return;
            i = l.next;
        }
    }

    bool fail(int line, size_t lineBegin, size_t at, const std::string &what)
    {
        int column = 1;
        for (size_t i = lineBegin; i < at; ++i)
            column += (data_[i] & 0xC0) != 0x80 ? 1 : 0;
        out_.error = what;
        out_.line = line;
        out_.column = column;
        out_.bytes.clear();
        out_.digitsAt.clear();
        return false;
    }

private:
    bool readLine(size_t begin, size_t end, int line)
    {
        size_t first = begin;
        while (first < end && isBlank(data_[first]))
            ++first;
        size_t last = end;
        while (last > first && isBlank(data_[last - 1]))
            --last;
        if (first == last)
            return true; // blank lines separate blocks
        if (out_.bytes.empty() && isHeading(first, last))
            return true;
        if (!out_.bytes.empty() && isDashes(first, last)) {
            done_ = true;
            return true;
        }
        for (size_t i = first; i < last;) {
            if (isSeparator(data_[i])) {
                ++i;
                continue;
            }
            // "0x1F", as a C array or a script writes bytes.
            if (i + 1 < last && data_[i] == '0' && (data_[i + 1] == 'x' || data_[i + 1] == 'X')) {
                i += 2;
                if (i >= last || isSeparator(data_[i]))
                    return fail(line, begin, i - 2, "\"0x\" without hex digits");
            }
            size_t token = i;
            while (i < last && !isSeparator(data_[i])) {
                if (hexValue(data_[i]) < 0)
                    return fail(line, begin, i, quoted(i) + " is not a hex digit");
                ++i;
            }
            if ((i - token) % 2 != 0)
                return fail(line, begin, token, "an odd number of hex digits (" + std::to_string(i - token) + ")");
            for (size_t k = token; k < i; k += 2) {
                out_.bytes.push_back(uint8_t(hexValue(data_[k]) * 16 + hexValue(data_[k + 1])));
                out_.digitsAt.push_back(k);
            }
        }
        return true;
    }

    // "edid-decode (hex):", "EDID:": ends in a colon and is not just hex.
    bool isHeading(size_t first, size_t last) const
    {
        if (data_[last - 1] != ':')
            return false;
        for (size_t i = first; i + 1 < last; ++i)
            if (hexValue(data_[i]) < 0 && !isBlank(data_[i]))
                return true;
        return false;
    }

    bool isDashes(size_t first, size_t last) const
    {
        return last - first >= 3 && std::all_of(data_ + first, data_ + last, [](uint8_t c) { return c == '-'; });
    }

    std::string quoted(size_t i) const
    {
        const size_t n = std::max<size_t>(1, utf8Length(data_, size_, i));
        return "\"" + std::string(reinterpret_cast<const char *>(data_ + i), n) + "\"";
    }

    // Commas part bytes as blanks do ("0x00, 0xFF,").
    static bool isSeparator(uint8_t c) { return isBlank(c) || c == ','; }

    const uint8_t *data_;
    size_t size_;
    TableFile &out_;
    bool done_ = false;
};

std::string_view trimmed(const uint8_t *data, const Line &l)
{
    size_t first = l.begin, last = l.end;
    while (first < last && isBlank(data[first]))
        ++first;
    while (last > first && isBlank(data[last - 1]))
        --last;
    return {reinterpret_cast<const char *>(data + first), last - first};
}

// The head line of an output in an X server's listing: "HDMI-1 connected
// primary 1920x1080+0+0 ...", "DP-2 disconnected ...". Gives the name and
// whether a display is attached.
bool outputHead(std::string_view line, std::string &name, bool &connected)
{
    if (line.empty() || isBlank(uint8_t(line[0])))
        return false;
    const size_t space = line.find(' ');
    if (space == std::string_view::npos)
        return false;
    const std::string_view state = line.substr(space + 1);
    const auto startsWith = [&](std::string_view word) {
        return state.substr(0, word.size()) == word && (state.size() == word.size() || state[word.size()] == ' ');
    };
    if (!startsWith("connected") && !startsWith("disconnected") && !startsWith("unknown"))
        return false;
    name = std::string(line.substr(0, space));
    connected = startsWith("connected");
    return true;
}

bool isOutputListing(const uint8_t *data, size_t size)
{
    for (size_t i = textStart(data, size); i <= size;) {
        const Line l = lineAt(data, size, i, 0);
        const std::string_view text(reinterpret_cast<const char *>(data + l.begin), l.end - l.begin);
        std::string name;
        bool connected = false;
        if (text.substr(0, 7) == "Screen " || outputHead(text, name, connected))
            return true;
        if (!trimmed(data, l).empty())
            return false; // the listing starts with its first line
        i = l.next;
    }
    return false;
}

struct ListedOutput {
    std::string name;
    bool connected = false;
    size_t edidFrom = 0, edidTo = 0; // the lines after "EDID:" that hold it
    int edidLine = 0;
};

// Each output with the lines of its EDID property: deeper indented than the
// "EDID:" line, up to the next property.
std::vector<ListedOutput> listedOutputs(const uint8_t *data, size_t size)
{
    std::vector<ListedOutput> outputs;
    size_t edidIndent = 0;
    bool inEdid = false;
    int number = 1;
    for (size_t i = textStart(data, size); i <= size;) {
        const Line l = lineAt(data, size, i, number++);
        i = l.next;
        const std::string_view text(reinterpret_cast<const char *>(data + l.begin), l.end - l.begin);
        const std::string_view content = trimmed(data, l);
        const size_t indent = content.empty() ? 0 : size_t(content.data() - text.data());
        ListedOutput head;
        if (outputHead(text, head.name, head.connected)) {
            outputs.push_back(head);
            inEdid = false;
            continue;
        }
        if (outputs.empty())
            continue;
        ListedOutput &o = outputs.back();
        if (inEdid && !content.empty() && indent > edidIndent) {
            o.edidTo = l.end;
            continue;
        }
        inEdid = false;
        if (content == "EDID:" && o.edidLine == 0) {
            inEdid = true;
            edidIndent = indent;
            o.edidFrom = o.edidTo = l.next;
            o.edidLine = l.number + 1;
        }
    }
    return outputs;
}

void readOutputListing(const uint8_t *data, size_t size, const std::string &wanted, TableFile &out)
{
    const std::vector<ListedOutput> outputs = listedOutputs(data, size);
    const ListedOutput *pick = nullptr;
    std::string names;
    for (const ListedOutput &o : outputs) {
        names += (names.empty() ? "" : ", ") + o.name;
        if (!pick && (wanted.empty() ? o.connected && o.edidLine : o.name == wanted))
            pick = &o;
    }
    if (!pick) {
        out.error = wanted.empty() ? "no connected output with an EDID in the output listing"
                                   : "the output listing has no output " + wanted + " (it has: " + names + ")";
        return;
    }
    if (!pick->edidLine) {
        out.error = "output " + pick->name + " has no EDID in the listing";
        return;
    }
    out.output = pick->name;
    TextReader(data, size, out).run(std::min(pick->edidFrom, size), std::min(pick->edidTo, size), pick->edidLine);
}

} // namespace

std::string TableFile::where() const
{
    if (line == 0)
        return error;
    return "line " + std::to_string(line) + ", column " + std::to_string(column) + ": " + error;
}

TableFile readTableFile(const uint8_t *data, size_t size, const std::string &output)
{
    TableFile out;
    if (size == 0 || looksBinary(data, size)) {
        out.binary = true;
        out.bytes.assign(data, data + size);
    } else if (isOutputListing(data, size)) {
        readOutputListing(data, size, output, out);
    } else {
        TextReader(data, size, out).run(textStart(data, size), size, 1);
    }
    if (!output.empty() && out.output.empty() && out.ok()) {
        out.error = "the file is no output listing, so it has no output " + output;
        out.bytes.clear();
        out.digitsAt.clear();
    }
    return out;
}

std::vector<uint8_t> rewriteTableFile(const uint8_t *data, size_t size, const TableFile &file,
                                      const std::vector<uint8_t> &bytes)
{
    if (file.binary)
        return bytes;
    std::vector<uint8_t> out(data, data + size);
    // Letters in the case the file's own digits use.
    bool lower = false;
    for (size_t at : file.digitsAt) {
        const uint8_t c[2] = {data[at], data[at + 1]};
        if (std::any_of(c, c + 2, [](uint8_t d) { return hexValue(d) >= 10; })) {
            lower = std::any_of(c, c + 2, [](uint8_t d) { return d >= 'a' && d <= 'f'; });
            break;
        }
    }
    const char *digits = lower ? "0123456789abcdef" : "0123456789ABCDEF";
    for (size_t i = 0; i < bytes.size() && i < file.bytes.size(); ++i) {
        if (bytes[i] == file.bytes[i])
            continue;
        out[file.digitsAt[i]] = uint8_t(digits[bytes[i] >> 4]);
        out[file.digitsAt[i] + 1] = uint8_t(digits[bytes[i] & 0x0F]);
    }
    return out;
}

bool hasEdidHeader(const std::vector<uint8_t> &bytes)
{
    return bytes.size() >= sizeof kHeader && std::equal(kHeader, kHeader + sizeof kHeader, bytes.begin());
}

std::vector<BlockChecksum> blockChecksums(const std::vector<uint8_t> &bytes)
{
    std::vector<BlockChecksum> rows;
    for (size_t b = 0; (b + 1) * kBlockSize <= bytes.size(); ++b) {
        const uint8_t *block = bytes.data() + b * kBlockSize;
        rows.push_back({block[kBlockSize - 1], edidBlockChecksum(block)});
    }
    return rows;
}

std::vector<SectionChecksum> displayIdChecksums(const std::vector<uint8_t> &bytes)
{
    std::vector<SectionChecksum> rows;
    for (size_t b = 1; (b + 1) * kBlockSize <= bytes.size(); ++b) {
        const uint8_t *block = bytes.data() + b * kBlockSize;
        if (block[0] != 0x70)
            continue;
        // A length past the block's room is cut to it, as the decoder does.
        const size_t end = 5 + std::min<size_t>(block[2], 121);
        unsigned sum = 0;
        for (size_t i = 1; i < end; ++i)
            sum += block[i];
        rows.push_back({b, block[end], uint8_t(0x100 - (sum & 0xFF))});
    }
    return rows;
}

void repairBlockChecksums(std::vector<uint8_t> &bytes)
{
    for (const SectionChecksum &s : displayIdChecksums(bytes))
        bytes[s.block * kBlockSize + 5 + std::min<size_t>(bytes[s.block * kBlockSize + 2], 121)] = s.computed;
    for (size_t b = 0; (b + 1) * kBlockSize <= bytes.size(); ++b)
        bytes[b * kBlockSize + kBlockSize - 1] = edidBlockChecksum(bytes.data() + b * kBlockSize);
}

ExtensionCount extensionCount(const std::vector<uint8_t> &bytes)
{
    ExtensionCount c;
    if (bytes.size() < size_t(kBlockSize))
        return c;
    c.announced = bytes[kBlockSize - 2];
    // Blocks after the base, a partial last one included, less zero padding.
    size_t blocks = (bytes.size() + kBlockSize - 1) / kBlockSize;
    while (blocks > 1) {
        const auto from = bytes.begin() + long((blocks - 1) * kBlockSize);
        const auto to = bytes.begin() + long(std::min(bytes.size(), blocks * kBlockSize));
        if (!std::all_of(from, to, [](uint8_t b) { return b == 0; }))
            break;
        --blocks;
    }
    c.present = int(blocks) - 1;
    return c;
}

} // namespace vantrel::edid
