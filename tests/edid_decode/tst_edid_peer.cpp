// Agreement with the installed edid-decode on the facts both print, for the
// hand-built tables, every table the simulated box can present, and any
// directory of tables named by VANTREL_EDID_TABLE_DIR.
#include "peer_compare.h"
#include "sample_tables.h"
#include "sim_tables.h"

#include <QtTest>

using namespace edidtest;

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
            for (const QString &m : comparePeer(QByteArray(reinterpret_cast<const char *>(t.data()), int(t.size()))))
                mismatches << name + ": " + m;
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
        QCOMPARE(peer.value("vic"), (QStringList{"16", "4", "3", "31", "95", "97"}));
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

    void directoryAgrees()
    {
        const QString dir = qEnvironmentVariable("VANTREL_EDID_TABLE_DIR");
        if (dir.isEmpty())
            QSKIP("VANTREL_EDID_TABLE_DIR is not set");
        const DirectoryComparison result = compareDirectory(dir);
        qInfo("%d tables compared", result.tables);
        QVERIFY(result.tables > 0);
        QVERIFY2(result.mismatches.isEmpty(), qPrintable(result.mismatches.join('\n')));
    }
};

QTEST_GUILESS_MAIN(EdidPeerTest)
#include "tst_edid_peer.moc"
