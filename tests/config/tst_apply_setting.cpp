// SPDX-License-Identifier: GPL-3.0-or-later
// One setting applied: the follow-up send's outcome and the write's, folded.
#include "apply_setting.h"
#include "../edid/session_rig.h"

using namespace vantrel;
using namespace vantrel::config;
using namespace vantrel::test;

class TestApplySetting : public QObject {
    Q_OBJECT
private slots:
    void sendThenWrite()
    {
        const Setting &forceHdr = *findSetting("force-hdr");
        const struct {
            const char *name;
            Verdict send;
            bool writeAfterRefusal, echoed;
            bool written; // the register write went out
            Verdict result;
        } cases[] = {
            {"sent, written", Verdict::Done, false, true, true, Verdict::Done},
            {"refused: nothing written", Verdict::Refused, false, true, false, Verdict::Refused},
            {"refused, the window writes anyway", Verdict::Refused, true, true, true, Verdict::Refused},
            {"send failed: written, the failure stands", Verdict::Failed, false, true, true, Verdict::Failed},
            {"write not acknowledged", Verdict::Done, false, false, true, Verdict::Failed},
        };
        for (const auto &c : cases) {
            Rig rig;
            if (!c.echoed)
                rig.fake.bySubCode[frame::kRegister] = FakeUsb::echo(bytesFromHex("00 00"));
            FollowUpSends sends;
            sends.hdr = [&] { return Outcome{c.send, "sent", 0}; };
            sends.writeAfterRefusal = c.writeAfterRefusal;
            uint8_t image[kBlockSize] = {};
            const Outcome o = applySetting(rig.box, forceHdr, *writeFor(forceHdr, 1), image, sends);
            QVERIFY2(o.verdict == c.result, c.name);
            QVERIFY2(rig.framesWith(frame::kRegister).empty() != c.written, c.name);
            QVERIFY2(image[forceHdr.position] == (c.written ? 1 : 0), c.name);
        }
    }
};

QTEST_APPLESS_MAIN(TestApplySetting)
#include "tst_apply_setting.moc"
