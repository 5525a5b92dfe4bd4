// SPDX-License-Identifier: GPL-3.0-or-later
#include "status_area.h"

#include "box_status.h"

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
    const status::StatusRead r = status::readStatus(c_.box);
    if (!r.texts)
        return;
    const status::StatusTexts &t = *r.texts;
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
    if (read && r.facts)
        read(t, *r.facts);
}

void StatusArea::clear()
{
    const QList<QLabel *> labels = lines();
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(initial_[i]);
    c_.ui->txtHdrIf->clear();
}
