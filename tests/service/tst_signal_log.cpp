// SPDX-License-Identifier: GPL-3.0-or-later
// The signal log's times, changes, files and reading; the MQTT commands'
// shape and rate; the discovery choices the tool takes back.
#include "control_command.h"
#include "ha_discovery.h"
#include "setting_values.h"
#include "signal_log_reader.h"

#include <QTemporaryDir>
#include <QtTest>

#include <fstream>

using namespace vantrel::service;

class TstSignalLog : public QObject {
    Q_OBJECT
private slots:
    void timesReadBackAsWritten()
    {
        const Millis t = 1796119200250; // 2026-12-01T10:00:00.250Z
        QCOMPARE(QString::fromStdString(utcText(t)), QStringLiteral("2026-12-01T10:00:00.250+00:00"));
        QCOMPARE(parseTime(utcText(t)), std::optional<Millis>(t));
        QCOMPARE(parseTime("2026-12-01T12:00:00.250+02:00"), std::optional<Millis>(t));
        QCOMPARE(parseTime("2026-12-01T09:30:00.25-00:30"), std::optional<Millis>(t));
        QCOMPARE(QString::fromStdString(utcText(-1)), QStringLiteral("1969-12-31T23:59:59.999+00:00"));
        const Millis now = t;
        const struct {
            const char *text;
            std::optional<Millis> since;
        } cases[] = {{"1h", now - 3600000},
                     {"90s", now - 90000},
                     {"2d", now - 2 * 86400000},
                     {"2026-12-01", t - 36000250},
                     {"2026-12-01T10:00:00Z", t - 250},
                     {"2026-02-29", std::nullopt},
                     {"1w", std::nullopt},
                     {"h", std::nullopt},
                     {"-1h", std::nullopt},
                     {"2026-12-01T25:00:00Z", std::nullopt},
                     {"2026-12-01T10:00:00+0200", std::nullopt}};
        for (const auto &c : cases)
            QVERIFY2(parseSince(c.text, now) == c.since, c.text);
    }

    void changesNameTheirFields()
    {
        const Json before{{"box", "present"},
                          {"status", {{"input", "Input : 1080p"}, {"hdr", "SDR"}, {"timing", {{"code", 16}}}}},
                          {"settings", {{"input", "PORT A [TOP]"}, {"hdcp", "1.4"}}}};
        Json after = before;
        after["status"]["input"] = "Input : 2160p"; // a window line: not a field of its own
        after["status"]["hdr"] = "HDR10";
        after["status"]["timing"]["code"] = 97;
        after["settings"]["input"] = "PORT B [BOT]";
        after["settings"].erase("hdcp");
        std::vector<std::string> fields;
        for (const Change &c : changesBetween(before, after, 5))
            fields.push_back(c.field + "=" + c.oldValue.dump() + ">" + c.newValue.dump());
        QCOMPARE(fields, (std::vector<std::string>{"hdr=\"SDR\">\"HDR10\"", "timing={\"code\":16}>{\"code\":97}",
                                                   "setting.input=\"PORT A [TOP]\">\"PORT B [BOT]\"",
                                                   "setting.hdcp=\"1.4\">null"}));
        QVERIFY(fieldNamed("setting.input", "input") && fieldNamed("setting.input", "setting"));
        // A source switched off: the timing has no name, the outputs none.
        const struct {
            Json oldValue, newValue;
            const char *text;
        } shown[] = {{Json{{"code", 16}, {"name", "1080p60"}}, Json{{"code", 0}, {"name", nullptr}}, "1080p60 -> none"},
                     {Json::array({"TX A", "TX B"}), Json::array(), "TX A, TX B -> none"},
                     {Json(true), Json(nullptr), "true -> none"}};
        for (const auto &c : shown) {
            const std::string text = changeText({0, "f", c.oldValue, c.newValue});
            QCOMPARE(QString::fromStdString(text.substr(text.find(": ") + 2)), QString::fromLatin1(c.text));
        }
        QVERIFY(!fieldNamed("setting.input", "in") && !fieldNamed("hdcp", "") && fieldNamed("hdcp", "hdcp"));
    }

