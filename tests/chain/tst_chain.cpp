// SPDX-License-Identifier: GPL-3.0-or-later
// The chain planner over real tables: what each link takes of a signal and
// why not, the fixes it offers (each tried on the chain again here), and its
// rate and limit facts against what edid-decode reads from the same tables.
#include "chain_plan.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

using namespace vantrel::chain;

namespace {

const char *const kTv = "tv_goldstar_GSM5BB7_ede0d932.bin";     // 600 MHz, SCDC, 4:2:0 map, PQ
const char *const kTvFrl = "tv_goldstar_GSMC0C8_1b7df1f0.bin";  // FRL, Atmos
const char *const kAvr = "avr_denon_DON0065_de210928.bin";      // 300 MHz, no HDMI Forum block, 4:2:0-only 4K60
const char *const kDvi = "monitor_apple_APPAE05_9ef495df.bin";  // no HDMI block
const char *const kSd = "tv_haier_HRE0030_962f759d.bin";        // lists the repeated-pixel codes

std::vector<uint8_t> corpusBytes(const QString &name)
{
    QFile f(QStringLiteral(CHAIN_CORPUS_DIR "/") + name);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

std::optional<Table> corpusTable(const QString &name)
{
    return name.isEmpty() ? std::nullopt : tableOf(name.toStdString(), corpusBytes(name));
}

Chain chainOf(const QString &box, const QString &top, const QString &bottom, bool out420 = false)
{
    Chain c;
    c.box = corpusTable(box);
    c.top = corpusTable(top);
    c.bottom = corpusTable(bottom);
    c.settings = factorySettings();
    c.settings.out420 = out420;
    return c;
}

// The chain with a fix carried out the way its arguments say.
Chain withFix(const Chain &chain, const Fix &f)
{
    Chain c = chain;
    if (f.kind == FixKind::EdidEdit) {
        c.box = tableOf("fixed", f.result);
    } else if (f.kind == FixKind::Preset) {
        for (const Preset &p : presets())
            if (std::to_string(p.number) == f.arguments.back())
                c.box = Table{"preset", {}, p.facts};
    } else {
        std::vector<std::pair<std::string, std::string>> values;
        for (size_t i = 0; i + 1 < f.arguments.size(); i += 2)
            values.emplace_back(f.arguments[i], f.arguments[i + 1]);
        std::vector<std::string> bad;
        c.settings = settingsFromValues(values, bad);
    }
    return c;
}

bool reaches(const ModeCheck &m, LinkId o)
{
    return o == LinkId::BoxTop ? m.toTop : m.toBottom;
}

} // namespace

class TestChain : public QObject {
    Q_OBJECT

private slots:
    void linksOfOneSignal_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::addColumn<bool>("out420");
        QTest::addColumn<QString>("mode");
        QTest::addColumn<QString>("format");
        QTest::addColumn<int>("bpc");
        QTest::addColumn<double>("rate");
        QTest::addColumn<int>("topLimit");
        QTest::addColumn<int>("repetition");
        QTest::addColumn<QString>("passes"); // source-box, box-top, box-bottom: 1 pass, 0 fail, - absent
        QTest::addColumn<QString>("reason"); // in the first failure

