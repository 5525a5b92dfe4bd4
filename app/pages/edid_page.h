// SPDX-License-Identifier: GPL-3.0-or-later
// The EDID page: transfers, the checksum check, the hex view and the files.
// Owns the EDID text buffer and whether the box's table is due to be re-read.
#pragma once

#include "page_context.h"

#include <QCoreApplication>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

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

    // Where the EDID box's text came from, for the library: "box", "TX A",
    // "TX B", "file" (detail: its path), "designer" (detail: where its table
    // came from; the edits); text: the box's text as it came.
    struct Origin {
        std::string source, detail;
        std::vector<std::string> edits;
        QString text;
    };
    Origin TableOrigin;
    void noteOrigin(const std::string &source, const std::string &detail = {},
                    const std::vector<std::string> &edits = {});

    // Each operation returns what it came to. One the window stopped itself
    // (not in custom mode, a question answered No, a format error, a file
    // that would not open) is refused, its reason told to nobody: the dialog
    // that said it was the user's.
    vantrel::Outcome readEdidFrom(uint8_t fetchCode);
    // The re-read after a mode change: the rebuilt table replaces what a read
    // of the box's table left in the EDID box; text the user put there (typed,
    // loaded, designed, a display's table) only when they say so.
    vantrel::Outcome rereadBoxTable();
    // Whether the EDID box holds text the last read of the box's table did not put there.
    bool holdsUserText() const;
    vantrel::Outcome ReadEDID();
    vantrel::Outcome readTvEdidA();
    vantrel::Outcome readTvEdidB();
    // Read TOP's release: the table it read gets its checksum check; after a
    // failed read the box holds the old text, which is not the display's.
    bool checkTvTable() { return tvTableRead_ && CalculateChkSum().done(); }
    vantrel::Outcome WriteEDID();
    vantrel::Outcome CalculateChkSum();
    vantrel::Outcome LoadEDIDfromFile();
    vantrel::Outcome SaveEDIDtoFile();
    // The EDID box's text parsed; refused (after "Hex Format Error") on a format error.
    // count, if given: how many values the text holds.
    vantrel::Outcome parseEdidBox(std::array<uint8_t, 256> &image, int *count = nullptr);
    void showEdidHex(const std::array<uint8_t, 256> &image);

    // Switches to CUSTOM mode (through switchToCustom), waits while the box
    // rebuilds its table, then uploads the EDID box, saying each step. False
    // when the user said no or a step failed.
    bool writeInCustomMode(const std::function<bool()> &switchToCustom);

private:
    vantrel::Outcome uploadEdid();
    bool inCustomMode() const;
    void showBoxTable(const std::string &text);

    PageContext c_;
    QString boxTableText_; // the EDID box as the last read of the box's table left it
    bool tvTableRead_ = false;
};
