// SPDX-License-Identifier: GPL-3.0-or-later
// A table taken apart for editing: the base block as bytes, each CTA-861
// extension as its header, data blocks and detailed timings, every other
// extension as it came. encode() puts it together again with every
// checksum recomputed.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace vantrel::edid::edit {

using Bytes = std::vector<uint8_t>;
using Descriptor = std::array<uint8_t, 18>;

// What a CTA-861 data block is, read from its own bytes (header included).
enum class BlockType {
    Other,
    Audio,
    Video,
    HdmiVsdb,
    HdmiForumVsdb,
    Speaker,
    VideoCapability,
    HdrStatic,
    DolbyVision,
    Hdr10Plus,
    Y420Video,
    Y420Map,
    VendorAudio,
    HdmiAudio,
    RoomConfig,
    SpeakerLocation,
    Eeodb,
    Scdb
};
BlockType blockType(const Bytes &block);
std::string blockTypeName(const Bytes &block);
// Audio, speaker allocation, vendor audio, HDMI audio, room and speaker layout.
bool isAudioBlock(BlockType type);

struct CtaModel {
    uint8_t revision = 3;
    uint8_t flags = 0;            // byte 3
    bool zeroOffset = false;      // nothing in it, and byte 2 says so with 0
    std::vector<Bytes> blocks;    // each with its header byte
    std::vector<Descriptor> dtds; // detailed timings and display descriptors after the blocks

    size_t usedBytes() const; // header, blocks and descriptors, without the checksum
    static constexpr size_t kRoom = 127;
};

struct ExtensionModel {
    Bytes raw;                   // the block as it came, 128 bytes
    std::optional<CtaModel> cta; // set for a CTA-861 extension that re-encodes to its own bytes
    bool ctaBroken = false;      // a CTA-861 extension that does not
    bool dirty = false;
    uint8_t tag() const { return raw[0]; }
};

struct TableModel {
    Bytes base; // 128 bytes
    std::vector<ExtensionModel> extensions;

    // Takes the table's whole blocks up to the count the base block (or the
    // override block) declares; false with why when there is no base block.
    static std::optional<TableModel> parse(const Bytes &bytes, std::string &why);
    // Every block, changed blocks re-encoded, every checksum recomputed.
    // Throws EditError when a CTA-861 extension no longer fits its 128 bytes.
    Bytes encode() const;

    // The CTA-861 extensions, in table order; throws EditError when one of
    // them cannot be re-encoded.
    std::vector<CtaModel *> ctaBlocks();
    // Marks the extension holding cta as changed.
    void touch(const CtaModel *cta);
    // The first CTA-861 extension; throws EditError when there is none or it
    // cannot be re-encoded.
    CtaModel &firstCta();

    // The CTA-861 data blocks DisplayID sections carry, as their bytes; the
    // edits leave DisplayID alone and say so where it matters.
    std::vector<Bytes> displayIdCtaBlocks() const;
    // Sets the serial number of every DisplayID product identification.
    unsigned setDisplayIdSerial(uint32_t serial);

    Descriptor descriptor(unsigned slot) const; // base block slots 0 to 3
    void setDescriptor(unsigned slot, const Descriptor &d);
};

struct EditError {
    std::string message;
};

// The 13 bytes of text of a display descriptor as the text; "" when it is
// not a text descriptor of that tag.
std::string descriptorText(const Descriptor &d);
Descriptor textDescriptor(uint8_t tag, const std::string &text);
Descriptor dummyDescriptor();
bool isDetailedTiming(const Descriptor &d);

} // namespace vantrel::edid::edit
