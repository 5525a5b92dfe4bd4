// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "feedback.h"
#include "injection.h"
#include "process_usb.h"
#include "session.h"
#include "settings_table.h"
#include "usb_library.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStatusBar>
#include <QTimerEvent>

#include <cstdio>
#include <cstdlib>

const char *const MainWindow::DeviceIdString = "2023";

MainWindow::MainWindow(QWidget *parent) : MainWindow(Environment{}, parent) {}

MainWindow::MainWindow(const Environment &env, QWidget *parent) : QMainWindow(parent, Qt::WindowFlags()), env_(env)
{
    ui = new Ui_MainWindow;
    ui->setupUi(this);
    setupToolsMenu();
    setupShortcuts();
    fitToScreen();
    // The status lines carry names the source sends; markup in them must stay text.
    for (QLabel *l : {ui->label_video_format, ui->lblOutput, ui->lblCsc, ui->lblVideoSource, ui->lblHdrInput})
        l->setTextFormat(Qt::PlainText);

    if (env_.feedback) {
        feedback_ = env_.feedback;
    } else {
        ownedFeedback_ = std::make_unique<QtFeedback>();
        feedback_ = ownedFeedback_.get();
    }
    clock_ = env_.clock ? env_.clock : &vantrel::systemClock();
    const UsbApi *api = env_.apiGiven ? env_.api : processUsbApi();
    link_ = std::make_unique<vantrel::UsbLink>(api, *clock_, [this](const std::string &text) {
        if (!quietLink_)
            feedback_->linkAlert(QCoreApplication::translate("MainWindow", text.c_str()));
    });
    box_ = std::make_unique<vantrel::BoxRequests>(
        *link_, [this](const std::string &text, int ms) { statusFromCore(text, ms); });
    // Nobody should take the simulated box for a real one.
    simulated_ = vantrel::isSimulatedBox(api);
    if (simulated_) {
        auto *label = new QLabel(tr("Simulated box"), this);
        label->setObjectName(QStringLiteral("simulatedBoxLabel"));
        statusBar()->addPermanentWidget(label);
    }
    setupPresence();

    InitDevice();
}

MainWindow::~MainWindow()
{
    delete ui;
    ui = nullptr;
    link_->CloseDevice();
    StopPollTimer();
    QCoreApplication::exit(0);
}

void MainWindow::fitToScreen()
{
    // The form places its controls at fixed positions: on a screen smaller
    // than the form the content scrolls instead of being cut off.
    QWidget *content = takeCentralWidget();
    const QRect used = content->childrenRect();
    content->setMinimumSize(used.right() + 1, used.bottom() + 1);
    auto *scroll = new QScrollArea(this);
    scroll->setObjectName(QStringLiteral("formScrollArea"));
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    setCentralWidget(scroll);
    if (const QScreen *s = screen()) {
        // Room for the window frame and title the window system adds.
        const QSize room = s->availableGeometry().size() - QSize(16, 40);
        QSize fit = size();
        if (fit.height() > room.height()) // a vertical scroll bar only: widen for it
            fit = QSize(fit.width() + style()->pixelMetric(QStyle::PM_ScrollBarExtent), room.height());
        resize(fit.boundedTo(room));
    }
}

void MainWindow::setupShortcuts()
{
    // Window-wide, so they work from every page; each does what its button does.
    const std::pair<QPushButton *, QKeySequence> keys[] = {
        {ui->ButLoadEDID, QKeySequence(Qt::CTRL | Qt::Key_O)},
        {ui->ButSaveEDID, QKeySequence(Qt::CTRL | Qt::Key_S)},
        {ui->ButReadEDID, QKeySequence(Qt::Key_F5)},
    };
    for (const auto &[button, key] : keys) {
        auto *action = new QAction(this);
        action->setShortcut(key);
        connect(action, &QAction::triggered, button, [button] {
            if (button->isEnabled())
                button->click();
        });
        addAction(action);
    }
}

void MainWindow::InitDevice()
{
    if (openBox(false))
        continueStartup();
    // The tick also looks for a box plugged in later and probes a silent one.
    StartPollTimer(3000);
}

void MainWindow::runStartupStep(int step)
{
    switch (step) {
    case 0:
        RefreshSettings();
        break;
    case 1: {
        uint8_t version[vantrel::UsbLink::kMaxReply];
        std::string hdr, avi;
        const bool versionRead = ReadRegister(7, version, 8);
        vantrel::inject::readStoredInfoframe(*box_, vantrel::inject::kStoredHdr, hdr);
        vantrel::inject::readStoredInfoframe(*box_, vantrel::inject::kStoredAvi, avi);
        // The version digits come from the item-7 read, so it alone decides.
        if (versionRead) {
            ui->labelFw1->setText(
                QString::asprintf("ver: %d.%d.%d.%d", version[2], version[3], version[4], version[5]));
            ui->labelTitle->setText(tr("VANTREL GUI"));
        }
        // Filled once: a box plugged in again finds its lists in place.
        using namespace vantrel::config;
        if (ui->cmbInputSel->count() == 0) {
            for (const char *text : inputList())
                ui->cmbInputSel->addItem(QString::fromLatin1(text), QVariant());
            for (const char *text : edidPresetList())
                ui->cmBEdid->addItem(QString::fromLatin1(text), QVariant());
            for (const char *text : cecTypeList())
                ui->cmbLa->addItem(QString::fromLatin1(text), QVariant());
            for (const char *text : automixList())
                ui->cmbEdidAlgo->addItem(QString::fromLatin1(text), QVariant());
        }
        ui->IFtext->setPlainText(QString::fromStdString(hdr));
        ui->AVItext->setPlainText(QString::fromStdString(avi));
        ui->CECtext->setPlainText(QStringLiteral("50:04"));
        ui->CECtext->setEnabled(true);
        break;
    }
    case 2:
        RefreshStatus();
        break;
    case 3:
        ReadEDID();
        break;
    }
}

