// SPDX-License-Identifier: GPL-3.0-or-later
// The form on its own: object names, texts, fonts, rectangles, wiring, focus
// chain and button groups, checked against a host with the window's slots.
// Built once per form variant; VANTREL_FORM_STANDARD selects the standard one.
#include "form_font.h"
#include "form_host.h"
#include "ui_VantrelForm.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QImage>
#include <QImageReader>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMenuBar>
#include <QRadioButton>
#include <QResource>
#include <QSet>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>

#ifdef VANTREL_FORM_STANDARD
static constexpr bool kStandard = true;
#else
static constexpr bool kStandard = false;
#endif

namespace {

struct ObjectRow {
    const char *name;
    const char *cls;
    const char *parent;
    const char *text;         // null: no text
    const char *standardText; // null: same as text
};

// Every named widget below the central widget, in creation order, with its
// high-DPI parent (the standard form moves three of them, see parentOf()).
const ObjectRow kObjects[] = {
    {"layoutWidget2", "QWidget", "centralwidget", nullptr, nullptr},
    {"labelTitle_2", "QLabel", "layoutWidget2", "<html><head/><body><p><img src=\":/Vantrel_32.png\"/></p></body></html>", nullptr},
    {"labelTitle", "QLabel", "layoutWidget2", "VANTREL GUI", nullptr},
    {"labelFw1", "QLabel", "centralwidget", "ver: ", nullptr},
    {"frame_2", "QFrame", "centralwidget", nullptr, nullptr},
    {"lblCsc", "QLabel", "frame_2", "Color Space", nullptr},
    {"lblHdrInput", "QLabel", "frame_2", "HDR Input:", nullptr},
    {"lblVideoSource", "QLabel", "centralwidget", "Video Source:", nullptr},
    {"label_video_format", "QLabel", "centralwidget", "Video Format", nullptr},
    {"lblOutput", "QLabel", "centralwidget", "Output:", nullptr},
    {"label_3", "QLabel", "centralwidget", "ACTIVE INPUT:", nullptr},
    {"cmbInputSel", "QComboBox", "centralwidget", nullptr, nullptr},
    {"label_10", "QLabel", "centralwidget", "AUTO SWITCH:", nullptr},
    {"label_12", "QLabel", "centralwidget", " PRIORITY:", nullptr},
    {"label_5", "QLabel", "centralwidget", "AUDIO SOURCE:", nullptr},
    {"label_6", "QLabel", "centralwidget", "HDCP VERSION:", nullptr},
    {"audioHdmi", "QRadioButton", "centralwidget", "HDMI", nullptr},
    {"audioJack", "QRadioButton", "centralwidget", "JACK", nullptr},
    {"hdcp22", "QRadioButton", "centralwidget", "2.2", nullptr},
    {"hdcp14", "QRadioButton", "centralwidget", "1.4", nullptr},
    {"autoSwEn", "QRadioButton", "centralwidget", "ENABLE", nullptr},
    {"autoSwDis", "QRadioButton", "centralwidget", "DISABLE", nullptr},
    {"bPrioNorm", "QRadioButton", "centralwidget", "NORMAL", nullptr},
    {"pPrioForce", "QRadioButton", "centralwidget", "FORCED", nullptr},
    {"tabWidget", "QTabWidget", "centralwidget", nullptr, nullptr},
    {"tab", "QWidget", "qt_tabwidget_stackedwidget", "EDID", "EDID MANAGER"},
    {"automixEDID", "QRadioButton", "tab", "AUTOMIX: Auto create the EDID table", "AUTOMIX: Allow VANTRELto create the EDID table"},
    {"cb2cForce", "QCheckBox", "tab", "2.0", "2.0 Stereo"},
    {"cb51", "QCheckBox", "tab", "5.1", "5.1 Multi"},
    {"cbFull", "QCheckBox", "tab", "FULL Audio", nullptr},
    {"cbYUV", "QCheckBox", "tab", "YCbCr", "Allow YCbCr"},
    {"cbBt2020", "QCheckBox", "tab", "BT.2020", nullptr},
    {"cbHdr", "QCheckBox", "tab", "HDR", "HDR packet"},
    {"cb3D", "QCheckBox", "tab", "No 3D", "3D Remove"},
    {"fixedEDID", "QRadioButton", "tab", "FIXED EDID: Use the fixed default EDID table", nullptr},
    {"customEDID", "QRadioButton", "tab", "CUSTOM:", "CUSTOM Select:"},
    {"cmBEdid", "QComboBox", "tab", nullptr, nullptr},
    {"EDIDtext", "QTextEdit", "tab", nullptr, nullptr},
    {"layoutWidget", "QWidget", "tab", nullptr, nullptr},
    {"ButReadEDID", "QPushButton", "layoutWidget", "Read EDID", "Read Vantrel EDID"},
    {"pbReadTvEdidA", "QPushButton", "layoutWidget", "Read TOP", "Read TV [TOP] EDID"},
    {"pbReadTvEdidB", "QPushButton", "layoutWidget", "Read BOT", "Read TV [BOT] EDID"},
    {"ButLoadEDID", "QPushButton", "layoutWidget", "Load", "Load from File"},
    {"ButSaveEDID", "QPushButton", "layoutWidget", "Save", "Save to File"},
    {"ButWriteEDID", "QPushButton", "layoutWidget", "Write EDID", "Write EDID to Vantrel"},
    {"tab_3", "QWidget", "qt_tabwidget_stackedwidget", "CEC", "CEC COMMANDER"},
    {"cbCec", "QCheckBox", "tab_3", "CEC ENABLE", nullptr},
    {"label_26", "QLabel", "tab_3", "Activate Vantrel CEC processing", nullptr},
    {"label_28", "QLabel", "tab_3", "VANTREL CEC DEVICE TYPE:", nullptr},
    {"cmbLa", "QComboBox", "tab_3", nullptr, nullptr},
    {"label_4", "QLabel", "tab_3", "CEC COMMAND:", nullptr},
    {"CECtext", "QTextEdit", "tab_3", nullptr, nullptr},
    {"ButWriteCEC", "QPushButton", "tab_3", "Send CEC", nullptr},
    {"label_2", "QLabel", "tab_3", "<html><head/><body><p>Examples:</p><p>0f:36 - turn off [broadcast]</p><p>50:04 - turn on [TV]</p><p>54:44:01 - menu up [playback device 1]</p><p>58:44:02 - menu down [playback device 2]</p><p>5b:44:40 - toggle power [playback device 3]</p><p><br/></p></body></html>", nullptr},
    {"ButSaveCEC_1", "QPushButton", "tab_3", "Save CEC SP", nullptr},
    {"ButSaveCEC_2", "QPushButton", "tab_3", "Save CEC LP", nullptr},
    {"lblCecDecoded", "QLabel", "tab_3", "", nullptr},
    {"lblCecRecipe", "QLabel", "tab_3", "RECIPES:", nullptr},
    {"cmbCecRecipe", "QComboBox", "tab_3", nullptr, nullptr},
    {"tab_2", "QWidget", "qt_tabwidget_stackedwidget", "HDR / IF", nullptr},
    {"cbHdrForceMode", "QCheckBox", "tab_2", "FORCE HDR ACTIVE", "FORCE HDR ALWAYS ACTIVE"},
    {"bFullHdr", "QRadioButton", "tab_2", "Full HDR mode", nullptr},
    {"bSamHdr", "QRadioButton", "tab_2", "Samsung mode", "Samsung HDR mode"},
    {"label_36", "QLabel", "tab_2", "Send the HDR IF below", "Activate HDR - send the HDR IF below"},
    {"cbAviPersistent", "QCheckBox", "tab_2", "REPLACE AVI", nullptr},
    {"label_40", "QLabel", "tab_2", "Replace AVI - send the AVI IF below [for advanced users]", nullptr},
    {"label_8", "QLabel", "tab_2", "CUSTOM HDR IF:", nullptr},
    {"IFtext", "QTextEdit", "tab_2", nullptr, nullptr},
    {"label_39", "QLabel", "tab_2", "The above infoframe is injected", "This infoframe is injected when HDR is active"},
    {"ButWriteIF", "QPushButton", "tab_2", "Send IF", nullptr},
    {"label_20", "QLabel", "tab_2", "<html><head/><body><p>Example:87:01:17:5c:02:00:d0:84:..</p></body></html>", "<html><head/><body><p>Example:87:01:17:5c:02:00:d0:84:80:3e:c2:33:..</p></body></html>"},
    {"label_16", "QLabel", "tab_2", "Header and CRC, length 2-31 bytes", "include header and CRC, length 2-31 bytes"},
    {"label_32", "QLabel", "tab_2", "HDR IF is persistent", nullptr},
    {"label_9", "QLabel", "tab_2", "CUSTOM AVI IF:", nullptr},
    {"AVItext", "QTextEdit", "tab_2", nullptr, nullptr},
    {"label", "QLabel", "tab_2", "Example to inject BT2020 Color Space:", nullptr},
    {"ButWriteAVI", "QPushButton", "tab_2", "Send AVI", nullptr},
    {"label_13", "QLabel", "tab_2", "60:c8:60:61:00", nullptr},
    {"label_14", "QLabel", "tab_2", "no header, no CRC, start with data byte 1", nullptr},
    {"label_19", "QLabel", "tab_2", "length 2-13", nullptr},
    {"line_5", "QFrame", "tab_2", nullptr, nullptr},
    {"label_41", "QLabel", "tab_2", "HDR INFOFRAME CAPTURE:", nullptr},
    {"txtHdrIf", "QTextEdit", "tab_2", nullptr, nullptr},
    {"label_22", "QLabel", "tab_2", "If the source is sending HDR Infoframe, it appears here", nullptr},
    {"lblIfDecoded", "QLabel", "tab_2", "", nullptr},
    {"ButComposeIF", "QPushButton", "tab_2", "Compose...", nullptr},
    {"lblAviDecoded", "QLabel", "tab_2", "", nullptr},
    {"ButComposeAVI", "QPushButton", "tab_2", "Compose...", nullptr},
    {"tab_4", "QWidget", "qt_tabwidget_stackedwidget", "CONFIG", nullptr},
    {"label_27", "QLabel", "tab_4", "LED CONTROL:", nullptr},
    {"label_23", "QLabel", "tab_4", "GREEN LED:", nullptr},
    {"enableLed", "QRadioButton", "tab_4", "ENABLE", nullptr},
    {"disableLed", "QRadioButton", "tab_4", "DISABLE", nullptr},
    {"label_25", "QLabel", "tab_4", "BLUE LEDS:", nullptr},
    {"enableBLed", "QRadioButton", "tab_4", "ENABLE", nullptr},
    {"disableBLed", "QRadioButton", "tab_4", "DISABLE", nullptr},
    {"label_21", "QLabel", "tab_4", "HDR HOTKEY:", nullptr},
    {"label_15", "QLabel", "tab_4", "Repurpose CEC SP/LP buttons as HDR enable/disable", nullptr},
    {"label_7", "QLabel", "tab_4", "4:2:0 OUTPUT:", nullptr},
    {"enable420", "QRadioButton", "tab_4", "ENABLE", nullptr},
    {"disable420", "QRadioButton", "tab_4", "DISABLE", nullptr},
    {"label_29", "QLabel", "tab_4", "600MHz automatic 4:4:4/RGB to 4:2:0 conversion", "Enable 600MHz automatic 4:4:4/RGB to 4:2:0 conversion"},
    {"label_31", "QLabel", "tab_4", "TOP output 4:2:0, BOT output bypass", nullptr},
    {"label_37", "QLabel", "tab_4", "AUTOMIX ALGO:", nullptr},
    {"cmbEdidAlgo", "QComboBox", "tab_4", nullptr, nullptr},
    {"label_38", "QLabel", "tab_4", "Selects the EDID automix algorithm based on priorities", nullptr},
    {"line_2", "QFrame", "tab_4", nullptr, nullptr},
    {"label_33", "QLabel", "tab_4", "BETA test mode:", nullptr},
    {"label_11", "QLabel", "tab_4", "AVR Audio: ", nullptr},
    {"disableAVR", "QRadioButton", "tab_4", "DISABLE", nullptr},
    {"enableAVR", "QRadioButton", "tab_4", "ENABLE", nullptr},
    {"label_30", "QLabel", "tab_4", "Special AVR audio compatibility test mode", nullptr},
    {"label_34", "QLabel", "tab_4", "TOP output audio / BOT output video", nullptr},
    {"line", "QFrame", "tab_4", nullptr, nullptr},
    {"label_24", "QLabel", "tab_4", "RESET TO FACTORY DEFAULTS:", nullptr},
    {"cbClearSettings", "QCheckBox", "tab_4", "CLEAR ALL SETTINGS TO FACTORY DEFAULTS", nullptr},
    {"cbClearEdid", "QCheckBox", "tab_4", "EDID FACTORY SETTINGS", nullptr},
    {"layoutWidget1", "QWidget", "tab_4", nullptr, nullptr},
    {"label_17", "QLabel", "layoutWidget1", "Type RESET:", "Type RESET and click OK:"},
    {"leReset", "QLineEdit", "layoutWidget1", nullptr, nullptr},
    {"pbReset", "QPushButton", "layoutWidget1", "OK", nullptr},
    {"bHdrRepurpDis", "QRadioButton", "tab_4", "DISABLE", nullptr},
    {"bHdrRepurpEn", "QRadioButton", "tab_4", "ENABLE", nullptr},
};

const char *parentOf(const ObjectRow &row)
{
    if (!kStandard)
        return row.parent;
    const QString name = QString::fromLatin1(row.name);
    if (name == "lblOutput")
        return "frame_2";
    if (name == "label_28" || name == "cmbLa")
        return "horizontalLayoutWidget";
    return row.parent;
}

struct FontRow {
    const char *name;
    int points;         // 0: size inherited
    int bold;           // -1: not set, 0: explicitly not bold, 1: bold
    const char *family; // null: inherited
};

const FontRow kFonts[] = {
#ifndef VANTREL_FORM_STANDARD
    {"MainWindow", 8, -1, nullptr}, {"actionExit", 7, -1, nullptr}, {"actionAbout", 7, -1, nullptr},
    {"menubar", 6, -1, nullptr}, {"statusbar", 6, -1, nullptr}, {"tabWidget", 6, -1, nullptr},
    {"labelTitle_2", 12, 1, nullptr}, {"labelTitle", 10, 1, nullptr}, {"labelFw1", 6, -1, nullptr},
    {"lblVideoSource", 5, -1, nullptr}, {"label_video_format", 5, -1, nullptr}, {"lblOutput", 5, -1, nullptr},
    {"lblCsc", 5, -1, nullptr}, {"lblHdrInput", 5, -1, nullptr}, {"label_10", 6, -1, nullptr},
    {"label_12", 6, -1, nullptr}, {"label_5", 6, -1, nullptr}, {"label_6", 6, -1, nullptr},
    {"cmbInputSel", 6, -1, nullptr}, {"autoSwEn", 6, -1, nullptr}, {"autoSwDis", 6, -1, nullptr},
    {"bPrioNorm", 6, -1, nullptr}, {"pPrioForce", 6, -1, nullptr}, {"audioHdmi", 6, -1, nullptr},
    {"audioJack", 6, -1, nullptr}, {"hdcp14", 6, -1, nullptr}, {"hdcp22", 6, -1, nullptr},
    {"label_3", 6, 0, nullptr}, {"automixEDID", 5, -1, nullptr}, {"fixedEDID", 5, -1, nullptr},
    {"customEDID", 5, -1, nullptr}, {"cmBEdid", 5, -1, nullptr}, {"ButReadEDID", 5, -1, nullptr},
    {"pbReadTvEdidA", 5, -1, nullptr}, {"pbReadTvEdidB", 5, -1, nullptr}, {"ButLoadEDID", 5, -1, nullptr},
    {"ButSaveEDID", 5, -1, nullptr}, {"ButWriteEDID", 5, -1, nullptr}, {"cb2cForce", 6, -1, nullptr},
    {"cb51", 6, -1, nullptr}, {"cbFull", 6, -1, nullptr}, {"cbYUV", 6, -1, nullptr},
    {"cbBt2020", 6, -1, nullptr}, {"cbHdr", 6, -1, nullptr}, {"cb3D", 6, -1, nullptr},
    {"EDIDtext", 0, -1, "Courier New"}, {"cbCec", 7, -1, nullptr}, {"label_28", 7, -1, nullptr},
    {"label_4", 7, -1, nullptr}, {"label_26", 6, -1, nullptr}, {"cmbLa", 6, -1, nullptr},
    {"label_2", 6, -1, nullptr}, {"CECtext", 7, 1, "Times New Roman"}, {"ButWriteCEC", 5, -1, nullptr},
    {"ButSaveCEC_1", 5, -1, nullptr}, {"ButSaveCEC_2", 5, -1, nullptr}, {"cbHdrForceMode", 6, -1, nullptr},
    {"bFullHdr", 6, -1, nullptr}, {"bSamHdr", 6, -1, nullptr}, {"cbAviPersistent", 6, -1, nullptr},
    {"label_36", 5, -1, nullptr}, {"label_40", 5, -1, nullptr}, {"label_39", 5, -1, nullptr},
    {"ButWriteIF", 5, -1, nullptr}, {"label_20", 5, -1, nullptr}, {"label_16", 5, -1, nullptr},
    {"label_32", 5, -1, nullptr}, {"label", 5, -1, nullptr}, {"ButWriteAVI", 5, -1, nullptr},
    {"label_13", 5, -1, nullptr}, {"label_14", 5, -1, nullptr}, {"label_19", 5, -1, nullptr},
    {"label_22", 5, -1, nullptr}, {"label_8", 7, -1, nullptr}, {"label_9", 7, -1, nullptr},
    {"lblCecDecoded", 5, -1, nullptr}, {"lblIfDecoded", 5, -1, nullptr}, {"lblAviDecoded", 5, -1, nullptr},
    {"ButComposeIF", 5, -1, nullptr}, {"ButComposeAVI", 5, -1, nullptr}, {"lblCecRecipe", 6, -1, nullptr},
    {"cmbCecRecipe", 6, -1, nullptr},
    {"label_41", 7, -1, nullptr}, {"IFtext", 6, 1, "Times New Roman"}, {"AVItext", 6, 1, "Times New Roman"},
    {"txtHdrIf", 6, 1, "Times New Roman"}, {"label_27", 7, -1, nullptr}, {"label_21", 7, -1, nullptr},
    {"label_7", 7, -1, nullptr}, {"label_37", 7, -1, nullptr}, {"label_11", 7, -1, nullptr},
    {"label_24", 7, -1, nullptr}, {"label_23", 6, -1, nullptr}, {"enableLed", 6, -1, nullptr},
    {"disableLed", 6, -1, nullptr}, {"label_25", 6, -1, nullptr}, {"enableBLed", 6, -1, nullptr},
    {"disableBLed", 6, -1, nullptr}, {"bHdrRepurpEn", 6, -1, nullptr}, {"bHdrRepurpDis", 6, -1, nullptr},
    {"enable420", 6, -1, nullptr}, {"disable420", 6, -1, nullptr}, {"cmbEdidAlgo", 6, -1, nullptr},
    {"label_33", 6, -1, nullptr}, {"enableAVR", 6, -1, nullptr}, {"disableAVR", 6, -1, nullptr},
    {"label_15", 5, -1, nullptr}, {"label_29", 5, -1, nullptr}, {"label_31", 5, -1, nullptr},
    {"label_38", 5, -1, nullptr}, {"label_30", 5, -1, nullptr}, {"label_34", 5, -1, nullptr},
    {"cbClearSettings", 5, -1, nullptr}, {"cbClearEdid", 5, -1, nullptr}, {"label_17", 5, -1, nullptr},
    {"pbReset", 5, -1, nullptr},
#else
    {"labelTitle_2", 12, 1, nullptr}, {"labelTitle", 12, 1, nullptr}, {"label_3", 12, 0, nullptr},
    {"label_4", 12, -1, nullptr}, {"label_24", 12, -1, nullptr}, {"label_8", 11, -1, nullptr},
    {"label_9", 11, -1, nullptr}, {"label_41", 11, -1, nullptr}, {"label_27", 11, -1, nullptr},
    {"label_7", 11, -1, nullptr}, {"label_11", 11, -1, nullptr}, {"label_37", 11, -1, nullptr},
    {"label_21", 11, -1, nullptr}, {"label_5", 10, -1, nullptr}, {"label_6", 10, -1, nullptr},
    {"label_10", 10, -1, nullptr}, {"label_12", 10, -1, nullptr}, {"audioHdmi", 10, -1, nullptr},
    {"audioJack", 10, -1, nullptr}, {"hdcp22", 10, -1, nullptr}, {"hdcp14", 10, -1, nullptr},
    {"autoSwEn", 10, -1, nullptr}, {"autoSwDis", 10, -1, nullptr}, {"enableLed", 10, -1, nullptr},
    {"disableLed", 10, -1, nullptr}, {"enableBLed", 10, -1, nullptr}, {"disableBLed", 10, -1, nullptr},
    {"enable420", 10, -1, nullptr}, {"disable420", 10, -1, nullptr}, {"enableAVR", 10, -1, nullptr},
    {"disableAVR", 10, -1, nullptr}, {"bHdrRepurpEn", 10, -1, nullptr}, {"bHdrRepurpDis", 10, -1, nullptr},
    {"label_2", 9, -1, nullptr}, {"label_23", 9, -1, nullptr}, {"label_25", 9, -1, nullptr},
    {"bPrioNorm", 8, -1, nullptr}, {"pPrioForce", 8, -1, nullptr}, {"bFullHdr", 8, -1, nullptr},
    {"bSamHdr", 8, -1, nullptr}, {"CECtext", 10, 1, "Times New Roman"}, {"IFtext", 10, 1, "Times New Roman"},
    {"AVItext", 10, 1, "Times New Roman"}, {"txtHdrIf", 10, 1, "Times New Roman"},
    {"EDIDtext", 0, -1, "Courier New"},
#endif
};

// The header's controls, the tabs, then each page top to bottom.
const char *const kTabOrder[] = {
    "cmbInputSel", "autoSwEn", "autoSwDis", "bPrioNorm", "pPrioForce", "audioHdmi", "audioJack", "hdcp14", "hdcp22",
    "tabWidget", "automixEDID", "cb2cForce", "cb51", "cbFull", "cbYUV", "cbBt2020", "cbHdr", "cb3D", "fixedEDID",
    "customEDID", "cmBEdid", "EDIDtext", "ButReadEDID", "pbReadTvEdidA", "pbReadTvEdidB", "ButLoadEDID",
    "ButSaveEDID", "ButWriteEDID", "cbCec", "cmbLa", "CECtext", "ButWriteCEC", "ButSaveCEC_1", "ButSaveCEC_2",
    "cmbCecRecipe", "cbHdrForceMode", "bFullHdr", "bSamHdr", "cbAviPersistent", "IFtext", "ButWriteIF", "ButComposeIF",
    "AVItext", "ButWriteAVI", "ButComposeAVI", "txtHdrIf", "enableLed", "disableLed", "enableBLed", "disableBLed", "bHdrRepurpEn", "bHdrRepurpDis", "enable420",
    "disable420", "cmbEdidAlgo", "enableAVR", "disableAVR", "cbClearSettings", "cbClearEdid", "leReset", "pbReset"
};
constexpr int kTabStops = int(sizeof kTabOrder / sizeof kTabOrder[0]);

struct GroupRow {
    const char *name;
    QStringList members;
    const char *checked; // null: neither
};

const GroupRow kGroups[] = {
    {"buttonGroup_3", {"audioHdmi", "audioJack"}, "audioHdmi"},
    {"buttonGroup_4", {"hdcp22", "hdcp14"}, "hdcp14"},
    {"buttonGroup_2", {"autoSwEn", "autoSwDis"}, "autoSwEn"},
    {"buttonGroup_5", {"bPrioNorm", "pPrioForce"}, "bPrioNorm"},
    {"buttonGroup_6", {"automixEDID", "fixedEDID", "customEDID"}, "automixEDID"},
    {"buttonGroup_7", {"bFullHdr", "bSamHdr"}, "bFullHdr"},
    {"buttonGroup_10", {"enableLed", "disableLed"}, nullptr},
    {"buttonGroup_9", {"enableBLed", "disableBLed"}, nullptr},
    {"buttonGroup_8", {"enable420", "disable420"}, nullptr},
    {"buttonGroup_12", {"disableAVR", "enableAVR"}, nullptr},
    {"buttonGroup_13", {"bHdrRepurpDis", "bHdrRepurpEn"}, nullptr},
};

// What each widget calls when the user acts on it. Push buttons: slots run
// on press, then on release; everything else: one list.
struct Wiring {
    QStringList onPress;
    QStringList onRelease;
};

QHash<QString, Wiring> expectedWiring()
{
    QHash<QString, Wiring> w;
    auto clicked = [&](const char *slot, std::initializer_list<const char *> senders) {
        for (const char *s : senders)
            w[s].onRelease << slot;
    };
    clicked("SetAutoSwitch", {"autoSwEn", "autoSwDis"});
    clicked("SetAudioSource", {"audioHdmi", "audioJack"});
    clicked("SetHDCP_Version", {"hdcp14", "hdcp22"});
    clicked("setSwPriority", {"bPrioNorm", "pPrioForce"});
    clicked("SetOut_420", {"enable420", "disable420"});
    clicked("SetEDID_Mode", {"automixEDID", "fixedEDID", "customEDID"});
    clicked("setLogoLed", {"enableLed", "disableLed"});
    clicked("setBlueLed", {"enableBLed", "disableBLed"});
    clicked("setAVR", {"enableAVR", "disableAVR"});
    clicked("CecLpRepurp", {"bHdrRepurpEn", "bHdrRepurpDis"});
    clicked("hdrSamsung", {"bSamHdr", "bFullHdr"});
    clicked("factoryReset", {"pbReset"});
    clicked("setAviPers", {"cbAviPersistent"});
    clicked("ReadEDID", {"ButReadEDID"});
    clicked("LoadEDIDfromFile", {"ButLoadEDID"});
    clicked("SaveEDIDtoFile", {"ButSaveEDID"});
    clicked("CalculateChkSum", {"pbReadTvEdidA"});
    clicked("WriteCEC", {"ButWriteCEC"});
    clicked("SaveCEC_1", {"ButSaveCEC_1"});
    clicked("SaveCEC_2", {"ButSaveCEC_2"});
    clicked("WriteIF", {"ButWriteIF"});
    clicked("sendAVI", {"ButWriteAVI"});
    w["ButWriteEDID"].onPress << "WriteEDID";
    w["pbReadTvEdidA"].onPress << "readTvEdidA";
    w["pbReadTvEdidB"].onPress << "readTvEdidB";
    return w;
}

// Check boxes whose state change calls a slot, from code as well as by hand.
const QHash<QString, QString> kStateSlots = {
    {"cb2cForce", "force2c"}, {"cb51", "force51"}, {"cbHdr", "forceHdr"}, {"cbFull", "forceFullAudio"},
    {"cbBt2020", "setBt2020"}, {"cbYUV", "setYUV"}, {"cbCec", "setCEC"}, {"cb3D", "set3D"},
    {"cbHdrForceMode", "hdrForceActivate"},
};

const QHash<QString, QString> kComboSlots = {
    {"cmbInputSel", "SetActivePort"}, {"cmBEdid", "changeCustomEdid"},
    {"cmbLa", "setCecLa"}, {"cmbEdidAlgo", "setEdidAlgo"},
};

} // namespace

