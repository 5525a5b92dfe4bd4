// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_target.h"

#include "edid_page.h"
#include "edid_transfer.h"
#include "form_binding.h"
#include "inject_page.h"
#include "profile_read.h"
#include "settings_page.h"

#include "ui_VantrelForm.h"

using namespace vantrel;

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
    Outcome o = settings_.run(b);
    // What comes next (the custom table, the check) needs the rebuilt EDID.
    if (o.done() && s.followUp == config::FollowUp::EdidRebuild) {
        Session session = c_.reporter.session(c_.box);
        o.fold(edid::waitEdidReady(session).outcome);
    }
    return o;
}

Outcome WindowProfileTarget::sendHdrInfoframe(const std::string &text)
{
    c_.ui->IFtext->setPlainText(QString::fromStdString(text));
    return inject_.WriteIF();
}

Outcome WindowProfileTarget::sendAviInfoframe(const std::string &text)
{
    c_.ui->AVItext->setPlainText(QString::fromStdString(text));
    return inject_.sendAVI(settings_.SettingsImage[config::findSetting("avi-replace")->position]);
}

Outcome WindowProfileTarget::writeCustomEdid(const std::vector<uint8_t> &table)
{
    const std::string problem = profile::customTableProblem(table);
    if (!problem.empty())
        return {Verdict::Refused, problem, 0};
    edid::EdidImage image{};
    std::copy(table.begin(), table.end(), image.begin());
    edid_.showEdidHex(image);
    return edid_.WriteEDID();
}

Outcome WindowProfileTarget::storeCec(bool longPress, const std::string &text)
{
    // The CEC box holds what the user typed: it gets it back afterwards.
    const QString typed = c_.ui->CECtext->toPlainText();
    c_.ui->CECtext->setPlainText(QString::fromStdString(text));
    const Outcome o = inject_.saveCecCommand(longPress ? frame::kStoreCecLp : frame::kStoreCecSp);
    c_.ui->CECtext->setPlainText(typed);
    return o;
}

profile::FactsRead WindowProfileTarget::read()
{
    Session session = c_.reporter.session(c_.box);
    return profile::readBoxFacts(session);
}
