// SPDX-License-Identifier: GPL-3.0-or-later
// The status area: four reads, the decoder, then the labels in order.
#include "mainwindow.h"

#include "status_decoder.h"

using namespace vantrel;

void MainWindow::RefreshStatus()
{
    uint8_t video[UsbLink::kMaxReply];
    uint8_t source[UsbLink::kMaxReply];
    uint8_t hdr[UsbLink::kMaxReply];
    uint8_t gate[UsbLink::kMaxReply];
    ReadRegister(6, video, status::kVideoRecordLength);
    ReadRegister(0x15, source, status::kSourceRecordLength);
    ReadRegister(0x1E, hdr, status::kHdrRecordLength);
    if (!ReadRegister(0x1F, gate, 31))
        return;
    const status::StatusTexts t =
        status::decodeStatus({video, status::kVideoRecordLength}, {source, status::kSourceRecordLength},
                             {hdr, status::kHdrRecordLength});
    ui->label_video_format->setText(QString::fromLatin1(t.input.c_str()));
    ui->lblOutput->setText(QString::fromLatin1(t.output.c_str()));
    ui->lblCsc->setText(QString::fromLatin1(t.colour.c_str()));
    ui->lblVideoSource->setText(QString::fromLatin1(t.source.c_str()));
    ui->lblHdrInput->setText(QString::fromLatin1(t.hdr.c_str()));
    if (t.infoframeCaptured)
        ui->txtHdrIf->setPlainText(QString::fromLatin1(t.infoframe.c_str()));
    else
        ui->txtHdrIf->clear();
}
