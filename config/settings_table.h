// SPDX-License-Identifier: GPL-3.0-or-later
// The box's 40-byte settings block, described once: what each position holds,
// which register changes it, its values, what gates it, and the name
// vantrelctl knows it by. The readback, the setting commands, the window's
// form binding and the command-line tool all read this table. Plain C++, no Qt.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace vantrel::config {

constexpr int kNone = -1;
constexpr int kBlockSize = 40;

enum class Kind {
    Selector,    // one of a list; value = index + listBase
    CheckBox,    // a switch, on exactly when the value is 1
    BoolPair,    // two choices; the first is 1, the second every other value
    RadioValues, // a choice among options' values; other values name none
    EdidMode,    // automix / fixed / custom, values 1, 2, 3
    EnableFlag,  // the box's permission flag: 1 lets the settings it gates change; nothing writes it
    Unused,      // held and sent back unchanged
};

// What a setting does beyond its register write.
enum class FollowUp {
    None,
    SendHdrInfoframe, // turned on: send the HDR infoframe before the write
    SendAviInfoframe, // turned on: send the AVI infoframe before the write
    EdidRebuild,      // the box rebuilds its EDID: wait while busy, then re-read it
};

// One value of a choice, with the window's words for it (also the word
// vantrelctl takes): "JACK" = 3.
struct Option {
    const char *text;
    int value;
};

struct Setting {
    int position = kNone;
    Kind kind = Kind::Unused;
    const char *caption = "";      // the window's words for it
    const char *cliName = nullptr; // nullptr: not offered by vantrelctl
    int reg = kNone;               // register that changes it
    int imagePosition = kNone;     // image position a write records; selectors record none
    FollowUp followUp = FollowUp::None;

    // Selector: its texts and the value of index 0.
    const std::vector<const char *> *list = nullptr;
    int listBase = 0;
    // BoolPair, RadioValues, EdidMode: the values and their words; a BoolPair's
    // first option is 1.
    std::vector<Option> options;
    int neitherValue = kNone; // a value the box holds that names no option (audio 2, HDCP 1)

    // When it may be changed: the permission flag (an EnableFlag position)
    // that must be 1, and the setting that must hold a value for it to apply.
    int gate = kNone;
    int onlyWhile = kNone;
    int onlyWhileValue = kNone;

    bool writable() const { return reg != kNone; }
    bool lockable() const { return gate != kNone || onlyWhile != kNone; }
    const Option *optionFor(int value) const;
};

// Position p is row p.
const std::vector<Setting> &settingsTable();
const Setting &settingAt(int position);
const Setting *findSetting(std::string_view cliName); // exact CLI name
const Setting *settingForRegister(int reg);
// The four list vocabularies, in the order start-up fills the list boxes.
const std::vector<const char *> &inputList();      // active input, value = index + 1
const std::vector<const char *> &edidPresetList(); // EDID preset, value = index + 1
const std::vector<const char *> &cecTypeList();    // CEC device type, value = index
const std::vector<const char *> &automixList();    // automix algorithm, value = index

// Factory reset: register 25, not part of the block.
constexpr int kFactoryResetRegister = 25;
constexpr const char *kResetWord = "RESET";

} // namespace vantrel::config
