// SPDX-License-Identifier: GPL-3.0-or-later
#include "profile_apply.h"

#include "setting_values.h"

#include <QtTest>

using namespace vantrel;
using namespace vantrel::profile;

namespace {

// A box that takes writes into its block, refusing or ignoring chosen ones.
struct FakeBox : Target {
    BoxFacts facts;
    std::vector<std::string> calls;
    std::string refuse, ignore;

    Outcome result(const std::string &name)
    {
        calls.push_back(name);
        return name == refuse ? Outcome{Verdict::Failed, "no answer"} : Outcome{};
    }
    Outcome setSetting(const config::Setting &s, uint8_t value, const Profile &) override
    {
        if (s.cliName != ignore && s.cliName != refuse)
            facts.block[s.position] = value;
        return result(s.cliName);
    }
    Outcome sendHdrInfoframe(const std::string &t) override { return facts.hdrInfoframe = t, result("hdr"); }
    Outcome sendAviInfoframe(const std::string &t) override { return facts.aviInfoframe = t, result("avi"); }
    Outcome writeCustomEdid(const std::vector<uint8_t> &t) override { return facts.customEdid = t, result("table"); }
    Outcome storeCec(bool lp, const std::string &) override { return result(lp ? "lp" : "sp"); }
    FactsRead read() override { return {{}, facts}; }
};

BoxFacts factoryBox()
{
    BoxFacts f;
    f.serial = "2023";
    f.firmware = "1.7.3.0";
    for (const config::Setting &s : config::settingsTable())
        if (s.cliName)
            f.block[s.position] = config::parseSettingValue(s, config::acceptedValues(s).substr(0, 1)).value;
    f.block[config::findSetting("input")->position] = 1;
    f.block[config::findSetting("hdcp")->position] = 2; // 1.4
    f.block[config::findSetting("green-led")->position] = 1;
    f.block[9] = f.block[10] = f.block[11] = 1; // the box's permission flags
    f.hdrInfoframe = "87:01:1a:00";
    f.aviInfoframe = "60:c8:60";
    return f;
}

} // namespace

class ProfileTest : public QObject {
    Q_OBJECT

private slots:
    void fileRules_data()
    {
        QTest::addColumn<QString>("json");
        QTest::addColumn<QString>("error"); // empty: read
        QTest::addColumn<int>("warnings");
        const QString head = R"({"format":"vantrel-profile","version":1)";
        QTest::newRow("minimal") << head + "}"
                                 << "" << 0;
        QTest::newRow("minor version") << head.chopped(1) + "1.4}"
                                       << "" << 0;
        QTest::newRow("later major") << head.chopped(1) + "2}"
                                     << "later version (2)" << 0;
        QTest::newRow("other format") << R"({"format":"x","version":1})"
                                      << "not a profile" << 0;
        QTest::newRow("not json") << "{\"format\":"
                                  << "malformed at byte" << 0;
        QTest::newRow("array") << "[1]"
                               << "not a profile" << 0;
        QTest::newRow("nan version") << head.chopped(1) + "\"1\"}"
                                     << "no valid" << 0;
        QTest::newRow("no version") << R"({"format":"vantrel-profile","settings":{}})"
                                    << "no valid" << 0;
        QTest::newRow("unknown keys") << head +
                                             R"(,"lens":{"a":1},"cec":{"sp":"40:04","x":2},"settings":{"zoom":"on"}})"
                                      << "" << 3;
        QTest::newRow("setting not text") << head + R"(,"settings":{"input":2}})"
                                          << "settings.input" << 0;
        QTest::newRow("bad table") << head + R"(,"edid":{"custom":["00 FF GG"]}})"
                                   << "not EDID hex" << 0;
        QTest::newRow("odd table") << head + R"(,"edid":{"custom":"00 FF FF FF FF FF FF 00"}})"
                                   << "8 bytes" << 0;
        QTest::newRow("section not object") << head + R"(,"cec":"40:04"})"
                                            << "cec is not an object" << 0;
    }
    void fileRules()
    {
        QFETCH(QString, json);
        QFETCH(QString, error);
        QFETCH(int, warnings);
        const ReadResult r = readProfile(json.toStdString());
        QCOMPARE(r.ok, error.isEmpty());
        QVERIFY2(QString::fromStdString(r.error).contains(error), r.error.c_str());
        QCOMPARE(int(r.warnings.size()), warnings);
        if (r.ok) // unknown keys survive a rewrite
            for (const char *key : {"lens", "zoom", "\"x\""})
                QCOMPARE(writeProfile(r.profile).find(key) != std::string::npos, json.contains(QLatin1String(key)));
    }

    void savedProfileReadsBackEqual()
    {
        BoxFacts f = factoryBox();
        f.customEdid = std::vector<uint8_t>(256, 0x5a);
        const Profile saved = profileOf(f, "2026-12-08T03:00:00+00:00");
        const ReadResult r = readProfile(writeProfile(saved));
        QVERIFY2(r.ok, r.error.c_str());
        QVERIFY(differences(saved, r.profile, Sections{}).empty());
        QCOMPARE(r.profile.settings, saved.settings);
        // A hand-written frame equals the box's zero-padded store.
        Profile hand = saved;
        hand.hdrInfoframe = "87:01:1A";
        QVERIFY(differences(saved, hand, Sections{}).empty());
        // Text the box's send would refuse never equals its store.
        hand.hdrInfoframe = "x7:01:1a";
        QCOMPARE(differences(saved, hand, Sections{}).size(), size_t(1));
    }

    void applyWritesDifferencesInOrderAndChecks()
    {
        FakeBox box;
        box.facts = factoryBox();
        Profile wanted = profileOf(box.facts, "");
        wanted.setSetting("priority", "FORCED"); // only while auto-switch is on
        wanted.setSetting("auto-switch", "on");
        wanted.setSetting("green-led", "off");
        wanted.setSetting("hdcp", "2.2");
        wanted.aviInfoframe = "60:c8:61";
        wanted.cecSp = "40:04";
        box.facts.block[10] = 0; // hdcp locked by the box

        ApplyReport dry = applyProfile(box, wanted, Sections{}, true);
        QVERIFY(box.calls.empty());
        QCOMPARE(int(dry.steps.size()), 6);

        ApplyReport r = applyProfile(box, wanted, Sections{}, false);
        QVERIFY2(!r.failed, r.error.c_str());
        const std::vector<std::string> order = {"avi", "auto-switch", "priority", "green-led", "sp"};
        QCOMPARE(box.calls, order);
        QCOMPARE(r.steps[2].change.name, std::string("hdcp"));
        QCOMPARE(r.steps[2].state, StepState::Skipped);

        // A write the box refuses stops the apply; one it ignores fails the check.
        box.calls.clear();
        box.facts = factoryBox();
        box.refuse = "auto-switch";
        r = applyProfile(box, wanted, Sections{}, false);
        QVERIFY(r.failed && r.error.find("auto-switch failed: no answer") != std::string::npos);
        QCOMPARE(r.steps.back().state, StepState::NotRun);
        box.facts = factoryBox();
        box.refuse.clear();
        box.ignore = "green-led";
        r = applyProfile(box, wanted, *Sections::parse("settings", r.error), false);
        QVERIFY(r.failed);
        QCOMPARE(int(r.unapplied.size()), 1);
        QCOMPARE(r.unapplied[0].name, std::string("green-led"));
    }
};

QTEST_APPLESS_MAIN(ProfileTest)
#include "tst_profile.moc"
