// SPDX-License-Identifier: GPL-3.0-or-later
// serve's engine without a broker or a box: the claim on its id, stale
// discovery, the commands (retained, flooded, too long) and what the state
// watch logs from a box absent or silent from the start.
#include "fake_usb.h"
#include "serve_engine.h"
#include "signal_log_reader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace vantrel::service;

namespace {

struct FakeBroker : Publisher {
    struct Sent {
        std::string topic, payload;
        bool retain;
    };
    std::vector<Sent> sent;
    std::map<std::string, bool> subscribed; // topic -> replays retained
    std::vector<InMessage> inbox;
    size_t dropped = 0;
    bool up = true, fresh = true;

    std::optional<ServeError> publish(const std::string &t, const std::string &p, bool r) override
    {
        sent.push_back({t, p, r});
        return std::nullopt;
    }
    std::optional<ServeError> subscribe(const std::string &t, bool replay) override
    {
        subscribed[t] = replay;
        return std::nullopt;
    }
    void unsubscribe(const std::string &t) override { subscribed.erase(t); }
    bool takeConnected() override { return std::exchange(fresh, false); }
    bool connected() const override { return up; }
    std::vector<InMessage> takeMessages() override { return std::exchange(inbox, {}); }
    size_t takeDropped() override { return std::exchange(dropped, 0); }

    std::vector<Sent> on(const std::string &topic) const
    {
        std::vector<Sent> out;
        for (const Sent &s : sent)
            if (s.topic == topic)
                out.push_back(s);
        return out;
    }
};

// The box over the scripted USB library, so the presence monitor judges
// real exchanges: present answers, silent never does, absent is unlisted.
struct FakeBox : ServedBox {
    enum Mode { Present, Silent, Absent };
    vantrel::test::VirtualClock clock;
    vantrel::test::FakeUsb usb{clock};
    vantrel::Box b{usb.api(), clock, nullptr, [](const vantrel::Outcome &) {}};
    std::vector<std::string> ran;
    void set(Mode mode)
    {
        usb.serials = mode == Absent ? std::vector<std::string>{} : std::vector<std::string>{"2023"};
        usb.failWrites = mode == Absent;
        usb.responder = nullptr; // an idle box's replies
        if (mode == Silent)
            usb.responder = [](const vantrel::Bytes &) { return vantrel::test::FakeUsb::silent(); };
    }
    vantrel::Box &box() override { return b; }
    std::optional<BoxReading> read() override
    {
        uint8_t reply[vantrel::UsbLink::kMaxReply];
        if (!b.readRegister(6, reply, 15).done())
            return std::nullopt;
        return BoxReading{Json{{"hdr", "SDR"}}, Json{{"input", "PORT A [TOP]"}}};
    }
    std::string run(const ControlCommand &c) override
    {
        ran.push_back(c.value);
        return {};
    }
};

InMessage message(const std::string &topic, const std::string &payload, bool retained = false)
{
    return InMessage{topic, payload.substr(0, 1024), payload.size(), retained};
}

// An engine past its claim, the box answering.
struct Rig {
    FakeBroker broker;
    FakeBox box;
    std::vector<std::string> said;
    std::unique_ptr<ServeEngine> engine;
    Millis now = 1796119200000;

    explicit Rig(EngineOptions o = {}, SignalLog *log = nullptr)
    {
        o.allowControl = true;
        o.host = "here";
        o.process = 42;
        o.processAlive = [](long pid) { return pid == 42; };
        engine = std::make_unique<ServeEngine>(o, broker, box, log, [this](const std::string &s) { said.push_back(s); });
    }
    void step(uint32_t ms = 0)
    {
        box.clock.advance(ms);
        now += ms;
        engine->step(now, box.clock.now);
    }
    void claimed()
    {
        step();
        step(kClaimWaitMs);
    }
};

} // namespace

class TstServeEngine : public QObject {
    Q_OBJECT
private slots:
    void claimsItsIdOrRefuses()
    {
        const struct {
            const char *owner;
            bool refused;
        } cases[] = {
            {"", false},
            {"{\"host\": \"here\", \"process\": 42}", false}, // its own claim from before a reconnection
            {"{\"host\": \"here\", \"process\": 7}", false},  // a serve of this host that is gone
            {"{\"host\": \"den\", \"process\": 7}", true},
        };
        for (const auto &c : cases) {
            Rig rig;
            rig.step();
            QVERIFY(rig.broker.subscribed.at("vantrel/2023/owner"));
            if (*c.owner)
                rig.broker.inbox.push_back(message("vantrel/2023/owner", c.owner, true));
            rig.step(kClaimWaitMs);
            QCOMPARE(!rig.engine->refusal().empty(), c.refused);
            if (c.refused) {
                QVERIFY2(rig.engine->refusal().find("host den") != std::string::npos, c.owner);
                rig.engine->stop();
                QVERIFY(rig.broker.sent.empty()); // the other serve's availability untouched
            } else {
                QCOMPARE(rig.broker.on("vantrel/2023/owner").at(0).payload, "{\"host\":\"here\",\"process\":42}");
                QCOMPARE(rig.broker.on("vantrel/2023/availability").back().payload, "online");
            }
        }
    }

