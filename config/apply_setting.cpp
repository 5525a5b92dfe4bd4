// SPDX-License-Identifier: GPL-3.0-or-later
#include "apply_setting.h"

namespace vantrel::config {

ApplyResult applySetting(Box &box, const Setting &s, const RegisterWrite &write, uint8_t image[kBlockSize],
                         const FollowUpSends &sends)
{
    // Only turning the option on sends its infoframe first.
    if (write.value == 1) {
        if (s.followUp == FollowUp::SendHdrInfoframe && sends.hdr && !sends.hdr())
            return ApplyResult::Stopped;
        if (s.followUp == FollowUp::SendAviInfoframe && sends.avi && !sends.avi())
            return ApplyResult::Stopped;
    }
    const bool ok = box.writeRegister(write.reg, write.value).done();
    if (write.imagePosition != kNone)
        image[write.imagePosition] = write.value;
    return ok ? ApplyResult::Written : ApplyResult::Failed;
}

} // namespace vantrel::config
