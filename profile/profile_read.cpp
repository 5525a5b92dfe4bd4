// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_read.h"

#include "edid_transfer.h"
#include "injection.h"
#include "readback.h"

namespace vantrel::profile {

namespace {

FactsRead failed(const std::string &reason)
{
    return {{Verdict::Failed, reason, 0}, {}};
}

} // namespace

FactsRead readBoxFacts(Session &s)
{
    FactsRead read;
    BoxFacts &f = read.facts;
    f.serial = kBoxSerial;
    // After an EDID mode change or an upload the box refuses the readback while it is busy.
    const edid::EdidWait wait = edid::waitEdidReady(s);
    if (!wait.outcome.done())
        return failed(wait.outcome.reasonOr("reading the box's status failed"));
    if (const char *problem = config::readbackProblem(config::readSettingsBlock(s.box, f.block)))
        return failed(problem);
    f.firmware = s.box.firmwareText();
    if (!inject::readStoredInfoframe(s.box, inject::kStoredHdr, f.hdrInfoframe).done())
        return failed("reading the stored HDR infoframe failed");
    if (!inject::readStoredInfoframe(s.box, inject::kStoredAvi, f.aviInfoframe).done())
        return failed("reading the stored AVI infoframe failed");
    // The custom store is what the box presents only in custom mode with preset 1.
    if (holdsCustomTable(f.block)) {
        const edid::EdidReadout r = edid::readEdid(s, frame::kFetchBoxEdid);
        if (!r.outcome.done())
            return failed("reading the custom EDID failed: " + r.outcome.reasonOr("the box did not acknowledge it"));
        f.customEdid = std::vector<uint8_t>(r.image.begin(), r.image.end());
    }
    return read;
}

} // namespace vantrel::profile
