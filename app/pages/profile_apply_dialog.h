// SPDX-License-Identifier: GPL-3.0-or-later
// File > Apply box profile...: every change a profile makes to the box, listed
// before anything is written, with Apply and Cancel; after an apply, what
// became of each change.
#pragma once

#include "profile_apply.h"

#include <QDialog>

#include <vector>

class Ui_ProfileApplyDialog;

class ProfileApplyDialog : public QDialog {
    Q_OBJECT

public:
    explicit ProfileApplyDialog(QWidget *parent = nullptr);
    ~ProfileApplyDialog() override;

    // The changes a dry run found; Apply is offered when one can be written.
    void showPlan(const QString &summary, const std::vector<vantrel::profile::Step> &steps);
    // What the apply did; only Close is left.
    void showResult(const QString &summary, const std::vector<vantrel::profile::Step> &steps);

    Ui_ProfileApplyDialog *ui = nullptr;

signals:
    void applyRequested();

private:
    void list(const std::vector<vantrel::profile::Step> &steps);
};
