// SPDX-License-Identifier: GPL-3.0-or-later
// The one window: start-up, the poll tick, the exit paths and every slot the
// form connects. The slots' bodies live in window/, one file per page or area
// (settings_page, status_area, edid_page, edid_decode_page, inject_page); this
// class only holds the state they share.
#pragma once

#include "ui_VantrelForm.h"

#include "box_presence.h"
#include "box_requests.h"
#include "clock.h"
#include "frames.h"
#include "usb_link.h"

#include <QMainWindow>

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class EdidDecodeDialog;
class Feedback;
class PacketDecodeDialog;
class QAction;
class QLabel;
class QMenu;
class QProgressBar;

namespace vantrel {
struct Session;
}

class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // What the window talks to. Null members take the process defaults: the USB
    // library chosen by VANTREL_USB_LIBRARY, the steady clock, the real boxes.
    struct Environment {
        const UsbApi *api = nullptr;
        bool apiGiven = false; // api chosen by the caller, even when null
        vantrel::Clock *clock = nullptr;
        Feedback *feedback = nullptr;
        std::function<void(int)> exitProcess; // FileExit's way out; default std::exit
    };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Environment &env, QWidget *parent = nullptr);
    ~MainWindow() override;

    static const char *const DeviceIdString;

    // Program-wide state; public so tests can look at it.
    Ui_MainWindow *ui = nullptr;
    bool SetupComplete = false;
    bool PendingEdidRead = true;
    // Failed EDID re-reads since the last one was asked for.
    int edidRereadTries_ = 0;
    static constexpr int kMaxEdidRereadTries = 3;
    bool simulated() const { return simulated_; }
    uint8_t SettingsImage[vantrel::frame::kSettingsSize] = {};
    std::string EdidTextBuffer;

    vantrel::UsbLink &link() { return *link_; }
    const vantrel::BoxPresence &presence() const { return presence_; }
    bool BusyFlag() const { return link_->busy(); }
    bool pollTimerRunning() const { return pollTimerRunning_; }
    int pollIntervalMs() const { return pollIntervalMs_; }
    QProgressBar *progressBar() const { return progressBar_; }
    // Tools > Decode EDID... and its window (null until first used).
    QAction *decodeEdidAction() const { return decodeEdidAction_; }
    EdidDecodeDialog *decodeDialog() const { return decodeDialog_; }
    // Tools > Decode packets... and its window (null until first used).
    QAction *decodePacketsAction() const { return decodePacketsAction_; }
    PacketDecodeDialog *packetDialog() const { return packetDialog_; }

    // One poll tick, as the timer delivers it.
    void pollTick();

    // The four register and block operations, reporting on the status bar.
    bool ReadRegister(uint8_t item, uint8_t *reply, uint8_t length);
    bool WriteRegister(uint8_t reg, uint8_t value);
    bool ReadBlock(uint8_t *reply, uint8_t length);
    bool WriteBlock(const uint8_t image[vantrel::frame::kSettingsSize]);

    void RefreshSettings();
    void RefreshStatus();

public slots:
    void on_ProgressChange(int a, int b);

private slots:
    bool SaveEDIDtoFile();
    bool LoadEDIDfromFile();
    void FileExit();
    void FileAbout();
    void ReadEDID();
    void WriteEDID();
    bool WriteCEC();
    bool WriteIF();
    bool CalculateChkSum();
    void SetActivePort();
    void SetAutoSwitch();
    void SetAudioSource();
    void SetHDCP_Version();
    void SetOut_420();
    void SetEDID_Mode();
    void SetEPState();
    bool SaveCEC_1();
    bool SaveCEC_2();
    void force2c();
    void force51();
    void forceHdr();
    void forceFullAudio();
    void setSwPriority();
    void changeCustomEdid();
    bool sendAVI();
    void CecLpRepurp();
    void hdrForceActivate();
    void hdrSamsung();
    void setLogoLed();
    void setBt2020();
    void setBlueLed();
    void factoryReset();
    void setYUV();
    void setCEC();
    void setCecLa();
    void setAVR();
    void readTvEdidA();
    void readTvEdidB();
    void set3D();
    void setEdidAlgo();
    void setAviPers();
    void DecodeEdid();
    void DecodePackets();
    void RefreshPacketDecodes();
    void RefreshCapturedDecode();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void InitDevice();
    void StartPollTimer(int intervalMs);
    void StopPollTimer();
    void PollStep();

    // Start-up in steps, so a box that stops answering part-way resumes there.
    static constexpr int kStartupSteps = 4;
    void runStartupStep(int step);
    void continueStartup();
    // window/box_presence_area.cpp
    void setupPresence();
    void showPresence();
    template <size_t N>
    void setControlsEnabled(const char *const (&names)[N], bool enabled);
    void settingsFilled();
    bool openBox(bool quiet);
    void probeBox();
    // Whether every exchange since unansweredBefore was answered; if not, the
    // box counts as silent, or as gone when it is no longer listed.
    bool answered(uint32_t unansweredBefore);

    // Shared by the glue files.
    void status(const QString &text, int ms);
    void statusFromCore(const std::string &text, int ms);
    vantrel::Session session();
    void setupProgressBar();
    void setupToolsMenu();
    void setupShortcuts();
    void fitToScreen();
    void addPacketDecodeAction(QMenu *tools);
    template <typename Decode>
    void showPacketDecode(int section, const QString &text, const QString &empty, Decode decode);
    bool readEdidFrom(uint8_t fetchCode);
    bool uploadEdid();
    // The EDID box's text parsed; false (after "Hex Format Error") on a format error.
    // count, if given: how many values the text holds.
    bool parseEdidBox(std::array<uint8_t, 256> &image, int *count = nullptr);
    void showEdidHex(const std::array<uint8_t, 256> &image);
    bool saveCecCommand(uint8_t code);
    // The setting slot's register write, worked out from the settings table.
    void runSetting(const char *slot);

    Environment env_;
    std::unique_ptr<Feedback> ownedFeedback_;
    Feedback *feedback_ = nullptr;
    vantrel::Clock *clock_ = nullptr;
    std::unique_ptr<vantrel::UsbLink> link_;
    std::unique_ptr<vantrel::BoxRequests> box_;
    bool simulated_ = false;
    vantrel::BoxPresence presence_;
    QLabel *noBoxLabel_ = nullptr;
    QLabel *silentBoxLabel_ = nullptr;
    bool settingsFilled_ = false;
    bool quietLink_ = false; // looking again: the link's alerts were said once
    int startupStep_ = 0;
    QProgressBar *progressBar_ = nullptr;
    QAction *decodeEdidAction_ = nullptr;
    EdidDecodeDialog *decodeDialog_ = nullptr;
    QAction *decodePacketsAction_ = nullptr;
    PacketDecodeDialog *packetDialog_ = nullptr;
    bool pollTimerRunning_ = false;
    int pollTimerId_ = 0;
    int pollIntervalMs_ = 0;
};
