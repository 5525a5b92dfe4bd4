// SPDX-License-Identifier: GPL-3.0-or-later
// CEC and infoframe buttons: the typed text goes to the sends as it stands.
#pragma once

#include "page_context.h"

#include <cstdint>
#include <string>

class InjectPage {
public:
    explicit InjectPage(const PageContext &context) : c_(context) {}

    // Each send returns what it came to (its messages are on the status bar).
    vantrel::Outcome WriteCEC();
    vantrel::Outcome saveCecCommand(uint8_t code);
    // The text last stored for the SP or LP button from this window; empty
    // when none was (the box cannot report it).
    const std::string &storedCec(bool longPress) const { return storedCec_[longPress]; }
    vantrel::Outcome WriteIF();
    // imagePos33: the settings image's AVI replace position, set as the box's register is.
    vantrel::Outcome sendAVI(uint8_t &imagePos33);

private:
    PageContext c_;
    std::string storedCec_[2];
};
