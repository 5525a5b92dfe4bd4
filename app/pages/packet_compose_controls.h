// SPDX-License-Identifier: GPL-3.0-or-later
// The composing aids of the CEC and HDR / IF pages: "Compose..." beside the
// HDR IF and AVI boxes, the CEC recipes that fill the CEC box, and a line
// under each box saying what its bytes are, kept up as the user types.
// Nothing here sends: the page's own buttons still do.
#pragma once

#include <QObject>

class QComboBox;
class QLabel;
class QPushButton;
class QTextEdit;
class QWidget;

class PacketComposeControls : public QObject {
    Q_OBJECT

public:
    struct Widgets {
        QTextEdit *cecText, *hdrText, *aviText;
        QLabel *cecDecoded, *hdrDecoded, *aviDecoded;
        QPushButton *composeHdr, *composeAvi;
        QComboBox *cecRecipes;
    };
    // window: the parent of the compose dialogs.
    PacketComposeControls(const Widgets &widgets, QWidget *window);

private:
    void compose(int kind);
    void recipeChosen(int index);

    Widgets w_;
    QWidget *window_;
};
