// SPDX-License-Identifier: GPL-3.0-or-later
// The box's 40-byte settings block, described once: what each position holds,
// which controls show it, which register and slot change it, and the name
// vantrelctl knows it by. The readback, the setting commands and the
// command-line tool all read this table. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel::config {

constexpr int kNone = -1;
constexpr int kBlockSize = 40;

enum class Kind {
    Selector,    // list box; value = index + listBase
    CheckBox,    // one check box, checked exactly when the value is 1
    BoolPair,    // two radio buttons; the first shows 1, the second every other value
    RadioValues, // radio buttons with a value each; other values leave them alone
    EdidMode,    // the automix / fixed / custom trio, values 1, 2, 3
    EnableFlag,  // enables widgets exactly when the value is 1; nothing writes it
    Unused,      // held and sent back unchanged
};

// What runs the setting's slot.
enum class Trigger { None, IndexChanged, StateChanged, Clicked };

// What a slot does beyond its register write.
enum class FollowUp {
    None,
    SendHdrInfoframe, // checked: send the HDR infoframe before the write
    SendAviInfoframe, // checked: send the AVI infoframe before the write
    EdidRebuild,      // the box rebuilds its EDID: wait while busy, then re-read it
};

// One button of a radio pair or trio.
struct Option {
    const char *object; // "audioHdmi"
    const char *text;   // its label, also the word vantrelctl takes: "HDMI"
    int value;
};

struct Setting {
    int position = kNone;
    Kind kind = Kind::Unused;
    const char *caption = "";      // the window's words for it
    const char *cliName = nullptr; // nullptr: not offered by vantrelctl
    int reg = kNone;               // register the slot writes
    const char *slot = nullptr;    // MainWindow slot
    Trigger trigger = Trigger::None;
    int imagePosition = kNone;     // image position the slot sets; selectors set none
    FollowUp followUp = FollowUp::None;

    // Selector: the list box, its texts and the value of index 0.
    // CheckBox: the box. EnableFlag: the widgets it enables, in readback order.
    std::vector<const char *> objects;
    const std::vector<const char *> *list = nullptr;
    int listBase = 0;

    // BoolPair, RadioValues, EdidMode: the buttons in the order the slot tests
    // them, and the order the readback sets them in.
    std::vector<Option> options;
    std::vector<const char *> readbackOrder;
    int neitherValue = kNone;  // value that shows no button (audio 2, HDCP 1)
    int fallbackValue = kNone; // written when no button is checked; kNone: write nothing
    // Widgets enabled exactly when the value is enabledAt (after a known value).
    std::vector<const char *> dependents;
    int enabledAt = kNone;

    bool writable() const { return reg != kNone; }
    const Option *optionFor(int value) const;
};

// Position p is row p.
const std::vector<Setting> &settingsTable();
const Setting &settingAt(int position);
const Setting *findSetting(std::string_view cliName); // exact CLI name
const Setting *settingForRegister(int reg);
const Setting *settingForSlot(std::string_view slot);

// Block positions in the order the readback sets their controls.
const std::vector<int> &readbackOrder();

// The four list vocabularies, in the order start-up fills the list boxes.
const std::vector<const char *> &inputList();     // cmbInputSel, value = index + 1
const std::vector<const char *> &edidPresetList(); // cmBEdid, value = index + 1
const std::vector<const char *> &cecTypeList();   // cmbLa, value = index
const std::vector<const char *> &automixList();   // cmbEdidAlgo, value = index

// Factory reset: register 25, not part of the block.
constexpr int kFactoryResetRegister = 25;
constexpr const char *kResetWord = "RESET";

} // namespace vantrel::config
