// SPDX-License-Identifier: GPL-3.0-or-later
// Which of the window's controls show each setting of the block, which slot
// writes it, and the order the readback sets them in. The settings table
// says what the box holds; this says where the form shows it. Plain C++, no
// Qt, so the readback's updates can be checked without a window.
#pragma once

#include "setting_commands.h"
#include "settings_table.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel::config {

// What runs the setting's slot.
enum class Trigger { None, IndexChanged, StateChanged, Clicked };

// One radio button and the value it stands for.
struct Button {
    const char *object; // the radio button's object name
    int value;
};

struct FormBinding {
    int position = kNone;
    const char *slot = nullptr; // MainWindow slot
    Trigger trigger = Trigger::None;
    // Selector: the list box. CheckBox: the box. EnableFlag: the widgets it
    // enables, in readback order.
    std::vector<const char *> widgets;
    // Choices: the buttons in the order the slot tests them, and the order
    // the readback sets them in.
    std::vector<Button> buttons;
    std::vector<const char *> readbackOrder;
    int uncheckedValue = kNone; // written when no button is checked; kNone: write nothing
    // Widgets enabled exactly when the value is enabledAt (after a known value).
    std::vector<const char *> dependents;
    int enabledAt = kNone;

    const Button *buttonFor(int value) const;
};

// Position p is row p.
const std::vector<FormBinding> &formBindings();
const FormBinding &bindingAt(int position);
const FormBinding *bindingForSlot(std::string_view slot);

// Every control a setting's slot reads (list boxes, check boxes, radio
// buttons): what shows the box's settings, so it stays disabled until a
// readback filled it.
std::vector<const char *> settingControls();
// The form's buttons that send something to the box besides the settings
// (EDID transfers, CEC, infoframes, reset): enabled while the box answers.
const std::vector<const char *> &actionControls();

// Block positions in the order the readback sets their controls.
const std::vector<int> &readbackOrder();

struct ControlUpdate {
    enum Kind { Index, Checked, Enabled };
    Kind kind;
    std::string object; // the widget's object name
    int value;          // Index: the list index, -1 for no entry; Checked/Enabled: 0 or 1

    bool operator==(const ControlUpdate &o) const { return kind == o.kind && object == o.object && value == o.value; }
};

// Every update an accepted block asks for, in order. Values a radio group
// does not know leave it out (no update); "neither" values uncheck both
// buttons, which an exclusive group showing a selection will not do. The
// caller applies them with the toolkit's own setters, so its change
// notifications (and the writes they drive) follow.
std::vector<ControlUpdate> readbackUpdates(const uint8_t settings[kBlockSize]);

// The updates for one position alone, appended to out.
void appendUpdates(const Setting &s, uint8_t value, std::vector<ControlUpdate> &out);

using IsChecked = std::function<bool(const char *object)>;

// What the slot of a check box or radio buttons writes: 1 if the box is
// checked, else 0; the value of the first button checked in the slot's test
// order, else the unchecked value (or nothing, for audio, HDCP and EDID mode).
std::optional<RegisterWrite> commandWrite(const Setting &s, const IsChecked &isChecked);

// Whether the dependents are enabled once the setting holds value (EDIDtext
// after an EDID mode change).
inline bool dependentsEnabled(const FormBinding &b, int value)
{
    return value == b.enabledAt;
}

} // namespace vantrel::config