    void clearsDiscoveryItNoLongerOffers()
    {
        Rig rig;
        rig.step();
        const std::string stale = "homeassistant/select/vantrel_2023/old_thing/config";
        const std::string device = "homeassistant/device/vantrel_2023/config";
        rig.broker.inbox.push_back(message(stale, "{}", true));
        rig.broker.inbox.push_back(message(device, "{\"cmps\": {\"cec_gone\": {\"p\": \"button\", \"name\": \"CEC gone\"},\n"
            "            \"cec_went\": {\"p\": \"button\"}, \"input\": {\"p\": \"select\", \"name\": \"Input\"}}}", true));
        rig.step(kClaimWaitMs);
        const auto cleared = rig.broker.on(stale);
        QCOMPARE(cleared.size(), size_t(1));
        QVERIFY(cleared[0].payload.empty() && cleared[0].retain);
        // A component no longer offered is named by its platform alone, once.
        const Json cmps = Json::parse(rig.broker.on(device).at(0).payload)["cmps"];
        QCOMPARE(cmps["cec_gone"], Json({{"p", "button"}}));
        QVERIFY(!cmps.contains("cec_went"));
        QVERIFY(rig.broker.subscribed.count("homeassistant/+/vantrel_2023/#") == 0);
    }

    void answersCommandsWithinBounds()
    {
        Rig rig;
        rig.claimed();
        for (const auto &[topic, replay] : rig.broker.subscribed)
            QVERIFY2(!replay, topic.c_str()); // commands are never replayed from what the broker keeps
        const std::string huge(1 << 20, 'x');
        rig.broker.inbox = {message("vantrel/2023/set/input", "PORT B [BOT]", true),
                            message("vantrel/2023/set/input", huge)};
        rig.step(1000);
        QVERIFY(rig.box.ran.empty());
        const auto errors = rig.broker.on("vantrel/2023/error");
        QCOMPARE(errors.size(), size_t(2));
        QVERIFY(errors[0].payload.find("retained") != std::string::npos);
        QVERIFY2(errors[1].payload.size() < 400, errors[1].payload.c_str());
        QVERIFY(errors[1].payload.find("\"bytes\":1048576") != std::string::npos);

        // A flood: four a second run, the rest counted once, none answered each.
        rig.broker.sent.clear();
        for (int i = 0; i < 40; ++i)
            rig.broker.inbox.push_back(message("vantrel/2023/cec/send", "40:04"));
        rig.broker.dropped = 10;
        rig.step(2000);
        QCOMPARE(rig.box.ran.size(), size_t(4));
        const auto flood = rig.broker.on("vantrel/2023/error");
        QCOMPARE(flood.size(), size_t(1));
        QVERIFY2(flood[0].payload.find("46 commands dropped") != std::string::npos, flood[0].payload.c_str());
        // A silent box runs nothing until a probe finds it answering.
        rig.box.set(FakeBox::Silent);
        rig.step(3000);
        rig.broker.inbox.push_back(message("vantrel/2023/cec/send", "40:04"));
        rig.step(1000);
        QCOMPARE(rig.box.ran.size(), size_t(4));
        QVERIFY(rig.broker.on("vantrel/2023/error").back().payload.find("does not answer") != std::string::npos);
    }

    void logsFromTheFirstStateKnown()
    {
        const struct {
            FakeBox::Mode first;
            const char *log; // the log's fields once the box answers, in order
        } cases[] = {
            {FakeBox::Absent, "poll box hdr setting.input"},
            {FakeBox::Silent, "poll box hdr setting.input"},
        };
        for (const auto &c : cases) {
            QTemporaryDir dir;
            SignalLog log(dir.path().toStdString(), 30);
            EngineOptions o;
            o.intervalMs = 100;
            Rig rig(o, &log);
            rig.box.set(c.first);
            rig.claimed();
            for (int i = 0; i < 5; ++i)
                rig.step(100);
            QVERIFY(readLog(dir.path().toStdString(), {}).changes.empty()); // no "poll: ok -> failed"
            QCOMPARE(rig.broker.on("vantrel/2023/availability").back().payload, "offline");
            rig.box.set(FakeBox::Present);
            for (int i = 0; i < 400; ++i)
                rig.step(100); // past the silent box's back-off
            std::string fields;
            for (const Change &ch : readLog(dir.path().toStdString(), {}).changes)
                fields += (fields.empty() ? "" : " ") + ch.field;
            QCOMPARE(fields, std::string(c.log));
            QCOMPARE(rig.broker.on("vantrel/2023/availability").back().payload, "online");
        }
    }

