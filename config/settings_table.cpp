// SPDX-License-Identifier: GPL-3.0-or-later
#include "settings_table.h"

namespace vantrel::config {

const std::vector<const char *> &inputList()
{
    static const std::vector<const char *> list = {
        "PORT A [TOP]", "PORT B [BOT]", "MATRIX THRU", "MATRIX SWAP"};
    return list;
}

const std::vector<const char *> &edidPresetList()
{
    static const std::vector<const char *> list = {
        "1 - Custom Uploaded/Default EDID",
        "2 - 4k60-444 600MHz HDR BT.2020 All Sound",
        "3 - 4k60-444 600MHz HDR BT.2020 Stereo",
        "4 - 4k60-444 600MHz All Sound",
        "5 - 4k60-444 600MHz Stereo",
        "6 - 4k50-444 600MHz HDR BT.2020 All Sound",
        "7 - 4k50-444 600MHz HDR BT.2020 Stereo",
        "8 - 4k60-420 12-bit HDR BT.2020 All Sound",
        "9 - 4k60-420 12-bit HDR BT.2020 Stereo",
        "10 - 4k60-420 12-bit BT.2020 All Sound",
        "11 - 4k60-420 12-bit BT.2020 Stereo",
        "12 - 4k60-420 8-bit 300MHz All Sound",
        "13 - 4k60-420 8-bit 300MHz Stereo",
        "14 - 4k30-444 300MHz All Sound",
        "15 - 4k30-444 300MHz Stereo",
        "16 - 4k30-RGB 300MHz All Sound",
        "17 - 4k30-RGB 300MHz Stereo",
        "18 - 4k24-422 12-bit BT.2020 All Sound",
        "19 - 4k24-422 12-bit BT.2020 Stereo",
        "20 - 1080p-444 148MHz All Sound",
        "21 - 1080p-444 148MHz HDR Stereo",
        "22 - 1080p24-444 All Sound",
        "23 - 1080p24-444 Stereo",
        "24 - 1080I-444 All Sound",
        "25 - 1080I-444 Stereo",
    };
    return list;
}

const std::vector<const char *> &cecTypeList()
{
    static const std::vector<const char *> list = {
        "Video Processor [Default]", "Audio System w/ARC"};
    return list;
}

const std::vector<const char *> &automixList()
{
    static const std::vector<const char *> list = {
        "Min Mixed Capabilities", "Max Audio, Min Video [Default]", "TOP Output Priority",
        "Max Audio, Max Video"};
    return list;
}

const Option *Setting::optionFor(int value) const
{
    for (const Option &o : options)
        if (o.value == value)
            return &o;
    return nullptr;
}

namespace {

Setting command(Setting s, const char *caption, const char *cli, int reg, const char *slot,
                Trigger trigger)
{
    s.caption = caption;
    s.cliName = cli;
    s.reg = reg;
    s.slot = slot;
    s.trigger = trigger;
    return s;
}

Setting selector(const char *caption, const char *cli, int reg, const char *slot,
                 const char *box, const std::vector<const char *> &list, int base)
{
    Setting s;
    s.kind = Kind::Selector;
    s.objects = {box};
    s.list = &list;
    s.listBase = base;
    return command(s, caption, cli, reg, slot, Trigger::IndexChanged);
}

Setting checkBox(const char *caption, const char *cli, int reg, const char *slot,
                 const char *box, int position, Trigger trigger = Trigger::StateChanged)
{
    Setting s;
    s.kind = Kind::CheckBox;
    s.objects = {box};
    s.imagePosition = position;
    return command(s, caption, cli, reg, slot, trigger);
}

Setting boolPair(const char *caption, const char *cli, int reg, const char *slot, Option first,
                 Option second, int position)
{
    Setting s;
    s.kind = Kind::BoolPair;
    s.options = {first, second};
    s.readbackOrder = {first.object, second.object};
    s.fallbackValue = 0;
    s.imagePosition = position;
    return command(s, caption, cli, reg, slot, Trigger::Clicked);
}

Setting enableFlag(const char *caption, std::vector<const char *> widgets)
{
    Setting s;
    s.kind = Kind::EnableFlag;
    s.caption = caption;
    s.objects = std::move(widgets);
    return s;
}

Setting unused()
{
    Setting s;
    s.caption = "not used";
    return s;
}

Option on(const char *object) { return {object, "ENABLE", 1}; }
Option off(const char *object) { return {object, "DISABLE", 0}; }

std::vector<Setting> buildTable()
{
    std::vector<Setting> t(kBlockSize, unused());

    t[0] = selector("ACTIVE INPUT", "input", 0, "SetActivePort", "cmbInputSel", inputList(), 1);

    Setting audio;
    audio.kind = Kind::RadioValues;
    audio.options = {{"audioHdmi", "HDMI", 1}, {"audioJack", "JACK", 3}};
    audio.readbackOrder = {"audioHdmi", "audioJack"};
    audio.neitherValue = 2;
    audio.imagePosition = 1;
    t[1] = command(audio, "AUDIO SOURCE", "audio", 2, "SetAudioSource", Trigger::Clicked);

    Setting mode;
    mode.kind = Kind::EdidMode;
    mode.options = {{"automixEDID", "AUTOMIX", 1}, {"fixedEDID", "FIXED", 2},
                    {"customEDID", "CUSTOM", 3}};
    mode.readbackOrder = {"automixEDID", "customEDID", "fixedEDID"};
    mode.dependents = {"EDIDtext"}; // the custom table is edited only in custom mode
    mode.enabledAt = 3;
    mode.imagePosition = 2;
    mode.followUp = FollowUp::EdidRebuild;
    t[2] = command(mode, "EDID MODE", "edid-mode", 5, "SetEDID_Mode", Trigger::Clicked);

    Setting hdcp;
    hdcp.kind = Kind::RadioValues;
    hdcp.options = {{"hdcp14", "1.4", 2}, {"hdcp22", "2.2", 3}};
    hdcp.readbackOrder = {"hdcp14", "hdcp22"};
    hdcp.neitherValue = 1;
    hdcp.imagePosition = 3;
    t[3] = command(hdcp, "HDCP VERSION", "hdcp", 3, "SetHDCP_Version", Trigger::Clicked);

    Setting out420;
    out420.kind = Kind::RadioValues;
    out420.options = {on("enable420"), off("disable420")};
    out420.readbackOrder = {"disable420", "enable420"};
    out420.fallbackValue = 0;
    out420.imagePosition = 4;
    t[4] = command(out420, "4:2:0 OUTPUT", "out-420", 4, "SetOut_420", Trigger::Clicked);

    t[5] = checkBox("CEC ENABLE", "cec", 27, "setCEC", "cbCec", 5);

    Setting autoSw;
    autoSw.kind = Kind::RadioValues;
    autoSw.options = {on("autoSwEn"), off("autoSwDis")};
    autoSw.readbackOrder = {"autoSwDis", "autoSwEn"};
    autoSw.fallbackValue = 0;
    autoSw.dependents = {"pPrioForce", "bPrioNorm"}; // priority matters only when switching
    autoSw.enabledAt = 1;
    autoSw.imagePosition = 6;
    t[6] = command(autoSw, "AUTO SWITCH", "auto-switch", 1, "SetAutoSwitch", Trigger::Clicked);

    t[9] = enableFlag("EDID mode may be changed",
                      {"automixEDID", "customEDID", "fixedEDID", "EDIDtext"});
    t[10] = enableFlag("HDCP version may be changed", {"hdcp22", "hdcp14"});
    t[11] = enableFlag("audio source may be changed", {"audioHdmi", "audioJack"});

    t[13] = checkBox("EDID option 2.0", "edid-2ch", 8, "force2c", "cb2cForce", 13);
    t[14] = checkBox("EDID option 5.1", "edid-51", 9, "force51", "cb51", 14);
    t[15] = checkBox("EDID option No 3D", "edid-no3d", 10, "set3D", "cb3D", 15);
    t[16] = checkBox("EDID option HDR", "edid-hdr", 11, "forceHdr", "cbHdr", 16);
    t[17] = checkBox("EDID option FULL Audio", "edid-full-audio", 12, "forceFullAudio", "cbFull",
                     17);
    t[18] = boolPair("PRIORITY", "priority", 13, "setSwPriority", {"pPrioForce", "FORCED", 1},
                     {"bPrioNorm", "NORMAL", 0}, 18);
    t[19] = selector("EDID PRESET", "edid-preset", 14, "changeCustomEdid", "cmBEdid",
                     edidPresetList(), 1);
    t[21] = boolPair("HDR HOTKEY", "hdr-hotkey", 16, "CecLpRepurp", on("bHdrRepurpEn"),
                     off("bHdrRepurpDis"), 21);
    t[22] = checkBox("FORCE HDR ACTIVE", "force-hdr", 17, "hdrForceActivate", "cbHdrForceMode",
                     22);
    t[22].followUp = FollowUp::SendHdrInfoframe;
    t[24] = boolPair("HDR STYLE", "hdr-style", 19, "hdrSamsung", {"bSamHdr", "Samsung mode", 1},
                     {"bFullHdr", "Full HDR mode", 0}, 24);
    t[26] = boolPair("GREEN LED", "green-led", 22, "setLogoLed", on("enableLed"),
                     off("disableLed"), 26);
    t[27] = boolPair("BLUE LEDS", "blue-leds", 23, "setBlueLed", on("enableBLed"),
                     off("disableBLed"), 27);
    t[28] = checkBox("EDID option BT.2020", "edid-bt2020", 24, "setBt2020", "cbBt2020", 28);
    t[29] = checkBox("EDID option YCbCr", "edid-ycbcr", 26, "setYUV", "cbYUV", 29);
    t[30] = selector("CEC DEVICE TYPE", "cec-type", 28, "setCecLa", "cmbLa", cecTypeList(), 0);
    t[31] = boolPair("AVR AUDIO", "avr-audio", 29, "setAVR", on("enableAVR"), off("disableAVR"),
                     31);
    t[32] = selector("AUTOMIX ALGO", "edid-algo", 32, "setEdidAlgo", "cmbEdidAlgo",
                     automixList(), 0);
    // Clicks only: the readback may tick it without re-sending the AVI infoframe.
    t[33] = checkBox("REPLACE AVI", "avi-replace", 33, "setAviPers", "cbAviPersistent", 33,
                     Trigger::Clicked);
    t[33].followUp = FollowUp::SendAviInfoframe;

    for (int p = 0; p < kBlockSize; ++p)
        t[p].position = p;
    return t;
}

} // namespace

const std::vector<Setting> &settingsTable()
{
    static const std::vector<Setting> table = buildTable();
    return table;
}

const Setting &settingAt(int position) { return settingsTable().at(position); }

const Setting *findSetting(std::string_view cliName)
{
    for (const Setting &s : settingsTable())
        if (s.cliName && cliName == s.cliName)
            return &s;
    return nullptr;
}

const Setting *settingForRegister(int reg)
{
    if (reg == kNone)
        return nullptr;
    for (const Setting &s : settingsTable())
        if (s.reg == reg)
            return &s;
    return nullptr;
}

const Setting *settingForSlot(std::string_view slot)
{
    for (const Setting &s : settingsTable())
        if (s.slot && slot == s.slot)
            return &s;
    return nullptr;
}

const std::vector<int> &readbackOrder()
{
    // Selectors first, then the radio groups, the enable flags (after the EDID
    // mode, so the EDID text box ends up as the flag says), then the options.
    static const std::vector<int> order = {0,  19, 30, 32, 1,  2,  3,  4,  6,  11,
                                           10, 9,  13, 14, 17, 15, 16, 18, 21, 24,
                                           22, 26, 27, 5,  29, 28, 31, 33};
    return order;
}

} // namespace vantrel::config
