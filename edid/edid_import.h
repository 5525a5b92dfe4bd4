// SPDX-License-Identifier: GPL-3.0-or-later
// EDID tables as files hold them, whoever wrote them: the raw bytes (the
// window's save, a display's edid file under /sys/class/drm), or hex text in
// the forms people paste (the window's layout, the hex dump at the top of a
// decoder's report, the EDID property of an X server's output listing, plain
// hex with or without spaces). Plus the checks made on a whole table before
// it goes to the box. Plain C++, no Qt.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace vantrel::edid {

struct TableFile {
    bool binary = false;
    std::vector<uint8_t> bytes;
    // Text: where each byte's first hex digit stands in the file, so the
    // file can be rewritten with only those digits changed.
    std::vector<size_t> digitsAt;
    // An X server's output listing: the output whose EDID this is.
    std::string output;
    // Text that is not hex: what is wrong and where (both counted from 1;
    // line 0 when the file as a whole is wrong).
    std::string error;
    int line = 0;
    int column = 0;
    bool ok() const { return error.empty(); }
    std::string where() const; // "line 3, column 7: ..."
};

// Binary when the data holds a byte no text file has (a NUL, a control
// character other than white space) or is not UTF-8. Text: lines end in LF,
// CR LF or CR; white space around and between the hex is free; blank lines
// separate blocks; lines ending in ':' before the first byte are headings
// ("edid-decode (hex):", "EDID:"); a line of dashes after the bytes ends the
// table (a report follows it). Every other character must be a hex digit, in
// pairs, each may have a "0x" in front, and commas part them as blanks do.
// The whole listing of an X server's outputs with their properties gives
// the EDID of `output`, or without a name of the first connected output that
// has one.
TableFile readTableFile(const uint8_t *data, size_t size, const std::string &output = {});

// The file as it would be with the table's bytes replaced by `bytes` (the
// same number of them): a binary file is the bytes; a text file keeps every
// character except the digits of changed bytes, written in the letter case
// the file uses.
std::vector<uint8_t> rewriteTableFile(const uint8_t *data, size_t size, const TableFile &file,
                                      const std::vector<uint8_t> &bytes);

// 00 FF FF FF FF FF FF 00 at the start (a missing display reads as all 00 or
// all FF, which never has it).
bool hasEdidHeader(const std::vector<uint8_t> &bytes);

struct BlockChecksum {
    uint8_t stored = 0;
    uint8_t computed = 0;
    bool ok() const { return stored == computed; }
};
// One row per whole 128-byte block.
std::vector<BlockChecksum> blockChecksums(const std::vector<uint8_t> &bytes);
// Also repairs the section checksum of each DisplayID extension first, as
// the block checksum covers it.
void repairBlockChecksums(std::vector<uint8_t> &bytes);

// The DisplayID section checksum of each DisplayID extension block (tag
// 0x70): the section from its version byte to its checksum sums to 0.
struct SectionChecksum {
    size_t block = 0;
    uint8_t stored = 0;
    uint8_t computed = 0;
    bool ok() const { return stored == computed; }
};
std::vector<SectionChecksum> displayIdChecksums(const std::vector<uint8_t> &bytes);

// The base block's extension count (byte 126) against the blocks after it;
// all-zero blocks at the end are padding (the window saves 256 bytes even for
// a one-block table) and do not count.
struct ExtensionCount {
    int announced = 0;
    int present = 0;
    bool matches() const { return announced == present; }
};
ExtensionCount extensionCount(const std::vector<uint8_t> &bytes);

} // namespace vantrel::edid
