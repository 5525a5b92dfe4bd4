// SPDX-License-Identifier: GPL-3.0-or-later
// Tools > Decode packets...: the CEC, HDR IF and AVI boxes read as their sends
// read them, and the captured HDR infoframe, decoded into a window that stays
// open beside the main one.
#pragma once

#include "page_context.h"

#include <QCoreApplication>

class PacketDecodeDialog;
class QAction;
class QMenu;

class PacketDecodePage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    explicit PacketDecodePage(const PageContext &context) : c_(context) {}

    void addAction(QMenu *tools);
    void DecodePackets();
    void RefreshPacketDecodes();
    void RefreshCapturedDecode();

    QAction *action() const { return action_; }
    // Null until first used.
    PacketDecodeDialog *dialog() const { return dialog_; }

private:
    template <typename Decode>
    void showPacketDecode(int section, const QString &text, const QString &empty, Decode decode);

    PageContext c_;
    QAction *action_ = nullptr;
    PacketDecodeDialog *dialog_ = nullptr;
};
