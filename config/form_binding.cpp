// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_binding.h"

#include <cstring>

namespace vantrel::config {

const Button *FormBinding::buttonFor(int value) const
{
    for (const Button &b : buttons)
        if (b.value == value)
            return &b;
    return nullptr;
}

namespace {

FormBinding control(const char *slot, const char *widget, Trigger trigger)
{
    FormBinding b;
    b.slot = slot;
    b.trigger = trigger;
    b.widgets = {widget};
    return b;
}

// Buttons in the slot's test order; the readback sets them in the given order.
FormBinding buttons(const char *slot, std::vector<Button> list, std::vector<const char *> readback,
                    int unchecked = kNone)
{
    FormBinding b;
    b.slot = slot;
    b.trigger = Trigger::Clicked;
    b.buttons = std::move(list);
    b.readbackOrder = std::move(readback);
    b.uncheckedValue = unchecked;
    return b;
}

// A pair whose first button shows 1; no button checked writes 0.
FormBinding pair(const char *slot, const char *first, const char *second)
{
    return buttons(slot, {{first, 1}, {second, 0}}, {first, second}, 0);
}

FormBinding enables(std::vector<const char *> widgets)
{
    FormBinding b;
    b.widgets = std::move(widgets);
    return b;
}

std::vector<FormBinding> buildBindings()
{
    std::vector<FormBinding> t(kBlockSize);
    const Trigger index = Trigger::IndexChanged, state = Trigger::StateChanged;

    t[0] = control("SetActivePort", "cmbInputSel", index);
    t[1] = buttons("SetAudioSource", {{"audioHdmi", 1}, {"audioJack", 3}}, {"audioHdmi", "audioJack"});
    t[2] = buttons("SetEDID_Mode", {{"automixEDID", 1}, {"fixedEDID", 2}, {"customEDID", 3}},
                   {"automixEDID", "customEDID", "fixedEDID"});
    t[2].dependents = {"EDIDtext"}; // the custom table is edited only in custom mode
    t[2].enabledAt = 3;
    t[3] = buttons("SetHDCP_Version", {{"hdcp14", 2}, {"hdcp22", 3}}, {"hdcp14", "hdcp22"});
    t[4] = buttons("SetOut_420", {{"enable420", 1}, {"disable420", 0}}, {"disable420", "enable420"}, 0);
    t[5] = control("setCEC", "cbCec", state);
    t[6] = buttons("SetAutoSwitch", {{"autoSwEn", 1}, {"autoSwDis", 0}}, {"autoSwDis", "autoSwEn"}, 0);
    t[6].dependents = {"pPrioForce", "bPrioNorm"}; // priority matters only when switching
    t[6].enabledAt = 1;

    t[9] = enables({"automixEDID", "customEDID", "fixedEDID", "EDIDtext"});
    t[10] = enables({"hdcp22", "hdcp14"});
    t[11] = enables({"audioHdmi", "audioJack"});

    t[13] = control("force2c", "cb2cForce", state);
    t[14] = control("force51", "cb51", state);
    t[15] = control("set3D", "cb3D", state);
    t[16] = control("forceHdr", "cbHdr", state);
    t[17] = control("forceFullAudio", "cbFull", state);
    t[18] = pair("setSwPriority", "pPrioForce", "bPrioNorm");
    t[19] = control("changeCustomEdid", "cmBEdid", index);
    t[21] = pair("CecLpRepurp", "bHdrRepurpEn", "bHdrRepurpDis");
    t[22] = control("hdrForceActivate", "cbHdrForceMode", state);
    t[24] = pair("hdrSamsung", "bSamHdr", "bFullHdr");
    t[26] = pair("setLogoLed", "enableLed", "disableLed");
    t[27] = pair("setBlueLed", "enableBLed", "disableBLed");
    t[28] = control("setBt2020", "cbBt2020", state);
    t[29] = control("setYUV", "cbYUV", state);
    t[30] = control("setCecLa", "cmbLa", index);
    t[31] = pair("setAVR", "enableAVR", "disableAVR");
    t[32] = control("setEdidAlgo", "cmbEdidAlgo", index);
    // Clicks only: the readback may tick it without re-sending the AVI infoframe.
    t[33] = control("setAviPers", "cbAviPersistent", Trigger::Clicked);

    for (int p = 0; p < kBlockSize; ++p)
        t[p].position = p;
    return t;
}

void push(std::vector<ControlUpdate> &out, ControlUpdate::Kind kind, const char *object, int value)
{
    out.push_back({kind, object, value});
}

void appendChoice(const Setting &s, const FormBinding &b, int value, std::vector<ControlUpdate> &out)
{
    const Button *chosen = b.buttonFor(value);
    if (!chosen && value != s.neitherValue)
        return; // a value the group does not know leaves it as it is
    for (const char *button : b.readbackOrder) {
        const bool checked = chosen && std::strcmp(chosen->object, button) == 0;
        push(out, ControlUpdate::Checked, button, checked ? 1 : 0);
    }
    for (const char *widget : b.dependents)
        push(out, ControlUpdate::Enabled, widget, value == b.enabledAt ? 1 : 0);
}

} // namespace

const std::vector<FormBinding> &formBindings()
{
    static const std::vector<FormBinding> table = buildBindings();
    return table;
}

const FormBinding &bindingAt(int position)
{
    return formBindings().at(position);
}

const FormBinding *bindingForSlot(std::string_view slot)
{
    for (const FormBinding &b : formBindings())
        if (b.slot && slot == b.slot)
            return &b;
    return nullptr;
}

std::vector<const char *> settingControls()
{
    std::vector<const char *> out;
    for (const FormBinding &b : formBindings()) {
        if (!b.slot)
            continue;
        if (b.buttons.empty())
            out.insert(out.end(), b.widgets.begin(), b.widgets.end());
        for (const Button &button : b.buttons)
            out.push_back(button.object);
    }
    return out;
}

const std::vector<const char *> &actionControls()
{
    static const std::vector<const char *> list = {
        "ButReadEDID",  "ButWriteEDID", "pbReadTvEdidA", "pbReadTvEdidB", "ButWriteCEC",
        "ButSaveCEC_1", "ButSaveCEC_2", "ButWriteIF",    "ButWriteAVI",   "pbReset",
    };
    return list;
}

const std::vector<int> &readbackOrder()
{
    // Selectors first, then the radio groups, the enable flags (after the EDID
    // mode, so the EDID text box ends up as the flag says), then the options.
    static const std::vector<int> order = {0,  19, 30, 32, 1,  2,  3,  4,  6,  11, 10, 9,  13, 14,
                                           17, 15, 16, 18, 21, 24, 22, 26, 27, 5,  29, 28, 31, 33};
    return order;
}

void appendUpdates(const Setting &s, uint8_t value, std::vector<ControlUpdate> &out)
{
    const FormBinding &b = bindingAt(s.position);
    switch (s.kind) {
    case Kind::Selector: {
        const int index = value - s.listBase;
        const int size = static_cast<int>(s.list->size());
        push(out, ControlUpdate::Index, b.widgets[0], index >= 0 && index < size ? index : -1);
        break;
    }
    case Kind::CheckBox:
        push(out, ControlUpdate::Checked, b.widgets[0], value == 1 ? 1 : 0);
        break;
    case Kind::BoolPair:
        push(out, ControlUpdate::Checked, b.readbackOrder[0], value == 1 ? 1 : 0);
        push(out, ControlUpdate::Checked, b.readbackOrder[1], value == 1 ? 0 : 1);
        break;
    case Kind::RadioValues:
    case Kind::EdidMode:
        appendChoice(s, b, value, out);
        break;
    case Kind::EnableFlag:
        for (const char *widget : b.widgets)
            push(out, ControlUpdate::Enabled, widget, value == 1 ? 1 : 0);
        break;
    case Kind::Unused:
        break;
    }
}

std::vector<ControlUpdate> readbackUpdates(const uint8_t settings[kBlockSize])
{
    std::vector<ControlUpdate> out;
    for (int position : readbackOrder())
        appendUpdates(settingAt(position), settings[position], out);
    return out;
}

std::optional<RegisterWrite> commandWrite(const Setting &s, const IsChecked &isChecked)
{
    const FormBinding &b = bindingAt(s.position);
    switch (s.kind) {
    case Kind::CheckBox:
        return writeFor(s, isChecked(b.widgets[0]) ? 1 : 0);
    case Kind::BoolPair:
    case Kind::RadioValues:
    case Kind::EdidMode:
        for (const Button &button : b.buttons)
            if (isChecked(button.object))
                return writeFor(s, button.value);
        if (b.uncheckedValue == kNone)
            return std::nullopt;
        return writeFor(s, b.uncheckedValue);
    case Kind::Selector:
    case Kind::EnableFlag:
    case Kind::Unused:
        break;
    }
    return std::nullopt;
}

} // namespace vantrel::config