class FormTest : public QObject {
    Q_OBJECT

private:
    FormHost *host = nullptr;
    Ui_MainWindow *ui = nullptr;

    template <typename T = QWidget>
    T *widget(const char *name)
    {
        T *w = host->findChild<T *>(QString::fromLatin1(name));
        if (!w)
            qWarning("no widget %s", name);
        return w;
    }

    // The form's own widgets: everything named, without the toolkit's parts.
    QList<QWidget *> formWidgets()
    {
        QList<QWidget *> out;
        QSet<QString> names{"centralwidget", "menubar", "statusbar", "menuFile", "menuHelp"};
        for (const ObjectRow &row : kObjects)
            names << row.name;
        if (kStandard)
            names << "horizontalLayoutWidget";
        for (QWidget *w : host->findChildren<QWidget *>())
            if (names.contains(w->objectName()))
                out << w;
        return out;
    }

    // Where a user clicks: on the indicator of an option, the middle of a button.
    static QPoint clickPoint(QAbstractButton *b)
    {
        if (qobject_cast<QCheckBox *>(b) || qobject_cast<QRadioButton *>(b))
            return QPoint(6, b->height() / 2);
        return b->rect().center();
    }

    static void click(QAbstractButton *b) { QTest::mouseClick(b, Qt::LeftButton, {}, clickPoint(b)); }

