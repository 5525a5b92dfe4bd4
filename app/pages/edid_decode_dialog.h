// SPDX-License-Identifier: GPL-3.0-or-later
// The Tools menu's EDID decode: a window beside the main one that shows what
// the table in the EDID box advertises. It stays open while the user edits
// the table; Refresh decodes the box again.
#pragma once

#include <QDialog>

#include <memory>

class Ui_EdidDecodeDialog;

class EdidDecodeDialog : public QDialog {
    Q_OBJECT

public:
    explicit EdidDecodeDialog(QWidget *parent = nullptr);
    ~EdidDecodeDialog() override;

    // report: the decoder's text; problems: how many errors it found.
    void showReport(const QString &report, int problems);

    Ui_EdidDecodeDialog *ui = nullptr;

signals:
    void refreshRequested();
};
