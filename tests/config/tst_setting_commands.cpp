// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_binding.h"
#include "panel.h"
#include "readback.h"
#include "setting_commands.h"

#include <QtTest>

#include <array>
#include <set>

using namespace vantrel::config;

namespace {

std::optional<RegisterWrite> writeWith(const char *cliName, std::set<std::string> checked)
{
    const Setting *s = findSetting(cliName);
    if (!s)
        return std::nullopt;
    return commandWrite(*s, [&](const char *o) { return checked.count(o) > 0; });
}

// Values each setting's controls can make its slot write.
std::vector<int> writableValues(const Setting &s)
{
    std::vector<int> values;
    if (s.kind == Kind::Selector)
        for (int i = 0; i < int(s.list->size()); ++i)
            values.push_back(i + s.listBase);
    else if (s.kind == Kind::CheckBox)
        values = {0, 1};
    else
        for (const Option &o : s.options)
            values.push_back(o.value);
    return values;
}

} // namespace

class SettingCommandsTest : public QObject {
    Q_OBJECT

private slots:
    void slotValues_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QStringList>("checked");
        QTest::addColumn<int>("reg");
        QTest::addColumn<int>("value"); // -1: nothing written
        QTest::addColumn<int>("image");
        QTest::newRow("autoSwDis") << "auto-switch" << QStringList{"autoSwDis"} << 1 << 0 << 6;
        QTest::newRow("autoSwEn") << "auto-switch" << QStringList{"autoSwEn"} << 1 << 1 << 6;
        QTest::newRow("audioJack") << "audio" << QStringList{"audioJack"} << 2 << 3 << 1;
        QTest::newRow("audio none") << "audio" << QStringList{} << 2 << -1 << 1;
        QTest::newRow("hdcp14") << "hdcp" << QStringList{"hdcp14"} << 3 << 2 << 3;
        QTest::newRow("hdcp none") << "hdcp" << QStringList{} << 3 << -1 << 3;
        QTest::newRow("enable420") << "out-420" << QStringList{"enable420"} << 4 << 1 << 4;
        QTest::newRow("custom") << "edid-mode" << QStringList{"customEDID"} << 5 << 3 << 2;
        QTest::newRow("automix first") << "edid-mode" << QStringList{"customEDID", "automixEDID"} << 5 << 1 << 2;
        QTest::newRow("mode none") << "edid-mode" << QStringList{} << 5 << -1 << 2;
        QTest::newRow("2.0") << "edid-2ch" << QStringList{"cb2cForce"} << 8 << 1 << 13;
        QTest::newRow("5.1 off") << "edid-51" << QStringList{} << 9 << 0 << 14;
        QTest::newRow("bPrioNorm") << "priority" << QStringList{"bPrioNorm"} << 13 << 0 << 18;
        QTest::newRow("force hdr off") << "force-hdr" << QStringList{} << 17 << 0 << 22;
        QTest::newRow("Samsung") << "hdr-style" << QStringList{"bSamHdr"} << 19 << 1 << 24;
        QTest::newRow("AVI") << "avi-replace" << QStringList{"cbAviPersistent"} << 33 << 1 << 33;
    }

    void slotValues()
    {
        QFETCH(QString, setting);
        QFETCH(QStringList, checked);
        QFETCH(int, reg);
        QFETCH(int, value);
        QFETCH(int, image);
        std::set<std::string> on;
        for (const QString &c : checked)
            on.insert(c.toStdString());
        const auto w = writeWith(setting.toLatin1().constData(), on);
        QCOMPARE(w.has_value(), value >= 0);
        if (w) {
            QCOMPARE(int(w->reg), reg);
            QCOMPARE(int(w->value), value);
            QCOMPARE(w->imagePosition, image);
        }
    }

    void selectorValues()
    {
        auto sel = [](const char *name, int index) { return selectorWrite(*findSetting(name), index); };
        QCOMPARE(int(sel("input", 3)->reg), 0);
        QCOMPARE(int(sel("input", 3)->value), 4);
        QCOMPARE(sel("input", 3)->imagePosition, kNone);
        QCOMPARE(int(sel("edid-preset", 24)->reg), 14);
        QCOMPARE(int(sel("edid-preset", 24)->value), 25);
        QCOMPARE(int(sel("cec-type", 1)->value), 1);
        QCOMPARE(int(sel("edid-algo", 2)->reg), 32);
        QCOMPARE(int(sel("edid-algo", 2)->value), 2);
        // No entry after an out-of-range readback: nothing is written.
        for (const char *name : {"input", "edid-preset", "cec-type", "edid-algo"})
            QVERIFY(!sel(name, -1));
        QVERIFY(!sel("input", 4));
        QVERIFY(!sel("cec-type", 2));
        QVERIFY(!selectorWrite(*findSetting("cec"), 0)); // not a selector
    }

    // A value the box's controls cannot show is never written.
    void writeForRefusesUnknownValues()
    {
        const struct {
            const char *name;
            int value;
            bool written;
        } rows[] = {
            {"input", 1, true},    {"input", 0, false},     {"input", 5, false},   {"audio", 3, true},
            {"audio", 2, false},   {"hdcp", 1, false},      {"cec", 1, true},      {"cec", 2, false},
            {"priority", 0, true}, {"edid-mode", 4, false}, {"cec-type", 0, true},
        };
        for (const auto &r : rows)
            QVERIFY2(writeFor(*findSetting(r.name), r.value).has_value() == r.written,
                     QByteArray(r.name) + " = " + QByteArray::number(r.value));
        QVERIFY(!writeFor(settingAt(9), 1)); // a permission flag: nothing writes it
    }

    void lockReasons()
    {
        std::array<uint8_t, kBlockSize> block{};
        block[9] = block[10] = block[11] = 1;
        block[6] = 1;
        for (const char *free : {"edid-mode", "hdcp", "audio", "priority", "input"})
            QVERIFY2(!lockReason(*findSetting(free), block.data()), free);
        block[10] = 0;
        QCOMPARE(QString::fromStdString(*lockReason(*findSetting("hdcp"), block.data())),
                 QStringLiteral("the box does not allow it (\"HDCP version may be changed\" is no)"));
        block[6] = 0;
        QCOMPARE(QString::fromStdString(*lockReason(*findSetting("priority"), block.data())),
                 QStringLiteral("it applies only while auto-switch is ENABLE"));
        QVERIFY(!lockReason(*findSetting("input"), block.data()));
    }

    void factoryReset()
    {
        QVERIFY(resetConfirmed("RESET"));
        for (const char *typed : {"reset", " RESET", "RESET ", "", "RESETS"})
            QVERIFY2(!resetConfirmed(typed), typed);
        QCOMPARE(factoryResetValue(true, true), std::optional<uint8_t>(3));
        QCOMPARE(factoryResetValue(true, false), std::optional<uint8_t>(2));
        QCOMPARE(factoryResetValue(false, true), std::optional<uint8_t>(1));
        QVERIFY(!factoryResetValue(false, false));
        QVERIFY(!settingForRegister(kFactoryResetRegister));
    }

    // The register map: each register's slot, the image position it sets and
    // the block position the readback shows it from.
    void registerMap()
    {
        struct Row { int reg; const char *slot; int image; int position; };
        const Row rows[] = {
            {0, "SetActivePort", kNone, 0},    {1, "SetAutoSwitch", 6, 6},
            {2, "SetAudioSource", 1, 1},       {3, "SetHDCP_Version", 3, 3},
            {4, "SetOut_420", 4, 4},           {5, "SetEDID_Mode", 2, 2},
            {8, "force2c", 13, 13},            {9, "force51", 14, 14},
            {10, "set3D", 15, 15},             {11, "forceHdr", 16, 16},
            {12, "forceFullAudio", 17, 17},    {13, "setSwPriority", 18, 18},
            {14, "changeCustomEdid", kNone, 19}, {16, "CecLpRepurp", 21, 21},
            {17, "hdrForceActivate", 22, 22},  {19, "hdrSamsung", 24, 24},
            {22, "setLogoLed", 26, 26},        {23, "setBlueLed", 27, 27},
            {24, "setBt2020", 28, 28},         {26, "setYUV", 29, 29},
            {27, "setCEC", 5, 5},              {28, "setCecLa", kNone, 30},
            {29, "setAVR", 31, 31},            {32, "setEdidAlgo", kNone, 32},
            {33, "setAviPers", 33, 33},
        };
        int writable = 0;
        for (const Setting &s : settingsTable())
            writable += s.writable() ? 1 : 0;
        QCOMPARE(writable, int(std::size(rows)));

        const std::vector<int> &order = readbackOrder();
        for (const Row &r : rows) {
            const Setting *s = settingForRegister(r.reg);
            QVERIFY2(s, r.slot);
            QCOMPARE(QString(bindingAt(s->position).slot), QString(r.slot));
            QCOMPARE(bindingForSlot(r.slot)->position, s->position);
            QCOMPARE(s->imagePosition, r.image);
            QCOMPARE(s->position, r.position);
            QVERIFY2(std::find(order.begin(), order.end(), r.position) != order.end(), r.slot);
        }
        for (int never : {6, 7, 15, 18, 20, 21, 30, 31, 34, 255})
            QVERIFY(!settingForRegister(never));
    }

    // Whatever the box reports, the controls the readback sets make the slot
    // write that same value back to the same register.
    void readbackThenCommandRoundTrips()
    {
        for (const Setting &s : settingsTable()) {
            if (!s.writable())
                continue;
            for (int v : writableValues(s)) {
                std::array<uint8_t, kBlockSize> p{};
                p[s.position] = static_cast<uint8_t>(v);
                Panel panel;
                panel.apply(readbackUpdates(p.data()));
                const auto w = s.kind == Kind::Selector
                    ? selectorWrite(s, panel.index.at(bindingAt(s.position).widgets[0]))
                    : commandWrite(s, [&](const char *o) { return panel.isChecked(o); });
                const QByteArray what = QByteArray(s.cliName) + " = " + QByteArray::number(v);
                QVERIFY2(w, what);
                QCOMPARE(int(w->reg), s.reg);
                QVERIFY2(int(w->value) == v, what);
            }
        }
    }
};

QTEST_APPLESS_MAIN(SettingCommandsTest)
#include "tst_setting_commands.moc"
