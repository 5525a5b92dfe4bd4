// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode packets...: the CEC, HDR IF and AVI boxes read as their sends
// read them, and the captured HDR infoframe, decoded into a window that stays
// open beside the main one.
#include "mainwindow.h"

#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"
#include "packet_decode_dialog.h"

#include <QMenu>

using namespace vantrel;

namespace {

QString fromStd(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

void MainWindow::addPacketDecodeAction(QMenu *tools)
{
    decodePacketsAction_ = tools->addAction(tr("Decode &packets..."));
    decodePacketsAction_->setObjectName(QStringLiteral("actionDecodePackets"));
    decodePacketsAction_->setFont(ui->actionAbout->font());
    connect(decodePacketsAction_, &QAction::triggered, this, &MainWindow::DecodePackets);
}

void MainWindow::DecodePackets()
{
    if (!packetDialog_) {
        packetDialog_ = new PacketDecodeDialog(this);
        packetDialog_->setObjectName(QStringLiteral("packetDecodeDialog"));
        connect(packetDialog_, &PacketDecodeDialog::refreshRequested, this, &MainWindow::RefreshPacketDecodes);
        // Every poll rewrites (or clears) the capture box; its decode follows.
        connect(ui->txtHdrIf, &QTextEdit::textChanged, this, &MainWindow::RefreshCapturedDecode);
    }
    packetDialog_->show();
    RefreshPacketDecodes();
    packetDialog_->raise();
    packetDialog_->activateWindow();
}

// One section: the box's text as its send parses it, then the decoder's line
// and report; an empty or malformed text says so and shows no report.
template <typename Decode>
void MainWindow::showPacketDecode(int section, const QString &text, const QString &empty, Decode decode)
{
    const auto which = PacketDecodeDialog::Section(section);
    if (text.trimmed().isEmpty()) {
        packetDialog_->showSection(which, empty, QString());
        return;
    }
    const packets::PacketBytes p = packets::parsePacketText(text.toStdString());
    if (!p.ok) {
        packetDialog_->showSection(which, tr("Hex Format Error: %1").arg(fromStd(p.error)), QString());
        return;
    }
    std::string summary, report;
    decode(p.bytes, summary, report);
    if (!p.ignored.empty())
        summary += "; ignored after the last pair: \"" + p.ignored + "\"";
    packetDialog_->showSection(which, fromStd(summary), fromStd(report));
}

void MainWindow::RefreshPacketDecodes()
{
    if (!packetDialog_)
        return;
    showPacketDecode(PacketDecodeDialog::Cec, ui->CECtext->toPlainText(), tr("The CEC box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::CecMessage m = packets::decodeCecMessage(b.data(), b.size());
                         summary = packets::cecSummary(m) + (m.conforms() ? "" : "; does not conform");
                         report = packets::cecMessageText(m);
                     });
    showPacketDecode(PacketDecodeDialog::HdrIf, ui->IFtext->toPlainText(), tr("The HDR IF box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::HdrInfoframe f = packets::decodeHdrInfoframe(b.data(), b.size());
                         summary = packets::hdrInfoframeSummary(f);
                         report = packets::hdrInfoframeText(f);
                     });
    showPacketDecode(PacketDecodeDialog::Avi, ui->AVItext->toPlainText(), tr("The AVI box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::AviInfoframe f = packets::decodeAviInfoframe(b.data(), b.size());
                         summary = packets::aviInfoframeSummary(f);
                         report = packets::aviInfoframeText(f);
                     });
    RefreshCapturedDecode();
}

void MainWindow::RefreshCapturedDecode()
{
    if (!packetDialog_ || !packetDialog_->isVisible())
        return;
    // The capture box holds the payload alone: no header, no checksum.
    showPacketDecode(PacketDecodeDialog::CapturedHdr, ui->txtHdrIf->toPlainText(), tr("No HDR infoframe captured."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::HdrInfoframe f =
                             packets::decodeHdrPayload(b.data(), b.size(), unsigned(b.size()));
                         summary = packets::hdrInfoframeSummary(f);
                         report = packets::hdrInfoframeText(f);
                     });
}
