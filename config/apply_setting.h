// SPDX-License-Identifier: GPL-3.0-or-later
// Applying one setting to the box, the same way from the window's slots and
// from vantrelctl: the follow-up send first, then the register write, then
// the image update. Waiting for an EDID rebuild stays the caller's choice.
#pragma once

#include "setting_commands.h"

#include "box.h"

#include <cstdint>
#include <functional>

namespace vantrel::config {

// The infoframe sends a setting may need before its write; a missing one
// counts as sent.
struct FollowUpSends {
    std::function<Outcome()> hdr;
    std::function<Outcome()> avi;
    // A send that refused its text stops the write (no half-done change),
    // unless the write goes out anyway (the window's buttons always did).
    bool writeAfterRefusal = false;
};

// The send's and the write's outcomes folded: the first refusal or failure
// stands. image: the settings image; the written value is recorded whatever
// the write's outcome, since the next readback brings it back in line with
// the box. A stopped write records nothing.
Outcome applySetting(Box &box, const Setting &s, const RegisterWrite &write, uint8_t image[kBlockSize],
                     const FollowUpSends &sends = {});

} // namespace vantrel::config
