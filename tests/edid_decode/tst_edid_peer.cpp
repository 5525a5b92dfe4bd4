// SPDX-License-Identifier: GPL-3.0-or-later
// Agreement with the installed edid-decode on the facts both print and on
// the conformity verdict, for the hand-built tables, every table the
// simulated box can present, the corpus of real display tables in
// corpus/, and any directory of tables named by VANTREL_EDID_TABLE_DIR.
#include "peer_compare.h"
#include "sample_tables.h"
#include "sim_tables.h"

#include <QDir>
#include <QtTest>

using namespace edidtest;

namespace {

// Where the decoder and edid-decode (Debian 12's build of 2022) differ on a
// corpus table, and why the decoder is right. Besides these, edid-decode of
// that build prints an HDMI latency value v as 1 + 2v ms (HDMI: 2(v - 1) ms;
// the comparison uses v), halves the line rate of 4:2:0 timings when it
// checks the range limits (a 4:2:0 timing halves the pixel clock, not the
// line rate), and does not know the override block of HDMI 2.1 (it counts
// the base block's extensions and asks EDID 1.3 tables of more blocks for a
// block map).
struct KnownDifference {
    const char *table;
    const char *category;           // a fact category, or "verdict"
    const char *reason;
};

const KnownDifference kKnownDifferences[] = {
    {"tv_philips_PHL01EA_249ba43b.bin", "audio",
     "AC-4 descriptors carry no channel count (the bits are reserved); edid-decode prints 1"},
    {"projector_nec_NEC68D6_0cf358aa.bin", "speakers",
     "corrupt extension (bad checksum): a 25-byte speaker block overruns the data block collection; "
     "edid-decode reads on into the timings, the decoder stops at the overrun"},
};

bool known(const QString &table, const QString &category)
{
    for (const KnownDifference &k : kKnownDifferences)
        if (table == QLatin1String(k.table) && category == QLatin1String(k.category))
            return true;
    return false;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

class EdidPeerTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (!peerAvailable())
            QSKIP("edid-decode is not installed");
    }

    void sampleTablesAgree_data()
    {
        QTest::addColumn<QByteArray>("table");
        for (const NamedTable &t : sampleTables())
            QTest::newRow(t.first.c_str()) << QByteArray(reinterpret_cast<const char *>(t.second.data()),
                                                         int(t.second.size()));
    }

