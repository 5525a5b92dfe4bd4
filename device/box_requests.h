// SPDX-License-Identifier: GPL-3.0-or-later
// The four register and block operations every part of the program uses,
// reporting failures as status-bar messages through a callback.
#pragma once

#include "frames.h"
#include "outcome.h"
#include "usb_link.h"

#include <functional>
#include <string>

namespace vantrel {

// Text (untranslated, the window's own wording) and display time in ms.
using StatusMessage = std::function<void(const std::string &text, int ms)>;

class BoxRequests {
public:
    BoxRequests(UsbLink &link, StatusMessage message) : link_(link), message_(std::move(message)) {}

    // reply: room for 64 bytes; it is cleared before the exchange.
    bool ReadRegister(uint8_t item, uint8_t *reply, uint8_t length);
    bool WriteRegister(uint8_t reg, uint8_t value);
    bool ReadBlock(uint8_t *reply, uint8_t length);
    bool WriteBlock(const uint8_t image[frame::kSettingsSize]);

    // One exchange with the reply area cleared first, for the parts that
    // frame their own requests (EDID, CEC, infoframes).
    bool exchange(uint8_t *reply, const Bytes &request, uint32_t minReply);

    UsbLink &link() { return link_; }
    void message(const std::string &text, int ms) { report(text, ms, Verdict::Done); }
    // A status-bar message that also settles the outcome: the first refusal
    // or failure since takeOutcome() stands.
    void refuse(const std::string &text, int ms) { report(text, ms, Verdict::Refused); }
    void fail(const std::string &text, int ms) { report(text, ms, Verdict::Failed); }
    // The outcome since the last call; the next operation starts from done.
    Outcome takeOutcome();
    const Outcome &outcome() const { return outcome_; }
    // While a message is being shown: what it tells.
    Verdict messageVerdict() const { return showing_; }

private:
    void report(const std::string &text, int ms, Verdict verdict);

    Outcome outcome_;
    Verdict showing_ = Verdict::Done;
    UsbLink &link_;
    StatusMessage message_;
};

} // namespace vantrel
