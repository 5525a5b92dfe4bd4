// SPDX-License-Identifier: GPL-3.0-or-later
#include "setting_values.h"

#include <QtTest>

using namespace vantrel::config;

class SettingValuesTest : public QObject {
    Q_OBJECT

private slots:
    void everyCommandLineNameIsKnown()
    {
        const char *names[] = {"input", "auto-switch", "priority", "audio", "hdcp", "edid-mode",
                               "edid-preset", "edid-algo", "edid-2ch", "edid-51", "edid-no3d",
                               "edid-hdr", "edid-full-audio", "edid-bt2020", "edid-ycbcr", "cec",
                               "cec-type", "hdr-hotkey", "force-hdr", "hdr-style", "avi-replace",
                               "green-led", "blue-leds", "out-420", "avr-audio"};
        int offered = 0;
        for (const Setting &s : settingsTable())
            offered += s.cliName ? 1 : 0;
        QCOMPARE(offered, int(std::size(names)));
        for (const char *n : names) {
            const Setting *s = findSetting(n);
            QVERIFY2(s && s->writable(), n);
        }
        QVERIFY(!findSetting("Input"));
        QVERIFY(!findSetting(""));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("setting");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value"); // -1: refused
        QTest::newRow("input number") << "input" << "2" << 2;
        QTest::newRow("input text") << "input" << "  port b [BOT] " << 2;
        QTest::newRow("input 0") << "input" << "0" << -1;
        QTest::newRow("input junk") << "input" << "PORT E" << -1;
        QTest::newRow("preset text") << "edid-preset" << "25 - 1080I-444 Stereo" << 25;
        QTest::newRow("algo text") << "edid-algo" << "TOP Output Priority" << 2;
        QTest::newRow("audio HDMI") << "audio" << "hdmi" << 1;
        QTest::newRow("audio neither") << "audio" << "2" << -1;
        QTest::newRow("audio on") << "audio" << "on" << -1;
        QTest::newRow("hdcp 1.4") << "hdcp" << "1.4" << 2;
        QTest::newRow("hdcp 2.2") << "hdcp" << "2.2" << 3;
        QTest::newRow("hdcp 1") << "hdcp" << "1" << -1;
        QTest::newRow("mode automix") << "edid-mode" << "AUTOMIX" << 1;
        QTest::newRow("led off") << "green-led" << "off" << 0;
        QTest::newRow("priority FORCED") << "priority" << "forced" << 1;
        QTest::newRow("style Samsung") << "hdr-style" << "Samsung mode" << 1;
        QTest::newRow("style full") << "hdr-style" << "full" << 0;
        QTest::newRow("check hex 0x01") << "cec" << "0x01" << 1;
        QTest::newRow("check 2") << "cec" << "2" << -1;
        QTest::newRow("number with tail") << "input" << "2x" << -1;
        QTest::newRow("empty") << "cec" << "   " << -1;
    }

    void parse()
    {
        QFETCH(QString, setting);
        QFETCH(QString, text);
        QFETCH(int, value);
        const Setting *s = findSetting(setting.toStdString());
        QVERIFY(s);
        const ParsedValue r = parseSettingValue(*s, text.toStdString());
        QCOMPARE(r.ok, value >= 0);
        if (r.ok)
            QCOMPARE(int(r.value), value);
        else
            QVERIFY(!r.error.empty());
    }

    void errorsSayWhatIsTaken()
    {
        const ParsedValue r = parseSettingValue(*findSetting("input"), "PORT E");
        QVERIFY(!r.ok);
        const QString e = QString::fromStdString(r.error);
        QVERIFY2(e.contains("\"PORT E\"") && e.contains("input") && e.contains("1 to 4") &&
                     e.contains("\"MATRIX SWAP\""),
                 qPrintable(e));
        const ParsedValue locked = parseSettingValue(settingAt(9), "1");
        QVERIFY(!locked.ok);
        QVERIFY(!locked.error.empty());
    }

    void describeInTheWindowsWords()
    {
        auto d = [](int position, int v) {
            return QString::fromStdString(describeValue(settingAt(position), uint8_t(v)));
        };
        QCOMPARE(d(0, 2), QString("PORT B [BOT]"));
        QCOMPARE(d(1, 3), QString("JACK"));
        QCOMPARE(d(1, 2), QString("neither (2)"));
        QCOMPARE(d(3, 7), QString("unknown (7)"));
        QCOMPARE(d(18, 1), QString("FORCED"));
        QCOMPARE(d(18, 5), QString("NORMAL (5)"));
        QCOMPARE(d(9, 1), QString("yes"));
        QCOMPARE(d(7, 0xAB), QString("171"));
    }

    // What `settings` prints can be typed back into `set`: every value the
    // setting takes reads back as itself, and odd values are not taken back.
    void describedValuesParseBack()
    {
        for (const Setting &s : settingsTable()) {
            if (!s.writable())
                continue;
            for (int v = 0; v < 256; ++v) {
                const std::string shown = describeValue(s, uint8_t(v));
                const std::string what = std::string(s.cliName) + " " + std::to_string(v) + " \"" + shown + "\"";
                const bool taken = parseSettingValue(s, std::to_string(v)).ok;
                const ParsedValue r = parseSettingValue(s, shown);
                if (taken)
                    QVERIFY2(r.ok && r.value == v, what.c_str());
                else // "off (7)", "neither (2)": shown, but not taken back
                    QVERIFY2(!r.ok, what.c_str());
            }
        }
    }
};

QTEST_APPLESS_MAIN(SettingValuesTest)
#include "tst_setting_values.moc"
