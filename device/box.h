// SPDX-License-Identifier: GPL-3.0-or-later
// The box as every part of the program reaches it: found and opened by its
// serial, the one link, the clock, and the reporter its operations tell their
// messages to. Each operation returns what it came to.
#pragma once

#include "clock.h"
#include "frames.h"
#include "outcome.h"
#include "usb_link.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel {

class Box {
public:
    // Why open() did or did not get the box; each caller says it in its own words.
    enum class Opening {
        Opened,
        NotListed,    // no device reports the serial
        NoPermission, // listed, but this user may not open it
        WouldNotOpen, // listed, and the open failed otherwise
    };

    // Messages carry untranslated text (the window's own wording) and display time.
    Box(const UsbApi *api, Clock &clock, UsbLink::Alert alert, Reporter &reporter);
    Box(const UsbApi *api, Clock &clock, UsbLink::Alert alert, std::function<void(const Outcome &)> to);

    // Finds the first device reporting kBoxSerial and opens it. quiet: looking
    // again while none is open, without the link's "not connected" alert.
    Opening open(bool quiet = false);
    // Whether the box is still attached (tells an unplugged box from a silent one).
    bool listed();

    // reply: room for 64 bytes; it is cleared before the exchange.
    Outcome readRegister(uint8_t item, uint8_t *reply, uint8_t length);
    Outcome writeRegister(uint8_t reg, uint8_t value);
    Outcome readBlock(uint8_t *reply, uint8_t length);
    Outcome writeBlock(const uint8_t image[frame::kSettingsSize]);
    // The firmware version from the item-7 read, "a.b.c.d"; empty when the
    // read fails (the caller decides whether that matters).
    std::string firmwareText();

    // One exchange with the reply area cleared first, for the parts that
    // frame their own requests (EDID, CEC, infoframes).
    bool exchange(uint8_t *reply, const Bytes &request, uint32_t minReply);

    // Tell a message with its verdict and hand it back as the outcome.
    Outcome message(const std::string &text, int ms) { return report(text, ms, Verdict::Done); }
    Outcome refuse(const std::string &text, int ms) { return report(text, ms, Verdict::Refused); }
    Outcome fail(const std::string &text, int ms) { return report(text, ms, Verdict::Failed); }

    UsbLink &link() { return link_; }
    Clock &clock() { return link_.clock(); }

private:
    Outcome report(const std::string &text, int ms, Verdict verdict);

    UsbLink link_;
    std::unique_ptr<Reporter> owned_;
    Reporter &reporter_;
};

} // namespace vantrel
