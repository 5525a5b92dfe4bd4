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

Setting command(Setting s, const char *caption, const char *cli, int reg)
{
    s.caption = caption;
    s.cliName = cli;
    s.reg = reg;
    return s;
}

Setting selector(const char *caption, const char *cli, int reg, const std::vector<const char *> &list, int base)
{
    Setting s;
    s.kind = Kind::Selector;
    s.list = &list;
    s.listBase = base;
    return command(s, caption, cli, reg);
}

Setting checkBox(const char *caption, const char *cli, int reg, int position)
{
    Setting s;
    s.kind = Kind::CheckBox;
    s.imagePosition = position;
    return command(s, caption, cli, reg);
}

Setting choice(Kind kind, const char *caption, const char *cli, int reg, std::vector<Option> options, int position)
{
    Setting s;
    s.kind = kind;
    s.options = std::move(options);
    s.imagePosition = position;
    return command(s, caption, cli, reg);
}

Setting boolPair(const char *caption, const char *cli, int reg, Option first, Option second, int position)
{
    return choice(Kind::BoolPair, caption, cli, reg, {first, second}, position);
}

Setting enableFlag(const char *caption)
{
    Setting s;
    s.kind = Kind::EnableFlag;
    s.caption = caption;
    return s;
}

Setting unused()
{
    Setting s;
    s.caption = "not used";
    return s;
}

const Option kOn{"ENABLE", 1};
const Option kOff{"DISABLE", 0};

std::vector<Setting> buildTable()
{
    std::vector<Setting> t(kBlockSize, unused());

    t[0] = selector("ACTIVE INPUT", "input", 0, inputList(), 1);
    t[1] = choice(Kind::RadioValues, "AUDIO SOURCE", "audio", 2, {{"HDMI", 1}, {"JACK", 3}}, 1);
    t[1].neitherValue = 2;
    t[1].gate = 11;
    t[2] = choice(Kind::EdidMode, "EDID MODE", "edid-mode", 5, {{"AUTOMIX", 1}, {"FIXED", 2}, {"CUSTOM", 3}}, 2);
    t[2].followUp = FollowUp::EdidRebuild;
    t[2].gate = 9;
    t[3] = choice(Kind::RadioValues, "HDCP VERSION", "hdcp", 3, {{"1.4", 2}, {"2.2", 3}}, 3);
    t[3].neitherValue = 1;
    t[3].gate = 10;
    t[4] = choice(Kind::RadioValues, "4:2:0 OUTPUT", "out-420", 4, {kOn, kOff}, 4);
    t[5] = checkBox("CEC ENABLE", "cec", 27, 5);
    t[6] = choice(Kind::RadioValues, "AUTO SWITCH", "auto-switch", 1, {kOn, kOff}, 6);

    t[9] = enableFlag("EDID mode may be changed");
    t[10] = enableFlag("HDCP version may be changed");
    t[11] = enableFlag("audio source may be changed");

    t[13] = checkBox("EDID option 2.0", "edid-2ch", 8, 13);
    t[14] = checkBox("EDID option 5.1", "edid-51", 9, 14);
    t[15] = checkBox("EDID option No 3D", "edid-no3d", 10, 15);
    t[16] = checkBox("EDID option HDR", "edid-hdr", 11, 16);
    t[17] = checkBox("EDID option FULL Audio", "edid-full-audio", 12, 17);
    t[18] = boolPair("PRIORITY", "priority", 13, {"FORCED", 1}, {"NORMAL", 0}, 18);
    // Priority matters only while the box switches inputs itself.
    t[18].onlyWhile = 6;
    t[18].onlyWhileValue = 1;
    t[19] = selector("EDID PRESET", "edid-preset", 14, edidPresetList(), 1);
    t[21] = boolPair("HDR HOTKEY", "hdr-hotkey", 16, kOn, kOff, 21);
    t[22] = checkBox("FORCE HDR ACTIVE", "force-hdr", 17, 22);
    t[22].followUp = FollowUp::SendHdrInfoframe;
    t[24] = boolPair("HDR STYLE", "hdr-style", 19, {"Samsung mode", 1}, {"Full HDR mode", 0}, 24);
    t[26] = boolPair("GREEN LED", "green-led", 22, kOn, kOff, 26);
    t[27] = boolPair("BLUE LEDS", "blue-leds", 23, kOn, kOff, 27);
    t[28] = checkBox("EDID option BT.2020", "edid-bt2020", 24, 28);
    t[29] = checkBox("EDID option YCbCr", "edid-ycbcr", 26, 29);
    t[30] = selector("CEC DEVICE TYPE", "cec-type", 28, cecTypeList(), 0);
    t[31] = boolPair("AVR AUDIO", "avr-audio", 29, kOn, kOff, 31);
    t[32] = selector("AUTOMIX ALGO", "edid-algo", 32, automixList(), 0);
    t[33] = checkBox("REPLACE AVI", "avi-replace", 33, 33);
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

} // namespace vantrel::config
