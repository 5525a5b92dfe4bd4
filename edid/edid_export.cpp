// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_export.h"

#include <cctype>
#include <cstdio>

namespace vantrel::edid {
namespace {

constexpr size_t kBlock = 128;

std::string hexByte(uint8_t b, const char *form)
{
    char text[8];
    std::snprintf(text, sizeof text, form, b);
    return text;
}

std::vector<uint8_t> textBytes(const std::string &text)
{
    return {text.begin(), text.end()};
}

// A C identifier from the display's id: letters, digits and '_' only.
std::string identifier(const std::string &name)
{
    std::string out;
    for (char c : name)
        out += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    if (out.empty() || std::isdigit(static_cast<unsigned char>(out[0])))
        out = "edid_" + out;
    return out;
}

std::string base64(const std::vector<uint8_t> &bytes)
{
    static const char table[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        const unsigned n = (unsigned(bytes[i]) << 16) | (i + 1 < bytes.size() ? unsigned(bytes[i + 1]) << 8 : 0u) |
                           (i + 2 < bytes.size() ? unsigned(bytes[i + 2]) : 0u);
        out += table[(n >> 18) & 63];
        out += table[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? table[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? table[n & 63] : '=';
    }
    return out;
}

std::string hexLines(const std::vector<uint8_t> &table)
{
    std::string out;
    for (size_t i = 0; i < table.size(); ++i)
        out += hexByte(table[i], "%02x") + ((i % 16 == 15 || i + 1 == table.size()) ? "\n" : " ");
    return out;
}

std::string cArray(const std::vector<uint8_t> &table, const std::string &id)
{
    std::string out = "/* EDID of " + id + ": " + std::to_string(table.size()) + " bytes, " +
                      std::to_string(table.size() / kBlock) + (table.size() / kBlock == 1 ? " block" : " blocks") +
                      " */\n";
    out += "static const unsigned char " + identifier(id) + "_edid[" + std::to_string(table.size()) + "] = {\n";
    for (size_t i = 0; i < table.size(); ++i) {
        if (i % 12 == 0)
            out += "   ";
        out += " " + hexByte(table[i], "0x%02x") + (i + 1 < table.size() ? "," : "");
        if (i % 12 == 11 || i + 1 == table.size())
            out += "\n";
    }
    return out + "};\n";
}

// regedit's own layout: CR LF line ends, a value's bytes continued with a
// backslash after about 76 characters.
std::string regFile(const std::vector<uint8_t> &table, const std::string &key)
{
    std::string out = "Windows Registry Editor Version 5.00\r\n\r\n[" + key + "]\r\n";
    for (size_t block = 0; block * kBlock < table.size(); ++block) {
        std::string line = "\"" + std::to_string(block) + "\"=hex:";
        for (size_t i = 0; i < kBlock; ++i) {
            line += hexByte(table[block * kBlock + i], "%02x");
            if (i + 1 == kBlock)
                break;
            line += ",";
            if (line.size() >= 76) {
                out += line + "\\\r\n";
                line = "  ";
            }
        }
        out += line + "\r\n";
    }
    return out + "\r\n";
}

} // namespace

std::vector<uint8_t> tableBlocks(const std::vector<uint8_t> &bytes)
{
    std::vector<uint8_t> table(bytes.begin(), bytes.begin() + long(bytes.size() / kBlock * kBlock));
    while (table.size() > kBlock) {
        bool zero = true;
        for (size_t i = table.size() - kBlock; i < table.size() && zero; ++i)
            zero = table[i] == 0;
        if (!zero)
            break;
        table.resize(table.size() - kBlock);
    }
    return table;
}

std::string displayId(const std::vector<uint8_t> &table)
{
    if (table.size() < kBlock)
        return "EDID";
    const unsigned m = (unsigned(table[8]) << 8) | table[9];
    std::string id;
    for (int shift : {10, 5, 0}) {
        const unsigned letter = (m >> shift) & 0x1F;
        id += letter >= 1 && letter <= 26 ? char('A' + letter - 1) : '_';
    }
    char code[8];
    std::snprintf(code, sizeof code, "%04X", unsigned(table[10] | (table[11] << 8)));
    return id + code;
}

ExportResult exportTable(const std::vector<uint8_t> &bytes, const ExportRequest &request)
{
    const std::vector<uint8_t> table = tableBlocks(bytes);
    const std::string id = displayId(table);
    ExportResult r;
    switch (request.format) {
    case ExportFormat::Linux: {
        const std::string name = request.name.empty() ? id : request.name;
        const std::string firmware = "/usr/lib/firmware/edid/" + name + ".bin";
        const std::string connector = request.connector.empty() ? "CONNECTOR" : request.connector;
        r.bytes = table;
        r.fileName = name + ".bin";
        r.steps = {
            "Copy the file where the kernel loads firmware from: sudo install -D -m 0644 " +
                (request.path.empty() ? r.fileName : request.path) + " " + firmware,
            request.connector.empty()
                ? "Find the connector's name: ls /sys/class/drm (card0-HDMI-A-1 is the connector HDMI-A-1)"
                : "The connector: " + connector,
            "Add to the kernel command line: drm.edid_firmware=" + connector + ":edid/" + name +
                ".bin (GRUB: GRUB_CMDLINE_LINUX_DEFAULT in /etc/default/grub, then sudo update-grub)",
            "If the graphics driver loads from the initramfs, put the file in it too: Debian and Ubuntu, an "
            "initramfs-tools hook that copies " + firmware + ", then sudo update-initramfs -u; dracut, "
            "install_items+=\" " + firmware + " \" in /etc/dracut.conf.d/edid.conf, then sudo dracut -f",
            "Restart the computer; the connector then reports this table"};
        break;
    }
    case ExportFormat::Windows: {
        const std::string instance = request.instance.empty() ? "INSTANCE" : request.instance;
        const std::string key = "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Enum\\DISPLAY\\" + id + "\\" +
                                instance + "\\Device Parameters\\EDID_OVERRIDE";
        r.bytes = textBytes(regFile(table, key));
        r.fileName = id + ".reg";
        const std::string file = request.path.empty() ? r.fileName : request.path;
        if (request.instance.empty())
            r.steps.push_back("Find the display's instance: Device Manager, Monitors, the display, Properties, "
                              "Details, \"Device instance path\" (DISPLAY\\" + id +
                              "\\5&12345678&0&UID4352: the part after " + id + "\\), and put it in place of "
                              "INSTANCE in " + file);
        r.steps.push_back("Import the file as an administrator: double-click it, or reg import " + file);
        r.steps.push_back("Restart the computer, or disable and enable the display in Device Manager");
        r.steps.push_back("To undo: delete the key " + key);
        break;
    }
    case ExportFormat::CArray:
        r.bytes = textBytes(cArray(table, id));
        r.fileName = id + ".h";
        break;
    case ExportFormat::Hex:
        r.bytes = textBytes(hexLines(table));
        r.fileName = id + ".hex";
        break;
    case ExportFormat::Base64:
        r.bytes = textBytes(base64(table) + "\n");
        r.fileName = id + ".b64";
        break;
    }
    return r;
}

} // namespace vantrel::edid