    // rules/enable needs no box; each switch is answered, retained on rules and logged.
    void switchesRulesOnAndOff()
    {
        QTemporaryDir dir;
        SignalLog log(dir.path().toStdString(), 30);
        EngineOptions o;
        o.rules = {"bright titles", "cinema 24p"};
        Rig rig(o, &log);
        std::vector<std::pair<std::string, bool>> switched;
        rig.engine->setRuleSwitch([&](const std::string &r, bool on) { switched.push_back({r, on}); });
        rig.claimed();
        QVERIFY(rig.broker.subscribed.count("vantrel/2023/rules/enable"));
        QCOMPARE(rig.broker.on("vantrel/2023/rules").back().payload, R"({"bright titles":"on","cinema 24p":"on"})");
        rig.box.set(FakeBox::Silent);
        const struct {
            const char *payload, *answer; // the error's words, or empty for done
        } cases[] = {
            {"bright titles off", ""},
            {"cinema 24p  OFF", ""},
            {"bright titels on", "did you mean \\\"bright titles\\\""},
            {"cinema 24p maybe", "NAME on"},
            {"off", "NAME on"},
        };
        std::vector<FakeBroker::Sent> state;
        for (const auto &c : cases) {
            rig.broker.sent.clear();
            rig.broker.inbox.push_back(message("vantrel/2023/rules/enable", c.payload));
            rig.step(1000);
            for (const auto &r : rig.broker.on("vantrel/2023/rules"))
                state.push_back(r);
            const auto errors = rig.broker.on("vantrel/2023/error");
            if (!*c.answer) {
                QVERIFY2(errors.empty(), errors.empty() ? "" : errors[0].payload.c_str());
                QVERIFY(rig.broker.on("vantrel/2023/event").back().payload.find("\"outcome\":\"done\"") != std::string::npos);
            } else {
                QCOMPARE(errors.size(), size_t(1));
                QVERIFY2(errors[0].payload.find(c.answer) != std::string::npos, errors[0].payload.c_str());
            }
        }
        QCOMPARE(switched, (std::vector<std::pair<std::string, bool>>{{"bright titles", false}, {"cinema 24p", false}}));
        QCOMPARE(state.size(), size_t(2));
        QCOMPARE(state.back().payload, R"({"bright titles":"off","cinema 24p":"off"})");
        QVERIFY(state.back().retain);
        const LogRead read = readLog(dir.path().toStdString(), {});
        QStringList logged;
        for (const Change &c : read.changes)
            if (c.field.rfind("rule.", 0) == 0)
                logged << QString::fromStdString(c.field + " " + c.newValue.dump());
        QCOMPARE(logged, QStringList({R"(rule.bright titles {"phase":"off"})", R"(rule.cinema 24p {"phase":"off"})"}));
    }

    void saysWhenTheLogFailsAndResumes()
    {
        QTemporaryDir dir;
        const std::string folder = dir.filePath(QStringLiteral("log")).toStdString();
        SignalLog log(folder, 30);
        QVERIFY(log.checkFolder().empty());
        // A line cut short by a full disk: the next change starts a line of its own.
        const Millis t = 1796119200000;
        std::ofstream(folder + "/" + logFileName(t)) << "{\"time\": \"2026-12-01T10:00:00.000+00:00\", \"fie";
        QVERIFY(log.append({{t, "hdr", "SDR", "HDR"}}));
        QCOMPARE(readLog(folder, {}).changes.size(), size_t(1));
        QCOMPARE(readLog(folder, {}).skipped, size_t(1));

        EngineOptions o;
        o.intervalMs = 100;
        QDir(dir.path()).rename(QStringLiteral("log"), QStringLiteral("moved"));
        QFile(QString::fromStdString(folder)).open(QIODevice::WriteOnly); // a file where the folder was
        Rig rig(o, &log);
        rig.claimed();
        rig.box.set(FakeBox::Absent);
        rig.step(100);
        rig.step(100);
        QFile::remove(QString::fromStdString(folder));
        rig.box.set(FakeBox::Present);
        rig.step(100);
        QCOMPARE(rig.said.size(), size_t(4)); // found, failed, found again, written again
        QVERIFY2(rig.said[1].find("File exists") != std::string::npos ||
                     rig.said[1].find("Not a directory") != std::string::npos,
                 rig.said[1].c_str());
        QCOMPARE(rig.said[3], "the signal log is written again");
    }
};

QTEST_GUILESS_MAIN(TstServeEngine)
#include "tst_serve_engine.moc"
