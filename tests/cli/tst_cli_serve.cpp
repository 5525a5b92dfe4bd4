// SPDX-License-Identifier: GPL-3.0-or-later
// vantrelctl serve against a real broker on a free loopback port and the
// simulated box: discovery, state and events, control and its refusals, a
// broker restart, SIGTERM.
#include "ctl_runner.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTcpServer>

#include <csignal>

namespace {

QString tool(const char *name)
{
    const QString found = QStandardPaths::findExecutable(QString::fromLatin1(name), {"/usr/sbin", "/usr/bin"});
    return found.isEmpty() ? QStandardPaths::findExecutable(QString::fromLatin1(name)) : found;
}

// mosquitto on 127.0.0.1 only, anonymous, nothing kept on disk.
class Broker {
public:
    explicit Broker(const QString &folder) : config_(folder + QStringLiteral("/mosquitto.conf"))
    {
        QTcpServer probe;
        if (probe.listen(QHostAddress::LocalHost))
            port = probe.serverPort();
    }
    ~Broker() { stop(); }
    bool start()
    {
        QFile f(config_);
        if (!port || !f.open(QIODevice::WriteOnly))
            return false;
        f.write(QStringLiteral("listener %1 127.0.0.1\nallow_anonymous true\npersistence false\n").arg(port).toUtf8());
        f.close();
        p_.start(tool("mosquitto"), {"-c", config_});
        return p_.waitForStarted() && waitOpen();
    }
    void stop()
    {
        p_.kill();
        p_.waitForFinished(5000);
    }
    quint16 port = 0;

private:
    bool waitOpen()
    {
        for (int i = 0; i < 50; ++i) {
            QTcpSocket s;
            s.connectToHost(QHostAddress::LocalHost, port);
            if (s.waitForConnected(100))
                return true;
            QTest::qWait(100);
        }
        return false;
    }
    QString config_;
    QProcess p_;
};

} // namespace

class TstCliServe : public QObject {
    Q_OBJECT

    QStringList mqtt(const Broker &b) const { return {"-h", "127.0.0.1", "-p", QString::number(b.port)}; }

    // The retained messages under topic, topic -> payload.
    QMap<QString, QByteArray> retained(const Broker &b, const QString &topic)
    {
        QProcess sub;
        sub.start(tool("mosquitto_sub"), mqtt(b) + QStringList{"-t", topic, "-v", "--retained-only", "-W", "2"});
        sub.waitForFinished(10000);
        QMap<QString, QByteArray> out;
        for (const QByteArray &line : sub.readAllStandardOutput().split('\n'))
            if (const int space = line.indexOf(' '); space > 0)
                out[QString::fromUtf8(line.left(space))] = line.mid(space + 1);
        return out;
    }
    void publish(const Broker &b, const QString &topic, const QString &payload)
    {
        QProcess::execute(tool("mosquitto_pub"), mqtt(b) + QStringList{"-t", topic, "-m", payload});
    }
    // Waits for a line of the subscriber that holds every text.
    bool seen(QProcess &sub, QStringList &lines, const QStringList &texts) { return seenWithin(sub, lines, texts, 10000); }
    bool seenWithin(QProcess &sub, QStringList &lines, const QStringList &texts, int ms)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            for (const QString &l : lines)
                if (std::all_of(texts.begin(), texts.end(), [&](const QString &x) { return l.contains(x); }))
                    return true;
            if (t.elapsed() > ms)
                return false;
            sub.waitForReadyRead(100);
            while (sub.canReadLine())
                lines << QString::fromUtf8(sub.readLine()).trimmed();
        }
    }
    // Every template of the discovery against the box present (the state
    // serve published, with a value outside a select's choices), silent and
    // absent from the start, as Home Assistant's Jinja renders them.
    void rendersEveryTemplate(const CtlRunner &ctl, const QByteArray &device, const QByteArray &state,
                              const QByteArray &rules)
    {
        QJsonObject present = QJsonDocument::fromJson(state).object();
        QJsonObject odd = present, silent = present;
        QJsonObject settings = odd.value("settings").toObject();
        settings.insert("input", QStringLiteral("unknown (0)"));
        odd.insert("settings", settings);
        silent.insert("box", QStringLiteral("silent"));
        const QByteArray absent = "{\"box\": \"absent\", \"status\": null, \"settings\": {}}";
        QStringList args{QStringLiteral(RENDER_TEMPLATES_PATH)};
        int n = 0;
        // The last one is the rules topic's, for the rule switches.
        for (const QByteArray &doc :
             {device, state, QJsonDocument(odd).toJson(), QJsonDocument(silent).toJson(), absent, rules}) {
            QFile f(ctl.path(QStringLiteral("render%1.json").arg(n)));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(doc);
            args << (n++ == 5 ? QStringLiteral("rules=") : QString()) + f.fileName();
        }
        QProcess python;
        python.setProcessChannelMode(QProcess::MergedChannels);
        python.start(QStringLiteral("python3"), args);
        QVERIFY(python.waitForFinished(30000));
        QVERIFY2(python.exitCode() == 0, python.readAll().constData());
    }
    QStringList writes(const CtlRunner &ctl)
    {
        return ctl.takeWire().filter(QRegularExpression(QStringLiteral("^10 04 E0 ")));
    }

