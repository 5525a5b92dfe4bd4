// SPDX-License-Identifier: GPL-3.0-or-later
#include "cec_names.h"

#include "packet_common.h"

#include <algorithm>

namespace vantrel::packets {

namespace {

constexpr CecAddressing D = CecAddressing::Direct;
constexpr CecAddressing B = CecAddressing::Broadcast;
constexpr CecAddressing E = CecAddressing::Either;
constexpr uint8_t kRest = 14; // operands run to the end of the message

} // namespace

const std::vector<CecOpcode> &cecOpcodes()
{
    // clang-format off
    static const std::vector<CecOpcode> table = {
        {0x00, "Feature Abort", D, 2, 2, "1.4"},
        {0x04, "Image View On", D, 0, 0, "1.4"},
        {0x05, "Tuner Step Increment", D, 0, 0, "1.4"},
        {0x06, "Tuner Step Decrement", D, 0, 0, "1.4"},
        {0x07, "Tuner Device Status", D, 5, 8, "1.4"},
        {0x08, "Give Tuner Device Status", D, 1, 1, "1.4"},
        {0x09, "Record On", D, 1, 8, "1.4"},
        {0x0A, "Record Status", D, 1, 1, "1.4"},
        {0x0B, "Record Off", D, 0, 0, "1.4"},
        {0x0D, "Text View On", D, 0, 0, "1.4"},
        {0x0F, "Record TV Screen", D, 0, 0, "1.4"},
        {0x1A, "Give Deck Status", D, 1, 1, "1.4"},
        {0x1B, "Deck Status", D, 1, 1, "1.4"},
        {0x32, "Set Menu Language", B, 3, 3, "1.4"},
        {0x33, "Clear Analogue Timer", D, 11, 11, "1.4"},
        {0x34, "Set Analogue Timer", D, 11, 11, "1.4"},
        {0x35, "Timer Status", D, 1, 3, "1.4"},
        {0x36, "Standby", E, 0, 0, "1.4"},
        {0x41, "Play", D, 1, 1, "1.4"},
        {0x42, "Deck Control", D, 1, 1, "1.4"},
        {0x43, "Timer Cleared Status", D, 1, 1, "1.4"},
        {0x44, "User Control Pressed", D, 1, kRest, "1.4"},
        {0x45, "User Control Released", D, 0, 0, "1.4"},
        {0x46, "Give OSD Name", D, 0, 0, "1.4"},
        {0x47, "Set OSD Name", D, 1, 14, "1.4"},
        {0x64, "Set OSD String", D, 2, 14, "1.4"},
        {0x67, "Set Timer Program Title", D, 1, 14, "1.4"},
        {0x70, "System Audio Mode Request", D, 0, 2, "1.4"},
        {0x71, "Give Audio Status", D, 0, 0, "1.4"},
        {0x72, "Set System Audio Mode", E, 1, 1, "1.4"},
        {0x7A, "Report Audio Status", D, 1, 1, "1.4"},
        {0x7D, "Give System Audio Mode Status", D, 0, 0, "1.4"},
        {0x7E, "System Audio Mode Status", D, 1, 1, "1.4"},
        {0x80, "Routing Change", B, 4, 4, "1.4"},
        {0x81, "Routing Information", B, 2, 2, "1.4"},
        {0x82, "Active Source", B, 2, 2, "1.4"},
        {0x83, "Give Physical Address", D, 0, 0, "1.4"},
        {0x84, "Report Physical Address", B, 3, 3, "1.4"},
        {0x85, "Request Active Source", B, 0, 0, "1.4"},
        {0x86, "Set Stream Path", B, 2, 2, "1.4"},
        {0x87, "Device Vendor ID", B, 3, 3, "1.4"},
        {0x89, "Vendor Command", D, 0, kRest, "1.4"},
        {0x8A, "Vendor Remote Button Down", E, 0, kRest, "1.4"},
        {0x8B, "Vendor Remote Button Up", E, 0, 0, "1.4"},
        {0x8C, "Give Device Vendor ID", D, 0, 0, "1.4"},
        {0x8D, "Menu Request", D, 1, 1, "1.4"},
        {0x8E, "Menu Status", D, 1, 1, "1.4"},
        {0x8F, "Give Device Power Status", D, 0, 0, "1.4"},
        {0x90, "Report Power Status", E, 1, 1, "1.4"},
        {0x91, "Get Menu Language", D, 0, 0, "1.4"},
        {0x92, "Select Analogue Service", D, 4, 4, "1.4"},
        {0x93, "Select Digital Service", D, 7, 7, "1.4"},
        {0x97, "Set Digital Timer", D, 14, 14, "1.4"},
        {0x99, "Clear Digital Timer", D, 14, 14, "1.4"},
        {0x9A, "Set Audio Rate", D, 1, 1, "1.4"},
        {0x9D, "Inactive Source", D, 2, 2, "1.4"},
        {0x9E, "CEC Version", D, 1, 1, "1.4"},
        {0x9F, "Get CEC Version", D, 0, 0, "1.4"},
        {0xA0, "Vendor Command With ID", E, 3, kRest, "1.4"},
        {0xA1, "Clear External Timer", D, 9, 10, "1.4"},
        {0xA2, "Set External Timer", D, 9, 10, "1.4"},
        {0xA3, "Report Short Audio Descriptor", D, 3, 12, "1.4"},
        {0xA4, "Request Short Audio Descriptor", D, 1, 4, "1.4"},
        {0xA5, "Give Features", D, 0, 0, "2.0"},
        {0xA6, "Report Features", B, 4, kRest, "2.0"},
        {0xA7, "Request Current Latency", B, 2, 2, "2.0"},
        {0xA8, "Report Current Latency", B, 4, 5, "2.0"},
        {0xC0, "Initiate ARC", D, 0, 0, "1.4"},
        {0xC1, "Report ARC Initiated", D, 0, 0, "1.4"},
        {0xC2, "Report ARC Terminated", D, 0, 0, "1.4"},
        {0xC3, "Request ARC Initiation", D, 0, 0, "1.4"},
        {0xC4, "Request ARC Termination", D, 0, 0, "1.4"},
        {0xC5, "Terminate ARC", D, 0, 0, "1.4"},
        {0xF8, "CDC Message", B, 3, kRest, "1.4"},
        {0xFF, "Abort", D, 0, 0, "1.4"},
    };
    // clang-format on
    return table;
}

const char *cecAddressingName(CecAddressing a)
{
    switch (a) {
    case CecAddressing::Direct:
        return "directly addressed";
    case CecAddressing::Broadcast:
        return "broadcast";
    default:
        return "direct or broadcast";
    }
}

const CecOpcode *findCecOpcode(uint8_t code)
{
    const std::vector<CecOpcode> &t = cecOpcodes();
    const auto it =
        std::lower_bound(t.begin(), t.end(), code, [](const CecOpcode &o, uint8_t c) { return o.code < c; });
    return it != t.end() && it->code == code ? &*it : nullptr;
}

std::string logicalAddressName(unsigned address, bool asDestination)
{
    // clang-format off
    static const char *const names[16] = {
        "TV",           "Recording Device 1", "Recording Device 2", "Tuner 1",
        "Playback Device 1", "Audio System",  "Tuner 2",            "Tuner 3",
        "Playback Device 2", "Recording Device 3", "Tuner 4",       "Playback Device 3",
        "Backup 1",     "Backup 2",           "Specific Use",       "Unregistered",
    };
    // clang-format on
    if (address > 15)
        return format("address %u", address);
    return address == 15 && asDestination ? "Broadcast" : names[address];
}

namespace {

struct Name {
    uint8_t code;
    const char *name;
};

std::string lookup(const Name *begin, const Name *end, uint8_t code)
{
    for (const Name *n = begin; n != end; ++n)
        if (n->code == code)
            return n->name;
    return format("unknown (0x%02x)", code);
}

template <size_t N>
std::string lookup(const Name (&table)[N], uint8_t code)
{
    return lookup(table, table + N, code);
}

} // namespace

std::string uiCommandName(uint8_t code)
{
    // clang-format off
    static const Name names[] = {
        {0x00, "Select"}, {0x01, "Up"}, {0x02, "Down"}, {0x03, "Left"}, {0x04, "Right"}, {0x05, "Right-Up"},
        {0x06, "Right-Down"}, {0x07, "Left-Up"}, {0x08, "Left-Down"}, {0x09, "Device Root Menu"},
        {0x0A, "Device Setup Menu"}, {0x0B, "Contents Menu"}, {0x0C, "Favorite Menu"}, {0x0D, "Back"},
        {0x10, "Media Top Menu"}, {0x11, "Media Context-sensitive Menu"}, {0x1D, "Number Entry Mode"},
        {0x1E, "Number 11"}, {0x1F, "Number 12"}, {0x20, "Number 0 or Number 10"}, {0x21, "Number 1"},
        {0x22, "Number 2"}, {0x23, "Number 3"}, {0x24, "Number 4"}, {0x25, "Number 5"}, {0x26, "Number 6"},
        {0x27, "Number 7"}, {0x28, "Number 8"}, {0x29, "Number 9"}, {0x2A, "Dot"}, {0x2B, "Enter"},
        {0x2C, "Clear"}, {0x2F, "Next Favorite"}, {0x30, "Channel Up"}, {0x31, "Channel Down"},
        {0x32, "Previous Channel"}, {0x33, "Sound Select"}, {0x34, "Input Select"}, {0x35, "Display Information"},
        {0x36, "Help"}, {0x37, "Page Up"}, {0x38, "Page Down"}, {0x40, "Power"}, {0x41, "Volume Up"},
        {0x42, "Volume Down"}, {0x43, "Mute"}, {0x44, "Play"}, {0x45, "Stop"}, {0x46, "Pause"}, {0x47, "Record"},
        {0x48, "Rewind"}, {0x49, "Fast Forward"}, {0x4A, "Eject"}, {0x4B, "Skip Forward"}, {0x4C, "Skip Backward"},
        {0x4D, "Stop-Record"}, {0x4E, "Pause-Record"}, {0x50, "Angle"}, {0x51, "Sub Picture"},
        {0x52, "Video on Demand"}, {0x53, "Electronic Program Guide"}, {0x54, "Timer Programming"},
        {0x55, "Initial Configuration"}, {0x56, "Select Broadcast Type"}, {0x57, "Select Sound Presentation"},
        {0x58, "Audio Description"}, {0x59, "Internet"}, {0x5A, "3D Mode"}, {0x60, "Play Function"},
        {0x61, "Pause-Play Function"}, {0x62, "Record Function"}, {0x63, "Pause-Record Function"},
        {0x64, "Stop Function"}, {0x65, "Mute Function"}, {0x66, "Restore Volume Function"},
        {0x67, "Tune Function"}, {0x68, "Select Media Function"}, {0x69, "Select A/V Input Function"},
        {0x6A, "Select Audio Input Function"}, {0x6B, "Power Toggle Function"}, {0x6C, "Power Off Function"},
        {0x6D, "Power On Function"}, {0x71, "F1 (Blue)"}, {0x72, "F2 (Red)"}, {0x73, "F3 (Green)"},
        {0x74, "F4 (Yellow)"}, {0x75, "F5"}, {0x76, "Data"},
    };
    // clang-format on
    return lookup(names, code);
}

std::string powerStatusName(uint8_t status)
{
    // clang-format off
    static const Name names[] = {
        {0, "On"}, {1, "Standby"}, {2, "In transition Standby to On"}, {3, "In transition On to Standby"}};
    // clang-format on
    return lookup(names, status);
}

std::string deviceTypeName(uint8_t type)
{
    // clang-format off
    static const Name names[] = {{0, "TV"},           {1, "Recording Device"},  {2, "Reserved"},
                                 {3, "Tuner"},        {4, "Playback Device"},   {5, "Audio System"},
                                 {6, "Pure CEC Switch"}, {7, "Video Processor"}};
    // clang-format on
    return lookup(names, type);
}

std::string abortReasonName(uint8_t reason)
{
    // clang-format off
    static const Name names[] = {{0, "Unrecognized opcode"}, {1, "Not in correct mode to respond"},
                                 {2, "Cannot provide source"}, {3, "Invalid operand"},
                                 {4, "Refused"},             {5, "Unable to determine"}};
    // clang-format on
    return lookup(names, reason);
}

std::string cecVersionName(uint8_t version)
{
    // clang-format off
    static const Name names[] = {{0, "1.1"}, {1, "1.2"}, {2, "1.2a"}, {3, "1.3"},
                                 {4, "1.3a"}, {5, "1.4"}, {6, "2.0"}};
    // clang-format on
    return lookup(names, version);
}

std::string deckInfoName(uint8_t info)
{
    // clang-format off
    static const Name names[] = {
        {0x11, "Play"},          {0x12, "Record"},        {0x13, "Play Reverse"},        {0x14, "Still"},
        {0x15, "Slow"},          {0x16, "Slow Reverse"},  {0x17, "Fast Forward"},        {0x18, "Fast Reverse"},
        {0x19, "No Media"},      {0x1A, "Stop"},          {0x1B, "Skip Forward / Wind"}, {0x1C, "Skip Reverse / Rewind"},
        {0x1D, "Index Search Forward"}, {0x1E, "Index Search Reverse"}, {0x1F, "Other Status"}};
    // clang-format on
    return lookup(names, info);
}

std::string playModeName(uint8_t mode)
{
    // clang-format off
    static const Name names[] = {
        {0x24, "Play Forward"},     {0x20, "Play Reverse"},     {0x25, "Play Still"},
        {0x05, "Fast Forward Min Speed"}, {0x06, "Fast Forward Medium Speed"}, {0x07, "Fast Forward Max Speed"},
        {0x09, "Fast Reverse Min Speed"}, {0x0A, "Fast Reverse Medium Speed"}, {0x0B, "Fast Reverse Max Speed"},
        {0x15, "Slow Forward Min Speed"}, {0x16, "Slow Forward Medium Speed"}, {0x17, "Slow Forward Max Speed"},
        {0x19, "Slow Reverse Min Speed"}, {0x1A, "Slow Reverse Medium Speed"}, {0x1B, "Slow Reverse Max Speed"}};
    // clang-format on
    return lookup(names, mode);
}

std::string vendorName(uint32_t id)
{
    struct Vendor {
        uint32_t id;
        const char *name;
    };
    // Vendor ids (IEEE OUIs) that CEC devices commonly announce.
    // clang-format off
    static const Vendor vendors[] = {
        {0x000039, "Toshiba"}, {0x0000F0, "Samsung"}, {0x0005CD, "Denon"},    {0x000678, "Marantz"},
        {0x0009B0, "Onkyo"},   {0x0010FA, "Apple"},   {0x001A11, "Google"},   {0x008045, "Panasonic"},
        {0x00903E, "Philips"}, {0x00A0DE, "Yamaha"},  {0x00E036, "Pioneer"},  {0x00E091, "LG"},
        {0x08001F, "Sharp"},   {0x080046, "Sony"},    {0x6B746D, "Vizio"},
    };
    // clang-format on
    for (const Vendor &v : vendors)
        if (v.id == id)
            return v.name;
    return std::string();
}

std::string vendorIdText(uint32_t id)
{
    const std::string name = vendorName(id);
    const std::string hex =
        format("%02X-%02X-%02X", unsigned(id >> 16 & 0xFF), unsigned(id >> 8 & 0xFF), unsigned(id & 0xFF));
    return name.empty() ? hex : hex + " (" + name + ")";
}

std::string physicalAddressText(uint16_t a)
{
    return format("%u.%u.%u.%u", unsigned(a >> 12), unsigned(a >> 8 & 15), unsigned(a >> 4 & 15), unsigned(a & 15));
}

} // namespace vantrel::packets