    // Makes the page holding w current, so that it is shown and laid out.
    void reveal(QWidget *w)
    {
        for (int i = 0; i < ui->tabWidget->count(); ++i)
            if (ui->tabWidget->widget(i)->isAncestorOf(w))
                ui->tabWidget->setCurrentIndex(i);
        QCoreApplication::processEvents();
    }

private slots:
    // The program's own font for its form, as main() sets it.
    void initTestCase() { applyFormFont(); }

    void init()
    {
        host = new FormHost;
        ui = new Ui_MainWindow;
        ui->setupUi(host);
        host->show();
        QVERIFY(QTest::qWaitForWindowExposed(host));
        host->take();
    }

    void cleanup()
    {
        delete host;
        delete ui;
        host = nullptr;
        ui = nullptr;
    }

    void objectsTextsAndParents()
    {
        QCOMPARE(host->objectName(), QString("MainWindow"));
        QCOMPARE(host->windowTitle(), QString("VANTREL UTILITY"));
        QCOMPARE(ui->actionExit->text(), QString("E&xit"));
        QCOMPARE(ui->actionAbout->text(), QString("&About"));
        QCOMPARE(ui->menuFile->title(), QString("&File"));
        QCOMPARE(ui->menuHelp->title(), QString("&Help"));
        QCOMPARE(host->menuBar(), ui->menubar);
        QCOMPARE(host->statusBar(), ui->statusbar);
        QCOMPARE(host->centralWidget(), ui->centralwidget);
        QCOMPARE(ui->menubar->actions(), (QList<QAction *>{ui->menuFile->menuAction(), ui->menuHelp->menuAction()}));
        QCOMPARE(ui->menuFile->actions(), QList<QAction *>{ui->actionExit});
        QCOMPARE(ui->menuHelp->actions(), QList<QAction *>{ui->actionAbout});

        for (const ObjectRow &row : kObjects) {
            const QByteArray what = QByteArray("object ") + row.name;
            QWidget *w = widget(row.name);
            QVERIFY2(w, what);
            QVERIFY2(QByteArray(w->metaObject()->className()) == row.cls, what + " is " + w->metaObject()->className());
            QVERIFY2(w->parent() && w->parent()->objectName() == parentOf(row),
                     what + " parent " + (w->parent() ? w->parent()->objectName().toLatin1() : "none"));
            const char *text = kStandard && row.standardText ? row.standardText : row.text;
            if (!text)
                continue;
            QString shown;
            if (auto *label = qobject_cast<QLabel *>(w))
                shown = label->text();
            else if (auto *button = qobject_cast<QAbstractButton *>(w))
                shown = button->text();
            else
                shown = ui->tabWidget->tabText(ui->tabWidget->indexOf(w));
            QVERIFY2(shown == QString::fromUtf8(text), what + " shows \"" + shown.toUtf8() + "\"");
        }
        QCOMPARE(ui->tabWidget->count(), 4);
        QCOMPARE(ui->tabWidget->widget(1), ui->tab_3);
        QCOMPARE(ui->tabWidget->widget(2), ui->tab_2);

        // Tooltips: two options and the buttons with shortcuts carry one.
        for (QWidget *w : formWidgets()) {
            const QString name = w->objectName();
            static const QMap<QString, QString> tips = {
                {"enable420", "Enabled for 600MHz inputs only"},
                {"enableAVR", "Enabled for 600MHz inputs only"},
                {"ButReadEDID", "Read the EDID table (F5)"},
                {"ButLoadEDID", "Load an EDID table from a file (Ctrl+O)"},
                {"ButSaveEDID", "Save the EDID table to a file (Ctrl+S)"},
            };
            const QString tip = tips.value(name);
            QVERIFY2(w->toolTip() == tip, qPrintable(name));
        }
    }

