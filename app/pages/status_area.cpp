// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_area.h"

#include "status_decoder.h"

#include "ui_VantrelForm.h"

using namespace vantrel;

void StatusArea::RefreshStatus()
{
    uint8_t video[UsbLink::kMaxReply];
    uint8_t source[UsbLink::kMaxReply];
    uint8_t hdr[UsbLink::kMaxReply];
    uint8_t gate[UsbLink::kMaxReply];
    const bool videoRead = c_.box.ReadRegister(6, video, status::kVideoRecordLength);
    const bool sourceRead = c_.box.ReadRegister(0x15, source, status::kSourceRecordLength);
    const bool hdrRead = c_.box.ReadRegister(0x1E, hdr, status::kHdrRecordLength);
    if (!c_.box.ReadRegister(0x1F, gate, 31))
        return;
    const status::Record v{video, status::kVideoRecordLength}, s{source, status::kSourceRecordLength},
        h{hdr, status::kHdrRecordLength};
    const status::StatusTexts t = status::decodeStatus(v, s, h);
    c_.ui->label_video_format->setText(QString::fromLatin1(t.input.c_str()));
    c_.ui->lblOutput->setText(QString::fromLatin1(t.output.c_str()));
    c_.ui->lblCsc->setText(QString::fromLatin1(t.colour.c_str()));
    c_.ui->lblVideoSource->setText(QString::fromLatin1(t.source.c_str()));
    c_.ui->lblHdrInput->setText(QString::fromLatin1(t.hdr.c_str()));
    if (t.infoframeCaptured)
        c_.ui->txtHdrIf->setPlainText(QString::fromLatin1(t.infoframe.c_str()));
    else
        c_.ui->txtHdrIf->clear();
    // The labels show what a partial read gave; the facts must be whole.
    if (read && videoRead && sourceRead && hdrRead)
        read(t, status::decodeFacts(v, s, h));
}
