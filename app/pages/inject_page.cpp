// SPDX-License-Identifier: GPL-3.0-or-later
#include "inject_page.h"

#include "injection.h"
#include "session.h"

#include "ui_VantrelForm.h"

using namespace vantrel;

Outcome InjectPage::WriteCEC()
{
    Session s = c_.reporter.session(c_.box);
    return inject::sendCec(s, c_.ui->CECtext->toPlainText().toStdString());
}

Outcome InjectPage::saveCecCommand(uint8_t code)
{
    Session s = c_.reporter.session(c_.box);
    const std::string text = c_.ui->CECtext->toPlainText().toStdString();
    const Outcome o = inject::saveCecCommand(s, code, text);
    if (o.done())
        storedCec_[code == frame::kStoreCecLp] = text;
    return o;
}

Outcome InjectPage::WriteIF()
{
    Session s = c_.reporter.session(c_.box);
    return inject::writeHdrInfoframe(s, c_.ui->IFtext->toPlainText().toStdString());
}

Outcome InjectPage::sendAVI(uint8_t &imagePos33)
{
    Session s = c_.reporter.session(c_.box);
    return inject::sendAvi(s, c_.ui->AVItext->toPlainText().toStdString(), c_.ui->cbAviPersistent->isChecked(),
                           imagePos33);
}
