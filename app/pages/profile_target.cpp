// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_target.h"

#include "edid_page.h"
#include "edid_transfer.h"
#include "form_binding.h"
#include "injection.h"
#include "inject_page.h"
#include "readback.h"
#include "settings_page.h"

#include <QMainWindow>
#include <QMetaObject>

#include "ui_VantrelForm.h"

using namespace vantrel;

void WindowProfileTarget::begin()
{
    seen_ = {};
    c_.reporter.watch(&seen_);
}

Outcome WindowProfileTarget::verdict(bool wrote, const char *what)
{
    c_.reporter.watch(nullptr);
    Outcome o = seen_;
    if (o.done() && !wrote)
        o = {Verdict::Refused, std::string(what) + " was not written", 0};
    return o;
}

Outcome WindowProfileTarget::setSetting(const config::Setting &s, uint8_t value, const profile::Profile &wanted)
{
    const config::FormBinding &b = config::bindingAt(s.position);
    if (!b.slot)
        return {Verdict::Refused, std::string("no control of the window writes ") + s.cliName, 0};
    // Turning FORCE HDR or REPLACE AVI on sends the text box's infoframe first: the profile's.
    if (s.followUp == config::FollowUp::SendHdrInfoframe && wanted.hdrInfoframe)
        c_.ui->IFtext->setPlainText(QString::fromStdString(*wanted.hdrInfoframe));
    if (s.followUp == config::FollowUp::SendAviInfoframe && wanted.aviInfoframe)
        c_.ui->AVItext->setPlainText(QString::fromStdString(*wanted.aviInfoframe));
    settings_.showValue(s, value);
    begin();
    const bool ran = QMetaObject::invokeMethod(c_.window, b.slot, Qt::DirectConnection);
    Outcome o = verdict(ran, s.cliName);
    // What comes next (the custom table, the check) needs the rebuilt EDID.
    if (o.done() && s.followUp == config::FollowUp::EdidRebuild) {
        Session session = c_.reporter.session(c_.box);
        if (edid::waitEdidReady(session).reads >= edid::kMaxBusyReads)
            o = {Verdict::Failed, "the box is still busy building its EDID", 0};
    }
    return o;
}

Outcome WindowProfileTarget::sendHdrInfoframe(const std::string &text)
{
    c_.ui->IFtext->setPlainText(QString::fromStdString(text));
    begin();
    return verdict(inject_.WriteIF(), "the HDR infoframe");
}

Outcome WindowProfileTarget::sendAviInfoframe(const std::string &text)
{
    c_.ui->AVItext->setPlainText(QString::fromStdString(text));
    begin();
    return verdict(inject_.sendAVI(settings_.SettingsImage[config::findSetting("avi-replace")->position]),
                   "the AVI infoframe");
}

Outcome WindowProfileTarget::writeCustomEdid(const std::vector<uint8_t> &table)
{
    const std::string problem = profile::customTableProblem(table);
    if (!problem.empty())
        return {Verdict::Refused, problem, 0};
    edid::EdidImage image{};
    std::copy(table.begin(), table.end(), image.begin());
    edid_.showEdidHex(image);
    begin();
    return verdict(edid_.WriteEDID(), "the custom table");
}

Outcome WindowProfileTarget::storeCec(bool longPress, const std::string &text)
{
    // The CEC box holds what the user typed: it gets it back afterwards.
    const QString typed = c_.ui->CECtext->toPlainText();
    c_.ui->CECtext->setPlainText(QString::fromStdString(text));
    begin();
    const bool stored = inject_.saveCecCommand(longPress ? frame::kStoreCecLp : frame::kStoreCecSp);
    c_.ui->CECtext->setPlainText(typed);
    return verdict(stored, longPress ? "the LP text" : "the SP text");
}

std::optional<profile::BoxFacts> WindowProfileTarget::read(std::string &error)
{
    profile::BoxFacts f;
    f.serial = kBoxSerial;
    Session session = c_.reporter.session(c_.box);
    // After an EDID mode change or an upload the box refuses the readback while it is busy.
    if (edid::waitEdidReady(session).reads >= edid::kMaxBusyReads) {
        error = "the box stays busy";
        return std::nullopt;
    }
    if (config::readSettingsBlock(c_.box, f.block) != config::ReadbackVerdict::Accept) {
        error = "the box did not send its settings";
        return std::nullopt;
    }
    uint8_t version[UsbLink::kMaxReply] = {};
    if (c_.box.readRegister(7, version, 8).done())
        f.firmware = std::to_string(version[2]) + "." + std::to_string(version[3]) + "." + std::to_string(version[4]) +
                     "." + std::to_string(version[5]);
    if (!inject::readStoredInfoframe(c_.box, inject::kStoredHdr, f.hdrInfoframe).done() ||
        !inject::readStoredInfoframe(c_.box, inject::kStoredAvi, f.aviInfoframe).done()) {
        error = "the box did not send its stored infoframes";
        return std::nullopt;
    }
    if (profile::holdsCustomTable(f.block)) {
        const edid::EdidReadout r = edid::readEdid(session, frame::kFetchBoxEdid);
        if (!r.ok) {
            error = "the box did not send its whole custom table";
            return std::nullopt;
        }
        f.customEdid = std::vector<uint8_t>(r.image.begin(), r.image.end());
    }
    return f;
}
