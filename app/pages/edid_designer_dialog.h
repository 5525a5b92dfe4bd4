// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > EDID designer...: the edits owners make to a table, as check
// boxes and lists, with the table before and after, what changed and
// whether it still conforms; every tick applies the edits again.
#pragma once

#include "edid_edit.h"

#include <QDialog>

#include <cstdint>
#include <map>
#include <vector>

class Ui_EdidDesignerDialog;

class EdidDesignerDialog : public QDialog {
    Q_OBJECT

public:
    explicit EdidDesignerDialog(QWidget *parent = nullptr);
    ~EdidDesignerDialog() override;

    // The table to start from; source: where it came from, for the label.
    void setTable(const std::vector<uint8_t> &table, const QString &source);
    // The edits the controls ask for, and what they make of the table. A
    // value that is not one is left out and named in problem.
    vantrel::edid::edit::EditList edits(QString *problem = nullptr) const;
    const vantrel::edid::edit::EditResult &result() const { return result_; }
    // Ticks these edits (the table set first); audioSource names where audioFrom came from.
    void tickEdits(const vantrel::edid::edit::EditList &edits, const QString &audioSource);

    // Ticks an edit as the user would: a flag edit with no value, a valued
    // one with the text its field takes ("97:420", "48-120", "on", "48").
    // False for an edit the dialog does not take that way (VICs and audio
    // formats to drop are unticked in their lists; tables are taken with
    // takeTable()).
    bool setEdit(vantrel::edid::edit::Edit edit, const QString &value = QString());
    // Another table whose block HdrFrom, DolbyVisionFrom, Hdr10PlusFrom or
    // AudioFrom takes; an empty table takes none.
    void takeTable(vantrel::edid::edit::Edit edit, const std::vector<uint8_t> &table, const QString &name);
    // The designer's own name for an edit, as its messages give it.
    static QString editLabel(vantrel::edid::edit::Edit edit);
    // What became of the table: put, written, saved, or why not.
    void showFeedback(const QString &text, bool problem);

    Ui_EdidDesignerDialog *ui = nullptr;

signals:
    void loadRequested(int source); // 0 EDID box, 1 TX A, 2 TX B, 3 file
    void putRequested();
    void writeRequested();
    void saveRequested();

private:
    void fillLists();
    void chooseTable(vantrel::edid::edit::Edit edit);
    void showTaken();
    void update();

    std::vector<uint8_t> table_;
    std::vector<uint8_t> audioFrom_;
    // HdrFrom, DolbyVisionFrom, Hdr10PlusFrom: the table and its file name.
    std::map<vantrel::edid::edit::Edit, std::pair<std::vector<uint8_t>, QString>> taken_;
    vantrel::edid::edit::EditResult result_;
    bool filling_ = false;
};
