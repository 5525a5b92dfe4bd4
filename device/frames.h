// SPDX-License-Identifier: GPL-3.0-or-later
// Request frames of the box's protocol: direction, length byte, sub-code,
// operands. The reply starts with the echoed sub-code and a status byte whose
// bit 0 means busy (the EDID chunk read answers with raw bytes instead).
#pragma once

#include <cstdint>
#include <vector>

namespace vantrel {

using Bytes = std::vector<uint8_t>;

namespace frame {

constexpr uint8_t kSend = 0x10;
constexpr uint8_t kAsk = 0x11;

constexpr uint8_t kRegister = 0xE0;
constexpr uint8_t kBlock = 0xE1;
constexpr uint8_t kImageWrite = 0xE2;
constexpr uint8_t kStoreCecSp = 0xE3;
constexpr uint8_t kStoreCecLp = 0xE4;
constexpr uint8_t kHdrLoad = 0xE5;
constexpr uint8_t kAviLoad = 0xE6;
constexpr uint8_t kEdidChunk = 0xB0;
constexpr uint8_t kEdidStore = 0xB1;
constexpr uint8_t kCecMessage = 0xB2;
constexpr uint8_t kActivate = 0xB3;
constexpr uint8_t kFetchBoxEdid = 0xB4;
constexpr uint8_t kFetchTxAEdid = 0xB5;
constexpr uint8_t kFetchTxBEdid = 0xB6;

// Operands of the activation request.
constexpr uint8_t kActivateCec = 0x10;
constexpr uint8_t kActivateHdr = 0x20;
constexpr uint8_t kActivateAvi = 0x80;

constexpr uint8_t kBusyBit = 0x01;
constexpr int kSettingsBlockLength = 42; // echo, status, 40 settings bytes
constexpr int kSettingsSize = 40;

Bytes registerRead(uint8_t item, uint8_t length);
Bytes registerWrite(uint8_t reg, uint8_t value);
Bytes blockRead(uint8_t length);
Bytes imageWrite(const uint8_t image[kSettingsSize]);
Bytes edidChunkRead(uint8_t offset);                     // 11 10 B0 off
Bytes edidChunkWrite(uint8_t offset, const uint8_t data[8]); // 10 08 B0 off d0..d7
Bytes edidStore();                                       // 10 08 B1
Bytes edidFetch(uint8_t code);                           // 10 01 B4|B5|B6
// Generic "10, length, code, payload" (CEC message, stored command, infoframe loads).
Bytes sendPayload(uint8_t code, uint8_t length, const uint8_t *payload, int count);
// The activation that follows a load: bytes 0 and 1 of the load, B3, operand.
Bytes activate(uint8_t lengthByte, uint8_t operand);

} // namespace frame
} // namespace vantrel
