// SPDX-License-Identifier: GPL-3.0-or-later
// The settings readback and the setting slots of the window: the form binding
// says which control shows each setting; this file only moves values between
// the widgets and the box.
#include "settings_page.h"

#include "form_binding.h"
#include "readback.h"
#include "setting_commands.h"
#include "settings_table.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QMainWindow>
#include <QSignalBlocker>

#include "ui_VantrelForm.h"

using namespace vantrel;

void SettingsPage::RefreshSettings()
{
    if (config::readSettingsBlock(c_.box, SettingsImage) != config::ReadbackVerdict::Accept)
        return;
    if (filled)
        filled();
    // Set the controls with their own setters, so their change notifications
    // (and the writes those drive) follow as with a user's change.
    show(config::readbackUpdates(SettingsImage), false);
}

void SettingsPage::showValue(const config::Setting &s, uint8_t value)
{
    std::vector<config::ControlUpdate> updates;
    config::appendUpdates(s, value, updates);
    show(updates, true);
}

void SettingsPage::show(const std::vector<config::ControlUpdate> &updates, bool quiet)
{
    for (const config::ControlUpdate &u : updates) {
        auto *widget = c_.window->findChild<QWidget *>(QString::fromStdString(u.object));
        if (!widget)
            continue;
        const QSignalBlocker block(quiet ? widget : nullptr);
        switch (u.kind) {
        case config::ControlUpdate::Index:
            if (auto *combo = qobject_cast<QComboBox *>(widget))
                combo->setCurrentIndex(u.value);
            break;
        case config::ControlUpdate::Checked:
            if (auto *button = qobject_cast<QAbstractButton *>(widget))
                button->setChecked(u.value != 0);
            break;
        case config::ControlUpdate::Enabled:
            widget->setEnabled(u.value != 0);
            break;
        }
    }
}

Outcome SettingsPage::runSetting(const char *slot)
{
    const config::FormBinding *b = config::bindingForSlot(slot);
    return b ? run(*b) : Outcome{Verdict::Refused, std::string("no setting is written by ") + slot, 0};
}

Outcome SettingsPage::run(const config::FormBinding &b)
{
    const config::Setting &s = config::settingAt(b.position);
    const Outcome o = write(b, s);
    if (s.followUp == config::FollowUp::EdidRebuild) {
        c_.reporter.status(tr("EDID Writing Busy"), 2000);
        if (rebuilding)
            rebuilding();
    }
    return o;
}

Outcome SettingsPage::write(const config::FormBinding &b, const config::Setting &s)
{
    std::optional<config::RegisterWrite> write;
    if (s.kind == config::Kind::Selector) {
        if (!setupComplete_())
            return {Verdict::Refused, "the window is still starting", 0};
        auto *combo = c_.window->findChild<QComboBox *>(QString::fromLatin1(b.widgets.front()));
        write = config::selectorWrite(s, combo ? combo->currentIndex() : -1);
    } else {
        write = config::commandWrite(s, [this](const char *object) {
            auto *button = c_.window->findChild<QAbstractButton *>(QString::fromLatin1(object));
            return button && button->isChecked();
        });
    }
    if (!write)
        return {Verdict::Refused, std::string("the controls of ") + s.cliName + " give no value to write", 0};
    const Outcome o = config::applySetting(c_.box, s, *write, SettingsImage, sends_);
    if (s.followUp == config::FollowUp::EdidRebuild)
        c_.ui->EDIDtext->setEnabled(config::dependentsEnabled(b, write->value));
    return o;
}

void SettingsPage::factoryReset()
{
    if (!config::resetConfirmed(c_.ui->leReset->text().toStdString())) {
        c_.reporter.status(tr("Type RESET into the text box and click OK"), 2000);
        return;
    }
    auto value = config::factoryResetValue(c_.ui->cbClearSettings->isChecked(), c_.ui->cbClearEdid->isChecked());
    if (value) {
        // A reset changes much at once: say that it went through.
        if (c_.box.writeRegister(config::kFactoryResetRegister, *value).done())
            c_.reporter.status(tr("Factory reset done"), 2000);
    } else
        c_.reporter.status(tr("Choose the reset from the checkboxes"), 2000);
    c_.ui->leReset->clear();
    c_.ui->cbClearSettings->setChecked(false);
    c_.ui->cbClearEdid->setChecked(false);
}

void SettingsPage::SetEPState()
{
    c_.box.writeBlock(SettingsImage);
}
