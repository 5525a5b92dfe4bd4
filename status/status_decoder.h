// SPDX-License-Identifier: GPL-3.0-or-later
// Turns the box's status records into the six texts of the window's status
// area. Plain C++, shared by the window, vantrelctl and the fuzzers.
//
// Records are register-read replies (byte 0 is the 0xE0 echo):
//   video  item 6,  length 15  timing code, clock class, outputs, AVI bytes, HDCP
//   source item 21, length 31  vendor name (bytes 4-11), product (bytes 12-27)
//   hdr    item 30, length 31  infoframe type, payload length, payload (bytes 4-30)
// The item-31 read only decides whether the texts are refreshed at all; that
// test belongs to the caller.
//
// Where the texts go, in the order the caller writes them:
//   StatusTexts::input      -> label_video_format
//   StatusTexts::output     -> lblOutput
//   StatusTexts::colour     -> lblCsc
//   StatusTexts::source     -> lblVideoSource
//   StatusTexts::hdr        -> lblHdrInput
//   StatusTexts::infoframe  -> txtHdrIf: set to this text when
//                              infoframeCaptured, otherwise cleared
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace vantrel::status {

constexpr std::size_t kVideoRecordLength = 15;
constexpr std::size_t kSourceRecordLength = 31;
constexpr std::size_t kHdrRecordLength = 31;
constexpr std::size_t kMaxHdrPayload = 27; // bytes 4..30 of the HDR record

// A record as received: the bytes and how many there are. A byte past the
// end reads as zero, as in the zero-filled area a failed read leaves behind,
// so any input is safe to decode.
struct Record {
    const uint8_t *bytes = nullptr;
    std::size_t length = 0;

    uint8_t at(std::size_t i) const { return bytes && i < length ? bytes[i] : 0; }
};

struct StatusTexts {
    std::string input;
    std::string output;
    std::string colour;
    std::string source;
    std::string hdr;
    bool infoframeCaptured = false;
    std::string infoframe;
};

// The lines one by one, each from the record it reads.
std::string inputLine(const Record &video);
std::string outputLine(const Record &video);
std::string colourLine(const Record &video);
std::string sourceLine(const Record &source);
std::string hdrLine(const Record &hdr);
// The captured infoframe payload as colon hex text in lower case
// ("02:00:c2"), or false when there is nothing to show (type other than 0x87 or an
// empty payload). A length above 27 shows the 27 bytes the record holds.
bool capturedInfoframe(const Record &hdr, std::string &text);

StatusTexts decodeStatus(const Record &video, const Record &source, const Record &hdr);

} // namespace vantrel::status
