// SPDX-License-Identifier: GPL-3.0-or-later
// One JSON file per entry, NAME.json, written whole by the atomic writer so
// a failed save keeps the entry it would replace.
#include "edid_library.h"

#include "edid_file.h"
#include "utc_time.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace vantrel::edid {
namespace {

namespace fs = std::filesystem;
using Json = nlohmann::ordered_json;

constexpr size_t kMaxEntryFile = 256 * 1024; // a 32 KiB table as hex with its notes
constexpr const char *kExtension = ".json";

fs::path pathFrom(const std::string &utf8)
{
#ifdef _WIN32
    return fs::u8path(utf8);
#else
    return fs::path(utf8);
#endif
}

std::string envValue(const char *name)
{
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string hexOf(const std::vector<uint8_t> &bytes)
{
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

int nibble(char c)
{
    return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}

bool bytesOf(const std::string &hex, std::vector<uint8_t> &out)
{
    if (hex.size() % 2)
        return false;
    for (size_t i = 0; i < hex.size(); i += 2) {
        const int high = nibble(hex[i]), low = nibble(hex[i + 1]);
        if (high < 0 || low < 0)
            return false;
        out.push_back(uint8_t(high * 16 + low));
    }
    return true;
}

bool readSmallFile(const fs::path &path, std::string &text, std::string &error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        error = "cannot be read";
        return false;
    }
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (text.size() > kMaxEntryFile) {
        error = "is too long for a library entry";
        return false;
    }
    return true;
}

// An entry is one flat object with one list: anything deeper is no entry.
std::optional<LibraryEntry> parseEntry(const std::string &name, const std::string &text, std::string &error)
{
    Json doc;
    try {
        doc = Json::parse(text, [](int depth, Json::parse_event_t, Json &) {
            if (depth > 3)
                throw std::runtime_error("nested too deep");
            return true;
        });
    } catch (const std::exception &e) {
        error = std::string("is not a library entry (") + e.what() + ")";
        return std::nullopt;
    }
    LibraryEntry e;
    e.name = name;
    const auto text_ = [&doc](const char *key) {
        const auto it = doc.find(key);
        return it != doc.end() && it->is_string() ? it->get<std::string>() : std::string();
    };
    if (!doc.is_object() || !bytesOf(text_("table"), e.table) || e.table.empty() || e.table.size() % 128) {
        error = "holds no table of whole 128-byte blocks";
        return std::nullopt;
    }
    e.source = text_("source");
    e.detail = text_("detail");
    e.savedAt = text_("savedAt");
    if (const auto it = doc.find("edits"); it != doc.end() && it->is_array())
        for (const Json &edit : *it)
            if (edit.is_string())
                e.edits.push_back(edit.get<std::string>());
    return e;
}

} // namespace

EdidLibrary::EdidLibrary(std::string folder) : folder_(std::move(folder)) {}

std::string EdidLibrary::defaultFolder()
{
    std::string base = envValue("VANTREL_DATA_DIR");
#ifdef _WIN32
    if (base.empty() && !envValue("LOCALAPPDATA").empty())
        base = envValue("LOCALAPPDATA") + "\\VANTREL";
#else
    if (base.empty() && !envValue("XDG_DATA_HOME").empty())
        base = envValue("XDG_DATA_HOME") + "/vantrel";
    if (base.empty() && !envValue("HOME").empty())
        base = envValue("HOME") + "/.local/share/vantrel";
#endif
    if (base.empty())
        base = ".";
    return (pathFrom(base) / "edid-library").u8string();
}

std::string EdidLibrary::nameProblem(const std::string &name)
{
    if (name.empty() || name.size() > 64)
        return "a library name has 1 to 64 characters";
    if (name[0] == '.' || name[0] == ' ' || name.back() == ' ' || name.back() == '.')
        return "a library name starts and ends with a letter, digit, '_' or '-'";
    for (char c : name)
        if (!(std::isalnum(static_cast<unsigned char>(c)) && static_cast<unsigned char>(c) < 0x80) && c != ' ' &&
            c != '.' && c != '_' && c != '-')
            return std::string("a library name holds letters, digits, spaces, '.', '_' and '-', not '") + c + "'";
    // Windows keeps these names for devices, whatever follows the dot.
    std::string stem = name.substr(0, name.find('.'));
    for (char &c : stem)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const char *device : {"CON", "PRN", "AUX", "NUL"})
        if (stem == device)
            return "\"" + name + "\" names a device on Windows";
    if (stem.size() == 4 && (stem.rfind("COM", 0) == 0 || stem.rfind("LPT", 0) == 0) && std::isdigit(static_cast<unsigned char>(stem[3])))
        return "\"" + name + "\" names a device on Windows";
    return {};
}

