// SPDX-License-Identifier: GPL-3.0-or-later
// "Compose..." on the HDR / IF page: an HDR or AVI infoframe from named
// fields and templates. OK puts the colon hex in the page's box; the user
// still sends it with Send IF / Send AVI.
#pragma once

#include <QDialog>

class Ui_PacketComposeDialog;

class PacketComposeDialog : public QDialog {
    Q_OBJECT

public:
    enum Kind { Hdr, Avi };

    explicit PacketComposeDialog(Kind kind, QWidget *parent = nullptr);
    ~PacketComposeDialog() override;

    // AVI: the fields set to what the AVI box's colon hex holds, where the
    // composer has a word for it; a text that is no AVI frame changes nothing.
    void startFrom(const QString &boxText);

    // The colon hex of what the fields compose; empty while a field is refused.
    QString text() const { return text_; }

    Ui_PacketComposeDialog *ui = nullptr;

private:
    void compose();

    Kind kind_;
    QString text_;
};
