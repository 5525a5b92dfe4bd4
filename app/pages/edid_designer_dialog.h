// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > EDID designer...: the edits owners make to a table, as check
// boxes and lists, with the table before and after, what changed and
// whether it still conforms; every tick applies the edits again.
#pragma once

#include "edid_edit.h"

#include <QDialog>

#include <cstdint>
#include <vector>

class Ui_EdidDesignerDialog;

class EdidDesignerDialog : public QDialog {
    Q_OBJECT

public:
    explicit EdidDesignerDialog(QWidget *parent = nullptr);
    ~EdidDesignerDialog() override;

    // The table to start from; source: where it came from, for the label.
    void setTable(const std::vector<uint8_t> &table, const QString &source);
    // The edits the controls ask for, and what they make of the table.
    vantrel::edid::edit::EditList edits() const;
    const vantrel::edid::edit::EditResult &result() const { return result_; }
    // Ticks these edits (the table set first); audioSource names where audioFrom came from.
    void tickEdits(const vantrel::edid::edit::EditList &edits, const QString &audioSource);

    Ui_EdidDesignerDialog *ui = nullptr;

signals:
    void loadRequested(int source); // 0 EDID box, 1 TX A, 2 TX B, 3 file
    void putRequested();
    void writeRequested();
    void saveRequested();

private:
    void fillLists();
    void chooseAudioSource();
    void update();

    std::vector<uint8_t> table_;
    std::vector<uint8_t> audioFrom_;
    vantrel::edid::edit::EditResult result_;
    bool filling_ = false;
};