    void windowAndWidgetProperties()
    {
        QCOMPARE(host->size(), kStandard ? QSize(377, 781) : QSize(400, 824));
        QCOMPARE(host->maximumSize(), QSize(1000, 1000));
        QCOMPARE(host->sizePolicy().horizontalPolicy(), QSizePolicy::Preferred);
        QCOMPARE(host->sizePolicy().verticalPolicy(), QSizePolicy::Preferred);
        QVERIFY(!host->windowIcon().isNull());
        QCOMPARE(host->windowIcon().pixmap(32).size(), QSize(32, 32));
        host->resize(1200, 1200);
        QCOMPARE(host->size(), QSize(1000, 1000));

        QCOMPARE(ui->tabWidget->currentIndex(), 0);
        ui->leReset->setFocus();
        QTest::keyClicks(ui->leReset, QString(60, 'R'));
        QCOMPARE(ui->leReset->text().size(), 50);
        QVERIFY(ui->leReset->hasFrame());
        for (int i = 0; i < 30; ++i)
            ui->cmBEdid->addItem(QString::number(i));
        QCOMPARE(ui->cmBEdid->count(), 25);
        QCOMPARE(ui->cmBEdid->maxVisibleItems(), 25);
        QCOMPARE(ui->cmbLa->maxCount(), 15);
        QCOMPARE(ui->cmbLa->baseSize(), QSize(0, 0));
        QCOMPARE(ui->cbYUV->isChecked(), true);

        // Everything starts enabled and editable.
        for (QWidget *w : formWidgets())
            QVERIFY2(w->isEnabled(), qPrintable(w->objectName()));
        for (QTextEdit *e : host->findChildren<QTextEdit *>())
            QVERIFY2(!e->isReadOnly(), qPrintable(e->objectName()));

        QCOMPARE(ui->frame_2->frameShape(), QFrame::Box);
        QCOMPARE(ui->frame_2->frameShadow(), QFrame::Raised);
        for (QTextEdit *e : {ui->CECtext, ui->IFtext, ui->AVItext, ui->txtHdrIf}) {
            QCOMPARE(e->frameShape(), QFrame::Box);
            QCOMPARE(e->frameShadow(), QFrame::Plain);
            QCOMPARE(e->lineWidth(), 1);
        }
        for (QFrame *line : {ui->line, ui->line_2, ui->line_5}) {
            QCOMPARE(line->frameShape(), QFrame::HLine);
            QCOMPARE(line->frameShadow(), QFrame::Sunken);
        }
        QCOMPARE(ui->label_2->textFormat(), Qt::AutoText);
        QCOMPARE(ui->label_2->alignment(), Qt::AlignLeading | Qt::AlignLeft | Qt::AlignTop);
        QVERIFY(!ui->label_2->wordWrap());
        QCOMPARE(ui->label_2->indent(), 0);
        for (QLabel *caption : {ui->label_3, ui->label_10, ui->label_12, ui->label_5, ui->label_6, ui->label_27,
                                ui->label_23, ui->label_25, ui->label_21, ui->label_7, ui->label_37, ui->label_11})
            QVERIFY2(caption->alignment() == (Qt::AlignRight | Qt::AlignVCenter), qPrintable(caption->objectName()));
        for (QLayout *layout : std::initializer_list<QLayout *>{ui->horizontalLayout, ui->horizontalLayout_2, ui->gridLayout})
            QCOMPARE(layout->contentsMargins(), QMargins());
        QCOMPARE(ui->gridLayout->itemAtPosition(0, 2)->widget(), ui->pbReadTvEdidB);
        QCOMPARE(ui->gridLayout->itemAtPosition(1, 0)->widget(), ui->ButLoadEDID);
        QCOMPARE(ui->horizontalLayout_2->itemAt(1)->widget(), ui->leReset);
    }

