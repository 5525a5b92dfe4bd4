// SPDX-License-Identifier: GPL-3.0-or-later
// Rules files checked with each fault's place, fired by serve against the
// simulated box while its signal changes, and replayed from the log it wrote.
#include "ctl_runner.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <signal.h>

// Declared ahead of the raw texts, which moc does not read.
class TstCliRules : public QObject {
    Q_OBJECT
private slots:
    void checkNamesEachFaultWhereItIs();
    void serveFiresAndTheLogReplaysTheSame();
    void replayTurnsRulesOffAndOnWhereServeDid();
};

namespace {

void writeFile(const QString &path, const QByteArray &text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text);
}

QByteArray rulesText(const QByteArray &rules)
{
    return R"({"format": "vantrel-rules", "version": 1, "rules": [)" + rules + "]}";
}

// "rule phase action; action", one a firing.
QStringList firingLines(const QJsonArray &firings, QList<double> *times = nullptr)
{
    QStringList lines;
    for (const QJsonValue &v : firings) {
        const QJsonObject f = v.toObject();
        QStringList actions;
        for (const QJsonValue &a : f.value("actions").toArray())
            actions << (a.isObject() ? a.toObject().value("action").toString() : a.toString());
        lines << f.value("rule").toString() + " " + f.value("phase").toString() + " " + actions.join("; ");
        if (times)
            *times << QDateTime::fromString(f.value("time").toString(), Qt::ISODateWithMs).toMSecsSinceEpoch();
    }
    return lines;
}

} // namespace

void TstCliRules::checkNamesEachFaultWhereItIs()
{
    CtlRunner ctl;
    const QString rules = ctl.path("rules.json");
    const struct {
        QByteArray text;
        int status;
        QStringList said;
    } cases[] = {
        {rulesText(R"({"name": "ok", "when": {"timing.name": {"matches": "*p24"}, "setting.input": {"is": "2"}},
                           "do": ["set force-hdr on", "infoframe hdr --template hdr10-1000 --max-cll 1000",
                                  "cec recipe tv-on", "set input \"PORT B [BOT]\""], "later": 1})"),
         0,
         {"1 rule(s), 4 action(s): all checked"}},
        {R"({"format": "vantrel-rules", "version": 2, "rules": []})", 1, {"later version (2)"}},
        {"{\"format\": \"vantrel-rules\",\n \"version\": 1 \"rules\"", 1, {"malformed at line 2, column 21"}},
        {rulesText(R"({"name": "a", "when": {"eotf.name": {"is": 2}, "input": {"is": "x"},
                           "infoframeDecoded.maxCll": {"above": "1000"}, "hdcp": {"equals": "2.2"},
                           "setting.force-hdr": {"is": "maybe"}},
                           "do": ["set force-hdr maybe", "infoframe hdr --template hdr9", "serve", "frobnicate",
                                  "profile apply nosuch.json", "set input \"PORT B"], "after": -1},
                          {"name": "a", "when": {"box": {"in": []}}})"),
         1,
         {R"(rules[0] "a": when.eotf.name: no fact "eotf.name")",
          R"(rules[0] "a": when.input: "input" restates other facts)",
          R"(rules[0] "a": when.infoframeDecoded.maxCll.above: takes a number)",
          R"(rules[0] "a": when.hdcp.equals: no test "equals")", R"(rules[0] "a": when.setting.force-hdr.is: )",
          R"(rules[0] "a": do[0] "set force-hdr maybe": )", R"(do[1] "infoframe hdr --template hdr9": )",
          R"(do[2] "serve": serve is not an action)", R"(do[3] "frobnicate": no command "frobnicate")",
          R"(do[4] "profile apply nosuch.json": cannot read)",
          R"(do[5] "set input \"PORT B": the quote " is not closed)", R"(rules[0] "a": after: takes the seconds)",
          R"(rules[1] "a": another rule has this name)", R"(rules[1] "a": when.box.in: takes a list)",
          R"(rules[1] "a": a rule needs "do")"}},
    };
    for (const auto &c : cases) {
        writeFile(rules, c.text);
        const CtlRun r = ctl.run({"rules", "check", rules});
        EXPECT_STATUS(r, c.status);
        for (const QString &text : c.said)
            QVERIFY2(r.out.contains(text), qPrintable(text + "\n" + r.out));
    }
    QVERIFY(ctl.takeWire().isEmpty()); // checking opens no box
}

