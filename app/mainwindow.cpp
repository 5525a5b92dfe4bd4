// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include "edid_decode_page.h"
#include "edid_designer_page.h"
#include "edid_page.h"
#include "feedback.h"
#include "inject_page.h"
#include "injection.h"
#include "packet_decode_page.h"
#include "packet_compose_controls.h"
#include "process_usb.h"
#include "settings_page.h"
#include "settings_table.h"
#include "sim_api.h"
#include "status_area.h"
#include "window_reporter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QTimerEvent>

#include <cstdio>
#include <cstdlib>

const char *const MainWindow::DeviceIdString = vantrel::kBoxSerial;

MainWindow::MainWindow(QWidget *parent) : MainWindow(Environment{}, parent) {}

MainWindow::MainWindow(const Environment &env, QWidget *parent) : QMainWindow(parent, Qt::WindowFlags()), env_(env)
{
    ui = new Ui_MainWindow;
    ui->setupUi(this);
    new PacketComposeControls({ui->CECtext, ui->IFtext, ui->AVItext, ui->lblCecDecoded, ui->lblIfDecoded,
                               ui->lblAviDecoded, ui->ButComposeIF, ui->ButComposeAVI, ui->cmbCecRecipe},
                              this);
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
        feedback_->linkAlert(QCoreApplication::translate("MainWindow", text.c_str()));
    });
    reporter_ = std::make_unique<WindowReporter>(*this, *feedback_, *clock_);
    box_ = std::make_unique<vantrel::BoxRequests>(*link_, *reporter_);
    makePages();
    // Nobody should take the simulated box for a real one.
    simulated_ = api && api == vantrel::sim::simulatorApi();
    if (simulated_) {
        auto *label = new QLabel(tr("Simulated box"), this);
        label->setObjectName(QStringLiteral("simulatedBoxLabel"));
        statusBar()->addPermanentWidget(label);
    }

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

void MainWindow::InitDevice()
{
    DWORD index = 0;
    if (!link_->FindDevice(DeviceIdString, index))
        return;
    if (!link_->OpenDevice(index)) {
        feedback_->warning(this, tr("VANTREL Utility"), tr("Hardware not found"));
        return;
    }

    RefreshSettings();

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

    using namespace vantrel::config;
    for (const char *text : inputList())
        ui->cmbInputSel->addItem(QString::fromLatin1(text), QVariant());
    for (const char *text : edidPresetList())
        ui->cmBEdid->addItem(QString::fromLatin1(text), QVariant());
    for (const char *text : cecTypeList())
        ui->cmbLa->addItem(QString::fromLatin1(text), QVariant());
    for (const char *text : automixList())
        ui->cmbEdidAlgo->addItem(QString::fromLatin1(text), QVariant());

    ui->IFtext->setPlainText(QString::fromStdString(hdr));
    ui->AVItext->setPlainText(QString::fromStdString(avi));
    ui->CECtext->setPlainText(QStringLiteral("50:04"));
    ui->CECtext->setEnabled(true);

    StartPollTimer(3000);
    RefreshStatus();
    ReadEDID();
    SetupComplete = true;
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
    PollStep();
    RefreshSettings();
    RefreshStatus();
}

void MainWindow::PollStep()
{
    if (!edid_->PendingEdidRead)
        return;
    uint8_t reply[vantrel::UsbLink::kMaxReply];
    ReadBlock(reply, vantrel::frame::kSettingsBlockLength);
    if (reply[1] & vantrel::frame::kBusyBit)
        return;
    edid_->PendingEdidRead = false;
    if (edid_->readEdidFrom(vantrel::frame::kFetchBoxEdid)) {
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

void MainWindow::makePages()
{
    const PageContext context{ui, this, *box_, *reporter_};
    // The sends' own failures are on the status bar; the write goes out anyway.
    vantrel::config::FollowUpSends sends;
    sends.hdr = [this] { WriteIF(); return true; };
    sends.avi = [this] { sendAVI(); return true; };
    settings_ = std::make_unique<SettingsPage>(context, [this] { return SetupComplete; }, sends);
    statusArea_ = std::make_unique<StatusArea>(context);
    edid_ = std::make_unique<EdidPage>(context);
    inject_ = std::make_unique<InjectPage>(context);
    edidDecode_ = std::make_unique<EdidDecodePage>(context, *edid_);
    edidDesigner_ = std::make_unique<EdidDesignerPage>(context, *edid_);
    packetDecode_ = std::make_unique<PacketDecodePage>(context);
    setupToolsMenu();
}

void MainWindow::setupToolsMenu()
{
    // Not part of the form: the form keeps the menus its layout was made for.
    auto *tools = new QMenu(tr("Tools"), ui->menubar);
    tools->setObjectName(QStringLiteral("menuTools"));
    edidDecode_->addAction(tools);
    edidDesigner_->addAction(tools);
    packetDecode_->addAction(tools);
    ui->menubar->insertMenu(ui->menuHelp->menuAction(), tools);
}
