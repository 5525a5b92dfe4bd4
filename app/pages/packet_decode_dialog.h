// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode packets...: a window beside the main one that says what the
// CEC, HDR IF and AVI boxes and the captured HDR infoframe hold. Refresh
// decodes the three boxes again; the captured one follows every poll.
#pragma once

#include <QDialog>

class QLabel;
class QPlainTextEdit;
class Ui_PacketDecodeDialog;

class PacketDecodeDialog : public QDialog {
    Q_OBJECT

public:
    enum Section { Cec, HdrIf, Avi, CapturedHdr };

    explicit PacketDecodeDialog(QWidget *parent = nullptr);
    ~PacketDecodeDialog() override;

    // summary: one line on top of the section; report: the decoder's text.
    void showSection(Section section, const QString &summary, const QString &report);
    QLabel *summaryLabel(Section section) const;
    QPlainTextEdit *reportText(Section section) const;

    Ui_PacketDecodeDialog *ui = nullptr;

signals:
    void refreshRequested();
};
