// SPDX-License-Identifier: GPL-3.0-or-later
#include "edid_decode_dialog.h"

#include "ui_EdidDecodeDialog.h"

EdidDecodeDialog::EdidDecodeDialog(QWidget *parent) : QDialog(parent)
{
    ui = new Ui_EdidDecodeDialog;
    ui->setupUi(this);
    connect(ui->refreshButton, &QPushButton::clicked, this, &EdidDecodeDialog::refreshRequested);
}

EdidDecodeDialog::~EdidDecodeDialog()
{
    delete ui;
}

void EdidDecodeDialog::showReport(const QString &report, int problems)
{
    ui->summaryLabel->setText(problems == 0 ? tr("The table conforms.")
                                            : tr("The table does not conform: %n problem(s), listed at the end.",
                                                 nullptr, problems));
    ui->reportText->setPlainText(report);
}