    void resources()
    {
        const struct { const char *path; int size; } images[] = {
            {":/Vantrel_16.png", 16}, {":/Vantrel_32.png", 32}, {":/Vantrel_48.png", 48}, {":/Vantrel.png", 512}};
        for (const auto &image : images) {
            QCOMPARE(QImage(image.path).size(), QSize(image.size, image.size));
            QCOMPARE(QResource(image.path).compressionAlgorithm(), QResource::NoCompression);
        }
        QImageReader ico(":/_Vantrel.ico");
        if (ico.canRead()) {
            QCOMPARE(ico.imageCount(), 6);
        }
        QVERIFY(QResource(":/_Vantrel.ico").compressionAlgorithm() != QResource::NoCompression);
        QResource form(":/QT/forms/VantrelForm.ui");
        QVERIFY(form.isValid());
        QVERIFY(form.compressionAlgorithm() != QResource::NoCompression);
        const QByteArray xml = form.uncompressedData();
        QVERIFY(xml.contains("<class>MainWindow</class>"));
        QVERIFY(xml.contains(kStandard ? "<width>377</width>" : "<width>400</width>"));
    }

    void fontsOnlyWhereGiven()
    {
        QHash<QString, FontRow> given;
        for (const FontRow &row : kFonts)
            given.insert(row.name, row);
        QList<QObject *> objects{host, ui->actionExit, ui->actionAbout};
        for (QWidget *w : formWidgets())
            objects << w;
        for (QObject *object : objects) {
            const QString name = object->objectName();
            auto *action = qobject_cast<QAction *>(object);
            auto *w = qobject_cast<QWidget *>(object);
            const QFont font = action ? action->font() : w->font();
            const bool set = action ? font.resolveMask() != 0 : w->testAttribute(Qt::WA_SetFont);
            QVERIFY2(set == given.contains(name), qPrintable(name + (set ? " has a font" : " has no font")));
            if (!set)
                continue;
            const FontRow &row = given[name];
            const int inherited = w && w->parentWidget() ? w->parentWidget()->font().pointSize() : -1;
            QVERIFY2(font.pointSize() == (row.points ? row.points : inherited), qPrintable(name));
            if (row.bold >= 0)
                QVERIFY2(font.bold() == bool(row.bold) && (font.resolveMask() & QFont::WeightResolved),
                         qPrintable(name));
            if (row.family)
                QVERIFY2(font.family() == row.family, qPrintable(name));
        }
    }