        QTest::newRow("594 fits under 600") << kTv << kTv << "" << false << "vic:97" << "rgb" << 8 << 594.0 << 600 << 1 << "11-" << "";
        QTest::newRow("10-bit 4K60 is over the box") << kTv << kTv << "" << false << "vic:97" << "rgb" << 10 << 742.5 << 600 << 1 << "00-"
                                                     << "The box carries TMDS up to 600 MHz";
        QTest::newRow("4:2:0 10-bit") << kTv << kTv << "" << false << "vic:97" << "ycbcr420" << 10 << 371.25 << 600 << 1 << "11-" << "";
        QTest::newRow("4:2:0 12-bit") << kTv << kTv << "" << false << "vic:97" << "ycbcr420" << 12 << 445.5 << 600 << 1 << "11-" << "";
        QTest::newRow("4:2:2 12-bit keeps the clock") << kTv << kTv << "" << false << "vic:97" << "ycbcr422" << 12 << 594.0 << 600 << 1 << "11-" << "";
        QTest::newRow("4:2:0-only code sent as RGB") << kTv << kAvr << "" << false << "vic:97" << "rgb" << 8 << 594.0 << 300 << 1 << "10-"
                                                     << "for YCbCr 4:2:0 only";
        QTest::newRow("4:2:0-only code as 4:2:0") << kTv << kAvr << "" << false << "vic:97" << "ycbcr420" << 8 << 297.0 << 300 << 1 << "11-" << "";
        QTest::newRow("no HDMI Forum block, no deep 4:2:0") << kTv << kAvr << "" << false << "vic:97" << "ycbcr420" << 10 << 371.25 << 300 << 1
                                                            << "10-" << "DC_30bit_420";
        QTest::newRow("DVI sink") << kTv << kDvi << "" << false << "vic:4" << "ycbcr444" << 8 << 74.25 << 165 << 1 << "10-" << "DVI sink";
        QTest::newRow("repeated pixels") << kSd << kSd << "" << false << "vic:7" << "rgb" << 8 << 27.0 << 600 << 2 << "11-" << "";
        QTest::newRow("AVR on TX B drops 4K60 RGB") << kTv << kTv << kAvr << false << "vic:97" << "rgb" << 8 << 594.0 << 600 << 1 << "110" << "";
        QTest::newRow("4:2:0 output carries it to TX A") << kTv << kAvr << kTv << true << "vic:97" << "rgb" << 8 << 594.0 << 300 << 1 << "111" << "";
        QTest::newRow("4:2:0 output leaves 297 MHz alone") << kTv << kAvr << kTv << true << "vic:95" << "rgb" << 8 << 297.0 << 300 << 1 << "111" << "";
        QTest::newRow("4K30 through the AVR's table") << kAvr << kTv << "" << false << "vic:95" << "rgb" << 8 << 297.0 << 600 << 1 << "11-" << "";
    }
    void linksOfOneSignal()
    {
        QFETCH(QString, box);
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        QFETCH(bool, out420);
        QFETCH(QString, mode);
        QFETCH(QString, format);
        QFETCH(int, bpc);
        QFETCH(double, rate);
        QFETCH(int, topLimit);
        QFETCH(int, repetition);
        QFETCH(QString, passes);
        QFETCH(QString, reason);
        const Chain c = chainOf(box, top, bottom, out420);
        QVERIFY(c.box && c.top);
        const std::optional<Mode> m = findMode(c, mode.toStdString());
        QVERIFY(m);
        const Signal s{*m, *parseFormat(format.toStdString()), unsigned(bpc), Eotf::Sdr};
        const ModeCheck check = checkMode(c, s);
        QCOMPARE(check.rateMHz, rate);
        QCOMPARE(m->repetition, unsigned(repetition));
        QCOMPARE(check.links[1].limitMHz, unsigned(topLimit));
        QString got;
        for (const LinkResult &l : check.links)
            got += !l.present ? QLatin1Char('-') : l.pass ? QLatin1Char('1') : QLatin1Char('0');
        QCOMPARE(got, passes);
        QCOMPARE(check.firstFailure().empty(), check.pass());
        QString why;
        for (const LinkResult &l : check.links)
            for (const std::string &r : l.reasons)
                why += QString::fromStdString(r) + QLatin1Char(' ');
        QVERIFY2(reason.isEmpty() || why.contains(reason), qPrintable(why));
        // Every failing link says why, with the figures when the rate is what stops it.
        for (const LinkResult &l : check.links)
            QCOMPARE(l.pass, l.present && l.reasons.empty());
    }

