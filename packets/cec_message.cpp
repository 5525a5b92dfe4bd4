// SPDX-License-Identifier: GPL-3.0-or-later
#include "cec_message.h"


namespace vantrel::packets {

namespace {

class Operands {
public:
    Operands(CecMessage &m) : m_(m), b_(m.operandBytes) {}

    size_t size() const { return b_.size(); }
    uint8_t at(size_t i) const { return b_[i]; }
    uint16_t word(size_t i) const { return uint16_t(b_[i] << 8 | b_[i + 1]); }

    void add(const char *key, const char *label, std::string text, std::optional<unsigned> value = std::nullopt)
    {
        m_.operands.push_back({key, label, std::move(text), value});
    }
    void named(const char *key, const char *label, size_t i, std::string (*name)(uint8_t))
    {
        add(key, label, name(b_[i]), b_[i]);
    }
    void address(const char *key, const char *label, size_t i)
    {
        add(key, label, physicalAddressText(word(i)), word(i));
    }
    // The bytes from i on as text: a name, a title, a language code.
    void text(const char *key, const char *label, size_t i)
    {
        std::string t;
        bool printable = true;
        for (size_t k = i; k < b_.size(); ++k) {
            const bool ascii = b_[k] >= 0x20 && b_[k] < 0x7F;
            printable = printable && ascii;
            t += ascii ? char(b_[k]) : '?';
        }
        add(key, label, t);
        if (!printable)
            m_.notes.push_back(
                {Severity::Warning, format("%s holds bytes that are not printable ASCII (shown as ?)", label)});
    }
    void hex(const char *key, const char *label, size_t i)
    {
        if (i < b_.size())
            add(key, label, hex::colonHexText(std::vector<uint8_t>(b_.begin() + long(i), b_.end())));
    }
    void vendor(size_t i)
    {
        const uint32_t id = uint32_t(b_[i] << 16 | b_[i + 1] << 8 | b_[i + 2]);
        add("vendorId", "Vendor ID", vendorIdText(id), id);
    }

private:
    CecMessage &m_;
    const std::vector<uint8_t> &b_;
};

std::string pickName(uint8_t v, std::initializer_list<const char *> names)
{
    return v < names.size() ? names.begin()[v] : format("unknown (0x%02x)", v);
}

std::string statusRequestName(uint8_t v)
{
    return pickName(v, {"unknown (0x00)", "On", "Off", "Once"});
}
std::string deckControlName(uint8_t v)
{
    return pickName(v, {"unknown (0x00)", "Skip Forward / Wind", "Skip Reverse / Rewind", "Stop", "Eject"});
}
std::string menuRequestName(uint8_t v)
{
    return pickName(v, {"Activate", "Deactivate", "Query"});
}
std::string menuStateName(uint8_t v)
{
    return pickName(v, {"Activated", "Deactivated"});
}
std::string onOffName(uint8_t v)
{
    return pickName(v, {"Off", "On"});
}
std::string audioRateName(uint8_t v)
{
    return pickName(v, {"Rate control off", "Standard rate (wide range)", "Fast, +0.1% (wide range)",
                        "Slow, -0.1% (wide range)", "Standard rate (narrow range)", "Fast, +0.1% (narrow range)",
                        "Slow, -0.1% (narrow range)"});
}
std::string opcodeOperandName(uint8_t v)
{
    const CecOpcode *o = findCecOpcode(v);
    return o ? format("0x%02x %s", v, o->name) : format("0x%02x (not a CEC opcode)", v);
}
std::string displayControlName(uint8_t v)
{
    switch (v) {
    case 0x00:
        return "Display for default time";
    case 0x40:
        return "Display until cleared";
    case 0x80:
        return "Clear previous message";
    default:
        return format("reserved (0x%02x)", v);
    }
}
std::string audioFormatName(unsigned code)
{
    static const char *const names[] = {"reserved (0)", "L-PCM", "AC-3",    "MPEG-1",        "MP3",           "MPEG-2",
                                        "AAC LC",       "DTS",   "ATRAC",   "One Bit Audio", "Enhanced AC-3", "DTS-HD",
                                        "MAT",          "DST",   "WMA Pro", "extended"};
    return code < 16 ? names[code] : format("format %u", code);
}

std::string deviceTypesText(uint8_t bits)
{
    static const char *const names[] = {nullptr,           nullptr, "Pure CEC Switch",  "Audio System",
                                        "Playback Device", "Tuner", "Recording Device", "TV"};
    std::string out;
    for (int bit = 7; bit >= 2; --bit)
        if (bits & (1 << bit))
            out += std::string(out.empty() ? "" : ", ") + names[bit];
    return out.empty() ? std::string("none") : out;
}

void decodeOperands(CecMessage &m)
{
    Operands o(m);
    const size_t n = o.size();
    switch (*m.opcode) {
    case 0x00:
        o.add("featureOpcode", "Feature opcode", opcodeOperandName(o.at(0)), o.at(0));
        o.named("abortReason", "Abort reason", 1, abortReasonName);
        break;
    case 0x08:
    case 0x1A:
        o.named("statusRequest", "Status request", 0, statusRequestName);
        break;
    case 0x1B:
        o.named("deckInfo", "Deck info", 0, deckInfoName);
        break;
    case 0x32:
        o.text("language", "Language", 0);
        break;
    case 0x41:
        o.named("playMode", "Play mode", 0, playModeName);
        break;
    case 0x42:
        o.named("deckControlMode", "Deck control mode", 0, deckControlName);
        break;
    case 0x44:
        o.named("uiCommand", "UI command", 0, uiCommandName);
        o.hex("uiOperands", "Additional operands", 1);
        break;
    case 0x47:
        o.text("osdName", "OSD name", 0);
        break;
    case 0x64:
        o.named("displayControl", "Display control", 0, displayControlName);
        o.text("osdString", "OSD string", 1);
        break;
    case 0x67:
        o.text("programTitle", "Program title", 0);
        break;
    case 0x70:
        if (n >= 2)
            o.address("physicalAddress", "Physical address", 0);
        break;
    case 0x72:
    case 0x7E:
        o.named("systemAudioStatus", "System audio status", 0, onOffName);
        break;
    case 0x7A: {
        const unsigned volume = o.at(0) & 0x7F;
        o.add("mute", "Mute", o.at(0) & 0x80 ? "on" : "off", o.at(0) >> 7);
        o.add("volume", "Volume",
              volume == 0x7F  ? std::string("unknown")
              : volume <= 100 ? format("%u%%", volume)
                              : format("reserved (%u)", volume),
              volume);
        break;
    }
    case 0x80:
        o.address("originalAddress", "Original address", 0);
        o.address("newAddress", "New address", 2);
        break;
    case 0x81:
    case 0x82:
    case 0x86:
    case 0x9D:
    case 0xA7:
        o.address("physicalAddress", "Physical address", 0);
        break;
    case 0x84:
        o.address("physicalAddress", "Physical address", 0);
        o.named("deviceType", "Device type", 2, deviceTypeName);
        break;
    case 0x87:
        o.vendor(0);
        break;
    case 0xA0:
        o.vendor(0);
        o.hex("vendorData", "Vendor data", 3);
        break;
    case 0x89:
        o.hex("vendorData", "Vendor data", 0);
        break;
    case 0x8A:
        o.hex("rcCode", "Remote control code", 0);
        break;
    case 0x8D:
        o.named("menuRequest", "Menu request", 0, menuRequestName);
        break;
    case 0x8E:
        o.named("menuState", "Menu state", 0, menuStateName);
        break;
    case 0x90:
        o.named("powerStatus", "Power status", 0, powerStatusName);
        break;
    case 0x9A:
        o.named("audioRate", "Audio rate", 0, audioRateName);
        break;
    case 0x9E:
        o.named("cecVersion", "CEC version", 0, cecVersionName);
        break;
    case 0xA3:
        for (size_t i = 0; i + 2 < n; i += 3) {
            const unsigned format_ = o.at(i) >> 3 & 0x0F;
            o.add("shortAudioDescriptor", "Short audio descriptor",
                  format("%s, up to %u channels", audioFormatName(format_).c_str(), (o.at(i) & 7) + 1u), format_);
        }
        break;
    case 0xA4:
        for (size_t i = 0; i < n; ++i)
            o.add("audioFormat", "Audio format",
                  o.at(i) >> 6 ? format("extended type %u", o.at(i) & 0x3Fu) : audioFormatName(o.at(i) & 0x3F),
                  o.at(i) & 0x3Fu);
        break;
    case 0xA6:
        o.named("cecVersion", "CEC version", 0, cecVersionName);
        o.add("deviceTypes", "Device types", deviceTypesText(o.at(1)), o.at(1));
        o.hex("features", "RC profile and device features", 2);
        break;
    case 0xA8: {
        o.address("physicalAddress", "Physical address", 0);
        const unsigned v = o.at(2);
        o.add("videoLatency", "Video latency",
              v >= 1 && v <= 251 ? format("%u ms", (v - 1) * 2) : format("unknown (%u)", v), v);
        o.add("lowLatencyMode", "Low latency mode", o.at(3) & 4 ? "on" : "off", (o.at(3) >> 2) & 1u);
        static const char *const compensation[] = {"not given", "no audio delay compensation",
                                                   "audio delay compensated", "partly compensated"};
        o.add("audioOutputCompensated", "Audio output", compensation[o.at(3) & 3], o.at(3) & 3u);
        if (n >= 5 && (o.at(3) & 3) == 3)
            o.add("audioOutputDelay", "Audio output delay",
                  o.at(4) >= 1 && o.at(4) <= 251 ? format("%u ms", (o.at(4) - 1u) * 2)
                                                 : format("unknown (%u)", o.at(4)),
                  o.at(4));
        break;
    }
    case 0xF8:
        o.address("physicalAddress", "Initiator physical address", 0);
        o.add("cdcOpcode", "CDC opcode", format("0x%02x", o.at(2)), o.at(2));
        break;
    default:
        break;
    }
}

} // namespace

std::string CecMessage::opcodeName() const
{
    if (!opcode)
        return "polling message";
    return known ? known->name : format("unknown opcode 0x%02x", *opcode);
}

CecMessage decodeCecMessage(const uint8_t *data, size_t size)
{
    CecMessage m;
    if (data)
        m.bytes.assign(data, data + size);
    if (m.bytes.empty()) {
        m.notes.push_back({Severity::Error, "An empty message: not even the header block"});
        return m;
    }
    m.initiator = m.bytes[0] >> 4;
    m.destination = m.bytes[0] & 0x0F;
    if (m.bytes.size() > kCecMaxMessage)
        m.notes.push_back(
            {Severity::Error, format("%u bytes: a CEC message has at most 16", unsigned(m.bytes.size()))});
    if (m.bytes.size() == 1)
        return m; // polling: who answers it decides whether the address is taken
    m.opcode = m.bytes[1];
    m.known = findCecOpcode(*m.opcode);
    m.operandBytes.assign(m.bytes.begin() + 2, m.bytes.end());
    if (m.initiator == m.destination && m.initiator != 15)
        m.notes.push_back({Severity::Warning, "Initiator and destination are the same address"});
    if (!m.known) {
        m.notes.push_back({Severity::Warning, format("Opcode 0x%02x is not defined by CEC", *m.opcode)});
        return m;
    }
    const CecOpcode &op = *m.known;
    if (op.addressing == CecAddressing::Direct && m.broadcast())
        m.notes.push_back(
            {Severity::Warning, format("%s is directly addressed: followers ignore it when broadcast", op.name)});
    if (op.addressing == CecAddressing::Broadcast && !m.broadcast())
        m.notes.push_back({Severity::Warning, format("%s is broadcast: followers ignore it when sent to %s", op.name,
                                                     logicalAddressName(m.destination, true).c_str())});
    const size_t n = m.operandBytes.size();
    if (n < op.minOperands) {
        m.notes.push_back(
            {Severity::Error, format("%s needs %s%u operand byte%s, has %u", op.name,
                                     op.minOperands == op.maxOperands ? "" : "at least ", unsigned(op.minOperands),
                                     op.minOperands == 1 ? "" : "s", unsigned(n))});
        return m;
    }
    if (n > op.maxOperands && op.maxOperands < 14)
        m.notes.push_back({Severity::Warning, format("%s takes %s%u operand byte%s; followers ignore the rest", op.name,
                                                     op.minOperands == op.maxOperands ? "" : "at most ",
                                                     unsigned(op.maxOperands), op.maxOperands == 1 ? "" : "s")});
    decodeOperands(m);
    return m;
}

} // namespace vantrel::packets
