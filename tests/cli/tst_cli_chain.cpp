// SPDX-License-Identifier: GPL-3.0-or-later
// chain plan and chain check as a user runs them: tables from files or
// through the simulated box, exit statuses, the JSON document's keys.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString corpus(const char *name)
{
    return QStringLiteral(VANTREL_SOURCE_DIR "/tests/edid_decode/corpus/") + QLatin1String(name);
}

const QString kTv = corpus("tv_goldstar_GSM5BB7_ede0d932.bin");
const QString kAvr = corpus("avr_denon_DON0065_de210928.bin");

QStringList files(const QString &box, const QString &top, const QString &bottom)
{
    return {"--box", box, "--top", top, "--bottom", bottom};
}

} // namespace

class TestCliChain : public QObject {
    Q_OBJECT

private slots:
    void statusesAndAnswers_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("sim");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("says"); // on standard output, else standard error

        // Files only: no box is looked for, not even one that is not there.
        QTest::newRow("passes") << QStringList{"chain", "check", "vic:97"} + files(kTv, kTv, kAvr) << "serials=2024" << 0 << "Reaches TX A.";
        QTest::newRow("over the box") << QStringList{"chain", "check", "3840x2160@60", "--bpc", "10"} + files(kTv, kTv, kAvr)
                                      << "serials=2024" << 1 << "The box carries TMDS up to 600 MHz; 3840x2160p60 RGB 10-bit needs 742.5 MHz.";
        QTest::newRow("AVR on TX A") << QStringList{"chain", "check", "vic:97"} + files(kTv, kAvr, kTv) << "serials=2024" << 1
                                     << "lists 3840x2160p60 for YCbCr 4:2:0 only.";
        QTest::newRow("plan of files") << QStringList{"chain", "plan"} + files(kAvr, kTv, kAvr) << "serials=2024" << 0 << "Losses:";
        QTest::newRow("table from the box, no box") << QStringList{"chain", "plan", "--top", kTv} << "serials=2024" << 3 << "2023";
        QTest::newRow("through the simulated box") << QStringList{"chain", "plan"} << "txb_edid=none" << 0 << "no display on TX B";
        QTest::newRow("input HDCP from the box") << QStringList{"chain", "plan"} << "" << 0 << "HDCP 2.2 in use";
        QTest::newRow("bad depth") << QStringList{"chain", "check", "vic:97", "--bpc", "9"} << "" << 2 << "--bpc takes 8, 10 or 12";
        QTest::newRow("undefined code") << QStringList{"chain", "check", "vic:300"} << "serials=2024" << 2 << "no video code";
        QTest::newRow("no such mode") << QStringList{"chain", "check", "1234x567@60"} + files(kTv, kTv, kAvr) << "" << 2 << "no mode";
    }
    void statusesAndAnswers()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, sim);
        QFETCH(int, status);
        QFETCH(QString, says);
        CtlRunner ctl;
        ctl.simConfig += QLatin1Char(';') + sim;
        const CtlRun r = ctl.run(args);
        EXPECT_STATUS(r, status);
        QVERIFY2(r.out.contains(says) || r.err.contains(says), qPrintable(r.out + r.err));
    }

    void checkDocument()
    {
        CtlRunner ctl;
        const CtlRun r = ctl.run(QStringList{"--json", "chain", "check", "vic:97"} + files(kTv, kAvr, kTv));
        EXPECT_STATUS(r, 1);
        const QJsonObject doc = QJsonDocument::fromJson(r.out.toUtf8()).object();
        const QJsonObject mode = doc.value("mode").toObject();
        QCOMPARE(mode.value("vic").toInt(), 97);
        QCOMPARE(mode.value("refreshHz").toDouble(), 60.0);
        QCOMPARE(mode.value("pixelClockMHz").toDouble(), 594.0);
        QCOMPARE(doc.value("format").toString(), QStringLiteral("rgb"));
        QCOMPARE(doc.value("tmdsCharacterRateMHz").toDouble(), 594.0);
        QStringList links;
        for (const QJsonValue &l : doc.value("links").toArray())
            links << l.toObject().value("link").toString() + QLatin1Char('=') + (l.toObject().value("pass").toBool() ? "pass" : "fail") +
                         QLatin1Char('@') + QString::number(l.toObject().value("limitMHz").toInt());
        QCOMPARE(links, (QStringList{"source-box=pass@600", "box-top=fail@300", "box-bottom=pass@600"}));
        QCOMPARE(doc.value("pass").toBool(), false);
        // Turning 4:2:0 output on is among the fixes, re-checked.
        QStringList kinds;
        for (const QJsonValue &f : doc.value("fixes").toArray())
            kinds << f.toObject().value("kind").toString() + QLatin1Char(' ') +
                         f.toObject().value("arguments").toVariant().toStringList().join(QLatin1Char(' '));
        QVERIFY2(kinds.contains(QStringLiteral("setting out-420 on")), qPrintable(kinds.join(QLatin1Char('|'))));

        // The same with the setting from a profile file: it now passes.
        QFile profile(ctl.path("p.json"));
        QVERIFY(profile.open(QIODevice::WriteOnly));
        profile.write(R"({"format": "vantrel-profile", "version": 1, "settings": {"out-420": "ENABLE"}})");
        profile.close();
        const CtlRun on = ctl.run(QStringList{"--json", "chain", "check", "vic:97", "--settings", profile.fileName()} + files(kTv, kAvr, kTv));
        EXPECT_STATUS(on, 0);
        const QJsonObject onDoc = QJsonDocument::fromJson(on.out.toUtf8()).object();
        QCOMPARE(onDoc.value("links").toArray().at(1).toObject().value("arrivingFormat").toString(), QStringLiteral("ycbcr420"));
    }

    // A sound fix on a full table: the JSON's steps, run as they stand with
    // the tables put in, give a table that carries the AVR's Atmos.
    void soundFixRunsAsItsJsonSays()
    {
        CtlRunner ctl;
        const QString tv = corpus("tv_goldstar_GSM5B39_1b9bc81d.bin");
        const CtlRun r = ctl.run(QStringList{"--json", "chain", "plan"} + files(tv, tv, kAvr));
        EXPECT_STATUS(r, 0);
        QJsonObject fix;
        for (const QJsonValue &l : QJsonDocument::fromJson(r.out.toUtf8()).object().value("losses").toArray())
            for (const QJsonValue &f : l.toObject().value("fixes").toArray())
                if (f.toObject().contains("prepare"))
                    fix = f.toObject();
        QCOMPARE(fix.value("table").toString(), QStringLiteral("box-top"));
        const QString audio = ctl.path("audio.bin"), fixed = ctl.path("fix.bin");
        EXPECT_STATUS(ctl.run(QStringList{"edid", "edit", kAvr, "-o", audio} + fix.value("prepare").toVariant().toStringList()), 0);
        QStringList args = fix.value("arguments").toVariant().toStringList();
        QCOMPARE(args, (QStringList{"--audio-from", "bottom"}));
        args[1] = audio;
        EXPECT_STATUS(ctl.run(QStringList{"edid", "edit", tv, "-o", fixed} + args), 0);
        const CtlRun after = ctl.run(QStringList{"chain", "plan"} + files(fixed, tv, kAvr));
        QVERIFY2(after.out.contains("sound on TX B: Dolby TrueHD with Atmos;"), qPrintable(after.out));
    }
};

QTEST_GUILESS_MAIN(TestCliChain)
#include "tst_cli_chain.moc"
