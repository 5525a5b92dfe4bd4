// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID library: named tables kept in the user's data folder, each with
// where it came from and when it was saved. vantrelctl, the window and the
// chain planner share it; a table source "lib:NAME" names an entry wherever
// a table file is taken.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::edid {

constexpr const char *kLibraryPrefix = "lib:";

struct LibraryEntry {
    std::string name;
    std::string source;             // "box", "TX A", "TX B", "file", "designer"
    std::string detail;             // the file's path; empty for the others
    std::vector<std::string> edits; // the designer's edits, in order
    std::string savedAt;            // "2026-12-08T11:30:00+00:00"
    std::vector<uint8_t> table;     // the table's bytes, whole blocks
};

class EdidLibrary {
public:
    // folder: where the entries are kept (created on the first save).
    explicit EdidLibrary(std::string folder);
    // VANTREL_DATA_DIR when set, else the platform's data folder (Linux:
    // $XDG_DATA_HOME/vantrel or ~/.local/share/vantrel; Windows:
    // %LOCALAPPDATA%\VANTREL), with "edid-library" under it.
    static std::string defaultFolder();

    const std::string &folder() const { return folder_; }

    // Empty when NAME can name an entry: 1 to 64 letters, digits, spaces,
    // '.', '_' and '-', not starting with '.' or a space.
    static std::string nameProblem(const std::string &name);

    // Every entry by name; one that cannot be read is left out and said in
    // problems ("NAME: why").
    std::vector<LibraryEntry> list(std::vector<std::string> *problems = nullptr) const;
    // The entry, or nothing with error set ("no table NAME in the library").
    std::optional<LibraryEntry> load(const std::string &name, std::string &error) const;
    // Writes the entry through the atomic writer, the time set to now when
    // empty. An existing name is refused unless replace.
    bool save(LibraryEntry entry, bool replace, std::string &error) const;
    bool remove(const std::string &name, std::string &error) const;

private:
    std::string pathOf(const std::string &name) const;
    std::string folder_;
};

// For callers that take a table by source (the chain planner, vantrelctl):
// true when the text is "lib:NAME".
bool isLibrarySource(const std::string &source);
// The table of "lib:NAME" from the default library; nothing with error set
// when the name is unknown or the entry cannot be read.
std::optional<std::vector<uint8_t>> loadLibraryTable(const std::string &source, std::string &error);

} // namespace vantrel::edid