std::string EdidLibrary::pathOf(const std::string &name) const
{
    return (pathFrom(folder_) / pathFrom(name + kExtension)).u8string();
}

std::vector<LibraryEntry> EdidLibrary::list(std::vector<std::string> *problems) const
{
    std::vector<LibraryEntry> out;
    std::error_code ec;
    for (fs::directory_iterator it(pathFrom(folder_), ec), end; !ec && it != end; it.increment(ec)) {
        const fs::path p = it->path();
        const std::string name = p.stem().u8string();
        if (p.extension() != kExtension || !nameProblem(name).empty() || !it->is_regular_file(ec))
            continue; // the writer's temporary files and anything else
        std::string error;
        if (const auto e = load(name, error))
            out.push_back(*e);
        else if (problems)
            problems->push_back(error);
    }
    std::sort(out.begin(), out.end(), [](const LibraryEntry &a, const LibraryEntry &b) { return a.name < b.name; });
    return out;
}

std::optional<LibraryEntry> EdidLibrary::load(const std::string &name, std::string &error) const
{
    if (const std::string problem = nameProblem(name); !problem.empty()) {
        error = "\"" + name + "\": " + problem;
        return std::nullopt;
    }
    const fs::path path = pathFrom(pathOf(name));
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        error = "no table \"" + name + "\" in the library (" + folder_ + ")";
        return std::nullopt;
    }
    std::string text, why;
    std::optional<LibraryEntry> e;
    if (readSmallFile(path, text, why))
        e = parseEntry(name, text, why);
    if (!e)
        error = "library entry " + pathOf(name) + " " + why;
    return e;
}

bool EdidLibrary::save(LibraryEntry entry, bool replace, std::string &error) const
{
    if (const std::string problem = nameProblem(entry.name); !problem.empty()) {
        error = "\"" + entry.name + "\": " + problem;
        return false;
    }
    if (entry.table.empty() || entry.table.size() % 128) {
        error = "the table is not whole 128-byte blocks";
        return false;
    }
    std::error_code ec;
    const std::string path = pathOf(entry.name);
    if (!replace && fs::exists(pathFrom(path), ec)) {
        error = "the library already holds \"" + entry.name + "\"";
        return false;
    }
    fs::create_directories(pathFrom(folder_), ec);
    if (ec) {
        error = "cannot make the library folder " + folder_ + ": " + ec.message();
        return false;
    }
    if (entry.savedAt.empty())
        entry.savedAt = utcNowText();
    const Json doc{{"name", entry.name},   {"source", entry.source},   {"detail", entry.detail},
                   {"edits", entry.edits}, {"savedAt", entry.savedAt}, {"table", hexOf(entry.table)}};
    const std::string text = doc.dump(2) + "\n";
    std::string why;
    if (!atomicWriteFile(path, std::vector<uint8_t>(text.begin(), text.end()), why)) {
        error = "cannot write " + path + ": " + why;
        return false;
    }
    return true;
}

bool EdidLibrary::remove(const std::string &name, std::string &error) const
{
    if (const std::string problem = nameProblem(name); !problem.empty()) {
        error = "\"" + name + "\": " + problem;
        return false;
    }
    std::error_code ec;
    if (!fs::remove(pathFrom(pathOf(name)), ec)) {
        error = ec ? ec.message() : "no table \"" + name + "\" in the library";
        return false;
    }
    return true;
}

bool isLibrarySource(const std::string &source)
{
    return source.rfind(kLibraryPrefix, 0) == 0;
}

std::optional<std::vector<uint8_t>> loadLibraryTable(const std::string &source, std::string &error)
{
    if (!isLibrarySource(source)) {
        error = "\"" + source + "\" does not name a library entry (lib:NAME)";
        return std::nullopt;
    }
    const auto e = EdidLibrary(EdidLibrary::defaultFolder()).load(source.substr(4), error);
    if (!e)
        return std::nullopt;
    return e->table;
}

} // namespace vantrel::edid
