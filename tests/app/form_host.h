// SPDX-License-Identifier: GPL-3.0-or-later
// A stand-in for the main window: the same slot names and signatures, each
// recording that it ran, so the form's wiring can be checked on its own.
#pragma once

#include <QMainWindow>
#include <QStringList>

class FormHost : public QMainWindow {
    Q_OBJECT

public:
    explicit FormHost(QWidget *parent = nullptr) : QMainWindow(parent) {}

    // Slot names in the order they ran since the last take().
    QStringList take()
    {
        QStringList out = calls_;
        calls_.clear();
        return out;
    }

public slots:
    void on_ProgressChange(int, int) { hit("on_ProgressChange"); }

private slots:
    bool SaveEDIDtoFile() { return hit("SaveEDIDtoFile"); }
    bool LoadEDIDfromFile() { return hit("LoadEDIDfromFile"); }
    void FileExit() { hit("FileExit"); }
    void FileAbout() { hit("FileAbout"); }
    void ReadEDID() { hit("ReadEDID"); }
    void WriteEDID() { hit("WriteEDID"); }
    bool WriteCEC() { return hit("WriteCEC"); }
    bool WriteIF() { return hit("WriteIF"); }
    bool CalculateChkSum() { return hit("CalculateChkSum"); }
    void SetActivePort() { hit("SetActivePort"); }
    void SetAutoSwitch() { hit("SetAutoSwitch"); }
    void SetAudioSource() { hit("SetAudioSource"); }
    void SetHDCP_Version() { hit("SetHDCP_Version"); }
    void SetOut_420() { hit("SetOut_420"); }
    void SetEDID_Mode() { hit("SetEDID_Mode"); }
    void SetEPState() { hit("SetEPState"); }
    bool SaveCEC_1() { return hit("SaveCEC_1"); }
    bool SaveCEC_2() { return hit("SaveCEC_2"); }
    void force2c() { hit("force2c"); }
    void force51() { hit("force51"); }
    void forceHdr() { hit("forceHdr"); }
    void forceFullAudio() { hit("forceFullAudio"); }
    void setSwPriority() { hit("setSwPriority"); }
    void changeCustomEdid() { hit("changeCustomEdid"); }
    bool sendAVI() { return hit("sendAVI"); }
    void CecLpRepurp() { hit("CecLpRepurp"); }
    void hdrForceActivate() { hit("hdrForceActivate"); }
    void hdrSamsung() { hit("hdrSamsung"); }
    void setLogoLed() { hit("setLogoLed"); }
    void setBt2020() { hit("setBt2020"); }
    void setBlueLed() { hit("setBlueLed"); }
    void factoryReset() { hit("factoryReset"); }
    void setYUV() { hit("setYUV"); }
    void setCEC() { hit("setCEC"); }
    void setCecLa() { hit("setCecLa"); }
    void setAVR() { hit("setAVR"); }
    void readTvEdidA() { hit("readTvEdidA"); }
    void readTvEdidB() { hit("readTvEdidB"); }
    void set3D() { hit("set3D"); }
    void setEdidAlgo() { hit("setEdidAlgo"); }
    void setAviPers() { hit("setAviPers"); }

private:
    bool hit(const char *slot)
    {
        calls_ << QString::fromLatin1(slot);
        return true;
    }

    QStringList calls_;
};