    void folderKeepsDaysAndReadsBack()
    {
        QTemporaryDir dir;
        const std::string folder = dir.path().toStdString();
        const Millis day = 86400000, t = 1796119200250;
        SignalLog log(folder, 2);
        QVERIFY(log.append({{t - 3 * day, "hdr", "SDR", "HDR10"}}));
        QVERIFY(log.append({{t - day, "box", "present", "absent"}, {t - day + 1, "poll", "ok", "failed"}}));
        // A hand-edited file: a broken line, a foreign one, a line cut short at the end.
        {
            std::ofstream f(folder + "/" + logFileName(t), std::ios::binary);
            f << "not json\r\n{\"time\":\"x\",\"field\":\"a\",\"old\":1,\"new\":2}\n\n"
              << vantrel::report::compactText(changeJson({t, "setting.input", "PORT A [TOP]", "PORT B [BOT]"}))
              << "{\"time\":\"2026-12-01T10:00:01Z\",\"field\":\"hdr\",\"old\":";
        }
        QVERIFY(log.append({{t + 1, "hdr", "HDR10", "SDR"}})); // a new day prunes: the first file goes
        QVERIFY(!QFile::exists(dir.filePath(QString::fromStdString(logFileName(t - 3 * day)))));

        const LogRead all = readLog(folder, {});
        QCOMPARE(all.changes.size(), size_t(4)); // the change after the cut line is on a line of its own
        QCOMPARE(all.skipped, size_t(3));
        QCOMPARE(QString::fromStdString(all.changes[0].field), QStringLiteral("box"));
        const LogRead some = readLog(folder, {t - 10, {"input", "box"}});
        QCOMPARE(some.changes.size(), size_t(1));
        QCOMPARE(some.changes[0].newValue, Json("PORT B [BOT]"));
        QVERIFY(!readLog(folder + "/missing", {}).error.empty());
    }

    // Past its limit a read keeps the newest and counts the others; a line
    // nested deeper than any change is skipped like any malformed one.
    void readKeepsTheNewestPastItsLimit()
    {
        std::string text = std::string(8000, '[') + std::string(8000, ']') + "\n";
        for (int i = 0; i < 10; ++i)
            text += vantrel::report::compactText(changeJson({1796119200000 + i, "hdr", i, i + 1}));
        LogQuery query;
        query.limit = 3;
        LogRead read;
        readLogText(text, query, read);
        QCOMPARE(read.skipped, size_t(1));
        QCOMPARE(read.dropped, size_t(7));
        QCOMPARE(read.changes.size(), size_t(3));
        QCOMPARE(read.changes.front().newValue, Json(8));
        QCOMPARE(read.changes.back().newValue, Json(10));
    }

    void commandsAreShapedAndLimited()
    {
        using K = ControlCommand::Kind;
        const struct {
            const char *topic, *payload;
            K kind;
            const char *name, *value;
        } cases[] = {{"vantrel/2023/set/input", " PORT B [BOT]\n", K::Set, "input", "PORT B [BOT]"},
                     {"vantrel/2023/cec/send", "40:04", K::CecSend, "", "40:04"},
                     {"vantrel/2023/set/", "1", K::Invalid, "", ""},
                     {"vantrel/2023/set/a/b", "1", K::Invalid, "", ""},
                     {"vantrel/2024/set/input", "1", K::Invalid, "", ""},
                     {"vantrel/2023/set/input", "  ", K::Invalid, "", ""},
                     {"vantrel/2023/set/input", "1\n2", K::Invalid, "", ""},
                     {"vantrel/2023/set/input", "a\x01", K::Invalid, "", ""},
                     {"vantrel/2023/set/input", "\xC3(", K::Invalid, "", ""},
                     {"vantrel/2023/set/input", "caf\xC3\xA9", K::Set, "input", "caf\xC3\xA9"}};
        for (const auto &c : cases) {
            const ControlCommand got = parseControl(c.topic, c.payload, "2023");
            QVERIFY2(got.kind == c.kind && got.name == c.name && (c.kind == K::Invalid || got.value == c.value),
                     c.topic);
            QVERIFY(c.kind != K::Invalid || !got.error.empty());
        }
        QCOMPARE(parseControl("vantrel/2023/cec/send", std::string(300, '1'), "2023").kind, K::Invalid);
        RateLimit limit(4, 4);
        int allowed = 0;
        for (int i = 0; i < 10; ++i)
            allowed += limit.allow(1000);
        QCOMPARE(allowed, 4);
        QVERIFY(!limit.allow(1100) && limit.allow(1250));
    }

    void discoveryChoicesAreTakenBack()
    {
        DiscoveryOptions o;
        o.firmware = "1.7.3.0";
        int selects = 0;
        for (bool control : {false, true}) {
            o.allowControl = control;
            o.cecButtons = {{"tv on", "40:04"}};
            const std::vector<DiscoveryMessage> messages = discoveryMessages(o);
            QCOMPARE(messages.size(), size_t(1));
            QCOMPARE(messages[0].topic, "homeassistant/device/vantrel_2023/config");
            QCOMPARE(messages[0].config["dev"]["sw"], Json("1.7.3.0"));
            for (const auto &[key, c] : messages[0].config["cmps"].items()) {
                if (c["p"] != "select" || key == "hdr_template")
                    continue;
                QVERIFY(control);
                ++selects;
                // What a select offers, the tool's set takes.
                const auto *s = vantrel::config::findSetting(c["command_topic"].get<std::string>().substr(17));
                QVERIFY(s);
                for (const Json &text : c["options"])
                    QVERIFY2(vantrel::config::parseSettingValue(*s, text.get<std::string>()).ok, key.c_str());
            }
        }
        QCOMPARE(selects, 4);
    }
};

QTEST_APPLESS_MAIN(TstSignalLog)
#include "tst_signal_log.moc"