void TstCliRules::serveFiresAndTheLogReplaysTheSame()
{
    CtlRunner ctl;
    if (ctl.run({"serve", "--help"}).status != 0)
        QSKIP("built without serve");
    const QString signal = ctl.path("signal"), profile = ctl.path("cinema.json"), log = ctl.path("log");
    ctl.simConfig += ";signal_file=" + signal;
    writeFile(signal, "source=off\n");
    EXPECT_STATUS(ctl.run({"profile", "save", profile}), 0);
    QFile p(profile);
    QVERIFY(p.open(QIODevice::ReadOnly));
    writeFile(profile, p.readAll().replace("\"PORT A [TOP]\"", "\"PORT B [BOT]\""));
    const QString rules = ctl.path("rules.json");
    writeFile(rules, rulesText(R"(
            {"name": "tv on", "when": {"hdmi": {"is": true}}, "do": ["cec recipe tv-on"]},
            {"name": "bright titles", "when": {"eotfName": {"is": "SMPTE ST 2084"}, "infoframeDecoded.maxCll": {"above": 1000}, "hdmi": {"is": true}},
             "do": ["infoframe hdr --template hdr10-1000 --max-cll 1000", "set force-hdr on"], "undo": ["set force-hdr off"]},
            {"name": "cinema", "when": {"timing.name": {"matches": "*p24"}},
             "do": ["profile apply )" +
                               profile.toUtf8() + R"( --yes --only settings"], "undo": ["set input 1"]})"));

    QProcess serve;
    serve.setProcessEnvironment(ctl.environment());
    serve.start(VANTRELCTL_PATH,
                ctl.arguments({"serve", "--mqtt", "127.0.0.1:1", "--interval", "0.3", "--log", log, "--rules", rules}));
    QVERIFY(serve.waitForStarted());
    // The first state is the one serve finds, not a change: the signal moves
    // only once serve has found the box (after its wait for a broker).
    QByteArray said;
    QTRY_VERIFY_WITH_TIMEOUT((said += serve.readAllStandardError()).contains("box found"), 15000);
    const auto logged = [&] {
        const CtlRun r = ctl.run({"--json", "log", log, "--only", "rule"});
        QJsonArray firings;
        for (const QJsonValue &c : QJsonDocument::fromJson(r.out.toUtf8()).object().value("changes").toArray()) {
            QJsonObject f = c.toObject().value("new").toObject();
            f["rule"] = c.toObject().value("field").toString().mid(5);
            f["time"] = c.toObject().value("time");
            firings << f;
        }
        return firings;
    };
    // MaxCLL 4000 in the captured payload.
    const QByteArray hdr = "hdr=02:00:c2:33:c4:86:4c:1d:b8:0b:d0:84:80:3e:13:3d:42:40:e8:03:32:00:a0:0f:90:01\n";
    const struct {
        QByteArray signal;
        int firings;
    } steps[] = {{"source=off\n", 0},
                 {"vic=16\nhdr=none\n", 1},
                 {"vic=16\n" + hdr, 2},
                 {"vic=32\n" + hdr, 4},
                 {"source=off\n", 6}};
    for (const auto &s : steps) {
        QTest::qWait(1000);
        writeFile(signal, s.signal);
        QTRY_VERIFY2_WITH_TIMEOUT(logged().size() >= s.firings, s.signal.constData(), 10000);
    }
    QTest::qWait(1500);
    ::kill(pid_t(serve.processId()), SIGTERM);
    QVERIFY(serve.waitForFinished(10000));
    QCOMPARE(serve.exitCode(), 0);

    if (qEnvironmentVariableIsSet("KEEP_RULES_LOG"))
        QProcess::execute("cp", {"-r", log, qEnvironmentVariable("KEEP_RULES_LOG")});
    QList<double> servedAt, replayedAt;
    const QJsonArray served = logged();
    const QStringList expected{"tv on do cec recipe tv-on",
                               "bright titles do infoframe hdr --template hdr10-1000 --max-cll 1000; set force-hdr on",
                               "cinema do profile apply " + profile + " --yes --only settings",
                               // The profile turned force-hdr off: the source's metadata is back.
                               "bright titles do infoframe hdr --template hdr10-1000 --max-cll 1000; set force-hdr on",
                               "bright titles undo set force-hdr off", "cinema undo set input 1"};
    QCOMPARE(firingLines(served, &servedAt), expected);
    for (const QJsonValue &f : served)
        for (const QJsonValue &a : f.toObject().value("actions").toArray())
            QVERIFY2(a.toObject().value("outcome") == "done", qPrintable(QJsonDocument(a.toObject()).toJson()));
    const CtlRun changes = ctl.run({"log", log, "--only", "force-hdr,input"});
    QVERIFY2(changes.out.contains("setting.force-hdr: off -> on") &&
                 changes.out.contains("setting.input: PORT A [TOP] -> PORT B [BOT]") &&
                 changes.out.contains("setting.force-hdr: on -> off"),
             qPrintable(changes.out));

    const CtlRun test = ctl.run({"--json", "rules", "test", rules, log, "--interval", "0.3"});
    EXPECT_STATUS(test, 0);
    QCOMPARE(firingLines(QJsonDocument::fromJson(test.out.toUtf8()).object().value("firings").toArray(), &replayedAt),
             expected);
    // serve's polls keep their own phase, which the log does not hold: the
    // replay's firing is within one interval of serve's.
    for (int i = 0; i < servedAt.size(); ++i)
        QVERIFY2(std::abs(servedAt[i] - replayedAt[i]) <= 300,
                 qPrintable(QStringLiteral("%1: served at +%2 ms, replayed at +%3 ms")
                                .arg(expected[i])
                                .arg(servedAt[i] - servedAt[0])
                                .arg(replayedAt[i] - servedAt[0])));
}

// serve logs rules/enable as the rule's phase on or off.
void TstCliRules::replayTurnsRulesOffAndOnWhereServeDid()
{
    CtlRunner ctl;
    const QString rules = ctl.path("rules.json"), log = ctl.path("signal.jsonl");
    writeFile(rules, rulesText(R"({"name": "r", "when": {"eotfName": {"is": "SMPTE ST 2084"}},
                                   "do": ["set force-hdr on"], "undo": ["set force-hdr off"]})"));
    const auto line = [](const char *time, const char *field, const char *value) {
        return QByteArray(R"({"time": "2026-12-08T10:00:)") + time + R"(.000+00:00", "field": ")" + field +
               R"(", "old": null, "new": )" + value + "}\n";
    };
    writeFile(log, line("00", "rule.r", R"({"phase": "off"})") + line("01", "eotfName", R"("SMPTE ST 2084")") +
                       line("05", "rule.r", R"({"phase": "on"})") + line("10", "eotfName", "null"));
    const CtlRun r = ctl.run({"--json", "rules", "test", rules, log, "--interval", "1"});
    EXPECT_STATUS(r, 0);
    QList<double> at;
    QCOMPARE(firingLines(QJsonDocument::fromJson(r.out.toUtf8()).object().value("firings").toArray(), &at),
             (QStringList{"r do set force-hdr on", "r undo set force-hdr off"}));
    // Off, the change at :01 fires nothing; on again at :05, two polls later.
    const double start = QDateTime::fromString("2026-12-08T10:00:00.000+00:00", Qt::ISODateWithMs).toMSecsSinceEpoch();
    QCOMPARE(at, (QList<double>{start + 7000, start + 11000}));
}

QTEST_GUILESS_MAIN(TstCliRules)
#include "tst_cli_rules.moc"