private slots:
    void servesTheBoxOverMqtt()
    {
        if (tool("mosquitto").isEmpty() || tool("mosquitto_sub").isEmpty())
            QSKIP("mosquitto and mosquitto-clients are not installed");
        CtlRunner ctl;
        Broker broker(ctl.path(QString()));
        QVERIFY(broker.start());
        const QString signal = ctl.path(QStringLiteral("signal"));
        const auto setSignal = [&](const QByteArray &keys) {
            QFile f(signal);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(keys);
        };
        setSignal("vic=16\nhdr=none\n");
        ctl.simConfig += QStringLiteral(";signal_file=") + signal;
        QProcess sub;
        sub.start(tool("mosquitto_sub"), mqtt(broker) + QStringList{"-t", "vantrel/#", "-v"});
        QVERIFY(sub.waitForStarted());
        QStringList lines;

        for (const bool control : {false, true}) {
            QProcess serve;
            serve.setProcessEnvironment(ctl.environment());
            QStringList args{"serve",
                             "--mqtt",
                             QStringLiteral("127.0.0.1:%1").arg(broker.port),
                             "--interval",
                             "0.3",
                             "--log",
                             ctl.path(QStringLiteral("log"))};
            // Rule names Home Assistant's ids and templates must not trip on.
            QFile rules(ctl.path(QStringLiteral("rules.json")));
            QVERIFY(rules.open(QIODevice::WriteOnly));
            rules.write("{\"format\": \"vantrel-rules\", \"version\": 1, \"rules\": ["
                        "{\"name\": \"quote \\\"it\\\" }} {{ \\u00e9\", \"when\": {\"eotfName\": {\"is\": \"HLG\"}}, "
                        "\"do\": [\"set force-hdr on\"]}, {\"name\": \"quote it\", \"when\": {\"box\": {\"is\": \"gone\"}}, "
                        "\"do\": [\"set force-hdr on\"]}, {\"name\": \"quote_it\", \"when\": {\"eotfName\": "
                        "{\"is\": \"HLG\"}}, \"do\": [\"set force-hdr on\"]}]}");
            rules.close();
            if (control)
                args << "--allow-control"
                     << "--cec-buttons"
                     << "den-on=40:04"
                     << "--rules" << rules.fileName();
            serve.start(QStringLiteral(VANTRELCTL_PATH), ctl.arguments(args));
            QVERIFY(serve.waitForStarted());
            QVERIFY(seen(sub, lines, {"vantrel/2023/availability online"}));
            QVERIFY(seen(sub, lines, {"vantrel/2023/state", "\"input\":\"PORT A [TOP]\""}));
            const auto config = retained(broker, QStringLiteral("homeassistant/#"));
            const QByteArray device = config.value("homeassistant/device/vantrel_2023/config");
            QCOMPARE(config.size(), 1); // one device message, nothing left of the other run's
            const QJsonObject cmps = QJsonDocument::fromJson(device).object().value("cmps").toObject();
            QVERIFY(cmps.contains("hdr_active"));
            QVERIFY2((cmps.value("setting_input").toObject().value("p") == QStringLiteral("select")) == control,
                     device.constData());
            QCOMPARE(cmps.contains("cec_den_on"), control);
            QCOMPARE(cmps.contains("cec_recipe_avr_on"), control);
            QVERIFY(!cmps.contains("cec_recipe_switch_here"));
            QCOMPARE(QJsonDocument::fromJson(device).object().value("dev").toObject().value("sw"),
                     QStringLiteral("1.7.3.0"));
            QCOMPARE(cmps.contains("rule_quote_it_3"), control);
            if (control)
                rendersEveryTemplate(ctl, device, retained(broker, QStringLiteral("vantrel/2023/state")).first(),
                                     retained(broker, QStringLiteral("vantrel/2023/rules")).first());
            writes(ctl);
            publish(broker, QStringLiteral("vantrel/2023/set/input"), QStringLiteral("PORT B [BOT]"));
            if (!control) {
                QStringList polls;
                QTRY_VERIFY_WITH_TIMEOUT((polls += ctl.takeWire()).filter(QStringLiteral("E0 06")).size() >= 3, 10000);
                QVERIFY(polls.filter(QRegularExpression(QStringLiteral("^10 04 E0 "))).isEmpty()); // nothing subscribed
            } else {
                QVERIFY(seen(sub, lines, {"vantrel/2023/state", "\"input\":\"PORT B [BOT]\""}));
                QCOMPARE(writes(ctl), QStringList{"10 04 E0 00 02"});
                const struct {
                    const char *topic, *payload, *reason;
                } refused[] = {
                    {"set/input", "PORT Z", "PORT Z"}, {"set/bogus", "1", "no setting"}, {"cec/send", "50:0", "50:0"}};
                for (const auto &r : refused) {
                    publish(broker, QStringLiteral("vantrel/2023/") + r.topic, r.payload);
                    QVERIFY2(seen(sub, lines, {"vantrel/2023/error", r.reason}), r.topic);
                }
                QVERIFY(writes(ctl).isEmpty());
                // A recipe by name: both of its messages go out, in order;
                // one without its argument is refused.
                // A few commands a second: asked again until one is taken.
                const auto answered = [&](const QString &topic, const QString &payload, const QString &reason) {
                    for (int i = 0; i < 20; ++i) {
                        publish(broker, QStringLiteral("vantrel/2023/") + topic, payload);
                        if (seenWithin(sub, lines, {"vantrel/2023/error", reason}, 300))
                            return true;
                    }
                    return false;
                };
                QVERIFY(answered("cec/send", "switch-here", "switch-here takes PHYS"));
                // Files by name from the folders given, never a path; the
                // infoframe's fields only, never another option.
                QVERIFY(answered("profile/apply", "../movie", "not a path"));
                QVERIFY(answered("edid/load", "tv", "without --edids DIR"));
                QVERIFY(answered("infoframe/hdr", "{\"usb-library\": \"/tmp/x.so\"}", "no field \\\"usb-library\\\""));
                QVERIFY(writes(ctl).isEmpty());
                // Done is answered with an event.
                const auto done = [&](const QString &topic, const QString &payload) {
                    for (int i = 0; i < 10; ++i) {
                        publish(broker, QStringLiteral("vantrel/2023/") + topic, payload);
                        if (seenWithin(sub, lines, {"vantrel/2023/event", topic, payload, "\"outcome\":\"done\""}, 1000))
                            return true;
                    }
                    return false;
                };
                QVERIFY(done("rules/enable", "quote_it off"));
                QCOMPARE(retained(broker, QStringLiteral("vantrel/2023/rules")).first(),
                         QByteArray("{\"quote \\\"it\\\" }} {{ \xc3\xa9\":\"on\",\"quote it\":\"on\",\"quote_it\":\"off\"}"));
                QVERIFY(done("infoframe/hdr", "hdr10-1000"));
                const QStringList hdr = ctl.takeWire();
                QCOMPARE(hdr.filter(QRegularExpression(QStringLiteral("^10 .. (E5 87 01 1A |B3 20$)"))).size(), 2);
                QVERIFY(done("cec/send", "avr-on"));
                QStringList cec;
                const QRegularExpression load(QStringLiteral("^10 .. B2 "));
                QTRY_VERIFY_WITH_TIMEOUT((cec += ctl.takeWire().filter(load)).size() >= 2, 5000);
                QCOMPARE(cec, (QStringList{"10 04 B2 45 02 44 6D", "10 03 B2 45 01 45"}));
                setSignal("vic=97\nhdr=pq\n");
                QVERIFY(seen(sub, lines, {"vantrel/2023/event", "\"field\":\"eotfName\"", "SMPTE ST 2084"}));
                QVERIFY(seen(sub, lines, {"vantrel/2023/state", "\"eotfName\":\"SMPTE ST 2084\""}));

                // The broker comes back empty; serve publishes it all again.
                broker.stop();
                QVERIFY(broker.start());
                sub.kill();
                sub.waitForFinished();
                sub.start(tool("mosquitto_sub"), mqtt(broker) + QStringList{"-t", "vantrel/#", "-v"});
                lines.clear();
                QVERIFY(seen(sub, lines, {"vantrel/2023/state", "SMPTE ST 2084"}));
                QVERIFY(retained(broker, QStringLiteral("homeassistant/#")).contains("homeassistant/device/vantrel_2023/config"));
            }
            lines.clear();
            ::kill(pid_t(serve.processId()), SIGTERM);
            QVERIFY(serve.waitForFinished(10000));
            QCOMPARE(serve.exitCode(), 0);
            QVERIFY(seen(sub, lines, {"vantrel/2023/availability offline"}));
        }
        sub.kill();
        sub.waitForFinished();

        const CtlRun log = ctl.run({"--json", "log", ctl.path(QStringLiteral("log")), "--only", "eotfName,input"});
        EXPECT_STATUS(log, 0);
        QVERIFY2(log.out.contains("\"field\": \"setting.input\"") && log.out.contains("\"new\": \"SMPTE ST 2084\""),
                 qPrintable(log.out));
    }

    // A box that goes away: availability offline, its loss in the log.
    void anUnpluggedBoxIsOffline()
    {
        if (tool("mosquitto").isEmpty() || tool("mosquitto_sub").isEmpty())
            QSKIP("mosquitto and mosquitto-clients are not installed");
        CtlRunner ctl;
        Broker broker(ctl.path(QString()));
        QVERIFY(broker.start());
        ctl.simConfig += QStringLiteral(";fault=E0:gone:40");
        QProcess sub;
        sub.start(tool("mosquitto_sub"), mqtt(broker) + QStringList{"-t", "vantrel/#", "-v"});
        QVERIFY(sub.waitForStarted());
        QProcess serve;
        serve.setProcessEnvironment(ctl.environment());
        serve.start(QStringLiteral(VANTRELCTL_PATH),
                    ctl.arguments({"serve", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port), "--interval",
                                   "0.2", "--log", ctl.path(QStringLiteral("log"))}));
        QStringList lines;
        QVERIFY(seen(sub, lines, {"vantrel/2023/availability online"}));
        QVERIFY(seen(sub, lines, {"vantrel/2023/availability offline"}));
        QVERIFY(seen(sub, lines, {"vantrel/2023/state", "\"box\":\"absent\""}));
        ::kill(pid_t(serve.processId()), SIGTERM);
        QVERIFY(serve.waitForFinished(10000));
        QCOMPARE(serve.exitCode(), 0);
        sub.kill();
        sub.waitForFinished();
        const CtlRun log = ctl.run({"log", ctl.path(QStringLiteral("log")), "--only", "box,poll"});
        QVERIFY2(log.out.contains("box: present -> absent") && log.out.contains("poll: ok -> failed"),
                 qPrintable(log.out));
    }

    void refusesWhatItCannotUse()
    {
        CtlRunner ctl;
        const QString open = ctl.path(QStringLiteral("credentials"));
        QFile f(open);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("user\npass\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ReadOther);
        const struct {
            QStringList args;
            const char *error;
        } cases[] = {
            {{"--mqtt-credentials", open}, "chmod 600"},
            {{"--mqtt-tls", ctl.path(QStringLiteral("missing.pem"))}, "cannot read the CA file"},
            {{"--mqtt", "host:70000"}, "port"},
            {{"--mqtt-credentials", ctl.path(QString())}, "is a folder"},
            {{"--log", open + QStringLiteral("/log")}, "cannot write the log folder"},
            {{"--cec-buttons", "den-on=40:04,den_on=40:36"}, "\"den_on\" collides with \"den-on\""},
            {{"--cec-buttons", "avr-on=40:04"}, "collides with the recipe avr-on"},
            {{"--id", "den/tv"}, "--id takes"},
        };
        for (const auto &c : cases) {
            const CtlRun r = ctl.run(QStringList{"serve"} + c.args);
            QVERIFY2(r.status != 0 && r.err.contains(QLatin1String(c.error)), qPrintable(r.err));
        }
        const CtlRun log = ctl.run({"log", ctl.path(QString()), "--only", "hdr,eotfname"});
        QCOMPARE(log.status, 2);
        QVERIFY2(log.err.contains("no field \"eotfname\" (did you mean \"eotfName\"?)"), qPrintable(log.err));
    }

    // What a real broker showed: commands it keeps are not run again, a
    // second serve under the same id stays out, and a broker away is said.
    void holdsItsGroundOnTheBroker()
    {
        if (tool("mosquitto").isEmpty() || tool("mosquitto_sub").isEmpty())
            QSKIP("mosquitto and mosquitto-clients are not installed");
        CtlRunner ctl;
        Broker broker(ctl.path(QString()));
        const QStringList args = ctl.arguments({"serve", "--mqtt", QStringLiteral("127.0.0.1:%1").arg(broker.port),
                                                "--interval", "0.2", "--allow-control"});
        QProcess serve;
        serve.setProcessEnvironment(ctl.environment());
        serve.start(QStringLiteral(VANTRELCTL_PATH), args);
        QByteArray err;
        QTRY_VERIFY_WITH_TIMEOUT((err += serve.readAllStandardError()).contains("Connection refused; trying again"), 10000);
        QVERIFY(broker.start());
        QProcess::execute(tool("mosquitto_pub"), mqtt(broker) + QStringList{"-r", "-t", "vantrel/2023/set/input", "-m",
                                                                             "PORT B [BOT]"});
        QTRY_VERIFY_WITH_TIMEOUT((err += serve.readAllStandardError()).contains("connected"), 40000);
        QCOMPARE(err.count("Connection refused"), 1);
        QTRY_COMPARE_WITH_TIMEOUT(retained(broker, QStringLiteral("vantrel/2023/availability")).value(
                                      QStringLiteral("vantrel/2023/availability")),
                                  QByteArray("online"), 10000);
        QStringList polls;
        QTRY_VERIFY_WITH_TIMEOUT((polls += ctl.takeWire()).filter(QStringLiteral("E0 06")).size() >= 3, 10000);
        QVERIFY(polls.filter(QRegularExpression(QStringLiteral("^10 04 E0 "))).isEmpty()); // the kept command not run

        const CtlRun second = ctl.run(args.mid(2));
        QCOMPARE(second.status, 1);
        QVERIFY2(second.err.contains("another serve (on host ") && second.err.contains("--id"), qPrintable(second.err));
        QCOMPARE(retained(broker, QStringLiteral("vantrel/2023/availability")).value(
                     QStringLiteral("vantrel/2023/availability")),
                 QByteArray("online"));
        ::kill(pid_t(serve.processId()), SIGTERM);
        QVERIFY(serve.waitForFinished(10000));
        QCOMPARE(serve.exitCode(), 0);
    }
};

QTEST_GUILESS_MAIN(TstCliServe)
#include "tst_cli_serve.moc"
