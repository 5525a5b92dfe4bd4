// SPDX-License-Identifier: GPL-3.0-or-later
// Compares what the decoder reads from a table with what the installed
// edid-decode tool prints for it: the facts both report, normalised to one
// text form per category ("vic": "16 4 31", "dtd": "1920x1080 148500", ...).
#pragma once

#include "edid_report.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QStringList>

namespace edidtest {

using FactSheet = QMap<QString, QStringList>;

FactSheet decoderFacts(const vantrel::edid::EdidReport &report);
FactSheet peerFacts(const QString &peerOutput);
// One line per category whose facts differ.
QStringList compareFacts(const FactSheet &decoder, const FactSheet &peer);

bool peerAvailable();
// Runs the peer on the table (with its conformity check when asked); empty
// text and *error set when it cannot run.
QString runPeer(const QByteArray &table, QString *error, bool check = false);
// Mismatches for one table; a failed peer run is one mismatch line.
QStringList comparePeer(const QByteArray &table);

// Facts and verdict of both sides for one table.
struct TableComparison {
    QString error;                 // the peer did not run
    FactSheet decoder, peer;
    bool decoderConforms = false, peerConforms = false;
    QStringList mismatchedCategories() const;
    QStringList categories() const; // present on either side
};
TableComparison compareTable(const QByteArray &table);

struct DirectoryComparison {
    int tables = 0;
    QStringList mismatches; // "name.bin: category: ..."
};
// Every *.bin file in the directory.
DirectoryComparison compareDirectory(const QString &directory);

} // namespace edidtest
