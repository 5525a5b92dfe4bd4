// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_apply_dialog.h"

#include "ui_ProfileApplyDialog.h"

#include <QHeaderView>

#include <algorithm>

using namespace vantrel::profile;

ProfileApplyDialog::ProfileApplyDialog(QWidget *parent) : QDialog(parent)
{
    ui = new Ui_ProfileApplyDialog;
    ui->setupUi(this);
    ui->changeList->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    connect(ui->applyButton, &QPushButton::clicked, this, &ProfileApplyDialog::applyRequested);
}

ProfileApplyDialog::~ProfileApplyDialog()
{
    delete ui;
}

void ProfileApplyDialog::list(const std::vector<Step> &steps)
{
    ui->changeList->clear();
    for (const Step &s : steps) {
        const Change &c = s.change;
        QString state = QString::fromLatin1(stateWord(s.state));
        if (!s.reason.empty())
            state += QStringLiteral(": ") + QString::fromStdString(s.reason);
        auto *row =
            new QTreeWidgetItem(ui->changeList, {QString::fromStdString(c.section), QString::fromStdString(c.name),
                                                 c.before.empty() ? tr("(unknown)") : QString::fromStdString(c.before),
                                                 QString::fromStdString(c.after), state});
        // Long values (an infoframe's colon hex) stay readable in full.
        for (int column = 0; column < row->columnCount(); ++column)
            row->setToolTip(column, row->text(column));
    }
}

void ProfileApplyDialog::showPlan(const QString &summary, const std::vector<Step> &steps)
{
    ui->summaryLabel->setText(summary);
    list(steps);
    const bool writable =
        std::any_of(steps.begin(), steps.end(), [](const Step &s) { return s.state == StepState::Planned; });
    ui->applyButton->setVisible(true);
    ui->applyButton->setEnabled(writable);
    ui->cancelButton->setText(tr("Cancel"));
    (writable ? ui->applyButton : ui->cancelButton)->setFocus();
}

void ProfileApplyDialog::showResult(const QString &summary, const std::vector<Step> &steps)
{
    ui->summaryLabel->setText(summary);
    list(steps);
    ui->applyButton->setVisible(false);
    ui->cancelButton->setText(tr("Close"));
    ui->cancelButton->setFocus();
}