    void rectangles()
    {
        struct Rect { const char *name; QRect rect; };
#ifndef VANTREL_FORM_STANDARD
        const Rect rects[] = {
            {"layoutWidget2", {5, 5, 248, 41}}, {"labelFw1", {275, 20, 116, 20}},
            {"frame_2", {5, 45, 386, 91}}, {"lblVideoSource", {15, 50, 346, 16}},
            {"label_video_format", {15, 65, 346, 16}}, {"lblOutput", {15, 80, 346, 16}},
            {"lblCsc", {10, 50, 346, 16}}, {"lblHdrInput", {10, 65, 331, 16}},
            {"cmbInputSel", {155, 140, 186, 26}}, {"tabWidget", {5, 260, 386, 506}},
            {"cmBEdid", {100, 115, 271, 22}}, {"EDIDtext", {5, 140, 371, 251}}, {"layoutWidget", {5, 395, 371, 71}},
            {"label_28", {15, 65, 306, 31}}, {"cmbLa", {15, 100, 221, 27}}, {"CECtext", {5, 190, 351, 36}},
            {"ButWriteCEC", {250, 235, 101, 31}}, {"label_2", {15, 245, 321, 201}},
            {"ButSaveCEC_1", {250, 275, 101, 21}}, {"ButSaveCEC_2", {250, 300, 101, 21}},
            {"IFtext", {5, 120, 366, 51}}, {"ButWriteIF", {270, 175, 101, 31}}, {"AVItext", {5, 260, 366, 36}},
            {"ButWriteAVI", {270, 300, 101, 31}}, {"line_5", {5, 360, 366, 16}}, {"txtHdrIf", {5, 395, 366, 46}},
            {"cmbEdidAlgo", {160, 185, 191, 22}}, {"line_2", {5, 240, 351, 16}}, {"line", {5, 335, 351, 16}},
            {"layoutWidget1", {50, 425, 327, 48}},
        };
        struct Pos { const char *name; int x, y; };
        const Pos positions[] = {
            {"automixEDID", 10, 10}, {"cb2cForce", 10, 35}, {"cb51", 95, 35}, {"cbFull", 190, 35},
            {"cbYUV", 10, 60}, {"cbBt2020", 95, 60}, {"cbHdr", 190, 60}, {"cb3D", 275, 60},
            {"fixedEDID", 10, 90}, {"customEDID", 10, 115}, {"cbCec", 15, 15}, {"label_26", 45, 40},
            {"label_4", 5, 165}, {"cbHdrForceMode", 10, 10}, {"bFullHdr", 210, 10}, {"bSamHdr", 210, 30},
            {"label_36", 10, 30}, {"cbAviPersistent", 10, 55}, {"label_40", 10, 75}, {"label_8", 5, 100},
            {"label_39", 5, 170}, {"label_20", 5, 185}, {"label_16", 5, 200}, {"label_32", 5, 215},
            {"label_9", 5, 240}, {"label", 10, 295}, {"label_13", 10, 310}, {"label_14", 10, 325},
            {"label_19", 10, 340}, {"label_41", 5, 375}, {"label_22", 10, 445}, {"label_27", 10, 5},
            {"label_21", 15, 75}, {"label_15", 25, 95}, {"label_7", 15, 125}, {"label_29", 25, 145},
            {"label_31", 25, 160}, {"label_37", 5, 190}, {"label_38", 25, 210}, {"label_33", 10, 255},
            {"label_11", 15, 275}, {"label_30", 30, 300}, {"label_34", 30, 315}, {"label_24", 10, 350},
            {"cbClearSettings", 20, 375}, {"cbClearEdid", 20, 400},
        };
        for (const Pos &p : positions)
            QVERIFY2(widget(p.name)->pos() == QPoint(p.x, p.y), p.name);
        // Option rows: captions end at 131, options at 155 and 265.
        const char *const rows[][3] = {{"label_10", "autoSwEn", "autoSwDis"}, {"label_12", "bPrioNorm", "pPrioForce"},
                                       {"label_5", "audioHdmi", "audioJack"}, {"label_6", "hdcp14", "hdcp22"}};
        const int rowY[] = {170, 190, 210, 230};
        const int captionEnd = 131, firstX = 155, secondX = 265;
        QCOMPARE(ui->label_3->y(), 145);
        QCOMPARE(ui->label_3->geometry().right() + 1, captionEnd);
        // Config page pairs: first option at 165, second at 270 (275 for the AVR pair).
        const char *const pairs[][3] = {{"enableLed", "disableLed", "25"}, {"enableBLed", "disableBLed", "45"},
                                        {"bHdrRepurpEn", "bHdrRepurpDis", "75"}, {"enable420", "disable420", "125"},
                                        {"enableAVR", "disableAVR", "275"}};
        for (const auto &pair : pairs) {
            const int y = QByteArray(pair[2]).toInt();
            QCOMPARE(widget(pair[0])->pos(), QPoint(165, y));
            QCOMPARE(widget(pair[1])->pos(), QPoint(QByteArray(pair[1]) == "disableAVR" ? 275 : 270, y));
        }
        QCOMPARE(ui->label_23->pos(), QPoint(10, 25));
        QCOMPARE(ui->label_25->pos(), QPoint(10, 45));
#else
        const Rect rects[] = {
            {"tabWidget", {5, 245, 366, 481}}, {"frame_2", {5, 45, 361, 86}},
            {"layoutWidget2", {5, 5, 161, 34}}, {"cmbInputSel", {169, 135, 166, 20}},
            {"horizontalLayoutWidget", {35, 60, 316, 36}},
        };
        QCOMPARE(ui->lblOutput->pos(), QPoint(10, 35));
        QCOMPARE(ui->lblOutput->mapTo(host->centralWidget(), QPoint()), QPoint(15, 80));
        QCOMPARE(ui->horizontalLayout_3->contentsMargins(), QMargins());
        QCOMPARE(ui->horizontalLayout_3->itemAt(0)->widget(), ui->label_28);
        QCOMPARE(ui->horizontalLayout_3->itemAt(1)->widget(), ui->cmbLa);
        const char *const rows[][3] = {{"label_10", "autoSwEn", "autoSwDis"}, {"label_12", "bPrioNorm", "pPrioForce"},
                                       {"label_5", "audioHdmi", "audioJack"}, {"label_6", "hdcp14", "hdcp22"}};
        const int rowY[] = {160, 180, 200, 220};
        const int captionEnd = -1, firstX = 170, secondX = 265;
        QCOMPARE(ui->label_3->y(), 137);
#endif
        for (const Rect &r : rects)
            QVERIFY2(widget(r.name)->geometry() == r.rect, r.name);
        // The window's layout gives the menu bar the full width.
        QCOMPARE(ui->menubar->pos(), QPoint(0, 0));
        QCOMPARE(ui->menubar->width(), host->width());
        for (int i = 0; i < 4; ++i) {
            QWidget *caption = widget(rows[i][0]);
            QCOMPARE(caption->y(), rowY[i]);
            if (captionEnd > 0)
                QCOMPARE(caption->geometry().right() + 1, captionEnd);
            QCOMPARE(widget(rows[i][1])->pos(), QPoint(firstX, rowY[i]));
            QCOMPARE(widget(rows[i][2])->pos(), QPoint(secondX, rowY[i]));
        }
    }

