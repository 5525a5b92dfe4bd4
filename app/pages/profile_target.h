// SPDX-License-Identifier: GPL-3.0-or-later
// The box operations of a profile apply, done as the window's own controls do
// them: a setting's controls are set to the value and its page writes it, the
// infoframe, CEC and EDID texts go into their boxes and their buttons' code
// sends them. Follow-up sends, locks and status-bar messages are the window's;
// each operation's outcome is the page's.
#pragma once

#include "page_context.h"
#include "profile_apply.h"

class EdidPage;
class InjectPage;
class SettingsPage;

class WindowProfileTarget : public vantrel::profile::Target {
public:
    WindowProfileTarget(const PageContext &context, SettingsPage &settings, EdidPage &edid, InjectPage &inject)
        : c_(context), settings_(settings), edid_(edid), inject_(inject)
    {}

    vantrel::Outcome setSetting(const vantrel::config::Setting &s, uint8_t value,
                                const vantrel::profile::Profile &wanted) override;
    vantrel::Outcome sendHdrInfoframe(const std::string &text) override;
    vantrel::Outcome sendAviInfoframe(const std::string &text) override;
    vantrel::Outcome writeCustomEdid(const std::vector<uint8_t> &table) override;
    vantrel::Outcome storeCec(bool longPress, const std::string &text) override;
    vantrel::profile::FactsRead read() override;

private:
    PageContext c_;
    SettingsPage &settings_;
    EdidPage &edid_;
    InjectPage &inject_;
};