void MainWindow::StartPollTimer(int intervalMs)
{
    if (pollTimerRunning_)
        return;
    // Coarse timers may fire up to 5 % early or late; the ticks are meant 3 s apart.
    pollTimerId_ = startTimer(intervalMs, Qt::PreciseTimer);
    pollIntervalMs_ = intervalMs;
    pollTimerRunning_ = true;
}

void MainWindow::StopPollTimer()
{
    if (!pollTimerRunning_)
        return;
    pollTimerRunning_ = false;
    killTimer(pollTimerId_);
}

void MainWindow::timerEvent(QTimerEvent *)
{
    pollTick();
}

void MainWindow::pollTick()
{
    if (link_->busy())
        return;
    switch (presence_.next(clock_->tickMs())) {
    case vantrel::BoxPresence::Step::Wait:
        return;
    case vantrel::BoxPresence::Step::Look:
        if (openBox(true))
            continueStartup();
        return;
    case vantrel::BoxPresence::Step::Probe:
        probeBox();
        return;
    case vantrel::BoxPresence::Step::Full:
        break;
    }
    const uint32_t before = link_->unanswered();
    // A command between ticks may have found the box silent: the tick's first
    // exchange asks again, and a silent box stops the tick there.
    link_->resume();
    if (startupStep_ < kStartupSteps) {
        continueStartup();
        return;
    }
    PollStep();
    if (!link_->silent())
        RefreshSettings();
    if (!link_->silent())
        RefreshStatus();
    if (answered(before))
        presence_.allAnswered();
}

void MainWindow::PollStep()
{
    if (!PendingEdidRead)
        return;
    uint8_t reply[vantrel::UsbLink::kMaxReply];
    ReadBlock(reply, vantrel::frame::kSettingsBlockLength);
    if ((reply[1] & vantrel::frame::kBusyBit) || link_->silent())
        return;
    PendingEdidRead = false;
    if (readEdidFrom(vantrel::frame::kFetchBoxEdid)) {
        edidRereadTries_ = 0;
        return;
    }
    // A transient failure stays due, or the box would keep the old table for
    // good; a box that does not answer would block the window on every tick.
    ++edidRereadTries_;
    if (edidRereadTries_ < kMaxEdidRereadTries && !link_->lastTimedOut())
        PendingEdidRead = true;
    else
        edidRereadTries_ = 0;
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    event->accept();
    link_->CloseDevice();
    StopPollTimer();
    QCoreApplication::exit(0);
}

void MainWindow::FileExit()
{
    link_->CloseDevice();
    StopPollTimer();
    delete ui;
    ui = nullptr;
    QCoreApplication::exit(0);
    if (env_.exitProcess)
        env_.exitProcess(0);
    else
        std::exit(0);
}

void MainWindow::FileAbout()
{
    feedback_->about(this, tr("About VANTREL Utility"),
                     tr("<h2>VANTREL Utility Version 1.10</h2>"
                        "<p>Configuration and monitoring utility for the VANTREL HDMI signal processor: "
                        "input, audio, HDCP and EDID modes, signal status, EDID tables, CEC messages and "
                        "HDR/AVI infoframes.</p>") +
                         (simulated_ ? tr("<p>Connected to the simulated box: no hardware is used.</p>") : QString()));
}

bool MainWindow::ReadRegister(uint8_t item, uint8_t *reply, uint8_t length)
{
    return box_->ReadRegister(item, reply, length);
}

bool MainWindow::WriteRegister(uint8_t reg, uint8_t value)
{
    return box_->WriteRegister(reg, value);
}

bool MainWindow::ReadBlock(uint8_t *reply, uint8_t length)
{
    return box_->ReadBlock(reply, length);
}

bool MainWindow::WriteBlock(const uint8_t image[vantrel::frame::kSettingsSize])
{
    return box_->WriteBlock(image);
}

void MainWindow::status(const QString &text, int ms)
{
    feedback_->statusMessage(statusBar(), text, ms);
}

void MainWindow::statusFromCore(const std::string &text, int ms)
{
    status(QCoreApplication::translate("MainWindow", text.c_str()), ms);
}

vantrel::Session MainWindow::session()
{
    return vantrel::Session{*box_, *clock_,
                            [this](const std::string &line) { feedback_->diagnostic(QString::fromStdString(line)); },
                            [this](int a, int b) { on_ProgressChange(a, b); }};
}

void MainWindow::setupProgressBar()
{
    // One bar for every transfer.
    if (!progressBar_) {
        progressBar_ = new QProgressBar(this);
        progressBar_->setTextVisible(false);
        statusBar()->addPermanentWidget(progressBar_, 0);
    }
    progressBar_->hide();
}

void MainWindow::on_ProgressChange(int a, int b)
{
    if (!progressBar_)
        setupProgressBar();
    if (a <= 0 || b <= 0) {
        progressBar_->hide();
        return;
    }
    progressBar_->show();
    progressBar_->setRange(0, b);
    progressBar_->setValue(a);
}
