// SPDX-License-Identifier: GPL-3.0-or-later
// The settings readback and the setting slots of the window: the table in
// settings_table.h says what each control means; this file only moves values
// between the widgets and the box.
#include "mainwindow.h"

#include "apply_setting.h"
#include "form_binding.h"
#include "readback.h"
#include "setting_commands.h"
#include "settings_table.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>


using namespace vantrel;

void MainWindow::RefreshSettings()
{
    if (config::readSettingsBlock(*box_, SettingsImage) != config::ReadbackVerdict::Accept)
        return;
    settingsFilled();
    // Set the controls with their own setters, so their change notifications
    // (and the writes those drive) follow as with a user's change.
    for (const config::ControlUpdate &u : config::readbackUpdates(SettingsImage)) {
        const QString name = QString::fromStdString(u.object);
        switch (u.kind) {
        case config::ControlUpdate::Index:
            if (auto *combo = findChild<QComboBox *>(name))
                combo->setCurrentIndex(u.value);
            break;
        case config::ControlUpdate::Checked:
            if (auto *button = findChild<QAbstractButton *>(name))
                button->setChecked(u.value != 0);
            break;
        case config::ControlUpdate::Enabled:
            if (auto *widget = findChild<QWidget *>(name))
                widget->setEnabled(u.value != 0);
            break;
        }
    }
}

void MainWindow::runSetting(const char *slot)
{
    const config::FormBinding *b = config::bindingForSlot(slot);
    if (!b)
        return;
    const config::Setting *s = &config::settingAt(b->position);
    std::optional<config::RegisterWrite> write;
    if (s->kind == config::Kind::Selector) {
        if (!SetupComplete)
            return;
        auto *combo = findChild<QComboBox *>(QString::fromLatin1(b->widgets.front()));
        write = config::selectorWrite(*s, combo ? combo->currentIndex() : -1);
    } else {
        write = config::commandWrite(*s, [this](const char *object) {
            auto *button = findChild<QAbstractButton *>(QString::fromLatin1(object));
            return button && button->isChecked();
        });
    }
    if (!write)
        return;
    // The sends' own failures are on the status bar; the write goes out anyway.
    config::FollowUpSends sends;
    sends.hdr = [this] { WriteIF(); return true; };
    sends.avi = [this] { sendAVI(); return true; };
    config::applySetting(*box_, *s, *write, SettingsImage, sends);
    if (s->followUp == config::FollowUp::EdidRebuild)
        ui->EDIDtext->setEnabled(config::dependentsEnabled(*b, write->value));
}

void MainWindow::SetActivePort() { runSetting("SetActivePort"); }
void MainWindow::SetAutoSwitch() { runSetting("SetAutoSwitch"); }
void MainWindow::SetAudioSource() { runSetting("SetAudioSource"); }
void MainWindow::SetHDCP_Version() { runSetting("SetHDCP_Version"); }
void MainWindow::SetOut_420() { runSetting("SetOut_420"); }
void MainWindow::force2c() { runSetting("force2c"); }
void MainWindow::force51() { runSetting("force51"); }
void MainWindow::forceHdr() { runSetting("forceHdr"); }
void MainWindow::forceFullAudio() { runSetting("forceFullAudio"); }
void MainWindow::setSwPriority() { runSetting("setSwPriority"); }
void MainWindow::changeCustomEdid() { runSetting("changeCustomEdid"); }
void MainWindow::CecLpRepurp() { runSetting("CecLpRepurp"); }
void MainWindow::hdrSamsung() { runSetting("hdrSamsung"); }
void MainWindow::setLogoLed() { runSetting("setLogoLed"); }
void MainWindow::setBt2020() { runSetting("setBt2020"); }
void MainWindow::setBlueLed() { runSetting("setBlueLed"); }
void MainWindow::setYUV() { runSetting("setYUV"); }
void MainWindow::setCEC() { runSetting("setCEC"); }
void MainWindow::setCecLa() { runSetting("setCecLa"); }
void MainWindow::setAVR() { runSetting("setAVR"); }
void MainWindow::set3D() { runSetting("set3D"); }
void MainWindow::setEdidAlgo() { runSetting("setEdidAlgo"); }

void MainWindow::SetEDID_Mode()
{
    runSetting("SetEDID_Mode");
    status(tr("EDID Writing Busy"), 2000);
    PendingEdidRead = true;
    edidRereadTries_ = 0;
}

void MainWindow::hdrForceActivate() { runSetting("hdrForceActivate"); }
void MainWindow::setAviPers() { runSetting("setAviPers"); }

void MainWindow::factoryReset()
{
    if (!config::resetConfirmed(ui->leReset->text().toStdString())) {
        status(tr("Type RESET into the text box and click OK"), 2000);
        return;
    }
    auto value = config::factoryResetValue(ui->cbClearSettings->isChecked(), ui->cbClearEdid->isChecked());
    if (value) {
        box_->takeOutcome();
        // A reset changes much at once: say that it went through.
        if (WriteRegister(config::kFactoryResetRegister, *value) && box_->outcome().done())
            status(tr("Factory reset done"), 2000);
    } else
        status(tr("Choose the reset from the checkboxes"), 2000);
    ui->leReset->clear();
    ui->cbClearSettings->setChecked(false);
    ui->cbClearEdid->setChecked(false);
}

void MainWindow::SetEPState()
{
    WriteBlock(SettingsImage);
}
