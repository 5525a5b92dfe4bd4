// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "box_presence_area.h"
#include "edid_decode_page.h"
#include "edid_designer_page.h"
#include "chain_planner_page.h"
#include "edid_library_page.h"
#include "edid_page.h"
#include "exchange_thread.h"
#include "feedback.h"
#include "form_binding.h"
#include "inject_page.h"
#include "injection.h"
#include "packet_decode_page.h"
#include "packet_compose_controls.h"
#include "process_usb.h"
#include "profile_page.h"
#include "settings_page.h"
#include "settings_table.h"
#include "signal_history_page.h"
#include "status_area.h"
#include "usb_library.h"
#include "window_reporter.h"

#include <QAction>
#include <QApplication>
#include <QAbstractButton>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QStyle>
#include <QStatusBar>
#include <QTimer>
#include <QTimerEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <utility>

MainWindow::MainWindow(QWidget *parent) : MainWindow(Environment{}, parent) {}

MainWindow::MainWindow(const Environment &env, QWidget *parent) : QMainWindow(parent, Qt::WindowFlags()), env_(env)
{
    ui = new Ui_MainWindow;
    ui->setupUi(this);
    new PacketComposeControls({ui->CECtext, ui->IFtext, ui->AVItext, ui->lblCecDecoded, ui->lblIfDecoded,
                               ui->lblAviDecoded, ui->ButComposeIF, ui->ButComposeAVI, ui->cmbCecRecipe},
                              this);
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
    clock_ = env_.clock ? env_.clock : &windowClock_;
    const UsbApi *library = env_.apiGiven ? env_.api : processUsbApi();
    const UsbApi *api = exchange::offThread(library);
    reporter_ = std::make_unique<WindowReporter>(*this, *feedback_, *clock_);
    box_ = std::make_unique<vantrel::Box>(
        api, *clock_,
        [this](const std::string &text) {
            if (!presenceArea_ || !presenceArea_->quiet())
                feedback_->linkAlert(QCoreApplication::translate("MainWindow", text.c_str()));
        },
        *reporter_);
    link_ = &box_->link();
    link_->setRefused([this] {
        if (!exchange::out())
            return false;
        // Said once the exchange out has ended, after the refused one's own failure.
        if (!std::exchange(refusalPending_, true))
            exchange::whenSettled([w = QPointer<MainWindow>(this)] {
                if (!w)
                    return;
                w->refusalPending_ = false;
                w->feedback_->statusMessage(w->statusBar(), tr("Not sent: the box was busy with another exchange."),
                                            4000);
            });
        return true;
    });
    exchange::setHold([this](bool hold) { holdControls(hold); });
    simulated_ = vantrel::isSimulatedBox(library);
    makePages();
    makePresence();

    if (env_.startShown)
        QTimer::singleShot(0, this, [this] { InitDevice(); });
    else
        InitDevice();
}