    // Every widget inside its parent, texts not cut off and, in the standard
    // form whose rectangles are ours, no two siblings on top of each other.
    void layoutFits()
    {
        const QList<QWidget *> all = formWidgets();
        for (int page = 0; page < ui->tabWidget->count(); ++page) {
            ui->tabWidget->setCurrentIndex(page);
            QCoreApplication::processEvents();
            for (QWidget *w : all) {
                if (!w->isVisible() || w == ui->menubar || w == ui->statusbar || w == ui->centralwidget)
                    continue;
                const QString name = w->objectName();
                QWidget *parent = w->parentWidget();
                QVERIFY2(parent->rect().contains(w->geometry()), qPrintable(name + " outside its parent"));
                if (w->layout()) {
                    const QSize need = w->layout()->minimumSize();
                    if (name != "layoutWidget")
                        QVERIFY2(need.width() <= w->width() && need.height() <= w->height(),
                                 qPrintable(name + " too small for its layout"));
                }
                const bool button = qobject_cast<QAbstractButton *>(w);
                if (!button && !qobject_cast<QLabel *>(w))
                    continue;
                const QSize hint = w->sizeHint();
                const int tall = button ? w->fontMetrics().height() : hint.height();
                const bool fits = hint.width() <= w->width() && tall <= w->height();
                QVERIFY2(fits, qPrintable(QString("%1 %2x%3 cuts its text (needs %4x%5)")
                                              .arg(name).arg(w->width()).arg(w->height()).arg(hint.width()).arg(tall)));
            }
            if (!kStandard)
                continue;
            for (QWidget *a : all) {
                for (QWidget *b : all) {
                    if (a >= b || a->parentWidget() != b->parentWidget() || !a->isVisible() || !b->isVisible())
                        continue;
                    // The status lines are drawn over the status frame.
                    const bool overFrame = (a == ui->frame_2 && ui->frame_2->geometry().contains(b->geometry())) ||
                                           (b == ui->frame_2 && ui->frame_2->geometry().contains(a->geometry()));
                    if (overFrame || a == ui->centralwidget || b == ui->centralwidget)
                        continue;
                    QVERIFY2(!a->geometry().intersects(b->geometry()),
                             qPrintable(a->objectName() + " overlaps " + b->objectName()));
                }
            }
        }
    }

