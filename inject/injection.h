// SPDX-License-Identifier: GPL-3.0-or-later
// CEC messages and stored commands, HDR and AVI infoframes. Each takes the
// text as typed in its box (UTF-8), reports on the status bar and the
// diagnostic lines of the session, pauses on the session's clock, and returns
// what it came to: the first refusal or failure it told, else done.
#pragma once

#include "session.h"

#include <cstdint>
#include <string>

namespace vantrel::inject {

// Load the message (B2), 100 ms, activate it (B3 10). A failed activation
// after an acknowledged load replaces "CEC values written..." with its own
// error; so do the infoframe sends below.
Outcome sendCec(Session &s, const std::string &typed);

// Store "CEC " and the text for the SP (frame::kStoreCecSp) or LP
// (kStoreCecLp) button.
Outcome saveCecCommand(Session &s, uint8_t code, const std::string &typed);

// Load the HDR infoframe (E5), 100 ms, activate it (B3 20) even after a
// failed load.
Outcome writeHdrInfoframe(Session &s, const std::string &typed);

// Load the AVI infoframe (E6); only when that is acknowledged, 100 ms and the
// activation (B3 80); when that is acknowledged too, register 33 gets
// replaceChecked, which is also recorded in imagePos33 (settings image
// position 33).
Outcome sendAvi(Session &s, const std::string &typed, bool replaceChecked, uint8_t &imagePos33);

// The infoframes the box holds, read as start-up reads them: the register
// item, the reply length, and how many payload bytes follow its two header bytes.
struct StoredInfoframe {
    uint8_t item;
    uint8_t replyLength;
    int count;
};
constexpr StoredInfoframe kStoredHdr{0x23, 33, 31};
constexpr StoredInfoframe kStoredAvi{0x24, 15, 13};
// One read; text: the payload as lower-case colon hex, zeros where the
// (cleared) reply area got nothing.
Outcome readStoredInfoframe(Box &box, const StoredInfoframe &which, std::string &text);

} // namespace vantrel::inject
