// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID page: transfers, the checksum check, the hex view and the files.
// Owns the EDID text buffer and whether the box's table is due to be re-read.
#pragma once

#include "page_context.h"

#include <QCoreApplication>

#include <array>
#include <cstdint>
#include <string>

class EdidPage {
    Q_DECLARE_TR_FUNCTIONS(MainWindow)

public:
    explicit EdidPage(const PageContext &context) : c_(context) {}

    std::string EdidTextBuffer;
    // The box's table is re-read on the next poll tick while this is set.
    bool PendingEdidRead = true;
    // Failed EDID re-reads since the last one was asked for.
    int edidRereadTries_ = 0;
    static constexpr int kMaxEdidRereadTries = 3;
    // The box rebuilds its table (an EDID mode change): read it afresh.
    void requestReread()
    {
        PendingEdidRead = true;
        edidRereadTries_ = 0;
    }

    // Each operation returns what it came to. One the window stopped itself
    // (not in custom mode, a question answered No, a format error, a file
    // that would not open) is refused, its reason told to nobody: the dialog
    // that said it was the user's.
    vantrel::Outcome readEdidFrom(uint8_t fetchCode);
    vantrel::Outcome ReadEDID();
    vantrel::Outcome readTvEdidA();
    vantrel::Outcome readTvEdidB();
    vantrel::Outcome WriteEDID();
    vantrel::Outcome CalculateChkSum();
    vantrel::Outcome LoadEDIDfromFile();
    vantrel::Outcome SaveEDIDtoFile();
    // The EDID box's text parsed; refused (after "Hex Format Error") on a format error.
    // count, if given: how many values the text holds.
    vantrel::Outcome parseEdidBox(std::array<uint8_t, 256> &image, int *count = nullptr);
    void showEdidHex(const std::array<uint8_t, 256> &image);

private:
    vantrel::Outcome uploadEdid();

    PageContext c_;
};
