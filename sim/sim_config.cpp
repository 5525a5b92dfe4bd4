// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim_config.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <set>
#include <sstream>

namespace vantrel::sim {

namespace {

std::string trim(const std::string &s)
{
    size_t a = s.find_first_not_of(" \t\r\n");
    if (a == std::string::npos)
        return "";
    size_t b = s.find_last_not_of(" \t\r\n");
    return s.substr(a, b - a + 1);
}

std::string lower(std::string s)
{
    for (char &c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

bool number(const std::string &s, long lo, long hi, long &out)
{
    char *end = nullptr;
    long v = std::strtol(s.c_str(), &end, 0);
    if (s.empty() || *end != '\0' || v < lo || v > hi)
        return false;
    out = v;
    return true;
}

// Why path cannot name a file the box keeps (regular) or reads or appends to.
std::string filePathProblem(const std::string &path, bool regular)
{
    namespace fs = std::filesystem;
    if (path.empty())
        return "an empty path";
    std::error_code ec;
    const fs::file_status st = fs::status(path, ec);
    if (fs::exists(st)) {
        if (fs::is_directory(st))
            return path + " is a folder";
        // The state file is replaced by renaming a new one over it.
        if (regular && !fs::is_regular_file(st))
            return path + " is not a regular file";
        return "";
    }
    const fs::path parent = fs::path(path).parent_path();
    if (!parent.empty() && !fs::is_directory(parent, ec))
        return "the folder of " + path + " does not exist";
    return "";
}

bool readTable(const std::string &path, EdidTable &t, std::string &error)
{
    std::string data;
    if (!readBoundedFile(path, 256, data, error)) {
        error = "cannot read EDID file " + error;
        return false;
    }
    if (data.size() != 256) {
        error = "EDID file " + path + " holds " + std::to_string(data.size()) + " bytes, not 256";
        return false;
    }
    std::copy(data.begin(), data.end(), t.begin());
    return true;
}

// Looks a name up in a list of (name, value) pairs.
template <size_t N>
bool pick(const std::string &v, const std::pair<const char *, uint8_t> (&names)[N], uint8_t &out)
{
    for (const auto &n : names)
        if (v == n.first) {
            out = n.second;
            return true;
        }
    return false;
}

class Parser {
public:
    explicit Parser(SimConfig &c) : c_(c) {}

    void line(const std::string &raw)
    {
        std::string text = trim(raw);
        if (text.empty() || text[0] == '#')
            return;
        size_t eq = text.find('=');
        if (eq == std::string::npos) {
            bad("'" + text + "' is not key=value");
            return;
        }
        std::string key = lower(trim(text.substr(0, eq)));
        std::string value = trim(text.substr(eq + 1));
        if (!apply(key, value) && !problem_.empty())
            bad(key + ": " + problem_);
        problem_.clear();
    }

private:
    void bad(const std::string &why) { c_.errors.push_back(why); }
    bool fail(const std::string &why)
    {
        problem_ = why;
        return false;
    }

    bool edid(const std::string &v, std::optional<EdidTable> &table, bool &present)
    {
        std::string l = lower(v);
        if (l == "none") {
            present = false;
            return true;
        }
        present = true;
        if (l == "builtin") {
            table.reset();
            return true;
        }
        EdidTable t{};
        std::string error;
        if (!readTable(v, t, error))
            return fail(error);
        table = t;
        return true;
    }

    bool apply(const std::string &key, const std::string &v)
    {
        Signal &s = c_.signal;
        std::string l = lower(v);
        long n = 0;
        if (key == "serials" || key == "serial") {
            c_.serials.clear();
            std::stringstream ss(v);
            for (std::string item; std::getline(ss, item, ',');)
                if (!trim(item).empty())
                    c_.serials.push_back(trim(item));
            return true;
        }
        if (key == "product") {
            c_.product = v;
            return true;
        }
        if (key == "firmware") {
            std::stringstream ss(v);
            std::array<uint8_t, 4> f{};
            int i = 0;
            for (std::string part; std::getline(ss, part, '.');) {
                if (i >= 4 || !number(part, 0, 255, n))
                    return fail("firmware is four numbers 0 to 255, like 1.7.3.0");
                f[i++] = static_cast<uint8_t>(n);
            }
            if (i != 4)
                return fail("firmware is four numbers 0 to 255, like 1.7.3.0");
            c_.firmware = f;
            return true;
        }
        // A bad path is said now, not found out at the first exchange.
        if (key == "state" || key == "wire_log" || key == "signal_file") {
            const std::string problem = filePathProblem(v, key == "state");
            if (!problem.empty())
                return fail(problem);
            (key == "state" ? c_.statePath : key == "wire_log" ? c_.wireLogPath : c_.signalFile) = v;
            return true;
        }
        if (key.size() >= 2 && key[0] == 'p' && std::isdigit(static_cast<unsigned char>(key[1]))) {
            long pos = 0;
            if (!number(key.substr(1), 0, 39, pos) || !number(v, 0, 255, n))
                return fail("pN=V needs a position 0 to 39 and a value 0 to 255");
            c_.factory[static_cast<int>(pos)] = static_cast<uint8_t>(n);
            return true;
        }
        if (key == "txa_edid")
            return edid(v, c_.topEdid, c_.topPresent);
        if (key == "txb_edid")
            return edid(v, c_.bottomEdid, c_.bottomPresent);
        if (key == "custom_edid") {
            bool present = true;
            return edid(v, c_.customDefault, present);
        }
        if (key == "busy_fetch_ms" || key == "busy_store_ms" || key == "busy_edid_ms" || key == "latency") {
            if (!number(v, 0, 600000, n))
                return fail("milliseconds 0 to 600000");
            uint32_t ms = static_cast<uint32_t>(n);
            (key == "busy_fetch_ms" ? c_.busyFetchMs
             : key == "busy_store_ms" ? c_.busyStoreMs
             : key == "busy_edid_ms" ? c_.busyEdidMs
                                     : c_.latencyMs) = ms;
            return true;
        }
        if (key == "fault") {
            std::string error;
            if (!parseFaultRules(l, c_.faults, error))
                return fail(error);
            return true;
        }
        if (key == "hdr_if" || key == "avi_if") {
            std::vector<uint8_t> bytes;
            size_t max = key == "hdr_if" ? 31 : 13;
            if (!parseHexBytes(v, bytes) || bytes.empty() || bytes.size() > max)
                return fail("hex bytes, at most " + std::to_string(max));
            (key == "hdr_if" ? c_.storedHdr : c_.storedAvi) = bytes;
            return true;
        }

        // The incoming signal.
        if (key == "source") {
            if (l != "on" && l != "off")
                return fail("on or off");
            s.connected = l == "on";
            return true;
        }
        if (key == "vic") {
            if (!number(v, 0, 255, n))
                return fail("a timing code 0 to 255");
            s.vic = static_cast<uint8_t>(n);
            return true;
        }
        if (key == "hdmi") {
            if (l != "0" && l != "1")
                return fail("0 or 1");
            s.hdmi = l == "1";
            return true;
        }
        static const std::pair<const char *, uint8_t> clocks[] = {{"none", 0}, {"375", 1}, {"600", 2}, {"450", 3}};
        static const std::pair<const char *, uint8_t> colours[] = {
            {"rgb", 0x00}, {"422", 0x20}, {"444", 0x40}, {"420", 0x60}};
        static const std::pair<const char *, uint8_t> colorimetries[] = {
            {"none", 0x00}, {"170m", 0x40}, {"709", 0x80}, {"extended", 0xC0}};
        static const std::pair<const char *, uint8_t> extended[] = {
            {"xvycc601", 0x00}, {"xvycc709", 0x10}, {"sycc601", 0x20},  {"adobeycc601", 0x30},
            {"adobergb", 0x40}, {"bt2020c", 0x50},  {"bt2020", 0x60}, {"reserved", 0x70}};
        static const std::pair<const char *, uint8_t> hdcps[] = {{"none", 0}, {"1.4", 1}, {"2.2", 2}};
        static const std::pair<const char *, uint8_t> stereo[] = {{"fp", 0x00}, {"tb", 0x60}, {"sbs", 0x80}};
        static const std::pair<const char *, uint8_t> eotfs[] = {{"sdr", 0}, {"hdr", 1}, {"pq", 2}, {"hlg", 3}};
        uint8_t u = 0;
        if (key == "clock") {
            if (!pick(l, clocks, u))
                return fail("none, 375, 450 or 600");
            s.clockClass = u;
            return true;
        }
        if (key == "color" || key == "colour") {
            if (!pick(l, colours, u))
                return fail("rgb, 422, 444 or 420");
            s.colour = u;
            return true;
        }
        if (key == "colorimetry") {
            if (!pick(l, colorimetries, u))
                return fail("none, 170m, 709 or extended");
            s.colorimetry = u;
            return true;
        }
        if (key == "ext_colorimetry") {
            if (!pick(l, extended, u))
                return fail("xvycc601, xvycc709, sycc601, adobeycc601, adobergb, bt2020c, bt2020 or reserved");
            s.colorimetry = 0xC0;
            s.extColorimetry = u;
            return true;
        }
        if (key == "hdcp") {
            if (!pick(l, hdcps, u))
                return fail("none, 1.4 or 2.2");
            s.hdcp = u;
            return true;
        }
        if (key == "hdmi_vic") {
            if (!number(v, 0, 255, n))
                return fail("a number 0 to 255 (1 to 4 are the 4K formats)");
            s.vsifFormat = 0x20;
            s.vsifDetail = static_cast<uint8_t>(n);
            return true;
        }
        if (key == "3d") {
            if (l == "none") {
                s.vsifFormat = s.vsifDetail = 0;
                return true;
            }
            if (!pick(l, stereo, u))
                return fail("none, fp, tb or sbs");
            s.vsifFormat = 0x40;
            s.vsifDetail = u;
            return true;
        }
        if (key == "source_vendor") {
            s.vendor = v.substr(0, 8);
            return true;
        }
        if (key == "source_product") {
            s.product = v.substr(0, 16);
            return true;
        }
        if (key == "hdr") {
            if (l == "none") {
                s.hdrPayload.clear();
                return true;
            }
            if (pick(l, eotfs, u)) {
                s.hdrPayload = hdrPayloadFor(u);
                return true;
            }
            std::vector<uint8_t> bytes;
            if (!parseHexBytes(v, bytes) || bytes.empty() || bytes.size() > 27)
                return fail("none, sdr, hdr, pq, hlg or up to 27 hex payload bytes");
            s.hdrPayload = bytes;
            return true;
        }
        return fail("unknown key");
    }

    SimConfig &c_;
    std::string problem_;
};

} // namespace

bool readBoundedFile(const std::string &path, size_t limit, std::string &text, std::string &error)
{
    text.clear();
    FILE *f = std::fopen(path.c_str(), "rb");
    if (!f) {
        error = path + ": " + std::strerror(errno);
        return false;
    }
    // One byte past the limit tells a full file from a longer one.
    char chunk[4096];
    size_t got = 0;
    while (text.size() <= limit && (got = std::fread(chunk, 1, std::min(sizeof chunk, limit + 1 - text.size()), f)) > 0)
        text.append(chunk, got);
    const bool failed = std::ferror(f) != 0;
    const int why = errno;
    std::fclose(f);
    if (failed) {
        error = path + ": " + std::strerror(why);
        return false;
    }
    if (text.size() > limit) {
        error = path + ": more than " + std::to_string(limit) + " bytes";
        return false;
    }
    return true;
}

void reportSimProblem(const std::string &text)
{
    static std::mutex m;
    static std::set<std::string> told;
    std::lock_guard<std::mutex> lock(m);
    if (told.insert(text).second)
        std::fprintf(stderr, "VANTREL_SIM: %s\n", text.c_str());
}

bool parseHexBytes(const std::string &text, std::vector<uint8_t> &out)
{
    out.clear();
    std::string digits;
    for (char ch : text) {
        if (ch == ':' || ch == ' ')
            continue;
        if (!std::isxdigit(static_cast<unsigned char>(ch)))
            return false;
        digits.push_back(ch);
    }
    if (digits.size() % 2)
        return false;
    for (size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<uint8_t>(std::strtoul(digits.substr(i, 2).c_str(), nullptr, 16)));
    return true;
}

SimConfig parseConfig(const std::string &text)
{
    SimConfig c;
    Parser p(c);
    std::string t = trim(text);
    if (t.empty())
        return c;
    if (t.find('=') == std::string::npos) {
        std::string file, error;
        if (!readBoundedFile(t, kMaxKeyFileBytes, file, error)) {
            c.errors.push_back("configuration file " + error);
            return c;
        }
        std::stringstream in(file);
        for (std::string line; std::getline(in, line);)
            p.line(line);
        return c;
    }
    std::string item;
    for (char ch : t) {
        if (ch == ';' || ch == '\n') {
            p.line(item);
            item.clear();
        } else {
            item.push_back(ch);
        }
    }
    p.line(item);
    return c;
}

} // namespace vantrel::sim
