// SPDX-License-Identifier: GPL-3.0-or-later
// The chain planner's side in the window: the tables read through the box
// once when the dialog opens (and again on request) or taken from files, the
// box's settings from the settings image (factory settings without a box),
// and the fixes carried out: an EDID fix opens the designer with its edits
// ticked, a setting fix asks and then sets it.
#pragma once

#include "chain_model.h"
#include "page_context.h"

#include <QCoreApplication>

class ChainPlannerDialog;
class EdidDesignerPage;
class SettingsPage;
class QAction;
class QMenu;

class ChainPlannerPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    ChainPlannerPage(const PageContext &context, EdidDesignerPage &designer, SettingsPage &settings)
        : c_(context), designer_(designer), settings_(settings)
    {}

    void addAction(QMenu *tools);
    void openPlanner();
    // Reads the three tables through the box; false when there is no box.
    bool readBox();
    void loadFile(int link, const QString &path);
    void applyFix(int index);

    QAction *action() const { return action_; }
    ChainPlannerDialog *dialog() const { return dialog_; }
    const vantrel::chain::Chain &chain() const { return chain_; }

private:
    void replan();

    PageContext c_;
    EdidDesignerPage &designer_;
    SettingsPage &settings_;
    QAction *action_ = nullptr;
    ChainPlannerDialog *dialog_ = nullptr;
    vantrel::chain::Chain chain_;
};
