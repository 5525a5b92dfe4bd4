// SPDX-License-Identifier: GPL-3.0-or-later
// CEC and infoframe buttons: the typed text goes to the sends as it stands.
#include "mainwindow.h"

#include "frames.h"
#include "injection.h"
#include "session.h"

using namespace vantrel;

bool MainWindow::WriteCEC()
{
    Session s = session();
    return inject::sendCec(s, ui->CECtext->toPlainText().toStdString());
}

bool MainWindow::saveCecCommand(uint8_t code)
{
    Session s = session();
    return inject::saveCecCommand(s, code, ui->CECtext->toPlainText().toStdString());
}

bool MainWindow::SaveCEC_1() { return saveCecCommand(frame::kStoreCecSp); }
bool MainWindow::SaveCEC_2() { return saveCecCommand(frame::kStoreCecLp); }

bool MainWindow::WriteIF()
{
    Session s = session();
    return inject::writeHdrInfoframe(s, ui->IFtext->toPlainText().toStdString());
}

bool MainWindow::sendAVI()
{
    Session s = session();
    return inject::sendAvi(s, ui->AVItext->toPlainText().toStdString(), ui->cbAviPersistent->isChecked(),
                           SettingsImage[33]);
}
