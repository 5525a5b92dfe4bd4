#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes hidpi/VantrelForm.ui and standard/VantrelForm.ui from one description,
so the two variants cannot drift apart in names, wiring, groups or focus order.
Usage: make_forms.py [UI_DIR]   (default: the directory of this script)"""
import os, sys
from xml.sax.saxutils import escape

OUT = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))

RIGHT = 'Qt::AlignRight|Qt::AlignTrailing|Qt::AlignVCenter'

# Texts; the standard variant overrides 23 of them.
TEXT = {
 'labelTitle_2': '<html><head/><body><p><img src=":/Vantrel_32.png"/></p></body></html>',
 'labelTitle': 'VANTREL GUI', 'labelFw1': 'ver: ',
 'lblVideoSource': 'Video Source:', 'label_video_format': 'Video Format', 'lblOutput': 'Output:',
 'lblCsc': 'Color Space', 'lblHdrInput': 'HDR Input:',
 'label_3': 'ACTIVE INPUT:', 'label_10': 'AUTO SWITCH:', 'autoSwEn': 'ENABLE', 'autoSwDis': 'DISABLE',
 'label_12': ' PRIORITY:', 'bPrioNorm': 'NORMAL', 'pPrioForce': 'FORCED',
 'label_5': 'AUDIO SOURCE:', 'audioHdmi': 'HDMI', 'audioJack': 'JACK',
 'label_6': 'HDCP VERSION:', 'hdcp14': '1.4', 'hdcp22': '2.2',
 'tab': 'EDID', 'tab_3': 'CEC', 'tab_2': 'HDR / IF', 'tab_4': 'CONFIG',
 'automixEDID': 'AUTOMIX: Auto create the EDID table', 'cb2cForce': '2.0', 'cb51': '5.1',
 'cbFull': 'FULL Audio', 'cbYUV': 'YCbCr', 'cbBt2020': 'BT.2020', 'cbHdr': 'HDR', 'cb3D': 'No 3D',
 'fixedEDID': 'FIXED EDID: Use the fixed default EDID table', 'customEDID': 'CUSTOM:',
 'ButReadEDID': 'Read EDID', 'pbReadTvEdidA': 'Read TOP', 'pbReadTvEdidB': 'Read BOT',
 'ButLoadEDID': 'Load', 'ButSaveEDID': 'Save', 'ButWriteEDID': 'Write EDID',
 'cbCec': 'CEC ENABLE', 'label_26': 'Activate Vantrel CEC processing',
 'label_28': 'VANTREL CEC DEVICE TYPE:', 'label_4': 'CEC COMMAND:', 'ButWriteCEC': 'Send CEC',
 'label_2': '<html><head/><body><p>Examples:</p><p>0f:36 - turn off [broadcast]</p><p>50:04 - turn on [TV]</p>'
            '<p>54:44:01 - menu up [playback device 1]</p><p>58:44:02 - menu down [playback device 2]</p>'
            '<p>5b:44:40 - toggle power [playback device 3]</p><p><br/></p></body></html>',
 'ButSaveCEC_1': 'Save CEC SP', 'ButSaveCEC_2': 'Save CEC LP',
 'cbHdrForceMode': 'FORCE HDR ACTIVE', 'bFullHdr': 'Full HDR mode', 'bSamHdr': 'Samsung mode',
 'label_36': 'Send the HDR IF below', 'cbAviPersistent': 'REPLACE AVI',
 'label_40': 'Replace AVI - send the AVI IF below [for advanced users]', 'label_8': 'CUSTOM HDR IF:',
 'label_39': 'The above infoframe is injected', 'ButWriteIF': 'Send IF',
 'label_20': '<html><head/><body><p>Example:87:01:17:5c:02:00:d0:84:..</p></body></html>',
 'label_16': 'Header and CRC, length 2-31 bytes', 'label_32': 'HDR IF is persistent',
 'label_9': 'CUSTOM AVI IF:', 'label': 'Example to inject BT2020 Color Space:', 'ButWriteAVI': 'Send AVI',
 'label_13': '60:c8:60:61:00', 'label_14': 'no header, no CRC, start with data byte 1',
 'label_19': 'length 2-13', 'label_41': 'HDR INFOFRAME CAPTURE:',
 'ButComposeIF': 'Compose...', 'ButComposeAVI': 'Compose...', 'lblCecRecipe': 'RECIPES:',
 'label_22': 'If the source is sending HDR Infoframe, it appears here',
 'label_27': 'LED CONTROL:', 'label_23': 'GREEN LED:', 'enableLed': 'ENABLE', 'disableLed': 'DISABLE',
 'label_25': 'BLUE LEDS:', 'enableBLed': 'ENABLE', 'disableBLed': 'DISABLE',
 'label_21': 'HDR HOTKEY:', 'bHdrRepurpEn': 'ENABLE', 'bHdrRepurpDis': 'DISABLE',
 'label_15': 'Repurpose CEC SP/LP buttons as HDR enable/disable',
 'label_7': '4:2:0 OUTPUT:', 'enable420': 'ENABLE', 'disable420': 'DISABLE',
 'label_29': '600MHz automatic 4:4:4/RGB to 4:2:0 conversion', 'label_31': 'TOP output 4:2:0, BOT output bypass',
 'label_37': 'AUTOMIX ALGO:', 'label_38': 'Selects the EDID automix algorithm based on priorities',
 'label_33': 'BETA test mode:', 'label_11': 'AVR Audio: ', 'enableAVR': 'ENABLE', 'disableAVR': 'DISABLE',
 'label_30': 'Special AVR audio compatibility test mode', 'label_34': 'TOP output audio / BOT output video',
 'label_24': 'RESET TO FACTORY DEFAULTS:', 'cbClearSettings': 'CLEAR ALL SETTINGS TO FACTORY DEFAULTS',
 'cbClearEdid': 'EDID FACTORY SETTINGS', 'label_17': 'Type RESET:', 'pbReset': 'OK',
}
STANDARD_TEXT = {
 'tab': 'EDID MANAGER', 'tab_3': 'CEC COMMANDER',
 'automixEDID': 'AUTOMIX: Allow VANTRELto create the EDID table', 'cb2cForce': '2.0 Stereo', 'cb51': '5.1 Multi',
 'customEDID': 'CUSTOM Select:', 'cbHdr': 'HDR packet', 'cbYUV': 'Allow YCbCr', 'cb3D': '3D Remove',
 'ButReadEDID': 'Read Vantrel EDID', 'pbReadTvEdidA': 'Read TV [TOP] EDID', 'pbReadTvEdidB': 'Read TV [BOT] EDID',
 'ButLoadEDID': 'Load from File', 'ButSaveEDID': 'Save to File', 'ButWriteEDID': 'Write EDID to Vantrel',
 'label_20': '<html><head/><body><p>Example:87:01:17:5c:02:00:d0:84:80:3e:c2:33:..</p></body></html>',
 'label_16': 'include header and CRC, length 2-31 bytes', 'cbHdrForceMode': 'FORCE HDR ALWAYS ACTIVE',
 'bSamHdr': 'Samsung HDR mode', 'label_36': 'Activate HDR - send the HDR IF below',
 'label_39': 'This infoframe is injected when HDR is active', 'label_17': 'Type RESET and click OK:',
 'label_29': 'Enable 600MHz automatic 4:4:4/RGB to 4:2:0 conversion',
}
assert len(STANDARD_TEXT) == 23

TOOLTIP = {'enable420': 'Enabled for 600MHz inputs only', 'enableAVR': 'Enabled for 600MHz inputs only',
           'ButReadEDID': 'Read the EDID table (F5)', 'ButLoadEDID': 'Load an EDID table from a file (Ctrl+O)',
           'ButSaveEDID': 'Save the EDID table to a file (Ctrl+S)'}

# Fonts: (point size or None, bold True/False/None, family or None)
def fonts_hidpi():
    f = {}
    def put(size, names, bold=None, family=None):
        for n in names.split():
            f[n] = (size, bold, family)
    put(8, 'MainWindow'); put(7, 'actionExit actionAbout'); put(6, 'menubar statusbar tabWidget')
    put(12, 'labelTitle_2', True); put(10, 'labelTitle', True); put(6, 'labelFw1')
    put(5, 'lblVideoSource label_video_format lblOutput lblCsc lblHdrInput')
    put(6, 'label_10 label_12 label_5 label_6 cmbInputSel autoSwEn autoSwDis bPrioNorm pPrioForce '
           'audioHdmi audioJack hdcp14 hdcp22')
    put(6, 'label_3', False)
    put(5, 'automixEDID fixedEDID customEDID cmBEdid ButReadEDID pbReadTvEdidA pbReadTvEdidB '
           'ButLoadEDID ButSaveEDID ButWriteEDID')
    put(6, 'cb2cForce cb51 cbFull cbYUV cbBt2020 cbHdr cb3D')
    put(None, 'EDIDtext', None, 'Courier New')
    put(7, 'cbCec label_28 label_4'); put(6, 'label_26 cmbLa label_2')
    put(7, 'CECtext', True, 'Times New Roman'); put(5, 'ButWriteCEC ButSaveCEC_1 ButSaveCEC_2')
    put(5, 'lblCecDecoded lblIfDecoded lblAviDecoded ButComposeIF ButComposeAVI'); put(6, 'lblCecRecipe cmbCecRecipe')
    put(6, 'cbHdrForceMode bFullHdr bSamHdr cbAviPersistent')
    put(5, 'label_36 label_40 label_39 ButWriteIF label_20 label_16 label_32 label ButWriteAVI '
           'label_13 label_14 label_19 label_22')
    put(7, 'label_8 label_9 label_41')
    put(6, 'IFtext AVItext txtHdrIf', True, 'Times New Roman')
    put(7, 'label_27 label_21 label_7 label_37 label_11 label_24')
    put(6, 'label_23 enableLed disableLed label_25 enableBLed disableBLed bHdrRepurpEn bHdrRepurpDis '
           'enable420 disable420 cmbEdidAlgo label_33 enableAVR disableAVR')
    put(5, 'label_15 label_29 label_31 label_38 label_30 label_34 cbClearSettings cbClearEdid label_17 pbReset')
    return f

def fonts_standard():
    f = {}
    def put(size, names, bold=None, family=None):
        for n in names.split():
            f[n] = (size, bold, family)
    put(12, 'labelTitle_2 labelTitle', True)
    put(12, 'label_3', False); put(12, 'label_4 label_24')
    put(11, 'label_8 label_9 label_41 label_27 label_7 label_11 label_37 label_21')
    put(10, 'label_5 label_6 label_10 label_12 audioHdmi audioJack hdcp22 hdcp14 autoSwEn autoSwDis '
            'enableLed disableLed enableBLed disableBLed enable420 disable420 enableAVR disableAVR '
            'bHdrRepurpEn bHdrRepurpDis')
    put(9, 'label_2 label_23 label_25')
    put(8, 'bPrioNorm pPrioForce bFullHdr bSamHdr')
    put(10, 'CECtext IFtext AVItext txtHdrIf', True, 'Times New Roman')
    put(None, 'EDIDtext', None, 'Courier New')
    return f

# ---------------------------------------------------------------- geometry
# Rectangles are (x, y, width, height) relative to the parent.

def hidpi_geometry():
    g = {
     'MainWindow': (0, 0, 400, 824), 'menubar': (0, 0, 400, 17),
     'layoutWidget2': (5, 5, 248, 41), 'labelFw1': (275, 20, 116, 20), 'frame_2': (5, 45, 386, 91),
     'lblVideoSource': (15, 50, 346, 16), 'label_video_format': (15, 65, 346, 16), 'lblOutput': (15, 80, 346, 16),
     'lblCsc': (10, 50, 346, 16), 'lblHdrInput': (10, 65, 331, 16),
     'label_3': (11, 145, 120, 16), 'cmbInputSel': (155, 140, 186, 26),
     'tabWidget': (5, 260, 386, 506),
     # EDID page
     'automixEDID': (10, 10, 361, 20), 'cb2cForce': (10, 35, 80, 20), 'cb51': (95, 35, 90, 20),
     'cbFull': (190, 35, 120, 20), 'cbYUV': (10, 60, 80, 20), 'cbBt2020': (95, 60, 90, 20),
     'cbHdr': (190, 60, 80, 20), 'cb3D': (275, 60, 96, 20),
     'fixedEDID': (10, 90, 361, 20), 'customEDID': (10, 115, 86, 22),
     'cmBEdid': (100, 115, 271, 22), 'EDIDtext': (5, 140, 371, 251), 'layoutWidget': (5, 395, 371, 71),
     # CEC page
     'cbCec': (15, 15, 200, 20), 'label_26': (45, 40, 300, 16), 'label_28': (15, 65, 306, 31),
     'cmbLa': (15, 100, 221, 27), 'label_4': (5, 165, 200, 20), 'CECtext': (5, 190, 351, 36),
     'ButWriteCEC': (250, 235, 101, 31), 'label_2': (15, 245, 321, 201),
     'ButSaveCEC_1': (250, 275, 101, 21), 'ButSaveCEC_2': (250, 300, 101, 21),
     'lblCecDecoded': (205, 167, 151, 16), 'lblCecRecipe': (15, 452, 70, 20), 'cmbCecRecipe': (90, 451, 266, 22),
     # HDR / IF page
     'cbHdrForceMode': (10, 10, 190, 20), 'bFullHdr': (210, 10, 160, 20), 'bSamHdr': (210, 30, 160, 20),
     'label_36': (10, 30, 190, 20), 'cbAviPersistent': (10, 55, 200, 20), 'label_40': (10, 75, 361, 20),
     'label_8': (5, 100, 200, 20), 'IFtext': (5, 120, 366, 51), 'label_39': (5, 170, 260, 15),
     'ButWriteIF': (270, 175, 101, 31), 'label_20': (5, 185, 260, 15), 'label_16': (5, 200, 260, 15),
     'label_32': (5, 215, 260, 16), 'label_9': (5, 240, 200, 20), 'AVItext': (5, 260, 366, 36),
     'label': (10, 295, 255, 15), 'ButWriteAVI': (270, 300, 101, 31), 'label_13': (10, 310, 255, 15),
     'label_14': (10, 325, 255, 15), 'label_19': (10, 340, 255, 15), 'line_5': (5, 360, 366, 16),
     'label_41': (5, 375, 250, 20), 'txtHdrIf': (5, 395, 366, 46), 'label_22': (10, 445, 361, 16),
     'lblIfDecoded': (205, 102, 166, 16), 'ButComposeIF': (270, 209, 101, 24),
     'lblAviDecoded': (205, 242, 166, 16), 'ButComposeAVI': (270, 333, 101, 24),
     # CONFIG page
     'label_27': (10, 5, 200, 20), 'label_23': (10, 25, 145, 20), 'label_25': (10, 45, 145, 20),
     'label_21': (15, 75, 140, 20), 'label_15': (25, 95, 346, 16), 'label_7': (15, 125, 140, 20),
     'label_29': (25, 145, 346, 15), 'label_31': (25, 160, 346, 16), 'label_37': (5, 190, 150, 20),
     'cmbEdidAlgo': (160, 185, 191, 22), 'label_38': (25, 210, 346, 16), 'line_2': (5, 240, 351, 16),
     'label_33': (10, 255, 200, 20), 'label_11': (15, 275, 140, 20), 'label_30': (30, 300, 341, 15),
     'label_34': (30, 315, 341, 16), 'line': (5, 335, 351, 16), 'label_24': (10, 350, 300, 20),
     'cbClearSettings': (20, 375, 351, 20), 'cbClearEdid': (20, 400, 351, 20),
     'layoutWidget1': (50, 425, 327, 48),
    }
    for cap, y in (('label_10', 170), ('label_12', 190), ('label_5', 210), ('label_6', 230)):
        g[cap] = (11, y, 120, 20)
    for a, b, y in (('autoSwEn', 'autoSwDis', 170), ('bPrioNorm', 'pPrioForce', 190),
                    ('audioHdmi', 'audioJack', 210), ('hdcp14', 'hdcp22', 230)):
        g[a] = (155, y, 100, 20); g[b] = (265, y, 100, 20)
    for a, b, y, x2 in (('enableLed', 'disableLed', 25, 270), ('enableBLed', 'disableBLed', 45, 270),
                        ('bHdrRepurpEn', 'bHdrRepurpDis', 75, 270), ('enable420', 'disable420', 125, 270),
                        ('enableAVR', 'disableAVR', 275, 275)):
        g[a] = (165, y, 100, 20); g[b] = (x2, y, 100, 20)
    return g

def standard_geometry():
    g = {
     'MainWindow': (0, 0, 377, 781), 'menubar': (0, 0, 377, 21),
     'layoutWidget2': (5, 5, 161, 34), 'labelFw1': (250, 12, 116, 20), 'frame_2': (5, 45, 361, 86),
     'lblVideoSource': (15, 50, 341, 15), 'label_video_format': (15, 65, 341, 15), 'lblOutput': (10, 35, 341, 15),
     'lblCsc': (10, 50, 341, 15), 'lblHdrInput': (10, 65, 341, 15),
     'label_3': (5, 137, 160, 20), 'cmbInputSel': (169, 135, 166, 20),
     'tabWidget': (5, 245, 366, 481),
     'horizontalLayoutWidget': (35, 60, 316, 36),
    }
    for cap, y in (('label_10', 160), ('label_12', 180), ('label_5', 200), ('label_6', 220)):
        g[cap] = (5, y, 160, 20)
    for a, b, y in (('autoSwEn', 'autoSwDis', 160), ('bPrioNorm', 'pPrioForce', 180),
                    ('audioHdmi', 'audioJack', 200), ('hdcp14', 'hdcp22', 220)):
        g[a] = (170, y, 90, 20); g[b] = (265, y, 95, 20)
    g.update(STANDARD_PAGES)
    return g

STANDARD_PAGES = {
    # EDID page (362 x 453): the seven EDID options in the rows of the other
    # form, three and four.
    'automixEDID': (5, 5, 352, 20),
    'cb2cForce': (5, 27, 115, 20), 'cb51': (125, 27, 115, 20), 'cbFull': (245, 27, 112, 20),
    'cbYUV': (5, 48, 86, 20), 'cbBt2020': (93, 48, 80, 20), 'cbHdr': (175, 48, 92, 20),
    'cb3D': (269, 48, 88, 20),
    'fixedEDID': (5, 92, 352, 20), 'customEDID': (5, 115, 125, 22), 'cmBEdid': (133, 115, 224, 22),
    'EDIDtext': (5, 141, 352, 246), 'layoutWidget': (3, 391, 356, 58),
    # CEC page
    'cbCec': (15, 10, 200, 20), 'label_26': (35, 32, 300, 20),
    'label_4': (5, 102, 115, 22), 'CECtext': (5, 126, 352, 36), 'ButWriteCEC': (247, 166, 110, 27),
    'lblCecDecoded': (122, 105, 235, 16), 'lblCecRecipe': (5, 415, 70, 22), 'cmbCecRecipe': (78, 415, 279, 22),
    'label_2': (5, 197, 237, 210), 'ButSaveCEC_1': (247, 197, 110, 27), 'ButSaveCEC_2': (247, 228, 110, 27),
    # HDR / IF page
    'cbHdrForceMode': (5, 4, 210, 20), 'bFullHdr': (217, 4, 141, 19), 'bSamHdr': (217, 23, 141, 19),
    'label_36': (5, 24, 210, 19), 'cbAviPersistent': (5, 59, 200, 20), 'label_40': (5, 79, 353, 15),
    'label_8': (5, 95, 110, 18), 'IFtext': (5, 114, 353, 44), 'label_39': (5, 160, 353, 15),
    'ButWriteIF': (278, 177, 80, 24), 'label_20': (5, 202, 270, 15), 'label_16': (5, 217, 270, 15),
    'label_32': (5, 232, 270, 15), 'label_9': (5, 249, 110, 18), 'AVItext': (5, 268, 353, 34),
    'label': (5, 304, 270, 15), 'ButWriteAVI': (278, 306, 80, 24), 'label_13': (5, 319, 270, 15),
    'label_14': (5, 334, 270, 15), 'label_19': (5, 349, 270, 15), 'line_5': (5, 364, 353, 8),
    'lblIfDecoded': (117, 96, 241, 16), 'ButComposeIF': (278, 205, 80, 24),
    'lblAviDecoded': (117, 250, 241, 16), 'ButComposeAVI': (278, 334, 80, 24),
    'label_41': (5, 373, 250, 18), 'txtHdrIf': (5, 392, 353, 40), 'label_22': (5, 434, 353, 15),
    # CONFIG page
    'label_27': (5, 3, 200, 20), 'label_23': (5, 24, 155, 20), 'label_25': (5, 45, 155, 20),
    'label_21': (5, 70, 155, 20), 'label_15': (15, 91, 343, 18), 'label_7': (5, 113, 155, 20),
    'label_29': (5, 134, 353, 18), 'label_31': (15, 152, 343, 18), 'label_37': (5, 175, 150, 22),
    'cmbEdidAlgo': (160, 175, 196, 22), 'label_38': (5, 199, 353, 18), 'line_2': (5, 218, 353, 10),
    'label_33': (5, 229, 200, 18), 'label_11': (5, 248, 155, 20), 'label_30': (15, 269, 343, 18),
    'label_34': (15, 287, 343, 18), 'line': (5, 306, 353, 10), 'label_24': (5, 317, 353, 22),
    'cbClearSettings': (15, 341, 343, 20), 'cbClearEdid': (15, 363, 343, 20),
    'layoutWidget1': (5, 386, 353, 30),
}
for a, b, y in (('enableLed', 'disableLed', 24), ('enableBLed', 'disableBLed', 45),
                ('bHdrRepurpEn', 'bHdrRepurpDis', 70), ('enable420', 'disable420', 113),
                ('enableAVR', 'disableAVR', 248)):
    STANDARD_PAGES[a] = (165, y, 90, 20); STANDARD_PAGES[b] = (262, y, 95, 20)

# ---------------------------------------------------------------- tree
# (class, name, props, children, extra); props are raw XML property snippets.

def label(name, right=False, **kw):
    return dict(cls='QLabel', name=name, right=right, **kw)

def radio(name, group, checked=False):
    return dict(cls='QRadioButton', name=name, group=group, checked=checked)

def check(name, checked=False, autoexcl=None, **kw):
    return dict(cls='QCheckBox', name=name, checked=checked, autoexcl=autoexcl, **kw)

def button(name, **kw):
    return dict(cls='QPushButton', name=name, **kw)

def editor(name, tips=True, doctitle=True, linewidth=True):
    return dict(cls='QTextEdit', name=name, box=True, tips=tips, doctitle=doctitle, linewidth=linewidth)

def line(name):
    return dict(cls='Line', name=name)

def tree(variant):
    std = variant == 'standard'
    status_frame_children = [label('lblOutput')] if std else []
    status_frame_children += [label('lblCsc'), label('lblHdrInput')]
    header = [
        dict(cls='QWidget', name='layoutWidget2', layout=('QHBoxLayout', 'horizontalLayout'),
             items=[label('labelTitle_2'), label('labelTitle')]),
        label('labelFw1'),
        dict(cls='QFrame', name='frame_2', frame=True, children=status_frame_children),
        label('lblVideoSource'), label('label_video_format'),
    ] + ([] if std else [label('lblOutput')])
    controls = [
        label('label_3', right=True), dict(cls='QComboBox', name='cmbInputSel'),
        label('label_10', right=True), label('label_12', right=True),
        label('label_5', right=True), label('label_6', right=True),
        radio('audioHdmi', 'buttonGroup_3', True), radio('audioJack', 'buttonGroup_3'),
        radio('hdcp22', 'buttonGroup_4'), radio('hdcp14', 'buttonGroup_4', True),
        radio('autoSwEn', 'buttonGroup_2', True), radio('autoSwDis', 'buttonGroup_2'),
        radio('bPrioNorm', 'buttonGroup_5', True), radio('pPrioForce', 'buttonGroup_5'),
    ]
    page_edid = [
        radio('automixEDID', 'buttonGroup_6', True),
        check('cb2cForce', autoexcl=False), check('cb51', autoexcl=False), check('cbFull', autoexcl=False),
        check('cbYUV', True), check('cbBt2020'), check('cbHdr', True), check('cb3D'),
        radio('fixedEDID', 'buttonGroup_6'), radio('customEDID', 'buttonGroup_6'),
        dict(cls='QComboBox', name='cmBEdid', combo={'maxVisibleItems': 25, 'maxCount': 25}),
        dict(cls='QTextEdit', name='EDIDtext'),
        dict(cls='QWidget', name='layoutWidget', layout=('QGridLayout', 'gridLayout'),
             items=[(0, 0, button('ButReadEDID')), (0, 1, button('pbReadTvEdidA')), (0, 2, button('pbReadTvEdidB')),
                    (1, 0, button('ButLoadEDID')), (1, 1, button('ButSaveEDID')), (1, 2, button('ButWriteEDID'))]),
    ]
    cmbla = dict(cls='QComboBox', name='cmbLa', combo={'maxCount': 15}, basesize=True)
    device_type = ([dict(cls='QWidget', name='horizontalLayoutWidget', layout=('QHBoxLayout', 'horizontalLayout_3'),
                         items=[label('label_28'), cmbla])] if std else [label('label_28'), cmbla])
    page_cec = [check('cbCec', True), label('label_26')] + device_type + [
        label('label_4'), editor('CECtext', doctitle=False), button('ButWriteCEC'),
        label('label_2', rich=True), button('ButSaveCEC_1'), button('ButSaveCEC_2'),
        label('lblCecDecoded'), label('lblCecRecipe'), dict(cls='QComboBox', name='cmbCecRecipe')]
    page_hdr = [
        check('cbHdrForceMode'), radio('bFullHdr', 'buttonGroup_7', True), radio('bSamHdr', 'buttonGroup_7'),
        label('label_36'), check('cbAviPersistent'), label('label_40'), label('label_8'), editor('IFtext'),
        label('label_39'), button('ButWriteIF', checkable=False), label('label_20'), label('label_16'),
        label('label_32'), label('label_9'), editor('AVItext', linewidth=False), label('label'),
        button('ButWriteAVI', checkable=False), label('label_13'), label('label_14'), label('label_19'),
        line('line_5'), label('label_41'), editor('txtHdrIf'), label('label_22'),
        label('lblIfDecoded'), button('ButComposeIF', checkable=False), label('lblAviDecoded'),
        button('ButComposeAVI', checkable=False)]
    page_config = [
        label('label_27', right=True), label('label_23', right=True),
        radio('enableLed', 'buttonGroup_10'), radio('disableLed', 'buttonGroup_10'),
        label('label_25', right=True),
        radio('enableBLed', 'buttonGroup_9'), radio('disableBLed', 'buttonGroup_9'),
        label('label_21', right=True), label('label_15'),
        label('label_7', right=True),
        radio('enable420', 'buttonGroup_8'), radio('disable420', 'buttonGroup_8'),
        label('label_29'), label('label_31'), label('label_37', right=True),
        dict(cls='QComboBox', name='cmbEdidAlgo'), label('label_38'), line('line_2'), label('label_33'),
        label('label_11', right=True),
        radio('disableAVR', 'buttonGroup_12'), radio('enableAVR', 'buttonGroup_12'),
        label('label_30'), label('label_34'), line('line'), label('label_24'),
        check('cbClearSettings'), check('cbClearEdid'),
        dict(cls='QWidget', name='layoutWidget1', layout=('QHBoxLayout', 'horizontalLayout_2'),
             items=[label('label_17'), dict(cls='QLineEdit', name='leReset'), button('pbReset')]),
        radio('bHdrRepurpDis', 'buttonGroup_13'), radio('bHdrRepurpEn', 'buttonGroup_13'),
    ]
    pages = [('tab', page_edid), ('tab_3', page_cec), ('tab_2', page_hdr), ('tab_4', page_config)]
    tabs = dict(cls='QTabWidget', name='tabWidget', pages=pages)
    return header + controls + [tabs]

# ---------------------------------------------------------------- XML writer

# Siblings are stacked in the order uic creates them, the last on top. Where
# rectangles overlap, a label or frame must not lie over a control and take
# its clicks: those go first, the controls after them.
PASSIVE = ('QLabel', 'QFrame', 'Line')


def stacked(children):
    return sorted(children, key=lambda c: 0 if c['cls'] in PASSIVE else 1)


class Writer:
    def __init__(self, variant):
        self.variant = variant
        self.fonts = fonts_hidpi() if variant == 'hidpi' else fonts_standard()
        self.geo = hidpi_geometry() if variant == 'hidpi' else standard_geometry()
        self.text = dict(TEXT)
        if variant == 'standard':
            self.text.update(STANDARD_TEXT)
        self.out = []
        self.seen = []

    def w(self, depth, s):
        self.out.append(' ' * depth + s)

    def prop(self, d, name, inner, stdset=True):
        attr = '' if stdset else ' stdset="0"'
        self.w(d, f'<property name="{name}"{attr}>{inner}</property>')

    def string(self, s, notr=False):
        if s == '':
            return '<string/>'
        attr = ' notr="true"' if notr else ''
        return f'<string{attr}>{escape(s)}</string>'

    def font(self, d, name):
        if name not in self.fonts:
            return
        size, bold, family = self.fonts[name]
        parts = []
        if family:
            parts.append(f'<family>{escape(family)}</family>')
        if size:
            parts.append(f'<pointsize>{size}</pointsize>')
        if bold is not None:
            parts.append(f'<weight>{75 if bold else 50}</weight><bold>{"true" if bold else "false"}</bold>')
        self.w(d, '<property name="font">')
        self.w(d + 1, '<font>' + ''.join(parts) + '</font>')
        self.w(d, '</property>')

    def geometry(self, d, name):
        r = self.geo.get(name)
        if r is None:
            raise SystemExit(f'{self.variant}: no rectangle for {name}')
        x, y, wd, ht = r
        self.w(d, '<property name="geometry">')
        self.w(d + 1, f'<rect><x>{x}</x><y>{y}</y><width>{wd}</width><height>{ht}</height></rect>')
        self.w(d, '</property>')

    def widget(self, d, node, in_layout=False, attrs=None):
        cls, name = node['cls'], node['name']
        self.seen.append(name)
        self.w(d, f'<widget class="{cls}" name="{name}">')
        for k, v in (attrs or {}).items():
            self.w(d + 1, f'<attribute name="{k}">{self.string(v)}</attribute>')
        if 'group' in node:
            self.w(d + 1, f'<attribute name="buttonGroup">{self.string(node["group"], notr=True)}</attribute>')
        if not in_layout and cls not in ('QTabWidget',) and 'page' not in node:
            self.geometry(d + 1, name)
        if cls == 'QTabWidget':
            self.geometry(d + 1, name)
        self.font(d + 1, name)
        if cls == 'QComboBox' and node.get('basesize'):
            self.prop(d + 1, 'baseSize', '<size><width>0</width><height>0</height></size>')
        if node.get('box') or node.get('frame'):
            if node.get('box') and node.get('tips', False):
                self.prop(d + 1, 'toolTip', '<string/>')
                self.prop(d + 1, 'whatsThis', '<string/>')
            self.prop(d + 1, 'frameShape', '<enum>QFrame::Box</enum>')
            self.prop(d + 1, 'frameShadow', '<enum>QFrame::Plain</enum>' if node.get('box') else '<enum>QFrame::Raised</enum>')
            if node.get('box') and node.get('linewidth'):
                self.prop(d + 1, 'lineWidth', '<number>1</number>')
            if node.get('box') and node.get('doctitle'):
                self.prop(d + 1, 'documentTitle', '<string/>')
        if cls == 'Line':
            self.prop(d + 1, 'orientation', '<enum>Qt::Horizontal</enum>')
        if cls == 'QTextEdit':
            self.prop(d + 1, 'tabChangesFocus', '<bool>true</bool>')
        if name in TOOLTIP:
            self.prop(d + 1, 'toolTip', self.string(TOOLTIP[name]))
        if name in self.text and cls not in ('QWidget',):
            self.prop(d + 1, 'text', self.string(self.text[name]))
        if node.get('rich'):
            self.prop(d + 1, 'textFormat', '<enum>Qt::AutoText</enum>')
            self.prop(d + 1, 'scaledContents', '<bool>false</bool>')
            self.prop(d + 1, 'alignment', '<set>Qt::AlignLeading|Qt::AlignLeft|Qt::AlignTop</set>')
            self.prop(d + 1, 'wordWrap', '<bool>false</bool>')
            self.prop(d + 1, 'indent', '<number>0</number>')
        if node.get('right'):
            self.prop(d + 1, 'alignment', f'<set>{RIGHT}</set>')
        if cls in ('QCheckBox', 'QRadioButton'):
            self.prop(d + 1, 'checked', f'<bool>{"true" if node.get("checked") else "false"}</bool>')
        if node.get('autoexcl') is not None:
            self.prop(d + 1, 'autoExclusive', f'<bool>{"true" if node["autoexcl"] else "false"}</bool>')
        if node.get('checkable') is False:
            self.prop(d + 1, 'checkable', '<bool>false</bool>')
        for k, v in node.get('combo', {}).items():
            self.prop(d + 1, k, f'<number>{v}</number>')
        if cls == 'QLineEdit':
            self.prop(d + 1, 'maxLength', '<number>50</number>')
            self.prop(d + 1, 'frame', '<bool>true</bool>')
        if cls == 'QTabWidget':
            self.prop(d + 1, 'currentIndex', '<number>0</number>')
            for pname, children in node['pages']:
                self.seen.append(pname)
                self.w(d + 1, f'<widget class="QWidget" name="{pname}">')
                self.w(d + 2, f'<attribute name="title">{self.string(self.text[pname])}</attribute>')
                for c in stacked(children):
                    self.widget(d + 2, c)
                self.w(d + 1, '</widget>')
        if 'layout' in node:
            lcls, lname = node['layout']
            self.seen.append(lname)
            self.w(d + 1, f'<layout class="{lcls}" name="{lname}">')
            for side in ('left', 'top', 'right', 'bottom'):
                self.prop(d + 2, f'{side}Margin', '<number>0</number>')
            for item in node['items']:
                if isinstance(item, tuple):
                    r, c, sub = item
                    self.w(d + 2, f'<item row="{r}" column="{c}">')
                else:
                    sub = item
                    self.w(d + 2, '<item>')
                self.widget(d + 3, sub, in_layout=True)
                self.w(d + 2, '</item>')
            self.w(d + 1, '</layout>')
        for c in stacked(node.get('children', [])):
            self.widget(d + 1, c)
        self.w(d, '</widget>')

    def document(self):
        v = self.variant
        self.w(0, '<?xml version="1.0" encoding="UTF-8"?>')
        self.w(0, '<!-- SPDX-License-Identifier: GPL-3.0-or-later -->')
        self.w(0, '<!-- Generated by ui/make_forms.py from one description of both variants.')
        self.w(0, '     Edit the script and run it; an edit here is lost at its next run')
        self.w(0, '     (the form_generated test compares the two). -->')
        self.w(0, '<ui version="4.0">')
        self.w(1, '<class>MainWindow</class>')
        self.w(1, '<widget class="QMainWindow" name="MainWindow">')
        self.geometry(2, 'MainWindow')
        self.prop(2, 'sizePolicy', '<sizepolicy hsizetype="Preferred" vsizetype="Preferred">'
                  '<horstretch>0</horstretch><verstretch>0</verstretch></sizepolicy>')
        self.prop(2, 'maximumSize', '<size><width>1000</width><height>1000</height></size>')
        self.font(2, 'MainWindow')
        self.prop(2, 'windowTitle', self.string('VANTREL UTILITY'))
        self.prop(2, 'windowIcon', f'<iconset resource="../../app/resources/vantrel_{v}.qrc">'
                  '<normaloff>:/Vantrel_32.png</normaloff>:/Vantrel_32.png</iconset>')
        self.w(2, '<widget class="QWidget" name="centralwidget">')
        self.seen.append('centralwidget')
        for node in tree(v):
            self.widget(3, node)
        self.w(2, '</widget>')
        self.w(2, '<widget class="QMenuBar" name="menubar">')
        self.geometry(3, 'menubar')
        self.font(3, 'menubar')
        for menu, title, action in (('menuFile', '&File', 'actionExit'), ('menuHelp', '&Help', 'actionAbout')):
            self.w(3, f'<widget class="QMenu" name="{menu}">')
            self.prop(4, 'title', self.string(title))
            self.w(4, f'<addaction name="{action}"/>')
            self.w(3, '</widget>')
        self.w(3, '<addaction name="menuFile"/>')
        self.w(3, '<addaction name="menuHelp"/>')
        self.w(2, '</widget>')
        self.w(2, '<widget class="QStatusBar" name="statusbar">')
        self.font(3, 'statusbar')
        self.w(2, '</widget>')
        for action, text, key in (('actionExit', 'E&xit', 'Ctrl+Q'), ('actionAbout', '&About', 'F1')):
            self.w(2, f'<action name="{action}">')
            self.prop(3, 'text', self.string(text))
            self.prop(3, 'shortcut', self.string(key, notr=True))
            self.font(3, action)
            self.w(2, '</action>')
        self.w(1, '</widget>')
        self.w(1, '<tabstops>')
        for t in TABSTOPS:
            self.w(2, f'<tabstop>{t}</tabstop>')
        self.w(1, '</tabstops>')
        self.w(1, '<resources>')
        self.w(2, f'<include location="../../app/resources/vantrel_{v}.qrc"/>')
        self.w(1, '</resources>')
        self.w(1, '<connections>')
        for sender, signal, slot in CONNECTIONS:
            self.w(2, '<connection>')
            self.w(3, f'<sender>{sender}</sender>')
            self.w(3, f'<signal>{signal}</signal>')
            self.w(3, '<receiver>MainWindow</receiver>')
            self.w(3, f'<slot>{slot}</slot>')
            self.w(2, '</connection>')
        self.w(1, '</connections>')
        self.w(1, '<slots>')
        for s in SLOTS:
            self.w(2, f'<slot>{s}</slot>')
        self.w(1, '</slots>')
        self.w(1, '<buttongroups>')
        for g in GROUPS:
            self.w(2, f'<buttongroup name="{g}"/>')
        self.w(1, '</buttongroups>')
        self.w(0, '</ui>')
        return '\n'.join(self.out) + '\n'

# Focus order: the header's controls, the tabs, then each page top to bottom.
TABSTOPS = '''cmbInputSel autoSwEn autoSwDis bPrioNorm pPrioForce audioHdmi audioJack hdcp14 hdcp22 tabWidget
automixEDID cb2cForce cb51 cbFull cbYUV cbBt2020 cbHdr cb3D fixedEDID customEDID cmBEdid EDIDtext
ButReadEDID pbReadTvEdidA pbReadTvEdidB ButLoadEDID ButSaveEDID ButWriteEDID
cbCec cmbLa CECtext ButWriteCEC ButSaveCEC_1 ButSaveCEC_2 cmbCecRecipe
cbHdrForceMode bFullHdr bSamHdr cbAviPersistent IFtext ButWriteIF ButComposeIF AVItext ButWriteAVI ButComposeAVI
txtHdrIf
enableLed disableLed enableBLed disableBLed bHdrRepurpEn bHdrRepurpDis enable420 disable420 cmbEdidAlgo
enableAVR disableAVR cbClearSettings cbClearEdid leReset pbReset'''.split()
assert len(TABSTOPS) == len(set(TABSTOPS)) == 61

CONNECTIONS = [tuple(l.split()) for l in '''
actionExit triggered() FileExit()
actionAbout triggered() FileAbout()
autoSwEn clicked() SetAutoSwitch()
audioHdmi clicked() SetAudioSource()
hdcp14 clicked() SetHDCP_Version()
autoSwDis clicked() SetAutoSwitch()
audioJack clicked() SetAudioSource()
hdcp22 clicked() SetHDCP_Version()
bPrioNorm clicked() setSwPriority()
pPrioForce clicked() setSwPriority()
ButReadEDID released() ReadEDID()
ButWriteEDID pressed() WriteEDID()
ButLoadEDID released() LoadEDIDfromFile()
ButSaveEDID released() SaveEDIDtoFile()
pbReadTvEdidA released() CalculateChkSum()
ButWriteCEC released() WriteCEC()
enable420 clicked() SetOut_420()
disable420 clicked() SetOut_420()
automixEDID clicked() SetEDID_Mode()
fixedEDID clicked() SetEDID_Mode()
customEDID clicked() SetEDID_Mode()
ButSaveCEC_1 released() SaveCEC_1()
ButSaveCEC_2 released() SaveCEC_2()
ButWriteIF released() WriteIF()
cb2cForce stateChanged(int) force2c()
cb51 stateChanged(int) force51()
cbHdr stateChanged(int) forceHdr()
cbFull stateChanged(int) forceFullAudio()
cmBEdid currentIndexChanged(int) changeCustomEdid()
ButWriteAVI released() sendAVI()
enableLed clicked() setLogoLed()
disableLed clicked() setLogoLed()
cbBt2020 stateChanged(int) setBt2020()
pbReset clicked() factoryReset()
enableBLed clicked() setBlueLed()
disableBLed clicked() setBlueLed()
cbYUV stateChanged(int) setYUV()
cbCec stateChanged(int) setCEC()
cmbLa currentIndexChanged(int) setCecLa()
enableAVR clicked() setAVR()
disableAVR clicked() setAVR()
pbReadTvEdidA pressed() readTvEdidA()
pbReadTvEdidB pressed() readTvEdidB()
cb3D stateChanged(int) set3D()
cmbEdidAlgo currentIndexChanged(int) setEdidAlgo()
bHdrRepurpEn clicked() CecLpRepurp()
bHdrRepurpDis clicked() CecLpRepurp()
cmbInputSel currentIndexChanged(int) SetActivePort()
cbAviPersistent clicked() setAviPers()
cbHdrForceMode stateChanged(int) hdrForceActivate()
bSamHdr clicked() hdrSamsung()
bFullHdr clicked() hdrSamsung()
'''.strip().splitlines()]
assert len(CONNECTIONS) == 52

SLOTS = '''on_ProgressChange(int,int) SaveEDIDtoFile() LoadEDIDfromFile() FileExit() FileAbout() ReadEDID() WriteEDID()
WriteCEC() WriteIF() CalculateChkSum() SetActivePort() SetAutoSwitch() SetAudioSource() SetHDCP_Version() SetOut_420()
SetEDID_Mode() SetEPState() SaveCEC_1() SaveCEC_2() force2c() force51() forceHdr() forceFullAudio() setSwPriority()
changeCustomEdid() sendAVI() CecLpRepurp() hdrForceActivate() hdrSamsung() setLogoLed() setBt2020() setBlueLed()
factoryReset() setYUV() setCEC() setCecLa() setAVR() readTvEdidA() readTvEdidB() set3D() setEdidAlgo()
setAviPers()'''.split()
assert len(SLOTS) == 42

GROUPS = '''buttonGroup_3 buttonGroup_4 buttonGroup_2 buttonGroup_5 buttonGroup_6 buttonGroup_7 buttonGroup_10
buttonGroup_9 buttonGroup_8 buttonGroup_12 buttonGroup_13'''.split()

for variant in ('hidpi', 'standard'):
    wr = Writer(variant)
    xml = wr.document()
    open(f'{OUT}/{variant}/VantrelForm.ui', 'w').write(xml)
    print(variant, len(wr.seen), 'objects')
