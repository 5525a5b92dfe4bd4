// SPDX-License-Identifier: GPL-3.0-or-later
// The one window: start-up, the poll tick, the exit paths and every slot the
// form connects. Each slot forwards to the page that owns it (pages/): the
// settings page, the status area, the EDID page, the injection page and the
// two decode windows; each page holds its own state.
#pragma once

#include "ui_VantrelForm.h"

#include "box.h"
#include "box_presence.h"
#include "clock.h"
#include "exchange_thread.h"
#include "frames.h"
#include "usb_link.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

class BoxPresenceArea;
class EdidDecodePage;
class EdidDesignerPage;
class ChainPlannerPage;
class EdidLibraryPage;
class EdidPage;
class Feedback;
class InjectPage;
class PacketDecodePage;
class ProfilePage;
class QAction;
class QLabel;
class QProgressBar;
class SettingsPage;
class SignalHistoryPage;
class StatusArea;
class WindowReporter;

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
        // Start-up runs from the event loop, so the window shows before the box answers.
        bool startShown = false;
    };

    explicit MainWindow(QWidget *parent = nullptr);
    explicit MainWindow(const Environment &env, QWidget *parent = nullptr);
    ~MainWindow() override;

    Ui_MainWindow *ui = nullptr;
    // Start-up has finished: the list boxes' slots write from now on.
    bool SetupComplete = false;

    // The pages, each owning its state: the settings image (settingsPage),
    // the EDID text buffer and the pending EDID re-read (edidPage), the
    // decode windows and their menu actions.
    SettingsPage &settingsPage() { return *settings_; }
    EdidPage &edidPage() { return *edid_; }
    EdidDecodePage &edidDecodePage() { return *edidDecode_; }
    EdidDesignerPage &edidDesignerPage() { return *edidDesigner_; }
    ChainPlannerPage &chainPlannerPage() { return *chainPlanner_; }
    EdidLibraryPage &edidLibraryPage() { return *edidLibrary_; }
    PacketDecodePage &packetDecodePage() { return *packetDecode_; }
    SignalHistoryPage &signalHistoryPage() { return *signalHistory_; }

    vantrel::UsbLink &link() { return *link_; }
    const vantrel::BoxPresence &presence() const;
    BoxPresenceArea &presenceArea() { return *presenceArea_; }
    bool pollTimerRunning() const { return pollTimerRunning_; }
    int pollIntervalMs() const { return pollIntervalMs_; }
    QProgressBar *progressBar() const;
    // Tools > Decode EDID... and Tools > Decode packets...
    QAction *decodeEdidAction() const;
    QAction *decodePacketsAction() const;

    // One poll tick, as the timer delivers it.
    void pollTick();

    // A register and a block read, reporting on the status bar; true when done.
    bool ReadRegister(uint8_t item, uint8_t *reply, uint8_t length);
    bool ReadBlock(uint8_t *reply, uint8_t length);

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

protected:
    void timerEvent(QTimerEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void InitDevice();
    void StartPollTimer(int intervalMs);
    void StopPollTimer();
    void PollStep();

    void makePages();
    void setupToolsMenu();
    void setupShortcuts();
    void fitToScreen();

    // Start-up in steps, so a box that stops answering part-way resumes there
    // (the presence monitor runs them).
    static constexpr int kStartupSteps = 4;
    void runStartupStep(int step);
    void makePresence();
    // Disables what sends while the window waits on the box; restores it after.
    void holdControls(bool hold);
    bool eventFilter(QObject *watched, QEvent *event) override;

    // The window's own: its environment, the box and its link, the reporter
    // (status bar, progress bar, sessions), the poll timer.
    Environment env_;
    std::unique_ptr<Feedback> ownedFeedback_;
    Feedback *feedback_ = nullptr;
    exchange::WindowClock windowClock_;
    vantrel::Clock *clock_ = nullptr;
    std::unique_ptr<WindowReporter> reporter_;
    std::unique_ptr<vantrel::Box> box_;
    vantrel::UsbLink *link_ = nullptr; // the box's
    bool simulated_ = false;
    bool pollTimerRunning_ = false;
    int pollTimerId_ = 0;
    int pollIntervalMs_ = 0;
    bool tickDeferred_ = false;
    bool refusalPending_ = false;
    std::vector<QWidget *> sendingControls_; // the form's, found once
    std::vector<std::pair<QPointer<QWidget>, bool>> held_;
    QPointer<QWidget> pressedInHold_; // its press started the exchange: kept, its release deferred
    QPointer<QWidget> focusBeforeHold_, focusInHold_;

    std::unique_ptr<SettingsPage> settings_;
    std::unique_ptr<StatusArea> statusArea_;
    std::unique_ptr<EdidPage> edid_;
    std::unique_ptr<InjectPage> inject_;
    std::unique_ptr<EdidDecodePage> edidDecode_;
    std::unique_ptr<EdidDesignerPage> edidDesigner_;
    std::unique_ptr<ChainPlannerPage> chainPlanner_;
    std::unique_ptr<EdidLibraryPage> edidLibrary_;
    std::unique_ptr<PacketDecodePage> packetDecode_;
    std::unique_ptr<ProfilePage> profile_;
    std::unique_ptr<SignalHistoryPage> signalHistory_;
    std::unique_ptr<BoxPresenceArea> presenceArea_;
};
