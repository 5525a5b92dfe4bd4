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
bool parsed(Session &s, const BoxLine &line, bool withLength, edid::ColonHex &out)
{
    out = edid::parseColonHex(line.text, line.length(), withLength);
    if (!out.wellFormed)
        s.refuse("Hex Format Error", 2000);
    return out.wellFormed;
}

// One exchange acknowledged by its sub-code (request byte 2).
struct Ack {
    bool exchanged;
    bool acknowledged;
};
Ack send(Session &s, const Bytes &request)
{
    uint8_t reply[UsbLink::kMaxReply];
    const bool ok = s.box.exchange(reply, request, 2);
    return {ok, ok && reply[0] == request[2]};
}

} // namespace

bool sendCec(Session &s, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxCecLine)) {
        s.refuse("Error: min 2, max 31 data bytes", 2000);
        return false;
    }
    edid::ColonHex bytes;
    if (!parsed(s, line, true, bytes))
        return false;
    const Bytes load = cecMessageFrame(bytes);
    const bool loaded = send(s, load).acknowledged;
    if (loaded)
        s.status("CEC values written...", 2000);
    else
        s.fail("Error Writing CEC command.", 4000);
    s.clock.sleepMs(kPauseMs);
    const Ack act = send(s, activationFrame(load, frame::kActivateCec));
    if (!act.acknowledged) {
        s.diag("\nError Populating CEC values.\n");
        // "written" must not stay up for a message that never went out.
        if (loaded)
            s.fail("Error Populating CEC values.", 4000);
    }
    return act.exchanged;
}

bool saveCecCommand(Session &s, uint8_t code, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxStoreLine)) {
        s.refuse("CEC values not correct", 2000);
        return false;
    }
    const Ack o = send(s, storedCommandFrame(code, line));
    if (o.acknowledged)
        s.status("CEC values written...", 2000);
    else
        s.fail("Error Writing CEC values.", 4000);
    return o.exchanged;
}

bool writeHdrInfoframe(Session &s, const std::string &typed)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxHdrLine)) {
        s.refuse("Error: min 2, max 31 data bytes", 2000);
        return false;
    }
    edid::ColonHex bytes;
    if (!parsed(s, line, false, bytes))
        return false;
    const Bytes load = infoframeLoadFrame(frame::kHdrLoad, bytes);
    const bool loaded = send(s, load).acknowledged;
    if (loaded)
        s.status("Infoframe values written...", 2000);
    else
        s.fail("Error Writing Infoframe values.", 4000);
    s.clock.sleepMs(kPauseMs);
    if (send(s, activationFrame(load, frame::kActivateHdr)).acknowledged)
        return true;
    s.diag("\nError Populating IF values.\n");
    if (loaded)
        s.fail("Error Populating IF values.", 4000);
    return false;
}

bool readStoredInfoframe(BoxRequests &box, const StoredInfoframe &which, std::string &text)
{
    uint8_t reply[UsbLink::kMaxReply];
    const bool ok = box.ReadRegister(which.item, reply, which.replyLength);
    text = edid::colonHexText(reply + 2, size_t(which.count));
    return ok;
}

bool sendAvi(Session &s, const std::string &typed, bool replaceChecked, uint8_t &imagePos33)
{
    const BoxLine line = boxLine(typed);
    if (!withinLimits(line, kMaxAviLine)) {
        s.refuse("Error: min 2, max 13 data bytes", 2000);
        return false;
    }
    edid::ColonHex bytes;
    if (!parsed(s, line, false, bytes))
        return false;
    const Bytes load = infoframeLoadFrame(frame::kAviLoad, bytes);
    if (!send(s, load).acknowledged) {
        s.fail("Error Writing AVI command.", 4000);
        return false;
    }
    s.status("AVI values written...", 2000);
    s.clock.sleepMs(kPauseMs);
    if (!send(s, activationFrame(load, frame::kActivateAvi)).acknowledged) {
        s.diag("\nError Activating AVI values.\n");
        s.fail("Error Activating AVI values.", 4000);
        return false;
    }
    const uint8_t value = replaceChecked ? 1 : 0;
    s.box.WriteRegister(kAviReplaceRegister, value);
    imagePos33 = value;
    return true;
}

} // namespace vantrel::inject
