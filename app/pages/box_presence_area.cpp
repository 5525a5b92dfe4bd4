// SPDX-License-Identifier: GPL-3.0-or-later
// Whether there is a box to talk to: looking for one while none is open,
// probing a box that stopped answering, and what the window shows meanwhile
// (a permanent label, the box's controls disabled).
#include "mainwindow.h"

#include "edid_page.h"
#include "feedback.h"
#include "signal_history_page.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QStatusBar>

using vantrel::BoxPresence;

namespace {

// Controls that show the box's settings: disabled until a readback fills
// them, so nothing is shown as the box's that the box did not say.
const char *const kSettingControls[] = {
    "cmbInputSel",     "audioHdmi",  "audioJack",    "automixEDID",   "fixedEDID",      "customEDID",
    "hdcp14",          "hdcp22",     "enable420",    "disable420",    "cbCec",          "autoSwEn",
    "autoSwDis",       "pPrioForce", "bPrioNorm",    "cb2cForce",     "cb51",           "cbHdr",
    "cbFull",          "cmBEdid",    "bHdrRepurpEn", "bHdrRepurpDis", "cbHdrForceMode", "bSamHdr",
    "bFullHdr",        "enableLed",  "disableLed",   "enableBLed",    "disableBLed",    "cb3D",
    "cbBt2020",        "cbYUV",      "cmbLa",        "enableAVR",     "disableAVR",     "cmbEdidAlgo",
    "cbAviPersistent",
};

// Controls that send something to the box.
const char *const kBoxActions[] = {
    "ButReadEDID",  "ButWriteEDID", "pbReadTvEdidA", "pbReadTvEdidB", "ButWriteCEC",
    "ButSaveCEC_1", "ButSaveCEC_2", "ButWriteIF",    "ButWriteAVI",   "pbReset",
};

} // namespace

void MainWindow::setupPresence()
{
    link_->setHoldWhenSilent(true);
    qApp->installEventFilter(this);
    noBoxLabel_ = new QLabel(tr("No box"), this);
    noBoxLabel_->setObjectName(QStringLiteral("noBoxLabel"));
    silentBoxLabel_ = new QLabel(tr("The box does not answer"), this);
    silentBoxLabel_->setObjectName(QStringLiteral("silentBoxLabel"));
    statusBar()->addPermanentWidget(noBoxLabel_);
    statusBar()->addPermanentWidget(silentBoxLabel_);
    setControlsEnabled(kSettingControls, false);
    showPresence();
}

template <size_t N>
void MainWindow::setControlsEnabled(const char *const (&names)[N], bool enabled)
{
    for (const char *name : names)
        if (auto *w = findChild<QWidget *>(QLatin1String(name)))
            w->setEnabled(enabled);
}

void MainWindow::settingsFilled()
{
    if (settingsFilled_)
        return;
    settingsFilled_ = true;
    // The readback's own enable flags follow and switch off what the box locks.
    setControlsEnabled(kSettingControls, true);
}

void MainWindow::showPresence()
{
    const BoxPresence::State state = presence_.state();
    noBoxLabel_->setVisible(state == BoxPresence::State::Looking);
    silentBoxLabel_->setVisible(state == BoxPresence::State::Silent);
    const bool answering = state == BoxPresence::State::Answering;
    setControlsEnabled(kBoxActions, answering);
    // What the controls show may be out of date now: the next readback says.
    if (!answering && settingsFilled_) {
        settingsFilled_ = false;
        setControlsEnabled(kSettingControls, false);
    }
}

// Silence holds for the rest of one operation; what the user does next is a
// new attempt (while the box counts as silent its controls are disabled).
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::KeyPress)
        link_->resume();
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::openBox(bool quiet)
{
    DWORD index = 0;
    quietLink_ = quiet;
    bool opened = quiet ? link_->listed(DeviceIdString, index) : link_->FindDevice(DeviceIdString, index);
    if (opened) {
        opened = link_->OpenDevice(index);
        if (!opened && !quiet)
            feedback_->warning(this, tr("VANTREL Utility"), tr("Hardware not found"));
    }
    quietLink_ = false;
    if (opened)
        presence_.opened();
    showPresence();
    return opened;
}

bool MainWindow::answered(uint32_t unansweredBefore)
{
    if (link_->unanswered() == unansweredBefore && !link_->silent())
        return true;
    DWORD index = 0;
    if (!link_->listed(DeviceIdString, index)) {
        // Unplugged: say it once, then look for it as at start.
        quietLink_ = true;
        link_->CloseDevice();
        quietLink_ = false;
        presence_.lost();
        // Plugged in again, it starts over as at process start.
        startupStep_ = 0;
        SetupComplete = false;
        edid_->PendingEdidRead = true;
        feedback_->linkAlert(tr("VANTREL USB not connected!"));
    } else {
        // Counted from now: a probe must not follow right after a long wait.
        presence_.unanswered(clock_->tickMs());
    }
    signalHistory_->unanswered(presence_.state() == BoxPresence::State::Silent);
    showPresence();
    return false;
}

void MainWindow::continueStartup()
{
    const uint32_t before = link_->unanswered();
    while (startupStep_ < kStartupSteps) {
        runStartupStep(startupStep_);
        if (!answered(before))
            return;
        ++startupStep_;
    }
    SetupComplete = true;
}

void MainWindow::probeBox()
{
    const uint32_t before = link_->unanswered();
    link_->resume();
    uint8_t reply[vantrel::UsbLink::kMaxReply];
    ReadBlock(reply, vantrel::frame::kSettingsBlockLength);
    if (!answered(before))
        return;
    presence_.probeAnswered();
    showPresence();
    continueStartup();
}
