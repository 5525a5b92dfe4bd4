// SPDX-License-Identifier: GPL-3.0-or-later
#include "injection.h"

#include "edid_text.h"
#include "inject_frames.h"

namespace vantrel::inject {

namespace {

constexpr uint8_t kAviReplaceRegister = 33;
constexpr uint32_t kPauseMs = 100;

// Length limits on L, the text length with its carriage return.
constexpr int kMinLine = 6;
constexpr int kMaxCecLine = 93;   // 2 to 31 bytes
constexpr int kMaxStoreLine = 60; // 5 to 59 characters
constexpr int kMaxHdrLine = 93;
constexpr int kMaxAviLine = 39;   // 2 to 13 bytes

bool withinLimits(const BoxLine &line, int maxLine) { return line.length() >= kMinLine && line.length() <= maxLine; }

// Parses the colon hex text; malformed text is refused before anything is sent.
Outcome parsed(Session &s, const BoxLine &line, bool withLength, edid::ColonHex &out)
{
    out = edid::parseColonHex(line.text, line.length(), withLength);
    return out.wellFormed ? Outcome{} : s.refuse("Hex Format Error", 2000);
}

// One exchange, acknowledged by its sub-code (request byte 2).
bool send(Session &s, const Bytes &request)
{
    uint8_t reply[UsbLink::kMaxReply];
    return s.box.exchange(reply, request, 2) && reply[0] == request[2];
}

} // namespace

Outcome sendCec(Session &s, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxCecLine))
        return s.refuse("Error: min 2, max 31 data bytes", 2000);
    edid::ColonHex bytes;
    if (Outcome o = parsed(s, line, true, bytes); !o.done())
        return o;
    const Bytes load = cecMessageFrame(bytes);
    const bool loaded = send(s, load);
    Outcome o = loaded ? s.status("CEC values written...", 2000) : s.fail("Error Writing CEC command.", 4000);
    s.clock.sleepMs(kPauseMs);
    if (!send(s, activationFrame(load, frame::kActivateCec))) {
        s.diag("\nError Populating CEC values.\n");
        // "written" must not stay up for a message that never went out.
        if (loaded)
            o = s.fail("Error Populating CEC values.", 4000);
    }
    return o;
}

Outcome saveCecCommand(Session &s, uint8_t code, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxStoreLine))
        return s.refuse("CEC values not correct", 2000);
    if (send(s, storedCommandFrame(code, line)))
        return s.status("CEC values written...", 2000);
    return s.fail("Error Writing CEC values.", 4000);
}

Outcome writeHdrInfoframe(Session &s, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxHdrLine))
        return s.refuse("Error: min 2, max 31 data bytes", 2000);
    edid::ColonHex bytes;
    if (Outcome o = parsed(s, line, false, bytes); !o.done())
        return o;
    const Bytes load = infoframeLoadFrame(frame::kHdrLoad, bytes);
    const bool loaded = send(s, load);
    Outcome o =
        loaded ? s.status("Infoframe values written...", 2000) : s.fail("Error Writing Infoframe values.", 4000);
    s.clock.sleepMs(kPauseMs);
    if (send(s, activationFrame(load, frame::kActivateHdr)))
        return o;
    s.diag("\nError Populating IF values.\n");
    if (loaded)
        o = s.fail("Error Populating IF values.", 4000);
    return o;
}

Outcome readStoredInfoframe(Box &box, const StoredInfoframe &which, std::string &text)
{
    uint8_t reply[UsbLink::kMaxReply];
    const Outcome o = box.readRegister(which.item, reply, which.replyLength);
    text = hex::colonHexText(reply + 2, size_t(which.count));
    return o;
}

Outcome sendAvi(Session &s, const std::string &typed, bool replaceChecked, uint8_t &imagePos33)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxAviLine))
        return s.refuse("Error: min 2, max 13 data bytes", 2000);
    edid::ColonHex bytes;
    if (Outcome o = parsed(s, line, false, bytes); !o.done())
        return o;
    const Bytes load = infoframeLoadFrame(frame::kAviLoad, bytes);
    if (!send(s, load))
        return s.fail("Error Writing AVI command.", 4000);
    Outcome o = s.status("AVI values written...", 2000);
    s.clock.sleepMs(kPauseMs);
    if (!send(s, activationFrame(load, frame::kActivateAvi))) {
        s.diag("\nError Activating AVI values.\n");
        return s.fail("Error Activating AVI values.", 4000);
    }
    const uint8_t value = replaceChecked ? 1 : 0;
    o.fold(s.box.writeRegister(kAviReplaceRegister, value));
    imagePos33 = value;
    return o;
}

} // namespace vantrel::inject
