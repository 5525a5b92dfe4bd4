// SPDX-License-Identifier: GPL-3.0-or-later
// Rules over the box's facts: when they fire, once per change, never on
// their own effect, and only on a signal that held.
#include "rules_engine.h"

#include <QtTest>

using namespace vantrel::service;

class TstRules : public QObject {
    Q_OBJECT
private slots:
    void firesOncePerStableChange()
    {
        // Each step: its time in polls (1 s each) and the facts it changes;
        // expected: "time rule do|undo", in order.
        const struct {
            const char *name, *when, *extra;
            std::vector<std::pair<int, Json>> steps;
            QStringList firings;
        } cases[] = {
            {"waits a poll; a transient fires nothing",
             R"({"eotfName": {"is": "SMPTE ST 2084"}})",
             "",
             {{0, {{"eotfName", "SMPTE ST 2084"}}},
              {1, {{"eotfName", nullptr}}},
              {2, {}},
              {3, {{"eotfName", "SMPTE ST 2084"}}},
              {4, {}},
              {5, {}},
              {6, {{"eotfName", nullptr}}},
              {7, {}}},
             {"4 r do", "7 r undo"}},
            {"after seconds",
             R"({"timing.name": {"matches": "*p2[45]"}})",
             R"(, "after": 2.5)",
             {{0, {{"timing", {{"name", "1920x1080p24"}}}}}, {1, {}}, {2, {}}, {3, {}}, {4, {}}},
             {"3 r do"}},
            {"all tests hold; numbers, lists and null",
             R"({"infoframeDecoded.maxCll": {"above": 1000, "below": 5000}, "hdcp": {"in": ["2.2", null]}, "box": {"is not": "absent"}})",
             "",
             {{0, {{"infoframeDecoded", {{"maxCll", 4000}}}, {"box", "present"}}},
              {1, {}},
              {1, {}}, // the reading of its effect: none
              {2, {{"infoframeDecoded", {{"maxCll", "4000"}}}}},
              {3, {}},
              {4, {{"infoframeDecoded", {{"maxCll", 1000}}}}},
              {5, {}},
              {6, {{"infoframeDecoded", {{"maxCll", 4001}}}, {"hdcp", "1.4"}}},
              {7, {}}},
             {"1 r do", "3 r undo"}},
            // Its own action turns force-hdr on: seen as off until the signal
            // changes again, so it neither undoes nor fires twice.
            {"never on its own effect",
             R"({"eotfName": {"is": "SMPTE ST 2084"}, "setting.force-hdr": {"is": "off"}})",
             "",
             {{0, {{"eotfName", "SMPTE ST 2084"}, {"setting.force-hdr", "off"}}},
              {1, {}},
              {1, {{"setting.force-hdr", "on"}}},
              {2, {}},
              {3, {}},
              {4, {{"eotfName", "HLG"}}},
              {5, {}},
              {5, {{"setting.force-hdr", "off"}}},
              {6, {}},
              {7, {{"eotfName", "SMPTE ST 2084"}}},
              {8, {}}},
             {"1 r do", "5 r undo", "8 r do"}},
            {"a change by someone else counts",
             R"({"setting.force-hdr": {"is": "off"}})",
             "",
             {{0, {{"setting.force-hdr", "off"}}},
              {1, {}},
              {1, {{"setting.force-hdr", "on"}}},
              {2, {}},
              {3, {}},
              {4, {{"setting.force-hdr", "off"}}},
              {5, {}}},
             {"1 r do", "5 r do"}},
            // "switch": rules/enable before that poll.
            {"turned off it neither undoes nor fires; turned on it starts afresh",
             R"({"eotfName": {"is": "SMPTE ST 2084"}})",
             "",
             {{0, {{"eotfName", "SMPTE ST 2084"}}},
              {1, {}},
              {2, {{"switch", "off"}}},
              {3, {{"eotfName", nullptr}}},
              {4, {}},
              {5, {{"eotfName", "SMPTE ST 2084"}}},
              {6, {}},
              {7, {{"switch", "on"}}},
              {8, {}},
              {9, {}}},
             {"1 r do", "8 r do"}},
        };
        for (const auto &c : cases) {
            const std::string text =
                std::string(R"({"format": "vantrel-rules", "version": 1, "rules": [{"name": "r", "when": )") + c.when +
                c.extra + R"(, "do": ["set force-hdr on"], "undo": ["set force-hdr off"]}]})";
            const RulesFile file = readRules(text, nullptr);
            QVERIFY2(file.ok, file.errors.empty() ? c.name : file.errors.front().c_str());
            RulesEngine engine(file.rules, 1000);
            Json facts = Json::object();
            QStringList firings;
            for (const auto &[time, changes] : c.steps) {
                for (const auto &[field, value] : changes.items())
                    facts[field] = value;
                if (changes.contains("switch"))
                    QVERIFY(engine.enable("r", changes["switch"] == "on"));
                for (const Firing &f : engine.step(Millis(time) * 1000, facts))
                    firings << QStringLiteral("%1 %2 %3")
                                   .arg(f.time / 1000)
                                   .arg(QString::fromStdString(f.rule), f.undo ? "undo" : "do");
            }
            QVERIFY2(firings == c.firings, qPrintable(QString(c.name) + ": " + firings.join(", ")));
        }
    }
};

QTEST_APPLESS_MAIN(TstRules)
#include "tst_rules.moc"
