// SPDX-License-Identifier: GPL-3.0-or-later
// The designer's side in the window: where its table comes from (the EDID
// box, a display on TX A or TX B, a file) and where the result goes (the
// EDID box, the box through Write EDID, a file).
#pragma once

#include "page_context.h"

#include <QCoreApplication>

class EdidDesignerDialog;
class EdidPage;
class QAction;
class QMenu;

class EdidDesignerPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    EdidDesignerPage(const PageContext &context, EdidPage &edid) : c_(context), edid_(edid) {}

    void addAction(QMenu *tools);
    void openDesigner();

    QAction *action() const { return action_; }
    // Null until first used.
    EdidDesignerDialog *dialog() const { return dialog_; }

private:
    void load(int source);
    bool putInEdidBox();
    bool switchToCustom();
    void save();
    void addExportButton();

    PageContext c_;
    EdidPage &edid_;
    QAction *action_ = nullptr;
    EdidDesignerDialog *dialog_ = nullptr;
    QString from_; // where the designer's table came from
};
