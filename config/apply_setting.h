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

// The infoframe sends a setting may need before its write. Each returns
// whether to go on with the write; a missing one counts as sent.
struct FollowUpSends {
    std::function<bool()> hdr;
    std::function<bool()> avi;
};

enum class ApplyResult {
    Written, // the write was acknowledged
    Failed,  // the write went out but was not acknowledged
    Stopped, // the follow-up send said not to go on; nothing was written
};

// image: the settings image; the written value is recorded whatever the
// outcome, since the next readback brings it back in line with the box.
ApplyResult applySetting(Box &box, const Setting &s, const RegisterWrite &write, uint8_t image[kBlockSize],
                         const FollowUpSends &sends = {});

} // namespace vantrel::config
