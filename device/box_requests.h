// SPDX-License-Identifier: GPL-3.0-or-later
// The four register and block operations every part of the program uses,
// reporting their messages, each with its verdict, to one Reporter.
#pragma once

#include "frames.h"
#include "outcome.h"
#include "usb_link.h"

#include <functional>
#include <memory>
#include <string>

namespace vantrel {

// A failed register read's message: the window shows it, the tool names the
// failure in its own words instead.
constexpr const char *kRegisterReadFailed = "...";

class BoxRequests {
public:
    // Messages carry untranslated text (the window's own wording) and display time.
    BoxRequests(UsbLink &link, Reporter &reporter) : link_(link), reporter_(reporter) {}
    BoxRequests(UsbLink &link, std::function<void(const Outcome &)> to)
        : link_(link), owned_(std::make_unique<ReportTo>(std::move(to))), reporter_(*owned_)
    {}

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

private:
    void report(const std::string &text, int ms, Verdict verdict);

    Outcome outcome_;
    UsbLink &link_;
    std::unique_ptr<Reporter> owned_;
    Reporter &reporter_;
};

} // namespace vantrel
