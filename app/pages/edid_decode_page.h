// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode EDID...: the table in the EDID box, parsed as "Write EDID"
// parses it, decoded into a window that stays open beside the main one.
#pragma once

#include "page_context.h"

#include <QCoreApplication>

class EdidDecodeDialog;
class EdidPage;
class QAction;
class QMenu;

class EdidDecodePage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    EdidDecodePage(const PageContext &context, EdidPage &edid) : c_(context), edid_(edid) {}

    void addAction(QMenu *tools);
    void DecodeEdid();

    QAction *action() const { return action_; }
    // Null until first used.
    EdidDecodeDialog *dialog() const { return dialog_; }

private:
    PageContext c_;
    EdidPage &edid_;
    QAction *action_ = nullptr;
    EdidDecodeDialog *dialog_ = nullptr;
};
