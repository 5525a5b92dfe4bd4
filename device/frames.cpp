// SPDX-License-Identifier: GPL-3.0-or-later
#include "frames.h"

namespace vantrel::frame {

Bytes registerRead(uint8_t item, uint8_t length) { return {kAsk, length, kRegister, item}; }

Bytes registerWrite(uint8_t reg, uint8_t value) { return {kSend, 0x04, kRegister, reg, value}; }

Bytes blockRead(uint8_t length) { return {kAsk, length, kBlock}; }

Bytes imageWrite(const uint8_t image[kSettingsSize])
{
    Bytes b{kSend, 0x28, kImageWrite};
    b.insert(b.end(), image, image + kSettingsSize);
    return b;
}

Bytes edidChunkRead(uint8_t offset) { return {kAsk, 0x10, kEdidChunk, offset}; }

Bytes edidChunkWrite(uint8_t offset, const uint8_t data[8])
{
    Bytes b{kSend, 0x08, kEdidChunk, offset};
    b.insert(b.end(), data, data + 8);
    return b;
}

Bytes edidStore() { return {kSend, 0x08, kEdidStore}; }

Bytes edidFetch(uint8_t code) { return {kSend, 0x01, code}; }

Bytes sendPayload(uint8_t code, uint8_t length, const uint8_t *payload, int count)
{
    Bytes b{kSend, length, code};
    if (count > 0)
        b.insert(b.end(), payload, payload + count);
    return b;
}

Bytes activate(uint8_t lengthByte, uint8_t operand) { return {kSend, lengthByte, kActivate, operand}; }

} // namespace vantrel::frame
