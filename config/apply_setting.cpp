// SPDX-License-Identifier: GPL-3.0-or-later
#include "apply_setting.h"

namespace vantrel::config {

Outcome applySetting(Box &box, const Setting &s, const RegisterWrite &write, uint8_t image[kBlockSize],
                     const FollowUpSends &sends)
{
    Outcome o;
    // Only turning the option on sends its infoframe first.
    if (write.value == 1) {
        if (s.followUp == FollowUp::SendHdrInfoframe && sends.hdr)
            o = sends.hdr();
        if (s.followUp == FollowUp::SendAviInfoframe && sends.avi)
            o = sends.avi();
        if (o.verdict == Verdict::Refused && !sends.writeAfterRefusal)
            return o;
    }
    o.fold(box.writeRegister(write.reg, write.value));
    if (write.imagePosition != kNone)
        image[write.imagePosition] = write.value;
    return o;
}

} // namespace vantrel::config