    void fixesReachWhatTheyPromise_data()
    {
        QTest::addColumn<QString>("box");
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::addColumn<QString>("kinds"); // of the losses, in order
        QTest::newRow("AVR's table presented, TV on TX A") << kAvr << kTv << "" << "depth";
        QTest::newRow("TV's table presented, AVR on TX B") << kTv << kTv << kAvr << "mode,audio";
        QTest::newRow("FRL TV behind the AVR's table") << kAvr << kTvFrl << kAvr << "mode,depth";
    }
    void fixesReachWhatTheyPromise()
    {
        QFETCH(QString, box);
        QFETCH(QString, top);
        QFETCH(QString, bottom);
        QFETCH(QString, kinds);
        const Chain c = chainOf(box, top, bottom);
        const Plan plan = makePlan(c);
        QStringList got;
        for (const Loss &loss : plan.losses) {
            got << QString::fromStdString(loss.kind);
            for (const Fix &f : loss.fixes) {
                const Chain fixed = withFix(c, f);
                if (loss.target) {
                    // Capping the table makes the source send the mode another way.
                    const bool sameMode = f.description.rfind("Cap", 0) == 0;
                    bool ok = reaches(checkMode(fixed, *loss.target), loss.output);
                    for (Format fm : kFormats)
                        for (unsigned d : kDepths)
                            ok = ok || (sameMode && reaches(checkMode(fixed, {loss.target->mode, fm, d, Eotf::Sdr}), loss.output));
                    QVERIFY2(ok, f.description.c_str());
                } else {
                    // The sound fix: nothing lost any more once it is made.
                    for (const Loss &after : makePlan(fixed).losses)
                        QVERIFY2(after.kind != "audio", f.description.c_str());
                }
            }
            QVERIFY2(!loss.fixes.empty() || !loss.target, qPrintable(got.last()));
        }
        QCOMPARE(got.join(QLatin1Char(',')), kinds);
    }

    // The sink limit and the codes' clocks as edid-decode states them.
    void ratesAndLimitsAgreeWithEdidDecode()
    {
        const QStringList tables =
            QDir(QStringLiteral(CHAIN_CORPUS_DIR)).entryList({"tv_*.bin", "avr_*.bin", "projector_*.bin"}, QDir::Files);
        QVERIFY(tables.size() > 100);
        const QRegularExpression forum(QStringLiteral("Maximum TMDS Character Rate: (\\d+) MHz"));
        const QRegularExpression clock(QStringLiteral("Maximum TMDS clock: (\\d+) MHz"));
        const QRegularExpression vic(QStringLiteral("^\\s+VIC\\s+(\\d+):.*\\s([\\d.]+) MHz"), QRegularExpression::MultilineOption);
        int compared = 0;
        for (const QString &name : tables) {
            QProcess peer;
            peer.start(QStringLiteral("edid-decode"), {QStringLiteral(CHAIN_CORPUS_DIR "/") + name});
            if (!peer.waitForFinished(10000))
                QSKIP("edid-decode is not installed");
            const QString out = QString::fromUtf8(peer.readAllStandardOutput());
            const std::optional<Table> t = corpusTable(name);
            QVERIFY(t);
            const SinkFacts &f = t->facts;
            const auto mF = forum.match(out), mC = clock.match(out);
            const int forumRate = mF.hasMatch() ? mF.captured(1).toInt() : 0;
            unsigned want = 165;
            if (forumRate > 340)
                want = unsigned(forumRate);
            else if (out.contains(QLatin1String("OUI 00-0C-03")))
                want = mC.hasMatch() && mC.captured(1).toUInt() ? mC.captured(1).toUInt() : 165; // 0: not given
            QVERIFY2(f.limitMHz == want, qPrintable(name));
            QCOMPARE(f.scdc, out.contains(QLatin1String("SCDC Present")));
            QCOMPARE(f.dc30, out.contains(QLatin1String("DC_30bit")));
            QCOMPARE(f.dc36_420, out.contains(QLatin1String("12-bits/component Deep Color 4:2:0")));
            for (auto it = vic.globalMatch(out); it.hasNext();) {
                const auto v = it.next();
                const Mode m = vicMode(v.captured(1).toUInt());
                QVERIFY2(qAbs(m.pixelClockMHz() - v.captured(2).toDouble()) < 0.001, qPrintable(name + v.captured(0)));
            }
            ++compared;
        }
        QVERIFY(compared == tables.size());
    }
};

QTEST_GUILESS_MAIN(TestChain)
#include "tst_chain.moc"
