// SPDX-License-Identifier: GPL-3.0-or-later
// The designer's controls set from a list of edits, for a fix another tool
// worked out (the chain planner's).
#include "edid_designer_dialog.h"

#include <QCheckBox>
#include <QLabel>
#include <QSpinBox>

#include "ui_EdidDesignerDialog.h"

void EdidDesignerDialog::tickEdits(const vantrel::edid::edit::EditList &e, const QString &audioSource)
{
    filling_ = true;
    ui->maxTmdsSpin->setValue(e.maxTmdsMHz ? int(*e.maxTmdsMHz) : 0);
    ui->no420Check->setChecked(e.no420);
    ui->noDeepColourCheck->setChecked(e.noDeepColour);
    ui->hdrOffCheck->setChecked(e.hdrOff);
    if (e.audioFrom) {
        audioFrom_ = *e.audioFrom;
        ui->audioFromLabel->setText(audioSource);
    }
    filling_ = false;
    update();
}
