// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_decode_page.h"

#include "avi_infoframe.h"
#include "cec_message.h"
#include "hdr_infoframe.h"
#include "packet_decode_dialog.h"

#include <QMainWindow>
#include <QMenu>

#include "ui_VantrelForm.h"

using namespace vantrel;

namespace {

QString fromStd(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

void PacketDecodePage::addAction(QMenu *tools)
{
    action_ = tools->addAction(tr("Decode &packets..."));
    action_->setObjectName(QStringLiteral("actionDecodePackets"));
    action_->setFont(c_.ui->actionAbout->font());
    QObject::connect(action_, &QAction::triggered, c_.window, [this] { DecodePackets(); });
}

void PacketDecodePage::DecodePackets()
{
    if (!dialog_) {
        dialog_ = new PacketDecodeDialog(c_.window);
        dialog_->setObjectName(QStringLiteral("packetDecodeDialog"));
        QObject::connect(dialog_, &PacketDecodeDialog::refreshRequested, c_.window, [this] { RefreshPacketDecodes(); });
        // Every poll rewrites (or clears) the capture box; its decode follows.
        QObject::connect(c_.ui->txtHdrIf, &QTextEdit::textChanged, c_.window, [this] { RefreshCapturedDecode(); });
    }
    dialog_->show();
    RefreshPacketDecodes();
    dialog_->raise();
    dialog_->activateWindow();
}

// One section: the box's text as its send parses it, then the decoder's line
// and report; an empty or malformed text says so and shows no report.
template <typename Decode>
void PacketDecodePage::showPacketDecode(int section, const QString &text, const QString &empty, Decode decode)
{
    const auto which = PacketDecodeDialog::Section(section);
    if (text.trimmed().isEmpty()) {
        dialog_->showSection(which, empty, QString());
        return;
    }
    const packets::PacketBytes p = packets::parsePacketText(text.toStdString());
    if (!p.ok) {
        dialog_->showSection(which, tr("Hex Format Error: %1").arg(fromStd(p.error)), QString());
        return;
    }
    std::string summary, report;
    decode(p.bytes, summary, report);
    if (!p.ignored.empty())
        summary += "; ignored after the last pair: \"" + p.ignored + "\"";
    dialog_->showSection(which, fromStd(summary), fromStd(report));
}

void PacketDecodePage::RefreshPacketDecodes()
{
    if (!dialog_)
        return;
    showPacketDecode(PacketDecodeDialog::Cec, c_.ui->CECtext->toPlainText(), tr("The CEC box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::CecMessage m = packets::decodeCecMessage(b.data(), b.size());
                         summary = packets::cecSummary(m) + (m.conforms() ? "" : "; does not conform");
                         report = packets::cecMessageText(m);
                     });
    showPacketDecode(PacketDecodeDialog::HdrIf, c_.ui->IFtext->toPlainText(), tr("The HDR IF box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::HdrInfoframe f = packets::decodeHdrInfoframe(b.data(), b.size());
                         summary = packets::hdrInfoframeSummary(f);
                         report = packets::hdrInfoframeText(f);
                     });
    showPacketDecode(PacketDecodeDialog::Avi, c_.ui->AVItext->toPlainText(), tr("The AVI box is empty."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::AviInfoframe f = packets::decodeAviInfoframe(b.data(), b.size());
                         summary = packets::aviInfoframeSummary(f);
                         report = packets::aviInfoframeText(f);
                     });
    RefreshCapturedDecode();
}

void PacketDecodePage::RefreshCapturedDecode()
{
    if (!dialog_ || !dialog_->isVisible())
        return;
    // The capture box holds the payload alone: no header, no checksum.
    showPacketDecode(PacketDecodeDialog::CapturedHdr, c_.ui->txtHdrIf->toPlainText(), tr("No HDR infoframe captured."),
                     [](const std::vector<uint8_t> &b, std::string &summary, std::string &report) {
                         const packets::HdrInfoframe f =
                             packets::decodeHdrPayload(b.data(), b.size(), unsigned(b.size()));
                         summary = packets::hdrInfoframeSummary(f);
                         report = packets::hdrInfoframeText(f);
                     });
}
