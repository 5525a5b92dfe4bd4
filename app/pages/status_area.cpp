// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_area.h"

#include "status_decoder.h"

#include "ui_VantrelForm.h"

using namespace vantrel;

StatusArea::StatusArea(const PageContext &context) : c_(context)
{
    for (const QLabel *l : lines())
        initial_ << l->text();
}

QList<QLabel *> StatusArea::lines() const
{
    return {c_.ui->label_video_format, c_.ui->lblOutput, c_.ui->lblCsc, c_.ui->lblVideoSource, c_.ui->lblHdrInput};
}

void StatusArea::RefreshStatus()
{
    uint8_t video[UsbLink::kMaxReply];
    uint8_t source[UsbLink::kMaxReply];
    uint8_t hdr[UsbLink::kMaxReply];
    uint8_t gate[UsbLink::kMaxReply];
    const bool videoRead = c_.box.readRegister(6, video, status::kVideoRecordLength).done();
    const bool sourceRead = c_.box.readRegister(0x15, source, status::kSourceRecordLength).done();
    const bool hdrRead = c_.box.readRegister(0x1E, hdr, status::kHdrRecordLength).done();
    if (!c_.box.readRegister(0x1F, gate, 31).done())
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

void StatusArea::clear()
{
    const QList<QLabel *> labels = lines();
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(initial_[i]);
    c_.ui->txtHdrIf->clear();
}
