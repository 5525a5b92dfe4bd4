// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_read.h"

#include "edid_transfer.h"
#include "injection.h"
#include "profile_apply.h"
#include "readback.h"

namespace vantrel::profile {

namespace {

const char *readbackProblem(config::ReadbackVerdict v)
{
    switch (v) {
    case config::ReadbackVerdict::Accept:
        return nullptr;
    case config::ReadbackVerdict::Busy:
        return "the box is busy; try again in a moment";
    case config::ReadbackVerdict::StatusReadFailed:
        return "reading the box's status failed";
    case config::ReadbackVerdict::NoEcho:
        return "reading the settings block failed";
    }
    return "reading the settings block failed";
}

} // namespace

std::optional<BoxFacts> readBoxFacts(Session &s, std::string &error)
{
    BoxFacts f;
    f.serial = kBoxSerial;
    // After an EDID mode change or an upload the box refuses the readback while it is busy.
    if (edid::waitEdidReady(s).reads >= edid::kMaxBusyReads) {
        error = "the box stays busy";
        return std::nullopt;
    }
    if (const char *problem = readbackProblem(config::readSettingsBlock(s.box, f.block))) {
        error = problem;
        return std::nullopt;
    }
    f.firmware = s.box.firmwareText();
    if (!inject::readStoredInfoframe(s.box, inject::kStoredHdr, f.hdrInfoframe).done()) {
        error = "reading the stored HDR infoframe failed";
        return std::nullopt;
    }
    if (!inject::readStoredInfoframe(s.box, inject::kStoredAvi, f.aviInfoframe).done()) {
        error = "reading the stored AVI infoframe failed";
        return std::nullopt;
    }
    // The custom store is what the box presents only in custom mode with preset 1.
    if (holdsCustomTable(f.block)) {
        const edid::EdidReadout r = edid::readEdid(s, frame::kFetchBoxEdid);
        if (!r.ok) {
            error = "reading the custom EDID failed: the box did not send the whole table";
            return std::nullopt;
        }
        if (!r.outcome.done()) {
            error = "fetching the custom EDID failed: the box did not acknowledge it";
            return std::nullopt;
        }
        f.customEdid = std::vector<uint8_t>(r.image.begin(), r.image.end());
    }
    return f;
}

} // namespace vantrel::profile
