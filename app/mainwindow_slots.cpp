// SPDX-License-Identifier: GPL-3.0-or-later
// The slots the form connects, each forwarding to the page that owns it.
#include "mainwindow.h"

#include "edid_decode_page.h"
#include "edid_page.h"
#include "inject_page.h"
#include "packet_decode_page.h"
#include "settings_page.h"
#include "status_area.h"
#include "window_reporter.h"

// One line a slot, as the form lists them.
// clang-format off
void MainWindow::RefreshSettings() { settings_->RefreshSettings(); }
void MainWindow::RefreshStatus() { statusArea_->RefreshStatus(); }

void MainWindow::on_ProgressChange(int a, int b) { reporter_->progress(a, b); }
QProgressBar *MainWindow::progressBar() const
{
    return reporter_->progressBar();
}
QAction *MainWindow::decodeEdidAction() const
{
    return edidDecode_->action();
}
QAction *MainWindow::decodePacketsAction() const
{
    return packetDecode_->action();
}

// Settings page.
void MainWindow::SetActivePort() { settings_->runSetting("SetActivePort"); }
void MainWindow::SetAutoSwitch() { settings_->runSetting("SetAutoSwitch"); }
void MainWindow::SetAudioSource() { settings_->runSetting("SetAudioSource"); }
void MainWindow::SetHDCP_Version() { settings_->runSetting("SetHDCP_Version"); }
void MainWindow::SetOut_420() { settings_->runSetting("SetOut_420"); }
void MainWindow::force2c() { settings_->runSetting("force2c"); }
void MainWindow::force51() { settings_->runSetting("force51"); }
void MainWindow::forceHdr() { settings_->runSetting("forceHdr"); }
void MainWindow::forceFullAudio() { settings_->runSetting("forceFullAudio"); }
void MainWindow::setSwPriority() { settings_->runSetting("setSwPriority"); }
void MainWindow::changeCustomEdid() { settings_->runSetting("changeCustomEdid"); }
void MainWindow::CecLpRepurp() { settings_->runSetting("CecLpRepurp"); }
void MainWindow::hdrSamsung() { settings_->runSetting("hdrSamsung"); }
void MainWindow::setLogoLed() { settings_->runSetting("setLogoLed"); }
void MainWindow::setBt2020() { settings_->runSetting("setBt2020"); }
void MainWindow::setBlueLed() { settings_->runSetting("setBlueLed"); }
void MainWindow::setYUV() { settings_->runSetting("setYUV"); }
void MainWindow::setCEC() { settings_->runSetting("setCEC"); }
void MainWindow::setCecLa() { settings_->runSetting("setCecLa"); }
void MainWindow::setAVR() { settings_->runSetting("setAVR"); }
void MainWindow::set3D() { settings_->runSetting("set3D"); }
void MainWindow::setEdidAlgo() { settings_->runSetting("setEdidAlgo"); }
void MainWindow::hdrForceActivate() { settings_->runSetting("hdrForceActivate"); }
void MainWindow::setAviPers() { settings_->runSetting("setAviPers"); }
void MainWindow::factoryReset() { settings_->factoryReset(); }
void MainWindow::SetEPState() { settings_->SetEPState(); }

void MainWindow::SetEDID_Mode() { settings_->runSetting("SetEDID_Mode"); }

// EDID page.
void MainWindow::ReadEDID() { edid_->ReadEDID(); }
void MainWindow::readTvEdidA() { edid_->readTvEdidA(); }
void MainWindow::readTvEdidB() { edid_->readTvEdidB(); }
void MainWindow::WriteEDID() { edid_->WriteEDID(); }
bool MainWindow::CalculateChkSum() { return edid_->checkTvTable(); }
bool MainWindow::LoadEDIDfromFile() { return edid_->LoadEDIDfromFile().done(); }
bool MainWindow::SaveEDIDtoFile() { return edid_->SaveEDIDtoFile().done(); }

// Injection page.
bool MainWindow::WriteCEC() { return inject_->WriteCEC().done(); }
bool MainWindow::SaveCEC_1() { return inject_->saveCecCommand(vantrel::frame::kStoreCecSp).done(); }
bool MainWindow::SaveCEC_2() { return inject_->saveCecCommand(vantrel::frame::kStoreCecLp).done(); }
bool MainWindow::WriteIF() { return inject_->WriteIF().done(); }
bool MainWindow::sendAVI() { return inject_->sendAVI(settings_->SettingsImage[33]).done(); }
// clang-format on
