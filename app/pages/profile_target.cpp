// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_target.h"

#include "edid_page.h"
#include "edid_transfer.h"
#include "form_binding.h"
#include "inject_page.h"
#include "profile_read.h"
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
    Session session = c_.reporter.session(c_.box);
    return profile::readBoxFacts(session, error);
}