    void userActionsReachTheirSlots()
    {
        const QHash<QString, Wiring> wiring = expectedWiring();
        int connections = 0;
        for (QAbstractButton *button : host->findChildren<QAbstractButton *>()) {
            const QString name = button->objectName();
            if (!formWidgets().contains(button))
                continue;
            reveal(button);
            const Wiring expected = wiring.value(name);
            const QStringList stateSlot = kStateSlots.contains(name) ? QStringList{kStateSlots[name]} : QStringList{};
            QTest::mousePress(button, Qt::LeftButton, {}, clickPoint(button));
            QVERIFY2(host->take() == expected.onPress, qPrintable(name + " on press"));
            QTest::mouseRelease(button, Qt::LeftButton, {}, clickPoint(button));
            const QStringList calls = host->take();
            if (qobject_cast<QCheckBox *>(button)) {
                QVERIFY2(calls == stateSlot + expected.onRelease, qPrintable(name + " on click: " + calls.join(',')));
                // A change from code reaches only the state slot.
                button->setChecked(!button->isChecked());
                QVERIFY2(host->take() == stateSlot, qPrintable(name + " set from code"));
                connections += stateSlot.size();
            } else {
                QVERIFY2(calls == expected.onRelease, qPrintable(name + " on release: " + calls.join(',')));
                if (qobject_cast<QRadioButton *>(button)) {
                    // Clicking the checked option again calls its slot again; setting it does not.
                    click(button);
                    QVERIFY2(host->take() == expected.onRelease, qPrintable(name + " clicked again"));
                    button->setChecked(false);
                    button->setChecked(true);
                    QVERIFY2(host->take().isEmpty(), qPrintable(name + " set from code"));
                }
            }
            connections += expected.onPress.size() + expected.onRelease.size();
        }
        for (QComboBox *combo : host->findChildren<QComboBox *>()) {
            const QStringList slot = kComboSlots.contains(combo->objectName())
                ? QStringList{kComboSlots[combo->objectName()]} : QStringList{};
            combo->addItem("first"); // the first item becomes current
            QCOMPARE(host->take(), slot);
            combo->addItem("second");
            QCOMPARE(host->take(), QStringList{});
            combo->setCurrentIndex(1);
            QCOMPARE(host->take(), slot);
            combo->setCurrentIndex(1);
            QCOMPARE(host->take(), QStringList{});
            connections += slot.size();
        }
        ui->actionExit->trigger();
        QCOMPARE(host->take(), QStringList{"FileExit"});
        ui->actionAbout->trigger();
        QCOMPARE(host->take(), QStringList{"FileAbout"});
        connections += 2;
        QCOMPARE(connections, 52);

        // Editors are wired to nothing.
        QTest::keyClicks(ui->leReset, "RESET");
        ui->EDIDtext->setPlainText("00 FF");
        ui->CECtext->setPlainText("50:04");
        QCOMPARE(host->take(), QStringList{});
    }

    // A user's click lands on whatever is drawn on top: every control must be
    // the widget under the middle of the part of it that shows.
    void everyControlTakesClicksWhereItIsDrawn()
    {
        QStringList hidden;
        for (QWidget *w : formWidgets()) {
            const bool control = qobject_cast<QAbstractButton *>(w) || qobject_cast<QComboBox *>(w) ||
                                 qobject_cast<QLineEdit *>(w) || qobject_cast<QAbstractScrollArea *>(w);
            if (!control)
                continue;
            reveal(w);
            // The control's rectangle clipped by every ancestor, in window coordinates.
            QRect visible(w->mapTo(host, QPoint(0, 0)), w->size());
            for (QWidget *p = w->parentWidget(); p && p != host; p = p->parentWidget())
                visible &= QRect(p->mapTo(host, QPoint(0, 0)), p->size());
            QVERIFY2(!visible.isEmpty(), qPrintable(w->objectName() + " is not visible at all"));
            QWidget *hit = host->childAt(visible.center());
            if (hit != w && !w->isAncestorOf(hit))
                hidden << QStringLiteral("%1 under %2").arg(w->objectName(), hit ? hit->objectName() : "nothing");
        }
        QVERIFY2(hidden.isEmpty(), qPrintable(hidden.join(", ")));
    }

    void focusChain()
    {
        QSet<QString> chain;
        for (const char *name : kTabOrder)
            chain << name;
        QCOMPARE(chain.size(), kTabStops);
        QStringList walked;
        QWidget *const first = widget(kTabOrder[0]);
        QWidget *w = first;
        do {
            if (chain.contains(w->objectName()) && !walked.contains(w->objectName()))
                walked << w->objectName();
            w = w->nextInFocusChain();
        } while (w != first);
        QStringList expected;
        for (const char *name : kTabOrder)
            expected << name;
        QCOMPARE(walked, expected);
        // Consecutive members follow each other for Tab, apart from the tab
        // widget, which brings its bar and pages along.
        for (int i = 0; i + 1 < kTabStops; ++i) {
            if (QByteArray(kTabOrder[i]) == "tabWidget" || QByteArray(kTabOrder[i + 1]) == "tabWidget")
                continue;
            QWidget *from = widget(kTabOrder[i]);
            QWidget *next = from->nextInFocusChain();
            // Labels sit in the chain too, but Tab passes over them.
            while (from->isAncestorOf(next) || next->focusPolicy() == Qt::NoFocus)
                next = next->nextInFocusChain();
            QVERIFY2(next->objectName() == kTabOrder[i + 1],
                     qPrintable(QString(kTabOrder[i]) + " -> " + next->objectName()));
        }
    }

    void buttonGroupsAndInitialChecks()
    {
        const QList<QButtonGroup *> groups = host->findChildren<QButtonGroup *>(Qt::FindDirectChildrenOnly);
        QCOMPARE(groups.size(), 11);
        QSet<QString> checkedAtStart;
        for (int i = 0; i < 11; ++i) {
            const GroupRow &row = kGroups[i];
            QButtonGroup *group = groups.at(i); // created in this order
            QCOMPARE(group->objectName(), QString(row.name));
            QVERIFY(group->exclusive());
            QStringList members;
            for (QAbstractButton *b : group->buttons()) {
                members << b->objectName();
                QVERIFY(b->autoExclusive());
            }
            QCOMPARE(members, row.members);
            QCOMPARE(group->checkedButton() ? group->checkedButton()->objectName() : QString(),
                     row.checked ? QString(row.checked) : QString());
            if (row.checked)
                checkedAtStart << row.checked;
        }
        checkedAtStart << "cbYUV" << "cbHdr" << "cbCec";
        QSet<QString> checked;
        for (QAbstractButton *b : host->findChildren<QAbstractButton *>())
            if (b->isChecked())
                checked << b->objectName();
        QCOMPARE(checked, checkedAtStart);
        for (const char *box : {"cb2cForce", "cb51", "cbFull"})
            QVERIFY(!widget<QCheckBox>(box)->autoExclusive());
        QVERIFY(!ui->ButWriteIF->isCheckable());
        QVERIFY(!ui->ButWriteAVI->isCheckable());

        // A click moves the choice within its group and leaves the others alone.
        reveal(ui->fixedEDID);
        click(ui->fixedEDID);
        QVERIFY(ui->fixedEDID->isChecked());
        QVERIFY(!ui->automixEDID->isChecked() && !ui->customEDID->isChecked());
        reveal(ui->disableLed);
        click(ui->disableLed);
        QVERIFY(ui->disableLed->isChecked() && !ui->enableLed->isChecked());
        QVERIFY(!ui->enableBLed->isChecked() && !ui->disableBLed->isChecked());
        QVERIFY(ui->fixedEDID->isChecked());
    }
};

QTEST_MAIN(FormTest)
#include "form_test.moc"
