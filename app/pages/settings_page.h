// SPDX-License-Identifier: GPL-3.0-or-later
// The settings page: the readback into the controls, each setting slot's
// register write, the block write and the factory reset. Owns the settings
// image, the box's block as last read and written.
#pragma once

#include "apply_setting.h"
#include "form_binding.h"
#include "page_context.h"

#include <QCoreApplication>

#include <cstdint>
#include <functional>
#include <vector>

class SettingsPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    // setupComplete: whether start-up has finished (the list boxes are quiet
    // until then). sends: the infoframe sends a setting's follow-up needs.
    SettingsPage(const PageContext &context, std::function<bool()> setupComplete, vantrel::config::FollowUpSends sends)
        : c_(context), setupComplete_(std::move(setupComplete)), sends_(std::move(sends))
    {}

    uint8_t SettingsImage[vantrel::config::kBlockSize] = {};
    // Told each time a readback is accepted: the controls now show the box.
    std::function<void()> filled;
    // Told after an EDID mode change: the box rebuilds its table.
    std::function<void()> rebuilding;

    void RefreshSettings();
    // Shows value in the setting's controls as the readback would, without
    // their change notifications: the caller runs the slot itself.
    void showValue(const vantrel::config::Setting &s, uint8_t value);
    // The setting slot's register write, worked out from the form binding,
    // with its follow-up send; an EDID mode change also says the box is busy.
    vantrel::Outcome runSetting(const char *slot);
    vantrel::Outcome run(const vantrel::config::FormBinding &b);
    void factoryReset();
    void SetEPState();

private:
    void show(const std::vector<vantrel::config::ControlUpdate> &updates, bool quiet);
    vantrel::Outcome write(const vantrel::config::FormBinding &b, const vantrel::config::Setting &s);

    PageContext c_;
    std::function<bool()> setupComplete_;
    vantrel::config::FollowUpSends sends_;
};
