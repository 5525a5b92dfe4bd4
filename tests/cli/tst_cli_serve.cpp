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
    bool seen(QProcess &sub, QStringList &lines, const QStringList &texts)
    {
        QElapsedTimer t;
        t.start();
        for (;;) {
            for (const QString &l : lines)
                if (std::all_of(texts.begin(), texts.end(), [&](const QString &x) { return l.contains(x); }))
                    return true;
            if (t.elapsed() > 10000)
                return false;
            sub.waitForReadyRead(100);
            while (sub.canReadLine())
                lines << QString::fromUtf8(sub.readLine()).trimmed();
        }
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
            if (control)
                args << "--allow-control"
                     << "--cec-buttons"
                     << "tv-on=40:04";
            serve.start(QStringLiteral(VANTRELCTL_PATH), ctl.arguments(args));
            QVERIFY(serve.waitForStarted());
            QVERIFY(seen(sub, lines, {"vantrel/2023/availability online"}));
            QVERIFY(seen(sub, lines, {"vantrel/2023/state", "\"input\":\"PORT A [TOP]\""}));
            const auto config = retained(broker, QStringLiteral("homeassistant/#"));
            QVERIFY(config.contains("homeassistant/binary_sensor/vantrel_2023/hdr_active/config"));
            QVERIFY2(config.contains("homeassistant/select/vantrel_2023/setting_input/config") == control,
                     qPrintable(QStringList(config.keys()).join(" ")));
            QCOMPARE(config.contains("homeassistant/button/vantrel_2023/cec_tv_on/config"), control);
            QCOMPARE(config.contains("homeassistant/button/vantrel_2023/cec_recipe_avr_on/config"), control);
            QVERIFY(!config.contains("homeassistant/button/vantrel_2023/cec_recipe_switch_here/config"));
            QVERIFY(QJsonDocument::fromJson(config.value("homeassistant/sensor/vantrel_2023/timing/config"))
                        .object()
                        .value("device")
                        .toObject()
                        .value("sw_version") == QStringLiteral("1.7.3.0"));
            writes(ctl);
            publish(broker, QStringLiteral("vantrel/2023/set/input"), QStringLiteral("PORT B [BOT]"));
            if (!control) {
                QTest::qWait(1000);
                QVERIFY(writes(ctl).isEmpty()); // nothing subscribed, nothing written
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
                QTest::qWait(1100); // a few commands a second
                publish(broker, QStringLiteral("vantrel/2023/cec/send"), QStringLiteral("switch-here"));
                QVERIFY(seen(sub, lines, {"vantrel/2023/error", "switch-here takes PHYS"}));
                publish(broker, QStringLiteral("vantrel/2023/cec/send"), QStringLiteral("avr-on"));
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
                QVERIFY(retained(broker, QStringLiteral("homeassistant/#")).size() > 10);
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
        };
        for (const auto &c : cases) {
            const CtlRun r = ctl.run(QStringList{"serve"} + c.args);
            QVERIFY2(r.status != 0 && r.err.contains(QLatin1String(c.error)), qPrintable(r.err));
        }
    }
};

QTEST_GUILESS_MAIN(TstCliServe)
#include "tst_cli_serve.moc"
