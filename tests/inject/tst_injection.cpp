// SPDX-License-Identifier: GPL-3.0-or-later
// CEC messages, stored CEC commands and the two infoframes, against the
// stand-in box.
#include "injection.h"
#include "../edid/session_rig.h"

using namespace vantrel;
using namespace vantrel::inject;
using namespace vantrel::test;

namespace {

// n pairs "01:02:...": 3n - 1 characters.
std::string pairs(int n)
{
    std::string out;
    char pair[4];
    for (int i = 1; i <= n; ++i) {
        std::snprintf(pair, sizeof pair, "%02X:", i & 0xFF);
        out += pair;
    }
    out.pop_back();
    return out;
}

std::vector<Bytes> frames(const std::vector<std::string> &hex)
{
    std::vector<Bytes> out;
    for (const std::string &h : hex)
        out.push_back(bytesFromHex(h));
    return out;
}

FakeReply wrongEcho() { return FakeUsb::echo(bytesFromHex("00 00")); }

} // namespace

class TestInjection : public QObject {
    Q_OBJECT
private slots:
    void cecSend()
    {
        Rig rig;
        QVERIFY(sendCec(rig.session, "50:04").done());
        QCOMPARE(rig.fake.frames(), frames({"10 03 B2 50 01 04", "10 03 B3 10"}));
        QCOMPARE(rig.clock.sleeps, std::vector<uint32_t>{100});
        QCOMPARE(rig.messages, (Messages{{"CEC values written...", 2000}}));
        QVERIFY(rig.diag.empty());
    }

    void cecSendLimits()
    {
        Rig rig;
        QVERIFY(!sendCec(rig.session, "50:0").done());
        QCOMPARE(rig.messages, (Messages{{"Error: min 2, max 31 data bytes", 2000}}));
        QVERIFY(!sendCec(rig.session, pairs(32)).done());
        QVERIFY(rig.fake.frames().empty());

        QCOMPARE(int(pairs(31).size()), 92);
        QVERIFY(sendCec(rig.session, pairs(31)).done());
        const Bytes first = rig.fake.frames().at(0);
        QCOMPARE(int(first.size()), 35);
        QCOMPARE(int(first[1]), 0x20);
        QCOMPARE(int(first[4]), 0x1E);
    }

    void cecFailuresDoNotStopTheSend()
    {
        Rig rig;
        rig.fake.bySubCode[frame::kCecMessage] = wrongEcho();
        rig.fake.bySubCode[frame::kActivate] = wrongEcho();
        QVERIFY(!sendCec(rig.session, "50:04").done());
        QCOMPARE(int(rig.fake.frames().size()), 2);
        QCOMPARE(rig.clock.sleeps, std::vector<uint32_t>{100});
        QCOMPARE(rig.messages, (Messages{{"Error Writing CEC command.", 4000}}));
        QCOMPARE(rig.diag, std::vector<std::string>{"\nError Populating CEC values.\n"});
    }

    void storedCommands()
    {
        Rig rig;
        QVERIFY(saveCecCommand(rig.session, frame::kStoreCecSp, "50:04").done());
        QCOMPARE(rig.fake.frames(), frames({"10 0A E3 43 45 43 20 35 30 3A 30 34 0D"}));
        QCOMPARE(rig.messages, (Messages{{"CEC values written...", 2000}}));

        rig.fake.clearRecord();
        QVERIFY(saveCecCommand(rig.session, frame::kStoreCecLp, "1f:8a").done());
        QCOMPARE(rig.fake.frames(), frames({"10 0A E4 43 45 43 20 31 46 3A 38 41 0D"}));

        // Not parsed: a 60-character text is too long to store but fine to send.
        const std::string sixty = pairs(20) + " ";
        QCOMPARE(int(sixty.size()), 60);
        rig.fake.clearRecord();
        rig.messages.clear();
        QVERIFY(!saveCecCommand(rig.session, frame::kStoreCecSp, sixty).done());
        QVERIFY(!saveCecCommand(rig.session, frame::kStoreCecSp, "50:0").done());
        QCOMPARE(rig.messages, (Messages{{"CEC values not correct", 2000}, {"CEC values not correct", 2000}}));
        QVERIFY(rig.fake.frames().empty());
        QVERIFY(sendCec(rig.session, sixty).done());
    }

    void hdrInfoframe()
    {
        Rig rig;
        QVERIFY(writeHdrInfoframe(rig.session, pairs(31)).done());
        const std::vector<Bytes> f = rig.fake.frames();
        QCOMPARE(int(f.at(0).size()), 34);
        QCOMPARE(Bytes(f[0].begin(), f[0].begin() + 4), bytesFromHex("10 1F E5 01"));
        QCOMPARE(f.at(1), bytesFromHex("10 1F B3 20"));
        QCOMPARE(rig.messages, (Messages{{"Infoframe values written...", 2000}}));

        rig.fake.clearRecord();
        rig.messages.clear();
        QVERIFY(!writeHdrInfoframe(rig.session, pairs(32)).done());
        QCOMPARE(rig.messages, (Messages{{"Error: min 2, max 31 data bytes", 2000}}));
        QVERIFY(rig.fake.frames().empty());

        // A failed load is still activated; a failed activation is the result.
        rig.fake.bySubCode[frame::kHdrLoad] = wrongEcho();
        rig.fake.bySubCode[frame::kActivate] = wrongEcho();
        rig.messages.clear();
        QVERIFY(!writeHdrInfoframe(rig.session, "87:01:1a").done());
        QCOMPARE(rig.fake.frames(), frames({"10 03 E5 87 01 1A", "10 03 B3 20"}));
        QCOMPARE(rig.messages, (Messages{{"Error Writing Infoframe values.", 4000}}));
        QCOMPARE(rig.diag, std::vector<std::string>{"\nError Populating IF values.\n"});
    }