    void sampleTablesAgree()
    {
        QFETCH(QByteArray, table);
        const QStringList mismatches = comparePeer(table);
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join('\n')));
    }

    void simulatedBoxTablesAgree()
    {
        int compared = 0;
        QStringList mismatches;
        for (const auto &[name, t] : everySimulatedTable()) {
            const TableComparison c = compareTable(QByteArray(reinterpret_cast<const char *>(t.data()), int(t.size())));
            for (const QString &m : compareFacts(c.decoder, c.peer))
                mismatches << name + ": " + m;
            if (!c.error.isEmpty() || c.decoderConforms != c.peerConforms)
                mismatches << name + ": verdict differs " + c.error;
            ++compared;
        }
        qInfo("%d simulated-box tables compared", compared);
        QVERIFY(compared > 100);
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.mid(0, 20).join('\n')));
    }

    // The comparison must see the facts, not two empty sheets.
    void peerFactsAreRead()
    {
        const Bytes t = fullTable();
        QString error;
        const FactSheet peer = peerFacts(runPeer(QByteArray(reinterpret_cast<const char *>(t.data()), int(t.size())), &error));
        QCOMPARE(peer.value("vic"), (QStringList{"16*", "4", "3", "31", "95", "97"}));
        QCOMPARE(peer.value("version"), QStringList{"1.3"});
        QCOMPARE(peer.value("vicFormat").first(), QString("1920x1080 60.000 16:9 148500"));
        QCOMPARE(peer.value("audioRates").first(), QString("48 44.1 32 / 24 20 16"));
        QCOMPARE(peer.value("hdmiFlags"), (QStringList{"Supports_AI", "DC_36bit", "DC_30bit", "DC_Y444"}));
        QCOMPARE(peer.value("luminance"), (QStringList{"max 400.000", "average 237.841", "min 0.063"}));
        QCOMPARE(peer.value("rgbQuantization"), QStringList{"selectable"});
        QCOMPARE(peer.value("y420map"), (QStringList{"16", "4"}));
        QCOMPARE(peer.value("audio"), (QStringList{"Linear PCM/2", "AC-3/6", "DTS/6"}));
        QCOMPARE(peer.value("dtd").size(), 3);
        QCOMPARE(peer.value("eotf"), (QStringList{"0", "1", "2"}));
        QCOMPARE(peer.value("tmds"), QStringList{"300"});
        QCOMPARE(peer.value("hfTmds"), QStringList{"600"});
        QCOMPARE(peer.value("colorimetry").size(), 4);
    }

    void brokenChecksumAgrees()
    {
        Bytes t = fullTable();
        t[255] ^= 0x01;
        const QStringList mismatches = comparePeer(QByteArray(reinterpret_cast<const char *>(t.data()), int(t.size())));
        QVERIFY2(mismatches.isEmpty(), qPrintable(mismatches.join('\n')));
    }

    // Real display tables: every fact the same but for the known differences
    // above, and the verdict the same on at least 95 % of them.
    void corpusAgrees()
    {
        const QDir dir(QStringLiteral(EDID_CORPUS_DIR));
        const QStringList names = dir.entryList({QStringLiteral("*.bin")}, QDir::Files, QDir::Name);
        QVERIFY(names.size() >= 250);
        QMap<QString, QPair<int, int>> perCategory; // agreeing, present
        QStringList unexpected, verdictDifferences, stale;
        int sameVerdict = 0;
        for (const QString &name : names) {
            const TableComparison c = compareTable(readFile(dir.filePath(name)));
            QVERIFY2(c.error.isEmpty(), qPrintable(name + ": " + c.error));
            const QStringList mismatched = c.mismatchedCategories();
            for (const QString &category : c.categories()) {
                auto &counts = perCategory[category];
                ++counts.second;
                if (!mismatched.contains(category))
                    ++counts.first;
            }
            for (const QString &category : mismatched)
                if (!known(name, category))
                    unexpected << QStringLiteral("%1: %2: decoder [%3], edid-decode [%4]").arg(name, category,
                                      c.decoder.value(category).join(", "), c.peer.value(category).join(", "));
            if (c.decoderConforms == c.peerConforms)
                ++sameVerdict;
            else if (!known(name, QStringLiteral("verdict")))
                verdictDifferences << QStringLiteral("%1: decoder %2, edid-decode %3").arg(name,
                                          c.decoderConforms ? "PASS" : "FAIL", c.peerConforms ? "PASS" : "FAIL");
            for (const KnownDifference &k : kKnownDifferences)
                if (name == QLatin1String(k.table) && QLatin1String(k.category) != QLatin1String("verdict") &&
                    !mismatched.contains(QLatin1String(k.category)))
                    stale << name + ": " + k.category + " now agrees";
        }
        for (auto it = perCategory.cbegin(); it != perCategory.cend(); ++it)
            qInfo("%-16s %3d of %3d tables agree", qPrintable(it.key()), it.value().first, it.value().second);
        qInfo("verdict: %d of %lld tables agree (%.1f %%)", sameVerdict, qlonglong(names.size()),
              100.0 * sameVerdict / names.size());
        QVERIFY2(unexpected.isEmpty(), qPrintable(unexpected.mid(0, 30).join('\n')));
        QVERIFY2(stale.isEmpty(), qPrintable(stale.join('\n')));
        QVERIFY2(verdictDifferences.isEmpty(), qPrintable(verdictDifferences.join('\n')));
        QVERIFY(sameVerdict * 100 >= names.size() * 95);
    }

    void directoryAgrees()
    {
        const QString dir = qEnvironmentVariable("VANTREL_EDID_TABLE_DIR");
        if (dir.isEmpty())
            QSKIP("VANTREL_EDID_TABLE_DIR is not set");
        const DirectoryComparison result = compareDirectory(dir);
        qInfo("%d tables compared", result.tables);
        for (const QString &m : result.mismatches)
            qInfo("%s", qPrintable(m));
        QVERIFY(result.tables > 0);
        QVERIFY2(result.mismatches.isEmpty(), qPrintable(result.mismatches.join('\n')));
    }
};

QTEST_GUILESS_MAIN(EdidPeerTest)
#include "tst_edid_peer.moc"
