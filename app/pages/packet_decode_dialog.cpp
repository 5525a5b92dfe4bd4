// SPDX-License-Identifier: GPL-3.0-or-later
#include "packet_decode_dialog.h"

#include "ui_PacketDecodeDialog.h"

PacketDecodeDialog::PacketDecodeDialog(QWidget *parent) : QDialog(parent)
{
    ui = new Ui_PacketDecodeDialog;
    ui->setupUi(this);
    connect(ui->refreshButton, &QPushButton::clicked, this, &PacketDecodeDialog::refreshRequested);
}

PacketDecodeDialog::~PacketDecodeDialog()
{
    delete ui;
}

QLabel *PacketDecodeDialog::summaryLabel(Section section) const
{
    QLabel *const labels[] = {ui->cecSummary, ui->hdrSummary, ui->aviSummary, ui->capturedSummary};
    return labels[section];
}

QPlainTextEdit *PacketDecodeDialog::reportText(Section section) const
{
    QPlainTextEdit *const texts[] = {ui->cecReport, ui->hdrReport, ui->aviReport, ui->capturedReport};
    return texts[section];
}

void PacketDecodeDialog::showSection(Section section, const QString &summary, const QString &report)
{
    summaryLabel(section)->setText(summary);
    // Only a changed report is set again, so a poll does not move the reader's scroll.
    if (reportText(section)->toPlainText() != report)
        reportText(section)->setPlainText(report);
}