    void aviInfoframe()
    {
        for (bool replace : {true, false}) {
            Rig rig;
            uint8_t pos33 = 7;
            QVERIFY(sendAvi(rig.session, "60:c8:60:61:00", replace, pos33).done());
            QCOMPARE(rig.fake.frames(), frames({"10 05 E6 60 C8 60 61 00", "10 05 B3 80",
                                                replace ? "10 04 E0 21 01" : "10 04 E0 21 00"}));
            QCOMPARE(int(pos33), replace ? 1 : 0);
            QCOMPARE(rig.clock.sleeps, std::vector<uint32_t>{100});
            QCOMPARE(rig.messages, (Messages{{"AVI values written...", 2000}}));
        }

        Rig rig;
        uint8_t pos33 = 7;
        QVERIFY(!sendAvi(rig.session, pairs(14), true, pos33).done());
        QCOMPARE(rig.messages, (Messages{{"Error: min 2, max 13 data bytes", 2000}}));

        rig.fake.bySubCode[frame::kActivate] = wrongEcho();
        pos33 = 7;
        QVERIFY(!sendAvi(rig.session, "60:c8", true, pos33).done());
        QCOMPARE(rig.diag, std::vector<std::string>{"\nError Activating AVI values.\n"});
        QCOMPARE(int(rig.fake.frames().size()), 2); // no register write
        QCOMPARE(int(pos33), 7);

        rig.fake.bySubCode[frame::kAviLoad] = wrongEcho();
        rig.fake.clearRecord();
        rig.messages.clear();
        QVERIFY(!sendAvi(rig.session, "60:c8", true, pos33).done());
        QCOMPARE(int(rig.fake.frames().size()), 1);
        QCOMPARE(rig.messages, (Messages{{"Error Writing AVI command.", 4000}}));
    }

    void malformedColonHexSendsNothing_data()
    {
        QTest::addColumn<QString>("text");
        QTest::newRow("no colon") << "50 04 1";
        QTest::newRow("colon at 1") << "5:0041";
        QTest::newRow("not hex") << "50:0G";
        QTest::newRow("ends in a colon") << "50:04:";
        QTest::newRow("last pair short") << "50:04:1";
    }
    void malformedColonHexSendsNothing()
    {
        QFETCH(QString, text);
        const std::string typed = text.toStdString();
        Rig rig;
        uint8_t pos33 = 0;
        QVERIFY(!sendCec(rig.session, typed).done());
        QVERIFY(!writeHdrInfoframe(rig.session, typed).done());
        QVERIFY(!sendAvi(rig.session, typed, true, pos33).done());
        QVERIFY(rig.fake.frames().empty());
        QCOMPARE(rig.messages, Messages(3, Message{"Hex Format Error", 2000}));
    }

    // What the window shows stays as above; the outcome returned tells a
    // text that was never sent from a step the box did not acknowledge.
    void outcomesTellRefusalsFromFailures()
    {
        struct Case {
            const char *name;
            std::function<void(Rig &)> fault;
            std::function<Outcome(Session &)> op;
            Verdict verdict;
            const char *message;
        };
        const auto cec = [](const char *text) { return [text](Session &s) { return sendCec(s, text); }; };
        const auto hdr = [](Session &s) { return writeHdrInfoframe(s, "87:01:1a"); };
        const auto avi = [](Session &s) {
            uint8_t pos33 = 0;
            return sendAvi(s, "82:02:0d", true, pos33);
        };
        const auto echoWrong = [](uint8_t code) { return [code](Rig &r) { r.fake.bySubCode[code] = wrongEcho(); }; };
        const Case cases[] = {
            {"cec sent", {}, cec("50:04"), Verdict::Done, "CEC values written..."},
            {"cec too short", {}, cec("50:0"), Verdict::Refused, "Error: min 2, max 31 data bytes"},
            {"cec not hex", {}, cec("50:0g"), Verdict::Refused, "Hex Format Error"},
            {"stored command too long", {}, [](Session &s) { return saveCecCommand(s, frame::kStoreCecSp, std::string(60, 'x')); },
             Verdict::Refused, "CEC values not correct"},
            {"stored command lost", [](Rig &r) { r.fake.failWrites = true; },
             [](Session &s) { return saveCecCommand(s, frame::kStoreCecSp, "hello"); }, Verdict::Failed, "Error Writing CEC values."},
            {"cec load not echoed", echoWrong(frame::kCecMessage), cec("50:04"), Verdict::Failed, "Error Writing CEC command."},
            {"cec activation not echoed", echoWrong(frame::kActivate), cec("50:04"), Verdict::Failed,
             "Error Populating CEC values."},
            {"hdr sent", {}, hdr, Verdict::Done, "Infoframe values written..."},
            {"hdr activation not echoed", echoWrong(frame::kActivate), hdr, Verdict::Failed, "Error Populating IF values."},
            {"avi replace write not echoed", echoWrong(frame::kRegister), avi, Verdict::Failed, "Error Writing values"},
        };
        for (const Case &c : cases) {
            Rig rig;
            if (c.fault)
                c.fault(rig);
            const Outcome o = c.op(rig.session);
            QVERIFY2(o.verdict == c.verdict, c.name);
            QCOMPARE(o.message, std::string(c.message));
        }
    }
};

QTEST_APPLESS_MAIN(TestInjection)
#include "tst_injection.moc"
