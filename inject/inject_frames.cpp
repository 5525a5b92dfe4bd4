// SPDX-License-Identifier: GPL-3.0-or-later
#include "inject_frames.h"

namespace vantrel::inject {

BoxLine boxLine(std::string_view typedUtf8) { return {edid::boxText(typedUtf8) + '\r'}; }

Bytes cecMessageFrame(const edid::ColonHex &withLength)
{
    return frame::sendPayload(frame::kCecMessage, static_cast<uint8_t>(withLength.count), withLength.bytes.data(),
                              withLength.count);
}

Bytes activationFrame(const Bytes &load, uint8_t selector) { return frame::activate(load.at(1), selector); }

Bytes storedCommandFrame(uint8_t code, const BoxLine &line)
{
    std::string payload = "CEC " + line.text;
    return frame::sendPayload(code, static_cast<uint8_t>(line.length() + 4),
                              reinterpret_cast<const uint8_t *>(payload.data()), static_cast<int>(payload.size()));
}

Bytes infoframeLoadFrame(uint8_t code, const edid::ColonHex &bytes)
{
    return frame::sendPayload(code, static_cast<uint8_t>(bytes.count), bytes.bytes.data(), bytes.count);
}

} // namespace vantrel::inject
