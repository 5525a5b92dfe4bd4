// SPDX-License-Identifier: GPL-3.0-or-later
#include "box_state.h"

#include "sim_config.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace vantrel::sim {

namespace {

std::string hex(const uint8_t *p, size_t n)
{
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (size_t i = 0; i < n; ++i) {
        s.push_back(digits[p[i] >> 4]);
        s.push_back(digits[p[i] & 15]);
    }
    return s;
}

template <size_t N>
bool fixed(const std::vector<uint8_t> &bytes, std::optional<std::array<uint8_t, N>> &out)
{
    if (bytes.size() != N)
        return false;
    std::array<uint8_t, N> a{};
    std::copy(bytes.begin(), bytes.end(), a.begin());
    out = a;
    return true;
}

} // namespace

bool readBoxState(const std::string &path, BoxState &state)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec))
        return false; // a first run
    std::string text, error;
    if (!readBoundedFile(path, kMaxKeyFileBytes, text, error)) {
        reportSimProblem("state file " + error + "; the box starts from its defaults");
        return false;
    }
    parseBoxState(text, state);
    return true;
}

void parseBoxState(const std::string &text, BoxState &state)
{
    std::stringstream in(text);
    for (std::string line; std::getline(in, line);) {
        // A file saved by a Windows editor ends its lines in CR LF.
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t eq = line.find('=');
        if (line.empty() || line[0] == '#' || eq == std::string::npos)
            continue;
        std::string key = line.substr(0, eq);
        std::vector<uint8_t> bytes;
        if (!parseHexBytes(line.substr(eq + 1), bytes))
            continue;
        if (key == "block")
            fixed(bytes, state.block);
        else if (key == "custom_edid")
            fixed(bytes, state.custom);
        else if (key == "cec_sp")
            state.sp = std::string(bytes.begin(), bytes.end());
        else if (key == "cec_lp")
            state.lp = std::string(bytes.begin(), bytes.end());
        else if (key == "hdr_if")
            state.hdr = bytes;
        else if (key == "avi_if")
            state.avi = bytes;
        else if (key == "cec_sent" || key == "cec_dropped")
            state.cec.emplace_back(key == "cec_sent", bytes);
    }
}

bool writeBoxState(const std::string &path, const BoxState &state)
{
    const std::string temp = path + ".new";
    {
        // Binary: the same LF lines on every system, not CR LF on Windows.
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!out)
            return false;
        out << "# simulated box state, written by the box itself\n";
        if (state.block)
            out << "block=" << hex(state.block->data(), state.block->size()) << "\n";
        if (state.custom)
            out << "custom_edid=" << hex(state.custom->data(), state.custom->size()) << "\n";
        auto text = [&](const char *key, const std::optional<std::string> &s) {
            if (s)
                out << key << "=" << hex(reinterpret_cast<const uint8_t *>(s->data()), s->size()) << "\n";
        };
        text("cec_sp", state.sp);
        text("cec_lp", state.lp);
        if (state.hdr)
            out << "hdr_if=" << hex(state.hdr->data(), state.hdr->size()) << "\n";
        if (state.avi)
            out << "avi_if=" << hex(state.avi->data(), state.avi->size()) << "\n";
        size_t first = state.cec.size() > kKeptCecMessages ? state.cec.size() - kKeptCecMessages : 0;
        for (size_t i = first; i < state.cec.size(); ++i)
            out << (state.cec[i].first ? "cec_sent=" : "cec_dropped=")
                << hex(state.cec[i].second.data(), state.cec[i].second.size()) << "\n";
        out.flush();
        if (!out)
            return false;
    }
    // std::rename will not replace a file on Windows; this one does.
    std::error_code ec;
    std::filesystem::rename(temp, path, ec);
    return !ec;
}

} // namespace vantrel::sim