MainWindow::~MainWindow()
{
    exchange::setHold(nullptr);
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
    // Tab goes from control to control; the area itself shows no focus.
    scroll->setFocusPolicy(Qt::NoFocus);
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

const vantrel::BoxPresence &MainWindow::presence() const
{
    return presenceArea_->monitor().presence();
}

void MainWindow::makePresence()
{
    vantrel::PresenceMonitor::Steps steps;
    steps.startupSteps = kStartupSteps;
    steps.startup = [this](int step) { runStartupStep(step); };
    steps.probe = [this] {
        uint8_t reply[vantrel::UsbLink::kMaxReply];
        ReadBlock(reply, vantrel::frame::kSettingsBlockLength);
    };
    steps.poll = [this] {
        // A silent box stops the tick at its first unanswered exchange.
        PollStep();
        if (!link_->silent())
            RefreshSettings();
        if (!link_->silent())
            RefreshStatus();
    };
    steps.lost = [this] {
        // Plugged in again, it starts over as at process start.
        edid_->PendingEdidRead = true;
        statusArea_->clear();
        feedback_->linkAlert(tr("VANTREL USB not connected!"));
    };
    steps.unanswered = [this](bool listed) { signalHistory_->unanswered(listed); };
    steps.changed = [this] { SetupComplete = presenceArea_->monitor().started(); };
    presenceArea_ = std::make_unique<BoxPresenceArea>(PageContext{ui, this, *box_, *reporter_}, simulated_,
                                                      std::move(steps));
}

void MainWindow::InitDevice()
{
    presenceArea_->start();
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
        std::string hdr, avi;
        const std::string firmware = box_->firmwareText();
        vantrel::inject::readStoredInfoframe(*box_, vantrel::inject::kStoredHdr, hdr);
        vantrel::inject::readStoredInfoframe(*box_, vantrel::inject::kStoredAvi, avi);
        // The version digits come from the item-7 read, so it alone decides.
        if (!firmware.empty()) {
            ui->labelFw1->setText(QStringLiteral("ver: ") + QString::fromStdString(firmware));
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
    // A tick due while an exchange is out comes once it has ended, as a tick
    // held back by a busy window would.
    if (exchange::out()) {
        if (!tickDeferred_) {
            tickDeferred_ = true;
            exchange::whenSettled([w = QPointer<MainWindow>(this)] {
                if (w && w->tickDeferred_)
                    w->timerEvent(nullptr);
            });
        }
        return;
    }
    tickDeferred_ = false;
    const uint32_t started = clock_->tickMs();
    pollTick();
    // A tick that waited on the box starts the next interval from its end:
    // the probes then come 3, 6, 12... s after the box was found silent, not
    // on a grid the wait has shifted.
    if (clock_->tickMs() - started > vantrel::BoxPresence::kSlackMs && pollTimerRunning_) {
        StopPollTimer();
        StartPollTimer(pollIntervalMs_);
        tickDeferred_ = false; // the restart drops a tick that fell due meanwhile
    }
}

void MainWindow::holdControls(bool hold)
{
    if (held_.empty() && hold) {
        if (sendingControls_.empty()) {
            std::vector<const char *> names = vantrel::config::actionControls();
            for (const char *name : vantrel::config::settingControls())
                names.push_back(name);
            for (const char *name : names) {
                auto *w = findChild<QWidget *>(QLatin1String(name));
                if (w && std::find(sendingControls_.begin(), sendingControls_.end(), w) == sendingControls_.end())
                    sendingControls_.push_back(w);
            }
        }
        // Each control's own flag: one disabled for another reason (no box,
        // locked by the box) comes back disabled.
        for (QWidget *w : sendingControls_) {
            // A button held down is the one whose press waits: disabling it
            // would lose its release, which must come after the exchange.
            if (auto *b = qobject_cast<QAbstractButton *>(w); b && b->isDown()) {
                pressedInHold_ = b;
                b->installEventFilter(this);
                continue;
            }
            held_.emplace_back(w, !w->testAttribute(Qt::WA_ForceDisabled));
        }
        // Disabling the focused control moves the focus on; it comes back
        // unless the user moved it meanwhile.
        focusBeforeHold_ = QApplication::focusWidget();
        for (const auto &h : held_)
            h.first->setEnabled(false);
        focusInHold_ = QApplication::focusWidget();
    } else if (!hold) {
        for (const auto &[w, enabled] : held_)
            if (w)
                w->setEnabled(enabled);
        held_.clear();
        if (pressedInHold_)
            pressedInHold_->removeEventFilter(this);
        pressedInHold_ = nullptr;
        if (focusBeforeHold_ && focusBeforeHold_ != focusInHold_ && QApplication::focusWidget() == focusInHold_ &&
            focusBeforeHold_->isEnabled())
            focusBeforeHold_->setFocus();
    }
}

void MainWindow::pollTick()
{
    presenceArea_->tick();
}

void MainWindow::PollStep()
{
    if (!edid_->PendingEdidRead)
        return;
    uint8_t reply[vantrel::UsbLink::kMaxReply];
    ReadBlock(reply, vantrel::frame::kSettingsBlockLength);
    if ((reply[1] & vantrel::frame::kBusyBit) || link_->silent())
        return;
    edid_->PendingEdidRead = false;
    if (edid_->rereadBoxTable().done()) {
        edid_->edidRereadTries_ = 0;
        return;
    }
    // A transient failure stays due, or the box would keep the old table for
    // good; a box that does not answer would block the window on every tick.
    ++edid_->edidRereadTries_;
    if (edid_->edidRereadTries_ < EdidPage::kMaxEdidRereadTries && !link_->lastTimedOut())
        edid_->PendingEdidRead = true;
    else
        edid_->edidRereadTries_ = 0;
}

// The release of the button whose press is waiting comes once the exchange
// has ended, as it did when the wait held every event back.
bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == pressedInHold_ && exchange::out() &&
        (event->type() == QEvent::MouseButtonRelease || event->type() == QEvent::KeyRelease)) {
        std::shared_ptr<QEvent> later(event->clone());
        exchange::whenSettled([to = QPointer<QObject>(watched), later] {
            if (to)
                QCoreApplication::sendEvent(to, later.get());
        });
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // The window closes once the exchange out has ended, never under it.
    if (exchange::out()) {
        event->ignore();
        exchange::whenSettled([w = QPointer<MainWindow>(this)] {
            if (w)
                w->close();
        });
        return;
    }
    event->accept();
    link_->CloseDevice();
    StopPollTimer();
    QCoreApplication::exit(0);
}

void MainWindow::FileExit()
{
    if (exchange::out()) {
        exchange::whenSettled([w = QPointer<MainWindow>(this)] {
            if (w)
                w->FileExit();
        });
        return;
    }
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
    return box_->readRegister(item, reply, length).done();
}

bool MainWindow::ReadBlock(uint8_t *reply, uint8_t length)
{
    return box_->readBlock(reply, length).done();
}

void MainWindow::makePages()
{
    const PageContext context{ui, this, *box_, *reporter_};
    edid_ = std::make_unique<EdidPage>(context);
    inject_ = std::make_unique<InjectPage>(context);
    // The sends' own failures are on the status bar; the write goes out anyway.
    vantrel::config::FollowUpSends sends;
    sends.hdr = [this] { return inject_->WriteIF(); };
    sends.avi = [this] { return inject_->sendAVI(settings_->SettingsImage[33]); };
    sends.writeAfterRefusal = true;
    settings_ = std::make_unique<SettingsPage>(context, [this] { return SetupComplete; }, sends);
    settings_->filled = [this] { presenceArea_->settingsFilled(); };
    // The box rebuilds its EDID after a mode change: the EDID page re-reads it.
    settings_->rebuilding = [this] { edid_->requestReread(); };
    statusArea_ = std::make_unique<StatusArea>(context);
    edidDecode_ = std::make_unique<EdidDecodePage>(context, *edid_);
    edidDesigner_ = std::make_unique<EdidDesignerPage>(context, *edid_);
    chainPlanner_ = std::make_unique<ChainPlannerPage>(context, *edidDesigner_, *settings_);
    edidLibrary_ = std::make_unique<EdidLibraryPage>(context, *edid_);
    packetDecode_ = std::make_unique<PacketDecodePage>(context);
    profile_ = std::make_unique<ProfilePage>(context, *settings_, *edid_, *inject_, [this] {
        return SetupComplete && presenceArea_->monitor().answering() && !exchange::out();
    });
    profile_->addActions(ui->menuFile, ui->actionExit);
    signalHistory_ = std::make_unique<SignalHistoryPage>(context);
    // Settings the box has not reported yet would show up as changes.
    statusArea_->read = [this](const auto &texts, const auto &facts) {
        if (presenceArea_->filled())
            signalHistory_->read(texts, facts, settings_->SettingsImage);
    };
    setupToolsMenu();
}

void MainWindow::setupToolsMenu()
{
    // Not part of the form: the form keeps the menus its layout was made for.
    auto *tools = new QMenu(tr("&Tools"), ui->menubar);
    tools->setObjectName(QStringLiteral("menuTools"));
    edidDecode_->addAction(tools);
    edidDesigner_->addAction(tools);
    chainPlanner_->addAction(tools);
    edidLibrary_->addActions(tools);
    packetDecode_->addAction(tools);
    signalHistory_->addAction(tools);
    ui->menubar->insertMenu(ui->menuHelp->menuAction(), tools);
}
