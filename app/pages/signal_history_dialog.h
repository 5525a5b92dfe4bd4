// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Signal history...: a window beside the main one listing the signal
// changes, one a line, with Save to write them to a file.
#pragma once

#include <QDialog>

class QPlainTextEdit;
class Ui_SignalHistoryDialog;

class SignalHistoryDialog : public QDialog {
    Q_OBJECT

public:
    explicit SignalHistoryDialog(int maxLines, QWidget *parent = nullptr);
    ~SignalHistoryDialog() override;

    void showSummary(const QString &summary);
    void setLines(const QStringList &lines);
    void addLines(const QStringList &lines);
    QPlainTextEdit *listText() const;

    Ui_SignalHistoryDialog *ui = nullptr;

signals:
    void saveRequested();
};
