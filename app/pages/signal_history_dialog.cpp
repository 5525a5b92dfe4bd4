// SPDX-License-Identifier: GPL-3.0-or-later
#include "signal_history_dialog.h"

#include "ui_SignalHistoryDialog.h"

#include <QScrollBar>

SignalHistoryDialog::SignalHistoryDialog(int maxLines, QWidget *parent) : QDialog(parent)
{
    ui = new Ui_SignalHistoryDialog;
    ui->setupUi(this);
    // The list drops its oldest lines as the history does.
    ui->listText->setMaximumBlockCount(maxLines);
    connect(ui->saveButton, &QPushButton::clicked, this, &SignalHistoryDialog::saveRequested);
}

SignalHistoryDialog::~SignalHistoryDialog()
{
    delete ui;
}

QPlainTextEdit *SignalHistoryDialog::listText() const
{
    return ui->listText;
}

void SignalHistoryDialog::showSummary(const QString &summary)
{
    ui->summaryLabel->setText(summary);
}

void SignalHistoryDialog::setLines(const QStringList &lines)
{
    ui->listText->setPlainText(lines.join(QLatin1Char('\n')));
    ui->listText->verticalScrollBar()->setValue(ui->listText->verticalScrollBar()->maximum());
}

void SignalHistoryDialog::addLines(const QStringList &lines)
{
    // The newest line stays in view unless the user scrolled back to read.
    QScrollBar *bar = ui->listText->verticalScrollBar();
    const bool atEnd = bar->value() == bar->maximum();
    for (const QString &line : lines)
        ui->listText->appendPlainText(line);
    if (atEnd)
        bar->setValue(bar->maximum());
}
