// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Chain planner...: the chain drawn from the source through the box
// to TX A and TX B, each link with its limits and coloured by what it drops;
// the grid of the displays' modes by format and depth (green: both outputs,
// amber: one, red: none; the reason on hover and below the grid); the
// losses with their fixes as buttons.
#pragma once

#include "chain_plan.h"

#include <QDialog>

#include <vector>

class Ui_ChainPlannerDialog;
class ChainPicture;

class ChainPlannerDialog : public QDialog {
    Q_OBJECT

public:
    explicit ChainPlannerDialog(QWidget *parent = nullptr);
    ~ChainPlannerDialog() override;

    void showPlan(const vantrel::chain::Chain &chain, const vantrel::chain::Plan &plan);
    const std::vector<vantrel::chain::Fix> &fixes() const { return fixes_; }

    Ui_ChainPlannerDialog *ui = nullptr;

signals:
    void readRequested();
    void fileRequested(int link); // 0 the box's table, 1 TX A, 2 TX B
    void fixChosen(int index);    // into fixes()

private:
    void fillGrid(const vantrel::chain::Chain &chain, const vantrel::chain::Plan &plan);
    void fillFixes(const vantrel::chain::Plan &plan);

    ChainPicture *picture_ = nullptr;
    std::vector<vantrel::chain::Fix> fixes_;
};
