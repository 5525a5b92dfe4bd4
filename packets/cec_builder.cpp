// SPDX-License-Identifier: GPL-3.0-or-later
#include "cec_builder.h"

#include "cec_message.h"
#include "packet_common.h"

#include <cctype>

namespace vantrel::packets {

namespace {

using NameOf = std::string (*)(uint8_t);

std::string opcodeNameOf(uint8_t code)
{
    const CecOpcode *op = findCecOpcode(code);
    return op ? op->name : std::string();
}

// Operands that the decoder names, by opcode and byte position.
NameOf operandNames(uint8_t opcode, size_t at)
{
    struct Entry {
        uint8_t opcode;
        size_t at;
        NameOf name;
    };
    static const Entry table[] = {
        {0x00, 0, opcodeNameOf},    {0x00, 1, abortReasonName}, {0x1B, 0, deckInfoName},
        {0x41, 0, playModeName},    {0x44, 0, uiCommandName},   {0x84, 2, deviceTypeName},
        {0x90, 0, powerStatusName}, {0x9E, 0, cecVersionName},  {0xA6, 0, cecVersionName},
    };
    for (const Entry &e : table)
        if (e.opcode == opcode && e.at == at)
            return e.name;
    return nullptr;
}

// Where the operands from a byte position on are text: a language, a name, a title.
bool textAt(uint8_t opcode, size_t at)
{
    return ((opcode == 0x32 || opcode == 0x47 || opcode == 0x67) && at == 0) || (opcode == 0x64 && at == 1);
}

bool hexDigits(std::string_view s, size_t count)
{
    if (s.size() != count)
        return false;
    for (char c : s)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

unsigned hexValue(std::string_view s)
{
    return unsigned(std::stoul(std::string(s), nullptr, 16));
}

// Groups of `digits` hex digits joined by `sep`; false unless all are.
bool hexGroups(std::string_view word, char sep, size_t digits, std::vector<unsigned> &groups)
{
    groups.clear();
    size_t start = 0;
    while (true) {
        const size_t end = std::min(word.find(sep, start), word.size());
        if (!hexDigits(word.substr(start, end - start), digits))
            return false;
        groups.push_back(hexValue(word.substr(start, end - start)));
        if (end == word.size())
            return true;
        start = end + 1;
    }
}

// inText: a text operand has begun, and the words after it are more of it.
bool operandBytes(uint8_t opcode, const std::string &word, std::vector<uint8_t> &b, bool &inText, std::string &error)
{
    const size_t at = b.size() - 2;
    std::vector<unsigned> groups;
    if (inText || textAt(opcode, at)) {
        if (inText)
            b.push_back(' ');
        inText = true;
        for (char c : word) {
            if (c < 0x20 || c > 0x7E) {
                error = "operand \"" + word + "\": text must be printable ASCII";
                return false;
            }
            b.push_back(uint8_t(c));
        }
        return true;
    }
    if (hexGroups(word, '.', 1, groups) && groups.size() == 4) {
        b.push_back(uint8_t(groups[0] << 4 | groups[1]));
        b.push_back(uint8_t(groups[2] << 4 | groups[3]));
        return true;
    }
    if ((hexGroups(word, '-', 2, groups) && groups.size() == 3) ||
        (word.find(':') != std::string::npos && hexGroups(word, ':', 2, groups))) {
        b.insert(b.end(), groups.begin(), groups.end());
        return true;
    }
    if (word.size() > 2 && word[0] == '0' && (word[1] == 'x' || word[1] == 'X') &&
        (hexDigits(word.substr(2), 1) || hexDigits(word.substr(2), 2))) {
        b.push_back(uint8_t(hexValue(word.substr(2))));
        return true;
    }
    const NameOf name = operandNames(opcode, at);
    const std::string wanted = dashedName(word);
    if (name)
        for (unsigned v = 0; v < 256; ++v) {
            const std::string n = name(uint8_t(v));
            if (!n.empty() && n.rfind("unknown", 0) != 0 && dashedName(n) == wanted) {
                b.push_back(uint8_t(v));
                return true;
            }
        }
    unsigned v = 0;
    std::string ignored;
    if (readScaled(word, "", 0, 255, 1, "", v, ignored) && word.find('.') == std::string::npos) {
        b.push_back(uint8_t(v));
        return true;
    }
    error = "operand \"" + word +
            "\": not a physical address (1.0.0.0), vendor id (00-E0-91), byte (0x6d, 109), "
            "colon hex (6d:01)";
    error += name ? " or a name this operand takes" : "";
    return false;
}

} // namespace

const std::vector<NamedValue> &cecAddressNames()
{
    static const std::vector<NamedValue> names = {
        {"tv", 0},       {"recorder1", 1}, {"recorder2", 2}, {"tuner1", 3},     {"playback1", 4}, {"audio", 5},
        {"tuner2", 6},   {"tuner3", 7},    {"playback2", 8}, {"recorder3", 9},  {"tuner4", 10},   {"playback3", 11},
        {"backup1", 12}, {"backup2", 13},  {"specific", 14}, {"broadcast", 15},
    };
    return names;
}

bool readLogicalAddress(std::string_view text, const char *field, unsigned &address, std::string &error)
{
    if (!text.empty() && std::isdigit(static_cast<unsigned char>(text[0]))) {
        if (text.find('.') == std::string_view::npos)
            return readScaled(text, field, 0, 15, 1, "", address, error);
        error = std::string(field) + ": \"" + std::string(text) + "\" is not a logical address (0 to 15)";
        return false;
    }
    std::vector<NamedValue> names = cecAddressNames();
    names.push_back({"unregistered", 15});
    return pickName(names, text, field, address, error);
}

std::string cecOpcodeWord(const CecOpcode &op)
{
    return dashedName(op.name);
}

Built buildCecMessage(unsigned from, unsigned to, std::string_view opcode, const std::vector<std::string> &operands)
{
    Built out;
    if (from > 15 || to > 15) {
        out.error = "a logical address is 0 to 15";
        return out;
    }
    const std::string wanted = dashedName(opcode);
    const CecOpcode *op = nullptr;
    for (const CecOpcode &o : cecOpcodes())
        if (cecOpcodeWord(o) == wanted)
            op = &o;
    uint8_t code = op ? op->code : 0;
    if (!op) {
        if (opcode.size() > 2 && opcode[0] == '0' && (opcode[1] == 'x' || opcode[1] == 'X') &&
            (hexDigits(opcode.substr(2), 1) || hexDigits(opcode.substr(2), 2))) {
            code = uint8_t(hexValue(opcode.substr(2)));
        } else {
            out.error = "opcode \"" + std::string(opcode) +
                        "\": not a CEC opcode (names as cec decode prints them, "
                        "image-view-on, or 0xNN)";
            return out;
        }
    }
    out.bytes = {uint8_t(from << 4 | to), code};
    bool inText = false;
    for (const std::string &w : operands)
        if (!operandBytes(code, w, out.bytes, inText, out.error)) {
            out.bytes.clear();
            return out;
        }
    out.ok = true;
    return out;
}

std::vector<std::string> cecSendProblems(const std::vector<uint8_t> &message)
{
    std::vector<std::string> problems;
    for (const Note &n : decodeCecMessage(message.data(), message.size()).notes)
        problems.push_back(n.message);
    return problems;
}

} // namespace vantrel::packets
